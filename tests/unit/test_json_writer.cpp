// The JSON writer: layouts, scalar texts and string literals, byte for byte.
#include <boost/json.hpp>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <gtest/gtest.h>
#include <random>
#include <string>

#include "json/output/JsonWriter.h"
#include "json/output/NumberWriting.h"
#include "json/output/ShortestDouble.h"
#include "platform/Simd.h"
#include "platform/Utf8Codec.h"

namespace {

// The storage of every text written here: each text must be whole in it
// whatever it held before.
CTextBuffer g_storage;

std::string Write(const boost::json::value& jv, bool bIndented) {
    const char* szText = WriteJson<char>(jv, bIndented, g_storage);
    EXPECT_EQ(g_storage.View().size(), std::strlen(szText) + 1) << "the text and its NUL";
    return szText;
}

std::u16string Write16(const boost::json::value& jv, bool bIndented) {
    const char16_t* szText = WriteJson<char16_t>(jv, bIndented, g_storage);
    const std::u16string strText = szText;
    EXPECT_EQ(g_storage.View().size(), (strText.size() + 1) * sizeof(char16_t)) << "the text and its NUL";
    return strText;
}

std::string Formatted(double d) {
    char szText[32];
    return std::string(szText, FormatDouble(d, szText));
}

// The writer's reference, by the C library of this platform, a faithful
// "%g" and strtod: "%.Ng" with N the fewest digits from six up whose text
// reads back to d.
std::string PrintfReadingBack(double d) {
    char szText[64];
    for (int nDigits = 6;; ++nDigits) {
        std::snprintf(szText, sizeof szText, "%.*g", nDigits, d);
        if (std::strtod(szText, nullptr) == d) return szText;
    }
}

// The writer's text of d is the reference's, or, where the nearest N-digit
// text misses d but another N-digit text reads back (next to a power of
// two, whose lower neighbour is nearer), a shorter text that reads back.
::testing::AssertionResult WrittenAsPrintfReadingBack(double d) {
    const std::string strText = Formatted(d), strReference = PrintfReadingBack(d);
    if (strText == strReference) return ::testing::AssertionSuccess();
    const auto digits = [](const std::string& str) {
        return std::count_if(str.begin(),
                             str.begin() + static_cast<std::ptrdiff_t>(str.find_first_of("eE") == std::string::npos
                                                                           ? str.size()
                                                                           : str.find_first_of("eE")),
                             [](char c) { return c >= '0' && c <= '9'; });
    };
    if (std::strtod(strText.c_str(), nullptr) == d && digits(strText) < digits(strReference))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "wrote " << strText << ", printf " << strReference;
}

// The text of one scalar, read out of a one-element array.
std::string ScalarText(const boost::json::value& jv) {
    const std::string strArray = Write(boost::json::array{jv}, false);
    return strArray.substr(1, strArray.size() - 2);
}

}  // namespace

TEST(JsonWriter, WritesBothLayoutsOfTheSameTree) {
    const boost::json::value jv = boost::json::object{
        {"name", "A"}, {"list", boost::json::array{1, 2.5, true}}, {"empty", boost::json::object{}}};
    EXPECT_EQ(Write(jv, false), R"({"name" : "A","list" : [1,2.5,true],"empty" : {}})");
    EXPECT_EQ(Write(jv, true),
              "{\n"
              "    \"name\" : \"A\",\n"
              "    \"list\" : [\n"
              "        1,\n"
              "        2.5,\n"
              "        true\n"
              "    ],\n"
              "    \"empty\" : {\n"
              "\n"
              "    }\n"
              "}\n");
}

TEST(JsonWriter, EmptyContainersHoldAnEmptyLineWhenIndented) {
    EXPECT_EQ(Write(boost::json::object{}, false), "{}");
    EXPECT_EQ(Write(boost::json::array{}, false), "[]");
    EXPECT_EQ(Write(boost::json::object{}, true), "{\n\n}\n");
    EXPECT_EQ(Write(boost::json::array{}, true), "[\n\n]\n");
    EXPECT_EQ(Write(boost::json::array{boost::json::array{}, nullptr}, true), "[\n    [\n\n    ],\n    null\n]\n");
}

TEST(JsonWriter, KeepsTheStoredMemberOrder) {
    boost::json::object obj;
    obj["z"] = 1;
    obj["a"] = 2;
    obj["m"] = 3;
    EXPECT_EQ(Write(obj, false), R"({"z" : 1,"a" : 2,"m" : 3})");
}

// Six digits where they read back, as "%g" always wrote doubles; as many as
// reading back needs where they do not.
TEST(JsonWriter, WritesDoublesWithTheDigitsThatReadBack) {
    EXPECT_EQ(ScalarText(2.0), "2");
    EXPECT_EQ(ScalarText(0.1), "0.1");
    EXPECT_EQ(ScalarText(0.0001), "0.0001");
    EXPECT_EQ(ScalarText(0.00001), "1e-05");
    EXPECT_EQ(ScalarText(-0.0), "-0");
    EXPECT_EQ(ScalarText(-1.5e300), "-1.5e+300");
    EXPECT_EQ(ScalarText(123456.0), "123456");
    EXPECT_EQ(ScalarText(3.14159265), "3.14159265");
    EXPECT_EQ(ScalarText(1234567.0), "1234567");
    EXPECT_EQ(ScalarText(1234.5678), "1234.5678");
    EXPECT_EQ(ScalarText(1702212345.123), "1702212345.123");
    EXPECT_EQ(ScalarText(12345678901234567e10), "1.2345678901234568e+26");
    EXPECT_EQ(ScalarText(0.000123456789), "0.000123456789");
    EXPECT_EQ(ScalarText(1.7976931348623157e308), "1.7976931348623157e+308");
    EXPECT_EQ(ScalarText(4.9406564584124654e-324), "4.94066e-324");
    EXPECT_EQ(ScalarText(2.5e-323), "2.47033e-323") << "six digits that read back, though one would";
}

// The C library of this platform is a faithful "%g"; the writer must agree
// with it everywhere, without using it.
TEST(JsonWriter, AgreesWithPrintfOnRandomDoubles) {
    std::mt19937_64 random(42);
    std::uniform_int_distribution<int> exponent(-320, 308);
    std::uniform_real_distribution<double> mantissa(-10.0, 10.0);
    for (int i = 0; i < 20000; ++i) {
        const double d = mantissa(random) * std::pow(10.0, exponent(random));
        if (!std::isfinite(d)) continue;
        ASSERT_TRUE(WrittenAsPrintfReadingBack(d)) << d;
    }
}

TEST(JsonWriter, WritesIntegersOfTheFullRanges) {
    EXPECT_EQ(ScalarText(UINT64_MAX), "18446744073709551615");
    EXPECT_EQ(ScalarText(INT64_MIN), "-9223372036854775808");
    EXPECT_EQ(ScalarText(0), "0");
    EXPECT_EQ(ScalarText(nullptr), "null");
    EXPECT_EQ(ScalarText(false), "false");
}

TEST(JsonWriter, EscapesStringsExactlyAsTheLibrarySerializerDoes) {
    for (int c = 0; c < 256; ++c) {
        const std::string strText = std::string("a") + static_cast<char>(c) + "z";
        ASSERT_EQ(ScalarText(boost::json::string(strText)), boost::json::serialize(boost::json::string(strText)))
            << "byte " << c;
    }
    EXPECT_EQ(ScalarText(boost::json::string("\t\x01/\xC3\xA9\x7F")), "\"\\t\\u0001/\xC3\xA9\x7F\"");
}

TEST(JsonWriter, WritesStringsAndKeysByTheirWholeLength) {
    boost::json::object obj;
    obj[boost::json::string_view("k\0ey", 4)] = boost::json::string(boost::json::string_view("a\0b", 3));
    EXPECT_EQ(Write(obj, false), R"({"k\u0000ey" : "a\u0000b"})");
}

TEST(JsonWriter, WalksDeepTreesWithoutRecursion) {
    constexpr int kDepth = 20000;
    boost::json::value root = boost::json::array{};
    boost::json::value* pLeaf = &root;
    for (int i = 0; i < kDepth; ++i) pLeaf = &pLeaf->as_array().emplace_back(boost::json::array{});
    const std::string strText = Write(root, false);
    EXPECT_EQ(strText, std::string(kDepth + 1, '[') + std::string(kDepth + 1, ']'));
    // Taken apart level by level: the library's destructor recurses.
    while (!root.as_array().empty()) {
        boost::json::value child = std::move(root.as_array()[0]);
        root = std::move(child);
    }
}

// Values where six digits end in a tie or a carry, at every magnitude the
// six-digit fast path covers and beyond it, with six digits and more, and
// random bit patterns.
TEST(JsonWriter, FormatsDoublesExactlyAtRoundingBoundaries) {
    std::vector<double> values;
    for (int k = -80; k <= 80; ++k) values.push_back(std::ldexp(1.0, k));  // 2^-10 = 0.0009765625 is a tie
    for (double d : {100000.5, 999999.5, 999999.4999, 9.999995, 9.9999949999, 0.000099999951, 1e-5, 9.99999e-6,
                     99999.95, 1e15, 999999999999999.9, 123456.5, 0.5, 2.5, 1e22, 1e23})
        values.push_back(d);
    std::mt19937_64 random(5);
    for (int i = 0; i < 200000; ++i) {
        const auto nDigits = static_cast<double>(100000 + random() % 900000);
        values.push_back((nDigits + 0.5) * std::pow(10.0, static_cast<int>(random() % 30) - 15));
        values.push_back(nDigits * std::pow(10.0, static_cast<int>(random() % 30) - 20) / 1000.0);
        uint64_t nBits = random();
        double d;
        std::memcpy(&d, &nBits, sizeof d);
        if (std::isfinite(d)) values.push_back(d);
    }
    for (const double d : values) {
        ASSERT_TRUE(WrittenAsPrintfReadingBack(d)) << d;
        ASSERT_TRUE(WrittenAsPrintfReadingBack(-d)) << -d;
    }
}

// UTF-16 text is the UTF-8 text decoded by the platform's rules, invalid
// bytes inside strings included, in both layouts.
TEST(JsonWriter, WritesUtf16AsThePlatformDecodesTheUtf8) {
    static const char* const kPieces[] = {"a",        "\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80",
                                          "\"",       "\n",       "\x01",         "\xFF",
                                          "\xE2\x82", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90"};
    std::mt19937 random(3);
    boost::json::object root;
    for (int i = 0; i < 300; ++i) {
        std::string strKey, strValue;
        for (int j = random() % 12; j > 0; --j) strKey += kPieces[random() % std::size(kPieces)];
        for (int j = random() % 40; j > 0; --j) strValue += kPieces[random() % std::size(kPieces)];
        root[strKey + std::to_string(i)] = boost::json::array{boost::json::string(strValue), i * 0.25};
    }
    for (const bool bIndented : {false, true}) {
        const std::string strUtf8 = Write(root, bIndented);
        std::u16string strExpected;
        platform::DecodeUtf8(strUtf8.data(), strUtf8.size(), strExpected);
        EXPECT_EQ(Write16(root, bIndented), strExpected);
    }
}

// Every line of an indented text starts with four spaces a level, however
// deep, in both encodings.
TEST(JsonWriter, IndentsEveryLevelByFourSpaces) {
    constexpr int kDepth = 12;
    boost::json::value root = boost::json::array{0};
    boost::json::value* pLeaf = &root;
    for (int i = 1; i < kDepth; ++i) pLeaf = &pLeaf->as_array().emplace_back(boost::json::array{i});
    std::string strExpected = "[\n";
    for (int i = 0; i < kDepth; ++i) {
        const std::string strIndent(4 * (i + 1), ' ');
        strExpected += strIndent + std::to_string(i) + (i + 1 < kDepth ? ",\n" + strIndent + "[\n" : "\n");
    }
    for (int i = kDepth - 1; i >= 0; --i) strExpected += std::string(4 * i, ' ') + "]\n";
    EXPECT_EQ(Write(root, true), strExpected);
    EXPECT_EQ(Write16(root, true), std::u16string(strExpected.begin(), strExpected.end()));
}

// The vector kernels the writer's string loops use give what their scalar
// fallbacks give, for blocks of every byte value.
TEST(JsonWriter, VectorKernelsAgreeWithTheirScalarFallbacks) {
    std::mt19937 random(16);
    for (int i = 0; i < 20000; ++i) {
        char block[platform::kBlockBytes];
        for (char& c : block)
            c = static_cast<char>(random() % 4 == 0 ? "\"\\\x1f\x20\x7f\x80"[random() % 6] : random());
        ASSERT_EQ(platform::EscapeMask(block), platform::EscapeMaskScalar(block));
        char bytes[2][platform::kBlockBytes];
        char16_t units[2][platform::kBlockBytes];
        ASSERT_EQ(platform::CopyBlock(block, bytes[0]), platform::CopyBlockScalar(block, bytes[1]));
        ASSERT_EQ(platform::CopyBlock(block, units[0]), platform::CopyBlockScalar(block, units[1]));
        ASSERT_EQ(std::memcmp(bytes[0], bytes[1], sizeof bytes[0]), 0);
        ASSERT_EQ(std::memcmp(units[0], units[1], sizeof units[0]), 0);
    }
}

// The shortest decimal of a normal double is the standard library's, digit
// for digit: over random bit patterns, every power of two, both neighbours
// of every power of ten, and random short decimals read to doubles with
// their neighbours (where the ends of the interval and ties are decided).
TEST(ShortestDecimal, AgreesWithTheStandardLibrarysShortestConversion) {
    std::vector<double> values;
    for (int k = -1022; k <= 1023; ++k) values.push_back(std::ldexp(1.0, k));
    for (int k = -307; k <= 308; ++k) {
        const double p = std::pow(10.0, k);
        for (const double d : {p, std::nextafter(p, 0.0), std::nextafter(p, HUGE_VAL)})
            if (std::isnormal(d)) values.push_back(d);
    }
    std::mt19937_64 random(20261211);
    for (int i = 0; i < 1000000; ++i) {
        uint64_t nBits = random() & ~(uint64_t{1} << 63);
        double d;
        std::memcpy(&d, &nBits, sizeof d);
        if (std::isnormal(d)) values.push_back(d);
    }
    for (int i = 0; i < 300000; ++i) {
        const std::string strText = std::to_string(random() % 100000000000000000u).substr(0, 1 + random() % 17) + "e" +
                                    std::to_string(static_cast<int>(random() % 620) - 310);
        double d = 0;
        std::from_chars(strText.data(), strText.data() + strText.size(), d);
        for (const double e : {d, std::nextafter(d, 0.0), std::nextafter(d, HUGE_VAL)})
            if (std::isnormal(e)) values.push_back(e);
    }
    for (const double d : values) {
        char szText[64];
        const char* pEnd = std::to_chars(szText, szText + sizeof szText, d, std::chars_format::scientific).ptr;
        std::string strDigits;
        const char* p = szText;
        for (; *p != 'e'; ++p)
            if (*p != '.') strDigits += *p;
        const int nExponent = std::stoi(std::string(p + 1, pEnd)) - static_cast<int>(strDigits.size()) + 1;
        const CShortestDecimal shortest = ShortestDecimal(d);
        ASSERT_EQ(std::to_string(shortest.nDigits), strDigits) << std::string(static_cast<const char*>(szText), pEnd);
        ASSERT_EQ(shortest.nExponent, nExponent) << std::string(static_cast<const char*>(szText), pEnd);
    }
}
