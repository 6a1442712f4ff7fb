// Text conversion between UTF-16 and UTF-8, with trimming, and the UTF-8
// codec that emulates the Windows conversion calls off Windows.
#include <algorithm>
#include <gtest/gtest.h>
#include <iterator>
#include <random>

#include "json/frame/TextConversion.h"
#include "platform/Platform.h"
#include "platform/Utf8Codec.h"

namespace {

std::string ToUtf8(const std::u16string& str) {
    std::string strOut;
    Utf16ToUtf8(str.c_str(), strOut);
    return strOut;
}

std::u16string Decode(const std::string& strBytes) {
    std::u16string strOut;
    platform::DecodeUtf8(strBytes.data(), strBytes.size(), strOut);
    return strOut;
}

}  // namespace

TEST(Utf16ToUtf8, KeepsWhitespaceAndEncodesAllPlanes) {
    EXPECT_EQ(ToUtf8(u" "), " ");
    EXPECT_EQ(ToUtf8(u""), "");
    EXPECT_EQ(ToUtf8(u"a\u00e9\u20ac\U0001F600"), "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
}

TEST(Utf16ToUtf8, LoneSurrogatesBecomeReplacementCharacters) {
    EXPECT_EQ(ToUtf8(std::u16string{0xD800}), "\xEF\xBF\xBD");
    EXPECT_EQ(ToUtf8(std::u16string{u'a', 0xDC00, u'b'}),
              "a\xEF\xBF\xBD"
              "b");
    // A high surrogate followed by another high one: each stands alone.
    EXPECT_EQ(ToUtf8(std::u16string{0xD800, 0xD800, 0xDC00}), "\xEF\xBF\xBD\xF0\x90\x80\x80");
}

TEST(Utf16ToUtf8Trimmed, ViewsTheTextWithoutSurroundingWhitespace) {
    std::string strOut;
    std::string_view view;
    Utf16ToUtf8Trimmed(u"  {\"a\":1}\r\n", strOut, view);
    EXPECT_EQ(view, "{\"a\":1}");
    Utf16ToUtf8Trimmed(u" \t\n\r\f\v", strOut, view);
    EXPECT_TRUE(view.empty());
    Utf16ToUtf8Trimmed(u"", strOut, view);
    EXPECT_TRUE(view.empty());
    Utf16ToUtf8Trimmed(u"\va b\f", strOut, view);
    EXPECT_EQ(view, "a b") << "interior whitespace stays";
}

TEST(Utf8ToUtf16, StopsAtAnEmbeddedNul) {
    std::u16string strOut = u"previous";
    Utf8ToUtf16(std::string_view("ab\0cd", 5), strOut);
    EXPECT_EQ(strOut, u"ab");
    Utf8ToUtf16(std::string_view("", 0), strOut);
    EXPECT_EQ(strOut, u"");
    Utf8ToUtf16("\xE2\x82\xAC\xF0\x9F\x98\x80", strOut);
    EXPECT_EQ(strOut, u"\u20ac\U0001F600");
}

TEST(TrimmedText, RemovesOnlyTheSixCharactersAtBothEnds) {
    EXPECT_EQ(TrimmedText(u"\t *obj12* \n"), u"*obj12*");
    EXPECT_EQ(TrimmedText(u"\u00a0x\u00a0"), u"\u00a0x\u00a0");
}

TEST(Utf8Codec, ReplacesEachMaximalInvalidSubpart) {
    EXPECT_EQ(Decode("a\x80"
                     "b"),
              u"a\uFFFD"
              "b");
    EXPECT_EQ(Decode("\xC0\xAF"), u"\uFFFD\uFFFD") << "overlong lead bytes are invalid alone";
    EXPECT_EQ(Decode("\xE2\x82"), u"\uFFFD") << "a truncated sequence is one replacement";
    EXPECT_EQ(Decode("\xE2\x82"
                     "A"),
              u"\uFFFD"
              "A");
    EXPECT_EQ(Decode("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD") << "encoded surrogates are invalid";
    EXPECT_EQ(Decode("\xF4\x90\x80\x80"), u"\uFFFD\uFFFD\uFFFD\uFFFD") << "above U+10FFFF";
    EXPECT_EQ(Decode("\xF0\x9F\x98"), u"\uFFFD");
    EXPECT_EQ(Decode("\xFF\xFE"), u"\uFFFD\uFFFD");
}

TEST(Utf8Codec, CountsAsTheWindowsCallsDo) {
    // With the terminator counted, measuring and converting agree.
    EXPECT_EQ(platform::WideToUtf8(u"\u00e9", -1, nullptr, 0), 3);
    char szOut[3];
    EXPECT_EQ(platform::WideToUtf8(u"\u00e9", -1, szOut, 3), 3);
    EXPECT_EQ(std::string(szOut), "\xC3\xA9");
    EXPECT_EQ(platform::WideToUtf8(u"\u00e9", -1, szOut, 2), 0) << "too small a buffer fails";
    EXPECT_EQ(platform::Utf8ToWide("abc", 3, nullptr, 0), 3);
    EXPECT_EQ(platform::Utf8ToWide("abc", 0, nullptr, 0), 0) << "an empty input is refused";
}

namespace {

// Text of ASCII runs long and short (slashes among them), two- and three-byte characters and
// surrogate pairs, so that every kind of unit meets every block position.
std::u16string MixedText(std::mt19937& random, size_t nUnits) {
    static const char16_t kPieces[][3] = {{u'a'},  {u'"'},  {u'/'},   {0x7F},   {0x80},           {0xE9},
                                          {0x7FF}, {0x800}, {0x20AC}, {0xFFFF}, {0xD83D, 0xDE00}, {0xDBFF, 0xDFFF}};
    std::u16string strText;
    while (strText.size() < nUnits) {
        const auto& piece = kPieces[random() % std::size(kPieces)];
        const size_t nRepeat = random() % 4 == 0 ? random() % 40 : 1;
        for (size_t i = 0; i < nRepeat; ++i) strText += piece;
    }
    return strText;
}

std::string ReplacingEncode(const std::u16string& str) {
    std::string strOut;
    platform::EncodeUtf8(str.data(), str.size(), strOut);
    return strOut;
}

}  // namespace

TEST(Utf8Codec, TextLengthFindsTheTerminatorAtEveryAlignment) {
    alignas(64) char16_t buffer[256];
    for (size_t nStart = 0; nStart < 40; ++nStart) {
        for (size_t nLength = 0; nLength + nStart < 255; ++nLength) {
            std::fill(std::begin(buffer), std::end(buffer), u'x');
            buffer[nStart + nLength] = 0;
            ASSERT_EQ(platform::TextLength(buffer + nStart), nLength) << "from unit " << nStart;
        }
    }
}

// The well-formed conversions give the replacing ones' result on well-formed
// text, and refuse malformed text wherever the fault stands.
TEST(Utf8Codec, WellFormedConversionsAgreeAndRefuseMalformedText) {
    std::mt19937 random(7);
    for (int nRound = 0; nRound < 300; ++nRound) {
        const std::u16string strText = MixedText(random, random() % 200);
        const std::string strUtf8 = ReplacingEncode(strText);
        std::string strOut(strText.size() * 3, '\0');
        ASSERT_EQ(platform::EncodeWellFormedUtf8(strText.data(), strText.size(), strOut.data()), strUtf8.size());
        ASSERT_EQ(strOut.substr(0, strUtf8.size()), strUtf8);
        std::u16string strBack(strUtf8.size(), u'\0');
        ASSERT_EQ(platform::DecodeWellFormedUtf8(strUtf8.data(), strUtf8.size(), strBack.data()), strText.size());
        ASSERT_EQ(strBack.substr(0, strText.size()), strText);

        const size_t nAt = random() % (strText.size() + 1);
        std::u16string strLone = strText;
        strLone.insert(nAt, 1, random() % 2 ? char16_t(0xDC00) : char16_t(0xD800));
        strLone.insert(nAt + 1, 1, u'z');  // never the partner of a high surrogate
        strOut.assign(strLone.size() * 3, '\0');
        ASSERT_EQ(platform::EncodeWellFormedUtf8(strLone.data(), strLone.size(), strOut.data()), platform::kMalformed);
        std::string strBad = strUtf8;
        strBad.insert(random() % (strBad.size() + 1), 1, '\xFF');
        strBack.assign(strBad.size(), u'\0');
        ASSERT_EQ(platform::DecodeWellFormedUtf8(strBad.data(), strBad.size(), strBack.data()), platform::kMalformed);
    }
}

// Texts longer than one conversion piece: a pair across the boundary stays
// whole, and a lone surrogate or invalid byte far in gets the platform's
// rules.
TEST(Utf16ToUtf8, LongTextsConvertAsAWhole) {
    std::mt19937 random(11);
    for (const size_t nUnits : {16383u, 16384u, 16385u, 40000u}) {
        std::u16string strText = MixedText(random, nUnits);
        strText[16383] = 0xD83D;
        strText.insert(16384, 1, char16_t(0xDE00));
        EXPECT_EQ(ToUtf8(strText), ReplacingEncode(strText));
        strText.insert(strText.size() - 100, 1, char16_t(0xDBFF));
        strText.insert(strText.size() - 100, 1, u'x');
        EXPECT_EQ(ToUtf8(strText), ReplacingEncode(strText)) << "a lone surrogate late in the text";

        const std::string strUtf8 = ReplacingEncode(strText) +
                                    "\xE2\x82"
                                    "A";
        std::u16string strOut;
        Utf8ToUtf16(strUtf8, strOut);
        EXPECT_EQ(strOut, Decode(strUtf8)) << "a truncated sequence late in the text";
    }
}
