// The benchmark corpus through the exported entries: serialized text parses
// back to the same tree in both layouts and encodings, and every listed key
// path reads back the value found at that place.
#include <boost/json.hpp>
#include <charconv>
#include <fstream>
#include <sstream>

#include "tests/support/IntegrationHost.h"

using namespace integration;

namespace {

const std::filesystem::path kCorpus = ZOR_CORPUS_DIR;

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::u16string Utf16(const std::string& strUtf8) {
    std::u16string str;
    for (size_t i = 0; i < strUtf8.size();) {
        const auto b = static_cast<unsigned char>(strUtf8[i]);
        const int nLength = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
        char32_t c = nLength == 1 ? b : b & (0x3F >> (nLength - 1));
        for (int k = 1; k < nLength; ++k) c = c << 6 | (static_cast<unsigned char>(strUtf8[i + k]) & 0x3F);
        if (c >= 0x10000) {
            str += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            str += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            str += static_cast<char16_t>(c);
        }
        i += nLength;
    }
    return str;
}

// A double as it reads back from "%g" text with six significant digits.
double SixDigits(double d) {
    char szText[32];
    const auto end = std::to_chars(szText, szText + sizeof szText, d, std::chars_format::general, 6).ptr;
    double dBack = 0;
    std::from_chars(szText, end, dBack);
    return dBack;
}

// Equal trees, doubles compared at their six significant digits (a double
// written as a whole number reads back as an integer).
::testing::AssertionResult SameTree(const boost::json::value& a, const boost::json::value& b, const std::string& strAt) {
    if (a.is_double()) {
        if (b.is_number() && b.to_number<double>() == SixDigits(a.get_double())) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << strAt << ": " << a << " came back as " << b;
    }
    if (a.kind() != b.kind()) return ::testing::AssertionFailure() << strAt << ": kind differs";
    if (a.is_array()) {
        const auto &x = a.get_array(), &y = b.get_array();
        if (x.size() != y.size()) return ::testing::AssertionFailure() << strAt << ": size differs";
        for (size_t i = 0; i < x.size(); ++i)
            if (auto r = SameTree(x[i], y[i], strAt + "[" + std::to_string(i) + "]"); !r) return r;
        return ::testing::AssertionSuccess();
    }
    if (a.is_object()) {
        const auto &x = a.get_object(), &y = b.get_object();
        if (x.size() != y.size()) return ::testing::AssertionFailure() << strAt << ": size differs";
        for (size_t i = 0; i < x.size(); ++i) {
            const auto &m = x.begin()[i], &n = y.begin()[i];
            if (m.key() != n.key()) return ::testing::AssertionFailure() << strAt << ": member order differs";
            if (auto r = SameTree(m.value(), n.value(), strAt + "." + std::string(m.key())); !r) return r;
        }
        return ::testing::AssertionSuccess();
    }
    if (a == b) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << strAt << ": " << a << " came back as " << b;
}

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
        case boost::json::kind::null: return u"null";
        case boost::json::kind::bool_: return jv.get_bool() ? u"true" : u"false";
        case boost::json::kind::int64: return Utf16(std::to_string(jv.get_int64()));
        case boost::json::kind::uint64: return Utf16(std::to_string(jv.get_uint64()));
        case boost::json::kind::double_: {
            char szText[400];
            const auto end = std::to_chars(szText, szText + sizeof szText, jv.get_double(), std::chars_format::fixed, 6).ptr;
            return Utf16(std::string(szText, end));
        }
        default: {
            const auto& s = jv.get_string();
            return Utf16(std::string(s.data(), std::find(s.begin(), s.end(), '\0')));
        }
    }
}

class Corpus : public integration::HostTest, public ::testing::WithParamInterface<const char*> {
protected:
    void SetUp() override {
        if (!std::filesystem::exists(kCorpus / GetParam())) GTEST_SKIP() << "no corpus at " << kCorpus;
        m_strText = ReadFile(kCorpus / GetParam());
        m_original = boost::json::parse(m_strText);
        m_strHandle = ParseHandle(Utf16(m_strText));
    }

    std::string m_strText;
    boost::json::value m_original;
    std::u16string m_strHandle;
};

}  // namespace

TEST_P(Corpus, SerializedTextParsesBackToTheSameTree) {
    for (int32_t nIndented : {0, 1}) {
        const CallResult utf8 = Host().Call("jsSerialize", {Text(m_strHandle), Int(nIndented)});
        ASSERT_TRUE(utf8.Succeeded()) << utf8.errorText;
        EXPECT_TRUE(SameTree(m_original, boost::json::parse(utf8.value.text8()), "root"));
        const CallResult utf16 = Host().Call("jsSerialize", {Text(m_strHandle), Int(nIndented), Int(2)});
        ASSERT_TRUE(utf16.Succeeded()) << utf16.errorText;
        EXPECT_EQ(utf16.value.text16(), Utf16(utf8.value.text8())) << "both encodings hold the same text";
    }
}

TEST_P(Corpus, EveryListedPathReadsBackItsValue) {
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
            ASSERT_EQ(Host().Call("jsValueType", {Text(m_strHandle), Text(strPath)}).value, Int(jv.is_array() ? 16 : 32));
            continue;
        }
        const CallResult got = Host().Call("jsValueGet", {Text(m_strHandle), Text(strPath)});
        ASSERT_TRUE(got.Succeeded()) << expected[i].first << ": " << got.errorText;
        ASSERT_EQ(got.value.text16(), ScalarText(jv)) << expected[i].first;
    }
}

INSTANTIATE_TEST_SUITE_P(Documents, Corpus, ::testing::Values("canada.json", "citm_catalog.json", "twitter.json"),
                         [](const auto& info) { return std::string(info.param).substr(0, std::string(info.param).find('.')); });
