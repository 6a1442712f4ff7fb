// Message texts in another language, each through a copy of the library in
// a folder of its own: a language file beside the copy, translating what it
// holds; the shipped German (deu) and French (fra) files, each selected in the
// host's settings file, translating every message with every error text
// fitting the 8-bit buffer of the error return in the system's code page; and
// a language file found on the search path.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "tests/support/IntegrationHost.h"
#include "tests/support/TempFolder.h"

using namespace integration;
using support::TempFolder;

namespace {

struct Message {
    int32_t nId;
    const char16_t* szEnglish;
};

// The library's own table: the title and every error text.
constexpr Message kMessages[] = {
#define ZOR_MESSAGE(id, text) {id, u"" text},
#include "resources/messages.def"
#undef ZOR_MESSAGE
};

// Room of the error return's 8-bit text, without its terminator.
constexpr size_t kErrorTextBytes = 255;

// The language files the build places in "languages" beside the test program.
std::filesystem::path ShippedFile(const std::string& strTag) {
    return std::filesystem::path(platform::DefaultExtenderPath()).parent_path() / "languages" / ("QRVELANG." + strTag);
}

// Reads a language file as it is shipped: UTF-16LE after a byte order mark,
// lines ended by CR LF, and the section "qrbjs64i Extender" holding
// "number=text" lines. Gives the raw texts by number; fails the test when
// the file breaks that form.
std::map<int32_t, std::u16string> ReadShippedFile(const std::filesystem::path& file) {
    std::ifstream stream(file, std::ios::binary);
    const std::string strBytes((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
    std::map<int32_t, std::u16string> texts;
    EXPECT_EQ(strBytes.compare(0, 2, "\xFF\xFE"), 0) << file << " starts with the UTF-16LE byte order mark";
    EXPECT_EQ(strBytes.size() % 2, 0u) << file;
    std::u16string strText;
    for (size_t i = 2; i + 1 < strBytes.size(); i += 2)
        strText +=
            static_cast<char16_t>(static_cast<uint8_t>(strBytes[i]) | static_cast<uint8_t>(strBytes[i + 1]) << 8);

    bool bInSection = false;
    size_t nSections = 0;
    for (size_t nPos = 0; nPos < strText.size();) {
        const size_t nEnd = strText.find(u"\r\n", nPos);
        EXPECT_NE(nEnd, std::u16string::npos) << file << ": the last line ends with CR LF";
        const std::u16string strLine = strText.substr(nPos, nEnd == std::u16string::npos ? nEnd : nEnd - nPos);
        nPos = nEnd == std::u16string::npos ? strText.size() : nEnd + 2;
        EXPECT_EQ(strLine.find_first_of(u"\r\n"), std::u16string::npos) << file << ": a line ends with CR LF";
        if (strLine.empty() || strLine[0] == u';') continue;
        if (strLine[0] == u'[') {
            bInSection = strLine == u"[qrbjs64i Extender]";
            nSections += bInSection;
            continue;
        }
        const size_t nEqual = strLine.find(u'=');
        EXPECT_TRUE(bInSection && nEqual != std::u16string::npos) << file << ": " << zorhost::ToUtf8(strLine);
        if (!bInSection || nEqual == std::u16string::npos) continue;
        const int32_t nId = std::stoi(zorhost::ToUtf8(strLine.substr(0, nEqual)));
        EXPECT_TRUE(texts.emplace(nId, strLine.substr(nEqual + 1)).second) << file << ": " << nId << " twice";
    }
    EXPECT_EQ(nSections, 1u) << file << " holds the section [qrbjs64i Extender] once";
    return texts;
}

// A text as the library hands it out: "~" a line feed, "|" a tab.
std::u16string AsLoaded(std::u16string strText) {
    for (char16_t& c : strText) {
        if (c == u'~')
            c = u'\n';
        else if (c == u'|')
            c = u'\t';
    }
    return strText;
}

// Files put in the folder where the library reads the host's settings file
// QRVQUILL.INI (the Windows folder); each comes back as it was at the end.
class SettingsFiles {
public:
    explicit SettingsFiles(const std::filesystem::path& scratch) : m_folder(platform::SettingsFolder(scratch)) {}
    ~SettingsFiles() {
        std::error_code ec;
        for (auto it = m_before.rbegin(); it != m_before.rend(); ++it) {
            if (it->second)
                std::ofstream(it->first, std::ios::binary) << *it->second;
            else
                std::filesystem::remove(it->first, ec);
        }
    }
    SettingsFiles(const SettingsFiles&) = delete;
    SettingsFiles& operator=(const SettingsFiles&) = delete;

    void Put(const std::string& strName, const std::string& strBytes) {
        const std::filesystem::path file = m_folder / strName;
        std::optional<std::string> before;
        if (std::ifstream stream{file, std::ios::binary})
            before.emplace(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
        m_before.emplace_back(file, std::move(before));
        std::ofstream(file, std::ios::binary) << strBytes;
    }

private:
    std::filesystem::path m_folder;
    std::vector<std::pair<std::filesystem::path, std::optional<std::string>>> m_before;
};

// A copy of the library in a folder of its own is a separate module that
// resolves its language afresh when it is loaded and asked for its title.
// The native library's Windows folder is another folder of the test's own,
// so that what lies there is not beside the copy too.
class LanguageFile : public ::testing::Test {
protected:
    // Names the language in QRVQUILL.INI for the libraries loaded from now on.
    void Select(const std::string& strTag) { m_settings.Put("QRVQUILL.INI", "[MAIN]\r\nLanguage=" + strTag + "\r\n"); }

    // Loads the copy with interface 5 negotiated.
    void LoadCopy() {
        const std::filesystem::path copy = CopyOfLibrary(m_folder.Path());
        ASSERT_TRUE(m_host.Load(copy.string())) << m_host.LoadError();
        m_host.Negotiate({5});
    }

    // Loads the copy with a file of these translations for the default
    // language beside it, and makes the version query.
    void Load(const std::u16string& strTranslations) {
        m_folder.Write("QRVELANG.enu", support::Utf16FileBytes(u"[qrbjs64i Extender]\r\n" + strTranslations));
        ASSERT_NO_FATAL_FAILURE(LoadCopy());
        m_host.QueryVersion();
    }

    TempFolder m_folder{"language"};
    TempFolder m_windows{"language-windows"};
    SettingsFiles m_settings{m_windows.Path()};
    ZorHost m_host;
};

TEST_F(LanguageFile, TranslatesMessagesItHoldsAndFallsBackForOthers) {
    Load(u"20104=Handle unbekannt~Zeile|Tab\r\n101=JSON-Erweiterung\r\n5=nie\r\n");
    EXPECT_EQ(m_host.QueryVersion().title, u"JSON-Erweiterung");
    const CallResult bad = m_host.Call("jsGetInfo", {Int(4), Text(u"*obj1*")});
    EXPECT_EQ(bad.errorText, "Handle unbekannt\nZeile\tTab");
    EXPECT_EQ(m_host.Call("jsGetInfo", {Int(20106)}).value, Text(u"20106: Wrong number of parameters"));
    EXPECT_EQ(m_host.Call("jsGetInfo", {Int(5)}).value, Text(u"")) << "numbers below 100 are not translated";
}

TEST_F(LanguageFile, CutsLongTextsToTheirBuffers) {
    Load(u"20104=" + std::u16string(300, u'x') + u"\r\n");
    EXPECT_EQ(m_host.Call("jsGetInfo", {Int(4), Text(u"*obj1*")}).errorText, std::string(255, 'x'))
        << "an error text is loaded into 256 units";
    EXPECT_EQ(m_host.Call("jsGetInfo", {Int(20104)}).value, Text(std::u16string(262, u'x')))
        << "jsGetInfo loads into 263 units";
}

// The 8-bit text of an error must fit 256 bytes with its terminator: where
// the host's code page needs more, the text is "Text conversion error".
TEST_F(LanguageFile, ATextTooLongInTheHostCodePageBecomesTextConversionError) {
    Load(u"20104=" + std::u16string(200, u'\u00e4') + u"\r\n20106=\u00e4\r\n");
    const std::string strOne = m_host.Call("jsGetInfo", {Int(4)}).errorText;
    const std::string strLong = m_host.Call("jsGetInfo", {Int(4), Text(u"*obj1*")}).errorText;
    ASSERT_FALSE(strOne.empty());
    if (200 * strOne.size() > 255)
        EXPECT_EQ(strLong, "Text conversion error");
    else
        EXPECT_EQ(strLong, std::string(200, strOne[0]));
}

// A language file in the Windows folder, and none beside the library, is
// found by the search path, natively as on Windows.
using LanguageSearch = LanguageFile;

TEST_F(LanguageSearch, FindsAFileInTheWindowsFolder) {
    Select("tst");
    m_settings.Put("QRVELANG.tst", "[qrbjs64i Extender]\r\n101=Windows folder title\r\n");
    ASSERT_NO_FATAL_FAILURE(LoadCopy());
    EXPECT_EQ(m_host.QueryVersion().title, u"Windows folder title");
}

// The shipped files, each beside the copy and selected in QRVQUILL.INI.
class ShippedLanguage : public LanguageFile, public ::testing::WithParamInterface<std::string> {
protected:
    void SetUp() override {
        m_texts = ReadShippedFile(ShippedFile(GetParam()));
        std::filesystem::copy_file(ShippedFile(GetParam()), m_folder.Path() / ("QRVELANG." + GetParam()));
        Select(GetParam());
        LoadCopy();
    }

    // The translation of nId as the library hands it out.
    std::u16string Translated(int32_t nId) const { return AsLoaded(m_texts.at(nId)); }

    // An error return in the language: its 8-bit text is the translation in
    // the system's code page.
    void ExpectError(const CallResult& result, int32_t nId) const {
        ASSERT_TRUE(result.Failed()) << nId;
        EXPECT_EQ(result.errorText, platform::ToSystemCodePage(Translated(nId))) << nId;
    }

    std::map<int32_t, std::u16string> m_texts;
};

TEST_P(ShippedLanguage, TranslatesEveryMessageAndNothingElse) {
    ASSERT_EQ(m_texts.size(), std::size(kMessages));
    for (const Message& message : kMessages) {
        ASSERT_EQ(m_texts.count(message.nId), 1u) << message.nId << " is missing";
        const std::u16string strText = m_texts.at(message.nId);
        EXPECT_NE(strText, message.szEnglish) << message.nId << " is not translated";
        const std::string strPrefix = std::to_string(message.nId) + ": ";
        if (message.nId != 101) {
            EXPECT_EQ(strText.compare(0, strPrefix.size(), std::u16string(strPrefix.begin(), strPrefix.end())), 0)
                << message.nId << " keeps its number in front";
        }
    }
}

TEST_P(ShippedLanguage, EveryMessageComesBackTranslated) {
    EXPECT_EQ(m_host.QueryVersion().title, Translated(101));
    for (const Message& message : kMessages)
        EXPECT_EQ(m_host.Call("jsGetInfo", {Int(message.nId)}).value, Text(Translated(message.nId))) << message.nId;
}

TEST_P(ShippedLanguage, EveryErrorTextFitsTheEightBitBuffer) {
    for (const Message& message : kMessages)
        EXPECT_LE(platform::ToSystemCodePage(Translated(message.nId)).size(), kErrorTextBytes) << message.nId;
}

TEST_P(ShippedLanguage, ErrorReturnsCarryTheTranslation) {
    m_host.QueryVersion();
    const CallResult parsed = m_host.Call("jsParse", {Text(u"{\"books\":[{\"title\":\"Dune\"}]}")});
    ASSERT_TRUE(parsed.Succeeded());
    const HostValue store = parsed.value;
    ExpectError(m_host.Call("jsGetInfo", {Text(u"0")}), 20101);
    ExpectError(m_host.Call("jsGetInfo", {Int(4), Text(u"*obj1*")}), 20104);
    ExpectError(m_host.Call("jsParse", {Text(u"{")}), 20105);
    ExpectError(m_host.Call("jsGetInfo", {Int(4)}), 20106);
    ExpectError(m_host.Call("jsValueGet", {store, Text(u"phone")}), 20108);
    ExpectError(m_host.Call("jsValueGet", {store, Text(u"books.title")}), 20112);
    ExpectError(m_host.Call("jsValueGet", {store, Text(u"books[0]"), Text(u"::")}), 20113);
    ExpectError(m_host.Call("jsValueGet", {store, Text(u"books[5]")}), 20114);
    ExpectError(m_host.Call("jsValueGet", {store, Text(u"books[x]")}), 20116);
    ExpectError(m_host.Call("jsValueGet", {store, Text(u"")}), 20117);
    ExpectError(m_host.Call("jsParse", {Text(u"5")}), 20128);
}

INSTANTIATE_TEST_SUITE_P(Shipped, ShippedLanguage, ::testing::Values("deu", "fra"),
                         [](const auto& info) { return info.param; });

}  // namespace
