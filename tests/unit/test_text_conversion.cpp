// Text conversion between UTF-16 and UTF-8, with trimming, and the UTF-8
// codec that emulates the Windows conversion calls off Windows.
#include <gtest/gtest.h>

#include "json/TextConversion.h"
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
    EXPECT_EQ(ToUtf8(std::u16string{u'a', 0xDC00, u'b'}), "a\xEF\xBF\xBD" "b");
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

TEST(TrimWhitespace, RemovesOnlyTheSixCharactersAtBothEnds) {
    std::u16string str16 = u"\t *obj12* \n";
    TrimWhitespace(str16);
    EXPECT_EQ(str16, u"*obj12*");
    std::u16string strNbsp = u"\u00a0x\u00a0";
    TrimWhitespace(strNbsp);
    EXPECT_EQ(strNbsp, u"\u00a0x\u00a0");
}

TEST(Utf8Codec, ReplacesEachMaximalInvalidSubpart) {
    EXPECT_EQ(Decode("a\x80" "b"), u"a\uFFFD" "b");
    EXPECT_EQ(Decode("\xC0\xAF"), u"\uFFFD\uFFFD") << "overlong lead bytes are invalid alone";
    EXPECT_EQ(Decode("\xE2\x82"), u"\uFFFD") << "a truncated sequence is one replacement";
    EXPECT_EQ(Decode("\xE2\x82" "A"), u"\uFFFD" "A");
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
