// The JSON writer: layouts, scalar texts and string literals, byte for byte.
#include <gtest/gtest.h>

#include <boost/json.hpp>
#include <cstdio>
#include <random>

#include "json/JsonWriter.h"

namespace {

std::string Write(const boost::json::value& jv, bool bIndented) {
    std::string strOut;
    WriteJson(jv, bIndented, strOut);
    return strOut;
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

TEST(JsonWriter, WritesDoublesAsPercentGWithSixDigits) {
    EXPECT_EQ(ScalarText(3.14159265), "3.14159");
    EXPECT_EQ(ScalarText(1234567.0), "1.23457e+06");
    EXPECT_EQ(ScalarText(2.0), "2");
    EXPECT_EQ(ScalarText(0.0001), "0.0001");
    EXPECT_EQ(ScalarText(0.00001), "1e-05");
    EXPECT_EQ(ScalarText(-0.0), "-0");
    EXPECT_EQ(ScalarText(1e300), "1e+300");
    EXPECT_EQ(ScalarText(123456.0), "123456");
    EXPECT_EQ(ScalarText(1234565.0), "1.23456e+06") << "ties round to even as printf does";
}

// The C library of this platform is a faithful "%g"; the writer must agree
// with it everywhere, without using it.
TEST(JsonWriter, AgreesWithPrintfOnRandomDoubles) {
    std::mt19937_64 random(42);
    std::uniform_int_distribution<int> exponent(-320, 308);
    std::uniform_real_distribution<double> mantissa(-10.0, 10.0);
    for (int i = 0; i < 20000; ++i) {
        const double d = mantissa(random) * std::pow(10.0, exponent(random));
        char szExpected[64];
        std::snprintf(szExpected, sizeof szExpected, "%g", d);
        ASSERT_EQ(ScalarText(d), szExpected) << d;
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
