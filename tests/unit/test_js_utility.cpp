// Key paths: the delimiter check, the reading of the four segment forms, the
// index conversion, the walk and its errors, the container path text, and
// the two split operations.
#include <boost/json.hpp>
#include <cerrno>
#include <cstdlib>
#include <gtest/gtest.h>
#include <random>

#include "json/frame/UserException.h"
#include "json/keypaths/JsUtility.h"

namespace {

using boost::json::value;

const std::string kDot = ".";

// The error an action raises, with its detail; code 0 when it raises none.
struct Failure {
    int32_t nCode = 0;
    std::string strDetail = "(none)";
    bool operator==(const Failure& other) const { return nCode == other.nCode && strDetail == other.strDetail; }
};
std::ostream& operator<<(std::ostream& os, const Failure& f) { return os << f.nCode << " detail " << f.strDetail; }
template <class Action>
Failure FailureOf(Action&& action) {
    try {
        action();
    } catch (const CUserException& e) {
        return {e.m_nCode, e.m_bHasDetail ? e.m_strDetail : "(none)"};
    }
    return {};
}

// A copy of the node the path addresses in the parsed text.
value Resolved(const std::string& strJson, std::string_view path, const std::string& strDelimiter = kDot) {
    const value root = boost::json::parse(strJson);
    return FindKeyPath(root, path, strDelimiter);
}

Failure ResolveFailure(const std::string& strJson, std::string_view path, const std::string& strDelimiter = kDot) {
    return FailureOf([&] { Resolved(strJson, path, strDelimiter); });
}

std::string ContainerPath(const std::string& strJson, std::string_view path, const std::string& strDelimiter = kDot) {
    std::string strPath = "left over";
    const value root = boost::json::parse(strJson);
    ResolveContainerPath(root, path, strDelimiter, strPath);
    return strPath;
}

std::pair<std::string, std::string> Split(std::string_view path, const std::string& strDelimiter = kDot) {
    std::string_view parent, last;
    SplitKeyPath(path, strDelimiter, parent, last);
    return {std::string(parent), std::string(last)};
}

// Key, index view, and the flag; the index is "-" when there is none.
std::tuple<std::string, std::string, bool> Segment(std::string_view segment) {
    std::string_view key, index = "stale";
    const bool bIndex = SplitKeySegment(segment, key, index);
    return {std::string(key), bIndex ? std::string(index) : (index.empty() ? "-" : "not cleared"), bIndex};
}

const Failure kUnexpected{kErrUnexpectedItem, "(none)"};
const Failure kOutOfRange{kErrIndexRange, "(none)"};

}  // namespace

TEST(IsValidDelimiter, AcceptsOneCharacterOutsideTheReservedSet) {
    for (const char16_t* sz : {u".", u"/", u"|", u"\t", u"a", u"\x01", u"\u00e9", u"\u20ac", u"#"})
        EXPECT_TRUE(IsValidDelimiter(sz)) << static_cast<int>(sz[0]);
    for (const char16_t* sz : {u" ", u"\"", u"$", u"'", u"[", u"\\", u"]", u"`", u"..", u"/a", u""})
        EXPECT_FALSE(IsValidDelimiter(sz)) << static_cast<int>(sz[0]);
    EXPECT_FALSE(IsValidDelimiter(nullptr));
}

TEST(FindKeyPath, WalksMembersAndElements) {
    const std::string strTree = R"({"a":{"b":[0,{"c":5}]},"a.b":7,"":{"x":1}})";
    EXPECT_EQ(Resolved(strTree, "a.b[1].c"), 5);
    EXPECT_EQ(Resolved(strTree, "[a.b]"), 7);
    EXPECT_EQ(Resolved(strTree, "[a].[b][1].[c]"), 5);
    EXPECT_EQ(Resolved(strTree, "[].x"), 1);
    EXPECT_EQ(Resolved(strTree, "a.b[]"), 0) << "an empty index is element 0";
    EXPECT_EQ(Resolved(strTree, "a."), Resolved(strTree, "a")) << "a final delimiter adds no segment";
    EXPECT_EQ(Resolved(strTree, "a/b[1]/c", "/"), 5);
}

TEST(FindKeyPath, AtAnArrayAKeyWithoutIndexMustBeEmpty) {
    const std::string strRoot = R"([10,[20,21],{"k":3}])";
    EXPECT_EQ(Resolved(strRoot, "[][1]"), (boost::json::array{20, 21}));
    EXPECT_EQ(Resolved(strRoot, "x[1]"), (boost::json::array{20, 21})) << "the key part is ignored";
    EXPECT_EQ(Resolved(strRoot, "[][1].[][0]"), 20);
    EXPECT_EQ(Resolved(strRoot, "[]"), boost::json::parse(strRoot));
    EXPECT_EQ(Resolved(strRoot, ".[][2].k"), 3) << "an empty plain segment stays on the array";
    EXPECT_EQ(ResolveFailure(strRoot, "[1]"), (Failure{kErrUnexpectedItem, "1"})) << "a bracketed key";
    EXPECT_EQ(ResolveFailure(strRoot, "k"), (Failure{kErrUnexpectedItem, "k"}));
    EXPECT_EQ(ResolveFailure(R"({"a":[{"b":1}]})", "a..b"), (Failure{kErrUnexpectedItem, "b"}));
}

TEST(FindKeyPath, IgnoresOnlyAPlainFinalSegmentAfterAScalar) {
    const std::string strTree = R"({"a":5,"s":"text"})";
    EXPECT_EQ(Resolved(strTree, "a.b"), 5);
    EXPECT_EQ(Resolved(strTree, "s.x[2]"), "text");
    EXPECT_EQ(ResolveFailure(strTree, "a.b.c"), kUnexpected);
    EXPECT_EQ(ResolveFailure(strTree, "a.[b]"), kUnexpected);
    EXPECT_EQ(ResolveFailure(strTree, "a.b."), kUnexpected) << "a delimiter follows b";
    EXPECT_EQ(ResolveFailure(strTree, "a[0]"), kUnexpected) << "an index on a member that is no array";
}

TEST(FindKeyPath, ReportsMissingKeysAndBadIndexes) {
    const std::string strTree = R"({"a":[1,2,3]})";
    EXPECT_EQ(ResolveFailure(strTree, "b"), (Failure{kErrKeyNotFound, "b"}));
    EXPECT_EQ(ResolveFailure(strTree, "a[5]"), kOutOfRange);
    EXPECT_EQ(ResolveFailure(strTree, "a[3]"), kOutOfRange);
    EXPECT_EQ(ResolveFailure(strTree, "a[-1]"), kOutOfRange);
    EXPECT_EQ(ResolveFailure(strTree, "a[x]"), (Failure{kErrIndexSyntax, "x]"}));
    EXPECT_EQ(ResolveFailure(strTree, "a[3x]"), (Failure{kErrIndexSyntax, "3x]"}));
    EXPECT_EQ(ResolveFailure(strTree, ""), (Failure{kErrNoPath, "(none)"}));
    const std::string strLong(300, 'k');
    EXPECT_EQ(ResolveFailure(strTree, strLong), (Failure{kErrKeyNotFound, strLong.substr(0, 128)}));
    const std::string strSplit = std::string(127, 'k') + "\xE2\x86\x92";  // U+2192 across byte 128
    EXPECT_EQ(ResolveFailure(strTree, strSplit), (Failure{kErrKeyNotFound, std::string(127, 'k')}))
        << "a detail is cut before a character it would split";
}

TEST(FindKeyPath, ReadsTheIndexTextUpToTheLastBracket) {
    const std::string strTree = R"({"a":[0,1,2,3,4]})";
    EXPECT_EQ(Resolved(strTree, "a[ 3]"), 3);
    EXPECT_EQ(Resolved(strTree, "a[+3]"), 3);
    EXPECT_EQ(Resolved(strTree, "a[3]x"), 3) << "the index text 3]x stops at its bracket";
    EXPECT_EQ(Resolved(strTree, "a[2]]"), 2) << "the index text 2]] stops at its first bracket";
    EXPECT_EQ(ResolveFailure(strTree, "a[1][2]"), (Failure{kErrKeyNotFound, "a[1]"}))
        << "the last [ opens the index, the rest is the key";
}

TEST(FindKeyPath, ReadsBracketedKeysToTheDelimiterThatEndsThem) {
    const std::string strTree = R"({"a]b":{"c":1},"a][12]":2,"a]":3,"k":[[5,6]],"a.b":[7,8],"":[9,10,11]})";
    EXPECT_EQ(Resolved(strTree, "[a]b].c"), 1);
    EXPECT_EQ(Resolved(strTree, "[a][12]x"), 2) << "no index: 12] is not followed by the delimiter";
    EXPECT_EQ(Resolved(strTree, "[a]b"), 3) << "the path's last byte closes the key";
    EXPECT_EQ(Resolved(strTree, "[k][0].[][1]"), 6);
    EXPECT_EQ(Resolved(strTree, "[a.b][1]"), 8);
    EXPECT_EQ(Resolved(strTree, "[][2]"), 11);
    EXPECT_EQ(ResolveFailure(strTree, "[a.b][x]"), (Failure{kErrKeyNotFound, "a.b][x"}))
        << "a non-digit index is part of the key";
}

TEST(FindKeyPath, AWideDelimiterIsMatchedAsAWhole) {
    const std::string strE = "\xC3\xA9";                                                // U+00E9
    const std::string strTree = "{\"a\":{\"b\":1,\"\":{\"b\":2}},\"x\xC2\xA9y\":[3]}";  // x, U+00A9, y
    EXPECT_EQ(Resolved(strTree, "a" + strE + "b", strE), 1);
    EXPECT_EQ(Resolved(strTree, "[a]" + strE + "[b]", strE), 1);
    EXPECT_EQ(Resolved(strTree, "a" + strE + "[]" + strE + "b", strE), 2);
    EXPECT_EQ(Resolved(strTree, "x\xC2\xA9y[0]", strE), 3) << "a byte shared with the delimiter is no cut";
    EXPECT_EQ(Resolved(strTree, "[x\xC2\xA9y][0]", strE), 3);
    EXPECT_EQ(ContainerPath(strTree, "a" + strE + "[]", strE), "[a]" + strE + "[]" + strE);
}

TEST(FindKeyPath, WalksByReferenceAndNeverChangesTheTree) {
    value root = boost::json::parse(R"({"a":{"b":[1,2]}})");
    const value before = root;
    EXPECT_EQ(&FindKeyPath(root, "a", kDot), &root.at("a"));
    EXPECT_EQ(&FindKeyPath(root, "a.b[1]", kDot), &root.at("a").at("b").at(1));
    EXPECT_EQ(FailureOf([&] { FindKeyPath(root, "a.c", kDot); }).nCode, kErrKeyNotFound);
    EXPECT_EQ(FailureOf([&] { FindKeyPath(root, "a.b[2]", kDot); }).nCode, kErrIndexRange);
    EXPECT_EQ(root, before);
}

TEST(FindKeyPath, GivesTheNodeItselfAndTheRootForAnArraysEmptyKey) {
    value root = boost::json::parse(R"([{"x":[1]}])");
    EXPECT_EQ(&FindKeyPath(root, "[]", kDot), &root);
    EXPECT_EQ(&FindKeyPath(root, "[][0].x[0]", kDot), &root.as_array()[0].as_object()["x"].as_array()[0]);
}

TEST(ResolveContainerPath, WritesTheCanonicalFormOfThePath) {
    EXPECT_EQ(ContainerPath(R"({"a":{"b":{}}})", "a.b"), "[a].[b].");
    EXPECT_EQ(ContainerPath(R"({"a":{"b":[]}})", "a.b"), "[a].[b]") << "an array reached by a key";
    EXPECT_EQ(ContainerPath(R"({"a":[[]]})", "a[0]"), "[a][0].");
    EXPECT_EQ(ContainerPath(R"({"a":[0,{}]})", "a[ 1]"), "[a][ 1].") << "the index as written";
    EXPECT_EQ(ContainerPath(R"({"x.y":[{}]})", "[x.y].[][0]"), "[x.y].[][0].");
    EXPECT_EQ(ContainerPath(R"({"a":{"b":{}}})", "a/b", "/"), "[a]/[b]/");
    EXPECT_EQ(ContainerPath(R"([[1]])", "[][0]"), "[][0].");
    const Failure f = FailureOf([] { ContainerPath(R"({"a":{}})", "a.q"); });
    EXPECT_EQ(f, (Failure{kErrContainerPath, "q"}));
}

TEST(SplitKeyPath, CutsAtTheLastDelimiterOutsideBrackets) {
    using Parts = std::pair<std::string, std::string>;
    EXPECT_EQ(Split("a.b.c"), (Parts{"a.b", "c"}));
    EXPECT_EQ(Split("a.b[2]"), (Parts{"a", "b[2]"}));
    EXPECT_EQ(Split("x.[a][2]"), (Parts{"x", "[a][2]"}));
    EXPECT_EQ(Split("x.[a.b]"), (Parts{"", "x.[a.b]"}));
    EXPECT_EQ(Split("[a.b][2]"), (Parts{"[a", "b][2]"})) << "a later [ makes the cut";
    EXPECT_EQ(Split(".a"), (Parts{"", ".a"}));
    EXPECT_EQ(Split("a."), (Parts{"", "a."}));
    EXPECT_EQ(Split("abc"), (Parts{"", "abc"}));
    EXPECT_EQ(Split("a/b.c", "/"), (Parts{"a", "b.c"}));
    EXPECT_EQ(Split("a\xC3\xA9"
                    "b",
                    "\xC3\xA9"),
              (Parts{"a", "b"}))
        << "the whole delimiter";
    EXPECT_EQ(Split("a\xC3\xA9"
                    "b\xC2\xA9",
                    "\xC3\xA9"),
              (Parts{"a", "b\xC2\xA9"}));
    EXPECT_EQ(FailureOf([] { Split(""); }), (Failure{kErrNoPath, "(none)"}));
}

TEST(SplitKeySegment, ReadsKeyAndIndexView) {
    using Parts = std::tuple<std::string, std::string, bool>;
    EXPECT_EQ(Segment("[a][2]"), (Parts{"a", "[2]", true}));
    EXPECT_EQ(Segment("[a.b][2]"), (Parts{"a.b", "[2]", true}));
    EXPECT_EQ(Segment("[][2]"), (Parts{"", "[2]", true}));
    EXPECT_EQ(Segment("[a][b][2]"), (Parts{"a][b", "[2]", true}));
    EXPECT_EQ(Segment("[a]b]"), (Parts{"a]b", "-", false}));
    EXPECT_EQ(Segment("[a]x[2]"), (Parts{"a]x[2", "-", false}));
    EXPECT_EQ(Segment("[a]"), (Parts{"a", "-", false}));
    EXPECT_EQ(Segment("[]"), (Parts{"", "-", false}));
    EXPECT_EQ(Segment("b[2]"), (Parts{"b", "[2]", true}));
    EXPECT_EQ(Segment("b[x]"), (Parts{"b", "[x]", true}));
    EXPECT_EQ(Segment("b"), (Parts{"b", "-", false}));
    EXPECT_EQ(Segment("[b"), (Parts{"[b", "-", false}));
    EXPECT_EQ(Segment("b]"), (Parts{"b]", "-", false}));
}

TEST(ConvertIndex, ReadsAsStrtoullAndMustStopAtTheBracket) {
    EXPECT_EQ(ConvertIndex("0]"), 0u);
    EXPECT_EQ(ConvertIndex("]"), 0u);
    EXPECT_EQ(ConvertIndex("007]"), 7u);
    EXPECT_EQ(ConvertIndex("\t\n +12]"), 12u);
    EXPECT_EQ(ConvertIndex("-1]"), UINT64_MAX);
    EXPECT_EQ(ConvertIndex("-2]"), UINT64_MAX - 1);
    EXPECT_EQ(ConvertIndex("18446744073709551615]"), UINT64_MAX);
    EXPECT_EQ(ConvertIndex("18446744073709551616]"), UINT64_MAX);
    EXPECT_EQ(ConvertIndex("-99999999999999999999]"), UINT64_MAX);
    for (const char* szBad : {"x]", "3x]", " ]", "+]", "-]", "3", "", "1 ]", "0x1]"})
        EXPECT_EQ(FailureOf([&] { ConvertIndex(szBad); }), (Failure{kErrIndexSyntax, szBad}));
}

// The C library's own strtoull, base 10, is the model: the same number for
// every text it stops at "]" for, and 20116 for every other.
TEST(ConvertIndex, AgreesWithTheCLibraryOnRandomTexts) {
    std::mt19937 rng(5);
    const std::string strAlphabet = " \t+-0123456789]x";
    for (int n = 0; n < 20000; ++n) {
        std::string strText;
        for (int i = std::uniform_int_distribution<int>(0, 24)(rng); i > 0; --i)
            strText += strAlphabet[std::uniform_int_distribution<size_t>(0, strAlphabet.size() - 1)(rng)];
        char* pEnd = nullptr;
        errno = 0;
        const unsigned long long nExpected = std::strtoull(strText.c_str(), &pEnd, 10);
        if (*pEnd == ']')
            EXPECT_EQ(ConvertIndex(strText), nExpected) << strText;
        else
            EXPECT_EQ(FailureOf([&] { ConvertIndex(strText); }).nCode, kErrIndexSyntax) << strText;
    }
}
