// Message texts: the compiled-in table, profile file reading, and
// translations from a language file chosen by the settings files, asked of
// the linked-in library directly (through the loaded library:
// integration/test_language_files.cpp).
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

#include "json/ZorJson.h"
#include "json/frame/Messages.h"
#include "platform/Platform.h"
#include "tests/support/TempFolder.h"

namespace {

std::u16string Message(int32_t nId, int32_t nSize = kMessageUnits) {
    std::u16string str(static_cast<size_t>(std::max(nSize, 1)), u'\0');
    str.resize(static_cast<size_t>(LoadMessageText(nId, str.data(), nSize)));
    return str;
}

std::u16string Profile(const std::filesystem::path& file, const char16_t* szSection, const char16_t* szKey,
                       uint32_t nSize = 64) {
    const std::u16string strPath = file.u16string();
    std::u16string str(nSize, u'\0');
    str.resize(platform::PrivateProfileString(szSection, szKey, u"dflt", str.data(), nSize, strPath.c_str()));
    return str;
}

std::string FolderOfModule() {
    char16_t szPath[512] = {};
    platform::ModuleFileName(szPath, 512);
    std::string str(szPath, szPath + std::char_traits<char16_t>::length(szPath));
    return str.substr(0, str.rfind('/') + 1);
}

}  // namespace

TEST(MessageTable, HoldsTheTitleAndEveryErrorText) {
    EXPECT_EQ(Message(101), u"ZOR JSON extender");
    EXPECT_EQ(Message(20104), u"20104: JSON handle is not valid");
    EXPECT_EQ(Message(20130), u"20130: Internal error. ZOR variable update failed");
    for (int32_t nId = 20101; nId <= 20130; ++nId)
        EXPECT_EQ(Message(nId).substr(0, 7), Message(nId).substr(0, 5) + u": ");
    EXPECT_EQ(Message(5), u"");
    EXPECT_EQ(Message(-20104), u"");
    EXPECT_EQ(Message(20104 + 65536), u"") << "string ids are 16-bit";
}

TEST(MessageTable, CutsToTheBuffer) {
    EXPECT_EQ(Message(20104, 6), u"20104");
    EXPECT_EQ(Message(20104, 1), u"");
}

TEST(ProfileFile, MatchesNamesWithoutCaseAndTrimsValues) {
    const support::TempFolder folder("profile");
    const std::filesystem::path file = folder.Write(
        "a.ini", "; comment\n[Other]\nkey=wrong\n[ MySection ]\r\n  Key  =  some value  \r\nQuoted=\"x y\"\nempty=\n");
    EXPECT_EQ(Profile(file, u"mysection", u"KEY"), u"some value");
    EXPECT_EQ(Profile(file, u"MYSECTION", u"quoted"), u"x y");
    EXPECT_EQ(Profile(file, u"MySection", u"empty"), u"");
    EXPECT_EQ(Profile(file, u"MySection", u"absent"), u"dflt");
    EXPECT_EQ(Profile(file, u"Absent", u"key"), u"dflt");
    EXPECT_EQ(Profile(folder.Path() / "none.ini", u"MySection", u"key"), u"dflt");
    EXPECT_EQ(Profile(file, u"MySection", u"key", 5), u"some");
}

TEST(ProfileFile, ReadsUtf16WithAByteOrderMark) {
    const support::TempFolder folder("profile");
    const std::string strBytes = support::Utf16FileBytes(u"[S]\r\nk=\u00e4\u20ac\r\n");
    EXPECT_EQ(Profile(folder.Write("u.ini", strBytes), u"s", u"K"), u"\u00e4\u20ac");
    EXPECT_EQ(Profile(folder.Write("b.ini", "\xEF\xBB\xBF[S]\nk=\xC3\xA4\n"), u"s", u"k"), u"\u00e4");
}

// The settings file in the Windows folder names the language; the language
// file beside the module translates, with "~" and "|" made line feed and tab.
// Message 0 resolves the language again, which only the library in this
// process can be asked: through the entries it resolves once, at the title.
TEST(LanguageFile, TranslatesThroughTheSettingsFile) {
    const support::TempFolder windows("windows");
    windows.Write("QRVQUILL.INI", "[MAIN]\nLanguage=tst\n");
    setenv("ZOR_WINDIR", windows.Path().c_str(), 1);
    g_ZorJson.VersionQuery(nullptr, 0);  // records the module base name
    const std::string strModule(g_ZorJson.ModuleName(),
                                g_ZorJson.ModuleName() + std::char_traits<char16_t>::length(g_ZorJson.ModuleName()));
    const std::string strLanguageFile = FolderOfModule() + "QRVELANG.tst";
    std::ofstream(strLanguageFile) << "[" << strModule << " Extender]\n20104=Ung\xC3\xBCltig~zweite|Zeile\n5=five\n";
    Message(0);  // resolves the language again
    EXPECT_EQ(Message(20104), u"Ung\u00fcltig\nzweite\tZeile");
    EXPECT_EQ(Message(20105), u"20105: JSON parser error") << "an absent key falls back";
    EXPECT_EQ(Message(5), u"") << "numbers below 100 are never translated";
    std::remove(strLanguageFile.c_str());
    unsetenv("ZOR_WINDIR");
    Message(0);
    EXPECT_EQ(Message(20104), u"20104: JSON handle is not valid");
}
