// Reading JSON text: the corpus verdicts of jsValid and jsParse checked on
// the library's readers and on Boost.JSON itself under the same options,
// mutated texts on which both must agree, and where the parsed tree lives.
#include <gtest/gtest.h>

#include <algorithm>
#include <boost/json.hpp>
#include <cmath>
#include <random>
#include <system_error>

#include "json/frame/TextConversion.h"
#include "json/frame/UserException.h"
#include "json/store/JsonReading.h"
#include "tests/support/JsonCorpus.h"

namespace {

using corpus::Parse;

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

// Boost.JSON's whole-text parse, with jsValid's rule that the value must be
// an array or object, and the library's that its numbers are doubles.
bool ReferenceValid(std::string_view text) {
    boost::system::error_code ec;
    const boost::json::value jv = boost::json::parse(text, ec, {}, ReferenceOptions());
    return !ec && jv.is_structured() && !HasInfinity(jv);
}

// Boost.JSON's parser reading the first value of the text.
Parse ReferenceParse(std::string_view text) {
    boost::json::parser parser({}, ReferenceOptions());
    boost::system::error_code ec;
    parser.write_some(text.data(), text.size(), ec);
    if (ec) return Parse::ParserError;
    const boost::json::value jv = parser.release();
    if (HasInfinity(jv)) return Parse::ParserError;
    return jv.is_structured() ? Parse::Container : Parse::NotContainer;
}

// The text handed out in pieces of nBytes, as the readers take a long text.
class CSplitText final : public CTextPieces {
public:
    CSplitText(std::string_view text, size_t nBytes) : m_text(text), m_rest(text), m_nBytes(nBytes) {}
    std::string_view Next() override {
        const std::string_view piece = m_rest.substr(0, m_nBytes);
        m_rest.remove_prefix(piece.size());
        return piece;
    }
    std::string_view Whole() override { return m_text; }
    CTextPlace PlaceOf(size_t nByte) override {
        CTextPlace place;
        for (const char c : m_text.substr(0, nByte)) {
            if (c == '\n') place = {place.nLine + 1, 1};
            else if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++place.nColumn;
        }
        return place;
    }

private:
    std::string_view m_text;
    std::string_view m_rest;
    size_t m_nBytes;
};

// The piece lengths every reading is tried with: the whole text, and pieces
// that end inside every token and comment.
constexpr size_t kPieceBytes[] = {1, 2, 5};

boost::json::value ParseFirstValue(std::string_view text, size_t nBytes = SIZE_MAX) {
    CSplitText pieces(text, nBytes);
    return ::ParseFirstValue(pieces);
}

// jsValid's verdict, the same for the text whole and in pieces.
bool IsValidJson(std::string_view text) {
    const auto valid = [text](size_t nBytes) {
        CSplitText pieces(text, nBytes);
        return ::IsValidJson(pieces);
    };
    const bool bValid = valid(SIZE_MAX);
    for (const size_t nBytes : kPieceBytes) EXPECT_EQ(valid(nBytes), bValid) << nBytes << " bytes a piece";
    return bValid;
}

Parse LibraryParse(std::string_view text, size_t nBytes) {
    try {
        return ParseFirstValue(text, nBytes).is_structured() ? Parse::Container : Parse::NotContainer;
    } catch (const std::system_error&) {
        return Parse::ParserError;
    } catch (const CUserException& e) {
        EXPECT_EQ(e.m_nCode, kErrParser);
        return Parse::ParserError;
    }
}

// jsParse's verdict, the same for the text whole and in pieces; in pieces
// the same tree.
Parse LibraryParse(std::string_view text) {
    const Parse parse = LibraryParse(text, SIZE_MAX);
    for (const size_t nBytes : kPieceBytes) {
        EXPECT_EQ(LibraryParse(text, nBytes), parse) << nBytes << " bytes a piece";
        if (parse != Parse::ParserError) {
            EXPECT_EQ(ParseFirstValue(text, nBytes), ParseFirstValue(text));
        }
    }
    return parse;
}

std::string Trimmed(const std::u16string& strText) {
    std::string strUtf8;
    std::string_view view;
    Utf16ToUtf8Trimmed(strText.c_str(), strUtf8, view);
    return std::string(view);
}

std::string ErrorText(std::string_view text, size_t nBytes) {
    try {
        ParseFirstValue(text, nBytes);
    } catch (const std::system_error& e) {
        return e.what();
    } catch (const CUserException& e) {
        return e.m_strDetail;
    }
    return "no error";
}

// The parser's description, the same for the text whole and in pieces.
std::string ErrorText(std::string_view text) {
    const std::string strError = ErrorText(text, SIZE_MAX);
    for (const size_t nBytes : kPieceBytes) EXPECT_EQ(ErrorText(text, nBytes), strError) << nBytes << " bytes a piece";
    return strError;
}

}  // namespace

TEST(JsonCorpus, VerdictsHoldForTheLibraryAndForBoostJson) {
    for (const corpus::Case& c : corpus::Cases()) {
        const std::string text = Trimmed(c.strText);
        SCOPED_TRACE(std::string(c.szGroup) + ": " + text);
        EXPECT_EQ(IsValidJson(text), c.bValid);
        EXPECT_EQ(ReferenceValid(text), c.bValid);
        EXPECT_EQ(LibraryParse(text), c.parse);
        EXPECT_EQ(ReferenceParse(text), c.parse);
    }
}

// Bytes a host text can't carry: the library accepts any bytes inside
// strings, and none outside them.
TEST(JsonCorpus, MalformedUtf8IsAcceptedOnlyInsideStrings) {
    const struct {
        std::string text;
        bool bValid;
        Parse parse;
    } cases[] = {
        {"[\"\xff\xfe\"]", true, Parse::Container},
        {"[\"\xc3\"]", true, Parse::Container},
        {"[\"\xed\xa0\x80\"]", true, Parse::Container},
        {"{\"\xff\":1}", true, Parse::Container},
        {"[\xff]", false, Parse::ParserError},
        {"[1]\xff", false, Parse::Container},
        {std::string("[1]\0", 4), false, Parse::Container},
        {std::string("[\0]", 3), false, Parse::ParserError},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(IsValidJson(c.text), c.bValid);
        EXPECT_EQ(ReferenceValid(c.text), c.bValid);
        EXPECT_EQ(LibraryParse(c.text), c.parse);
        EXPECT_EQ(ReferenceParse(c.text), c.parse);
    }
}

// Random edits of the corpus texts: the readers agree with Boost.JSON, and
// every text jsValid accepts is one jsParse loads.
TEST(JsonCorpus, MutatedTextsAgreeWithBoostJson) {
    static const char kAlphabet[] = "[]{}\",:/*\\ \n\t0123456789eE.-+truefalsn#\x80\xff";
    std::mt19937 random(20240607);
    auto pick = [&](size_t nBound) { return std::uniform_int_distribution<size_t>(0, nBound - 1)(random); };
    int nValid = 0;
    for (const corpus::Case& c : corpus::Cases()) {
        for (int nRound = 0; nRound < 200; ++nRound) {
            std::string text = Trimmed(c.strText);
            for (size_t nEdits = 1 + pick(3); nEdits > 0; --nEdits) {
                const size_t nAt = text.empty() ? 0 : pick(text.size() + 1);
                const char ch = kAlphabet[pick(sizeof kAlphabet - 1)];
                switch (pick(3)) {
                    case 0: text.insert(nAt, 1, ch); break;
                    case 1: if (nAt < text.size()) text.erase(nAt, 1); break;
                    default: if (nAt < text.size()) text[nAt] = ch; break;
                }
            }
            SCOPED_TRACE(text);
            const bool bValid = IsValidJson(text);
            ASSERT_EQ(bValid, ReferenceValid(text));
            ASSERT_EQ(LibraryParse(text), ReferenceParse(text));
            if (bValid) {
                ++nValid;
                ASSERT_EQ(LibraryParse(text), Parse::Container);
            }
        }
    }
    EXPECT_GT(nValid, 100) << "the edits should leave a fair share of texts valid";
}

TEST(ParseFirstValue, BuildsTheWholeTreeInTheOrdinaryHeap) {
    const std::string text = R"({"a":[1,"a string too long to be kept inline",{"b":{"c":[]}}]} [2])";
    const boost::json::value jv = ParseFirstValue(text);
    EXPECT_EQ(jv, boost::json::parse(text.substr(0, text.size() - 4)));
    const boost::json::storage_ptr heap;
    for (const boost::json::value* p : {&jv, &jv.at("a"), &jv.at("a").at(1), &jv.at("a").at(2),
                                        &jv.at("a").at(2).at("b").at("c")}) {
        EXPECT_EQ(p->storage().get(), heap.get());
        EXPECT_FALSE(p->storage().is_shared());
    }
}

TEST(ParseFirstValue, FailsWithTheParsersOwnDescription) {
    EXPECT_EQ(ErrorText("[1,,]"), "syntax error");
    EXPECT_EQ(ErrorText(""), "incomplete JSON");
    EXPECT_EQ(ErrorText("[1"), "incomplete JSON");
    EXPECT_EQ(ErrorText(std::string(513, '[') + std::string(513, ']')), "too deep");
}

TEST(ParseFirstValue, NamesANumberBeyondTheLargestDoubleAndWhereItStands) {
    EXPECT_EQ(ErrorText("[1, 1e309]"), "number out of range: 1e309 at line 1, column 5");
    EXPECT_EQ(ErrorText("{\"\u00e9\":\n  [\"\u00e9\u20ac\", -123.456e789]}"),
              "number out of range: -123.456e789 at line 2, column 10");
    EXPECT_EQ(ErrorText("[" + std::string(50, '9') + "e300]"),
              "number out of range: " + std::string(40, '9') + "... at line 1, column 2");
}
