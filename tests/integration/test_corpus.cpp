// Real documents through the exported entries: each is valid, parses, and
// its serialized text reads back to the same tree, doubles bit for bit, in both
// layouts and encodings; in the three yardsticks every listed key path
// reads back the value found at that place.
#include <charconv>

#include "tests/support/IntegrationHost.h"
#include "tests/support/PublicCorpus.h"

using namespace integration;

namespace {

std::u16string Utf16(const std::string& strUtf8) { return zorhost::FromUtf8(strUtf8); }

// Every key path of a tree with the value at it, in the listing's order,
// made independently of the library: each key bracketed, "[k][N]" for an
// element of a member, "[][N]" for any other element.
void ExpectedPaths(const boost::json::value& jv, const std::string& strPrefix, bool bByKey, const std::string& strSelf,
                   std::vector<std::pair<std::string, const boost::json::value*>>& out) {
    if (jv.is_object()) {
        for (const auto& member : jv.get_object()) {
            const std::string strPath = strPrefix + "[" + std::string(member.key()) + "]";
            out.emplace_back(strPath, &member.value());
            ExpectedPaths(member.value(), strPath + ".", true, strPath, out);
        }
    } else if (jv.is_array()) {
        const auto& elements = jv.get_array();
        for (size_t n = 0; n < elements.size(); ++n) {
            const std::string strPath = (bByKey ? strSelf : strPrefix + "[]") + "[" + std::to_string(n) + "]";
            out.emplace_back(strPath, &elements[n]);
            ExpectedPaths(elements[n], strPath + ".", false, strPath, out);
        }
    }
}

// What jsValueGet gives for a scalar.
std::u16string ScalarText(const boost::json::value& jv) {
    switch (jv.kind()) {
        case boost::json::kind::null:
            return u"null";
        case boost::json::kind::bool_:
            return jv.get_bool() ? u"true" : u"false";
        case boost::json::kind::int64:
            return Utf16(std::to_string(jv.get_int64()));
        case boost::json::kind::uint64:
            return Utf16(std::to_string(jv.get_uint64()));
        case boost::json::kind::double_: {
            char szText[400];
            const auto end =
                std::to_chars(szText, szText + sizeof szText, jv.get_double(), std::chars_format::fixed, 6).ptr;
            return Utf16(std::string(szText, end));
        }
        default: {
            const auto& s = jv.get_string();
            return Utf16(std::string(s.data(), std::find(s.begin(), s.end(), '\0')));
        }
    }
}

class Corpus : public integration::HostTest, public ::testing::WithParamInterface<std::string> {
protected:
    void SetUp() override {
        const std::filesystem::path path = corpus::kRoot / GetParam();
        if (!std::filesystem::exists(path)) GTEST_SKIP() << "no corpus at " << path;
        m_strText = corpus::ReadFile(path);
        m_original = corpus::ExactParse(m_strText);
        m_strHandle = ParseHandle(Utf16(m_strText));
    }

    std::string m_strText;
    boost::json::value m_original;
    std::u16string m_strHandle;
};

using Yardstick = Corpus;

// Every document of the corpus: the yardsticks, documents/ and documents/small/.
std::vector<std::string> Documents() {
    std::vector<std::string> names = {"canada.json", "citm_catalog.json", "twitter.json"};
    for (const char* szFolder : {"documents", "documents/small"})
        for (const auto& path : corpus::FilesIn(corpus::kRoot / szFolder, ".json"))
            names.push_back(std::string(szFolder) + "/" + path.filename().string());
    return names;
}

std::string TestName(const ::testing::TestParamInfo<std::string>& info) {
    std::string strName = info.param.substr(0, info.param.rfind('.'));
    for (char& c : strName)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return strName;
}

}  // namespace

TEST_P(Corpus, IsValidAndSerializedTextReadsBackToTheSameTree) {
    EXPECT_EQ(Host().Call("jsValid", {Text(Utf16(m_strText))}).value, Int(1));
    for (int32_t nIndented : {0, 1}) {
        const CallResult utf8 = Host().Call("jsSerialize", {Text(m_strHandle), Int(nIndented)});
        ASSERT_TRUE(utf8.Succeeded()) << utf8.errorText;
        ASSERT_TRUE(corpus::IsStrictJson(utf8.value.text8()));
        EXPECT_TRUE(corpus::ReadsBackAs(m_original, corpus::ExactParse(utf8.value.text8())));
        const CallResult utf16 = Host().Call("jsSerialize", {Text(m_strHandle), Int(nIndented), Int(2)});
        ASSERT_TRUE(utf16.Succeeded()) << utf16.errorText;
        EXPECT_EQ(utf16.value.text16(), Utf16(utf8.value.text8())) << "both encodings hold the same text";
    }
}

TEST_P(Yardstick, EveryListedPathReadsBackItsValue) {
    std::vector<std::pair<std::string, const boost::json::value*>> expected;
    ExpectedPaths(m_original, "", false, "", expected);
    const CallResult listed = Host().Call("jsKeyPaths", {Text(m_strHandle), Text(u"")});
    ASSERT_TRUE(listed.Succeeded()) << listed.errorText;
    const auto& paths = listed.value.array()->elements;
    ASSERT_EQ(paths.size(), expected.size());
    for (size_t i = 0; i < paths.size(); ++i) {
        const std::u16string strPath = Utf16(expected[i].first);
        ASSERT_EQ(paths[i].text16(), strPath) << i;
        const boost::json::value& jv = *expected[i].second;
        if (jv.is_structured()) {
            ASSERT_EQ(Host().Call("jsValueType", {Text(m_strHandle), Text(strPath)}).value,
                      Int(jv.is_array() ? 16 : 32));
            continue;
        }
        const CallResult got = Host().Call("jsValueGet", {Text(m_strHandle), Text(strPath)});
        ASSERT_TRUE(got.Succeeded()) << expected[i].first << ": " << got.errorText;
        ASSERT_EQ(got.value.text16(), ScalarText(jv)) << expected[i].first;
    }
}

INSTANTIATE_TEST_SUITE_P(Documents, Corpus, ::testing::ValuesIn(Documents()), TestName);
INSTANTIATE_TEST_SUITE_P(Documents, Yardstick, ::testing::Values("canada.json", "citm_catalog.json", "twitter.json"),
                         TestName);
