// Reading JSON text: the library's reader against Boost.JSON's parser under
// the same options, given the UTF-8 the host's UTF-16 converts to, with
// the library's own rules for numbers (doubles correctly rounded, none
// beyond the largest double): the corpus verdicts, mutated texts on which
// both must agree in verdict, tree and error, and where the tree lives.
#include <gtest/gtest.h>

#include <algorithm>
#include <boost/json.hpp>
#include <cmath>
#include <optional>
#include <random>
#include <system_error>

#include "json/frame/TextConversion.h"
#include "json/frame/UserException.h"
#include "json/store/JsonReading.h"
#include "platform/Utf8Codec.h"
#include "tests/support/ExactJson.h"
#include "tests/support/JsonCorpus.h"

namespace {

using corpus::Parse;

// What a reading of a text gives: the verdicts of jsParse and jsValid, the
// tree, and the error's description.
struct CReading {
    Parse parse = Parse::ParserError;
    bool bValid = false;
    boost::json::value tree;
    std::string strError;
};

boost::json::parse_options ReferenceOptions() {
    boost::json::parse_options opt;
    opt.max_depth = 512;
    opt.allow_comments = true;
    opt.allow_trailing_commas = true;
    opt.allow_invalid_utf8 = true;
    return opt;
}

// Whether a tree holds a number beyond the largest double, which Boost.JSON
// reads as an infinity and the library refuses.
bool HasInfinity(const boost::json::value& jv) {
    if (jv.is_double()) return std::isinf(jv.get_double());
    if (jv.is_array())
        return std::any_of(jv.get_array().begin(), jv.get_array().end(), [](const auto& e) { return HasInfinity(e); });
    if (jv.is_object())
        return std::any_of(jv.get_object().begin(), jv.get_object().end(),
                           [](const auto& m) { return HasInfinity(m.value()); });
    return false;
}

// The text as the library reads it: without the white space set around it.
std::u16string_view Trimmed(const std::u16string& strText) { return TrimmedText(strText.c_str()); }

// Boost.JSON's reading of the text's UTF-8 (a lone surrogate as U+FFFD),
// with jsValid's rule that the value must be an array or object, and the
// library's that its numbers are doubles. Unset for a text with an exponent
// too long for Boost.JSON to count, which the library reads.
std::optional<CReading> Reference(const std::u16string& strText) {
    const std::string strUtf8 = platform::Utf8Of(Trimmed(strText));
    boost::json::error_code ec;
    size_t nRead = 0;
    CReading reading;
    reading.tree = corpus::ExactParse(strUtf8, ReferenceOptions(), ec, nRead);
    if (ec == boost::json::error::exponent_overflow) return std::nullopt;
    if (ec || HasInfinity(reading.tree)) {
        reading.strError = ec ? ec.message() : "number out of range";
        reading.tree = nullptr;
        return reading;
    }
    reading.parse = reading.tree.is_structured() ? Parse::Container : Parse::NotContainer;
    reading.bValid = reading.tree.is_structured() && nRead == strUtf8.size();
    return reading;
}

CReading Library(const std::u16string& strText) {
    CReading reading;
    reading.bValid = IsValidJson(strText.c_str());
    CTextBuffer scratch;
    try {
        reading.tree = ParseFirstValue(strText.c_str(), scratch);
        reading.parse = reading.tree.is_structured() ? Parse::Container : Parse::NotContainer;
    } catch (const std::system_error& e) {
        reading.strError = e.what();
    } catch (const CUserException& e) {
        EXPECT_EQ(e.m_nCode, kErrParser);
        reading.strError = e.m_strDetail.substr(0, e.m_strDetail.find(':'));
    }
    return reading;
}

// The errors on which Boost.JSON's parser is not consistent with itself: it
// reports a lone low surrogate as leading or trailing by how much text is
// left.
bool IsSurrogateError(const std::string& strError) { return strError.find("surrogate") != std::string::npos; }

// Errors that name the same fault. The library stops at a number beyond the
// largest double, where Boost.JSON reads on and may fail further on.
bool SameError(const std::string& strLibrary, const std::string& strReference) {
    return strLibrary == strReference || strLibrary == "number out of range" ||
           (IsSurrogateError(strLibrary) && IsSurrogateError(strReference));
}

::testing::AssertionResult ReadAlike(const std::u16string& strText) {
    const std::optional<CReading> reference = Reference(strText);
    if (!reference) return ::testing::AssertionSuccess();
    const CReading library = Library(strText);
    if (library.parse != reference->parse || library.bValid != reference->bValid)
        return ::testing::AssertionFailure() << "verdicts differ: " << library.strError << " / " << reference->strError;
    if (library.tree != reference->tree)
        return ::testing::AssertionFailure() << library.tree << " read as " << reference->tree;
    if (!SameError(library.strError, reference->strError))
        return ::testing::AssertionFailure() << "error " << library.strError << " / " << reference->strError;
    return ::testing::AssertionSuccess();
}

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
        {u"[\"" + kHigh + u"\"]", true, Parse::Container},
        {u"[\"" + kLow + kHigh + u"\"]", true, Parse::Container},
        {u"{\"" + kHigh + u"\":1}", true, Parse::Container},
        {u"[\"" + kHigh + u"\\u0041\"]", true, Parse::Container},
        {u"[" + kHigh + u"]", false, Parse::ParserError},
        {u"[1]" + kLow, false, Parse::Container},
        {u"[1 /* " + kHigh + u" */]", true, Parse::Container},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.strText));
        const CReading library = Library(c.strText);
        EXPECT_EQ(library.bValid, c.bValid);
        EXPECT_EQ(library.parse, c.parse);
        EXPECT_TRUE(ReadAlike(c.strText));
    }
    EXPECT_EQ(Library(u"[\"a" + kHigh + u"b\"]").tree, boost::json::array{"a\xEF\xBF\xBD" "b"});
}

// Random edits of the corpus texts, with units from every part of the
// grammar and beyond ASCII: the reader agrees with Boost.JSON in verdict,
// tree and error, and every text jsValid accepts is one jsParse loads.
TEST(JsonCorpus, MutatedTextsReadAsBoostJsonReadsThem) {
    static const char16_t kAlphabet[] = u"[]{}\",:/*\\ \n\t\r0123456789eE.-+truefalsn#u\u00e9\u20ac\xD800\xDC00\xD83D\xDE00";
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
                    case 0: text.insert(nAt, 1, ch); break;
                    case 1: if (nAt < text.size()) text.erase(nAt, 1); break;
                    default: if (nAt < text.size()) text[nAt] = ch; break;
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

TEST(ParseFirstValue, BuildsTheWholeTreeInTheOrdinaryHeap) {
    const std::u16string text = uR"({"a":[1,"a string too long to be kept inline",{"b":{"c":[]}}]} [2])";
    CTextBuffer scratch;
    const boost::json::value jv = ParseFirstValue(text.c_str(), scratch);
    EXPECT_EQ(jv, boost::json::parse(Narrow(text.substr(0, text.size() - 4))));
    const boost::json::storage_ptr heap;
    for (const boost::json::value* p : {&jv, &jv.at("a"), &jv.at("a").at(1), &jv.at("a").at(2),
                                        &jv.at("a").at(2).at("b").at("c")}) {
        EXPECT_EQ(p->storage().get(), heap.get());
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
    const boost::json::value jv = ParseFirstValue(
        u"[1e-2147483648, 0e+9223372036854775807, -1.00000000001e-2147483638, 0.0e99999999999999999999999,"
        u" 1e-0000000000000000000000000000000000000000000000000000000000000000000000000000000000300]",
        scratch);
    ASSERT_EQ(jv.as_array().size(), 5u);
    for (size_t i = 0; i < 4; ++i) EXPECT_EQ(jv.as_array()[i], boost::json::value(0.0)) << i;
    EXPECT_TRUE(std::signbit(jv.as_array()[2].as_double()));
    EXPECT_EQ(jv.as_array()[4], boost::json::value(1e-300));
    EXPECT_EQ(ErrorText(u"[1e2147483648]"), "number out of range: 1e2147483648 at line 1, column 2");
    EXPECT_FALSE(IsValidJson(u"[1e99999999999999999999]"));
    EXPECT_TRUE(IsValidJson(u"[1e-99999999999999999999]"));
}
