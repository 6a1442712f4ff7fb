// The language files shipped with the library, German (deu) and French (fra):
// each, installed beside a copy of the library with its language selected in
// the host's settings file, translates every message, and every error text
// fits the 8-bit buffer of the error return in the system's code page.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>

#include "IntegrationHost.h"
#include "platform/HostPlatform.h"

using integration::Int;
using integration::TempFolder;
using integration::Text;
using zorhost::CallResult;
using zorhost::HostValue;
using zorhost::ZorHost;

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
    return std::filesystem::path(platform::DefaultExtenderPath()).parent_path() / "languages" /
           ("QRVELANG." + strTag);
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
        strText += static_cast<char16_t>(static_cast<uint8_t>(strBytes[i]) | static_cast<uint8_t>(strBytes[i + 1]) << 8);

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
        if (c == u'~') c = u'\n';
        else if (c == u'|') c = u'\t';
    }
    return strText;
}

// Selects a language in the host's settings file QRVQUILL.INI for the
// libraries loaded from now on; what the file held before comes back at the end.
class SelectedLanguage {
public:
    SelectedLanguage(const std::filesystem::path& scratch, const std::string& strTag)
        : m_file(platform::SettingsFolder(scratch) / "QRVQUILL.INI") {
        if (std::ifstream before{m_file, std::ios::binary})
            m_strBefore.emplace(std::istreambuf_iterator<char>(before), std::istreambuf_iterator<char>());
        std::ofstream(m_file, std::ios::binary) << "[MAIN]\r\nLanguage=" << strTag << "\r\n";
    }
    ~SelectedLanguage() {
        std::error_code ec;
        if (m_strBefore) std::ofstream(m_file, std::ios::binary) << *m_strBefore;
        else std::filesystem::remove(m_file, ec);
    }

private:
    std::filesystem::path m_file;
    std::optional<std::string> m_strBefore;
};

class ShippedLanguage : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
        m_texts = ReadShippedFile(ShippedFile(GetParam()));
        std::filesystem::copy_file(ShippedFile(GetParam()), m_folder.Path() / ("QRVELANG." + GetParam()));
        const std::filesystem::path library = platform::DefaultExtenderPath();
        const std::filesystem::path copy = m_folder.Path() / library.filename();
        std::filesystem::copy_file(library, copy);
        m_language.emplace(m_folder.Path(), GetParam());
        ASSERT_TRUE(m_host.Load(copy.string())) << m_host.LoadError();
        m_host.Negotiate({5});
    }

    // The translation of nId as the library hands it out.
    std::u16string Translated(int32_t nId) const { return AsLoaded(m_texts.at(nId)); }

    // An error return in the language: its 8-bit text is the translation in
    // the system's code page.
    void ExpectError(const CallResult& result, int32_t nId) const {
        ASSERT_TRUE(result.Failed()) << nId;
        EXPECT_EQ(result.errorText, platform::ToSystemCodePage(Translated(nId))) << nId;
    }

    TempFolder m_folder{"shipped-language"};
    std::map<int32_t, std::u16string> m_texts;
    std::optional<SelectedLanguage> m_language;
    ZorHost m_host;
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
        EXPECT_EQ(m_host.Call("jsGetInfo", {Int(message.nId)}).value, Text(Translated(message.nId)))
            << message.nId;
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

// A language file in the Windows folder, and none beside the library, is
// found by the search path, natively as on Windows.
TEST(LanguageSearch, FindsAFileInTheWindowsFolder) {
    TempFolder folder("language-search");
    const SelectedLanguage language(folder.Path(), "tst");
    const std::filesystem::path file = platform::SettingsFolder(folder.Path()) / "QRVELANG.tst";
    std::ofstream(file, std::ios::binary) << "[qrbjs64i Extender]\r\n101=Windows folder title\r\n";
    const std::filesystem::path library = platform::DefaultExtenderPath();
    const std::filesystem::path copy = folder.Path() / library.filename();
    std::filesystem::copy_file(library, copy);
    ZorHost host;
    const bool bLoaded = host.Load(copy.string());
    if (bLoaded) host.Negotiate({5});
    const std::u16string strTitle = bLoaded ? host.QueryVersion().title : u"";
    std::error_code ec;
    std::filesystem::remove(file, ec);
    ASSERT_TRUE(bLoaded) << host.LoadError();
    EXPECT_EQ(strTitle, u"Windows folder title");
}

}  // namespace
