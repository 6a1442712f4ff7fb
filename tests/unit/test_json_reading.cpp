// Reading JSON text: the library's reader against Boost.JSON's parser under
// the same options, given the UTF-8 the host's UTF-16 converts to, with
// the library's own rules for numbers (doubles correctly rounded, none
// beyond the largest double): the corpus verdicts, mutated texts on which
// both must agree in verdict, tree and error, and where the tree lives.
#include <boost/json.hpp>
#include <cmath>
#include <gtest/gtest.h>
#include <random>

#include "json/frame/TextConversion.h"
#include "tests/support/ReaderDifferential.h"

namespace {

using corpus::Parse;
using reference::CReading;

CReading Library(const std::u16string& strText) { return reference::LibraryRead(strText); }

::testing::AssertionResult ReadAlike(const std::u16string& strText) {
    const std::string strDifference = reference::Disagreement(strText);
    if (strDifference.empty()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << strDifference;
}

// The text as the library reads it: without the white space set around it.
std::u16string_view Trimmed(const std::u16string& strText) { return TrimmedText(strText.c_str()); }

std::string Narrow(const std::u16string& str) { return platform::Utf8Of(str); }

std::string ErrorText(const std::u16string& strText) {
    CTextBuffer scratch;
    try {
        ParseFirstValue(strText.c_str(), scratch);
    } catch (const std::system_error& e) {
        return e.what();
    } catch (const CUserException& e) {
        return e.m_strDetail;
    }
    return "no error";
}

}  // namespace

TEST(JsonCorpus, VerdictsHoldForTheLibraryAndForBoostJson) {
    for (const corpus::Case& c : corpus::Cases()) {
        SCOPED_TRACE(std::string(c.szGroup) + ": " + Narrow(c.strText));
        const CReading library = Library(c.strText);
        EXPECT_EQ(library.bValid, c.bValid);
        EXPECT_EQ(library.parse, c.parse);
        EXPECT_TRUE(ReadAlike(c.strText));
    }
}

// Lone surrogates, which a host text can carry: inside strings they read as
// U+FFFD, as the host's texts convert; outside strings nothing but white
// space and comments may stand.
TEST(JsonCorpus, LoneSurrogatesAreAcceptedOnlyInsideStrings) {
    const std::u16string kHigh(1, char16_t(0xD800)), kLow(1, char16_t(0xDC00));
    const struct {
        std::u16string strText;
        bool bValid;
        Parse parse;
    } cases[] = {
        {u"[\"" + kHigh + u"\"]", true, Parse::Container},     {u"[\"" + kLow + kHigh + u"\"]", true, Parse::Container},
        {u"{\"" + kHigh + u"\":1}", true, Parse::Container},   {u"[\"" + kHigh + u"\\u0041\"]", true, Parse::Container},
        {u"[" + kHigh + u"]", false, Parse::ParserError},      {u"[1]" + kLow, false, Parse::Container},
        {u"[1 /* " + kHigh + u" */]", true, Parse::Container},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.strText));
        const CReading library = Library(c.strText);
        EXPECT_EQ(library.bValid, c.bValid);
        EXPECT_EQ(library.parse, c.parse);
        EXPECT_TRUE(ReadAlike(c.strText));
    }
    EXPECT_EQ(Library(u"[\"a" + kHigh + u"b\"]").tree, boost::json::array{"a\xEF\xBF\xBD"
                                                                          "b"});
}

// Random edits of the corpus texts, with units from every part of the
// grammar and beyond ASCII: the reader agrees with Boost.JSON in verdict,
// tree and error, and every text jsValid accepts is one jsParse loads.
TEST(JsonCorpus, MutatedTextsReadAsBoostJsonReadsThem) {
    static const char16_t kAlphabet[] =
        u"[]{}\",:/*\\ \n\t\r0123456789eE.-+truefalsn#u\u00e9\u20ac\xD800\xDC00\xD83D\xDE00";
    std::mt19937 random(20240607);
    auto pick = [&](size_t nBound) { return std::uniform_int_distribution<size_t>(0, nBound - 1)(random); };
    int nValid = 0;
    for (const corpus::Case& c : corpus::Cases()) {
        if (c.strText.size() > 1000) continue;  // the deep nestings: their edits say nothing new
        for (int nRound = 0; nRound < 300; ++nRound) {
            std::u16string text(Trimmed(c.strText));
            for (size_t nEdits = 1 + pick(3); nEdits > 0; --nEdits) {
                const size_t nAt = text.empty() ? 0 : pick(text.size() + 1);
                const char16_t ch = kAlphabet[pick(std::size(kAlphabet) - 1)];
                switch (pick(3)) {
                    case 0:
                        text.insert(nAt, 1, ch);
                        break;
                    case 1:
                        if (nAt < text.size()) text.erase(nAt, 1);
                        break;
                    default:
                        if (nAt < text.size()) text[nAt] = ch;
                        break;
                }
            }
            SCOPED_TRACE(Narrow(text));
            ASSERT_TRUE(ReadAlike(text));
            if (IsValidJson(text.c_str())) {
                ++nValid;
                ASSERT_EQ(Library(text).parse, Parse::Container);
            }
        }
    }
    EXPECT_GT(nValid, 100) << "the edits should leave a fair share of texts valid";
}

TEST(ParseFirstValue, BuildsTheWholeTreeInItsArena) {
    const std::u16string text = uR"({"a":[1,"a string too long to be kept inline",{"b":{"c":[]}}]} [2])";
    CTextBuffer scratch;
    const CParsedTree tree = ParseFirstValue(text.c_str(), scratch);
    const boost::json::value& jv = tree.root;
    EXPECT_EQ(jv, boost::json::parse(Narrow(text.substr(0, text.size() - 4))));
    for (const boost::json::value* p :
         {&jv, &jv.at("a"), &jv.at("a").at(1), &jv.at("a").at(2), &jv.at("a").at(2).at("b").at("c")}) {
        EXPECT_EQ(p->storage().get(), tree.pArena.get());
        EXPECT_FALSE(p->storage().is_shared());
    }
}

TEST(ParseFirstValue, FailsWithTheParsersOwnDescription) {
    EXPECT_EQ(ErrorText(u"[1,,]"), "syntax error");
    EXPECT_EQ(ErrorText(u""), "incomplete JSON");
    EXPECT_EQ(ErrorText(u"[1"), "incomplete JSON");
    EXPECT_EQ(ErrorText(u"[\"\\u12G4\"]"), "expected hex digit");
    EXPECT_EQ(ErrorText(std::u16string(513, '[') + std::u16string(513, ']')), "too deep");
}

TEST(ParseFirstValue, NamesANumberBeyondTheLargestDoubleAndWhereItStands) {
    EXPECT_EQ(ErrorText(u"[1, 1e309]"), "number out of range: 1e309 at line 1, column 5");
    EXPECT_EQ(ErrorText(u"\r\n {\"\u00e9\":\n  [\"\u00e9\U0001F600\", -123.456e789]}"),
              "number out of range: -123.456e789 at line 3, column 10");
    EXPECT_EQ(ErrorText(u"[" + std::u16string(50, '9') + u"e300]"),
              "number out of range: " + std::string(40, '9') + "... at line 1, column 2");
}

// Exponents of any length are read: beyond the range of doubles they give
// zero or a refusal, however many digits they have.
TEST(ParseFirstValue, ReadsExponentsOfAnyLength) {
    CTextBuffer scratch;
    const CParsedTree tree = ParseFirstValue(
        u"[1e-2147483648, 0e+9223372036854775807, -1.00000000001e-2147483638, 0.0e99999999999999999999999,"
        u" 1e-0000000000000000000000000000000000000000000000000000000000000000000000000000000000300]",
        scratch);
    const boost::json::value& jv = tree.root;
    ASSERT_EQ(jv.as_array().size(), 5u);
    for (size_t i = 0; i < 4; ++i) EXPECT_EQ(jv.as_array()[i], boost::json::value(0.0)) << i;
    EXPECT_TRUE(std::signbit(jv.as_array()[2].as_double()));
    EXPECT_EQ(jv.as_array()[4], boost::json::value(1e-300));
    EXPECT_EQ(ErrorText(u"[1e2147483648]"), "number out of range: 1e2147483648 at line 1, column 2");
    EXPECT_FALSE(IsValidJson(u"[1e99999999999999999999]"));
    EXPECT_TRUE(IsValidJson(u"[1e-99999999999999999999]"));
}
