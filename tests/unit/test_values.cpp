// The type bits, the text a script reads for each kind of value, and the
// values built from a script's text under each type bit.
#include <boost/json.hpp>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>
#include <locale.h>
#include <random>

#include "json/ZorJson.h"
#include "json/frame/UserException.h"
#include "json/values/Values.h"
#include "tests/support/RegistryAccess.h"

namespace {

std::u16string HostText(const boost::json::value& jv) {
    std::u16string strText = u"untouched";
    JsonValueToHostText(LibraryRegistry(), jv, strText);
    return strText;
}

// The value built for text under nTypeBit, in a resource of its own.
boost::json::value Converted(std::string_view text, int32_t nTypeBit, boost::json::storage_ptr sp = {}) {
    boost::json::value jv(std::move(sp));
    HostTextToJsonValue(LibraryRegistry(), text, nTypeBit, jv);
    return jv;
}

// The error of the conversion, with its detail; jv must stay null.
struct Failure {
    int32_t nCode = 0;
    std::string strDetail;
};
Failure FailureOf(std::string_view text, int32_t nTypeBit) {
    boost::json::value jv;
    try {
        HostTextToJsonValue(LibraryRegistry(), text, nTypeBit, jv);
    } catch (const CUserException& e) {
        EXPECT_TRUE(jv.is_null()) << "the value stays null on an error";
        return {e.m_nCode, e.m_bHasDetail ? e.m_strDetail : "(none)"};
    }
    return {};
}

std::u16string NewContainer(boost::json::value jv) { return LibraryRegistry().RegisterContainer(jv, true); }

}  // namespace

TEST(JsonTypeBit, GivesOneBitPerType) {
    EXPECT_EQ(JsonTypeBit(nullptr), 1);
    EXPECT_EQ(JsonTypeBit(false), 2);
    EXPECT_EQ(JsonTypeBit(int64_t{-3}), 4);
    EXPECT_EQ(JsonTypeBit(uint64_t{3}), 4);
    EXPECT_EQ(JsonTypeBit(2.5), 4);
    EXPECT_EQ(JsonTypeBit("s"), 8);
    EXPECT_EQ(JsonTypeBit(boost::json::array{}), 16);
    EXPECT_EQ(JsonTypeBit(boost::json::object{}), 32);
}

TEST(JsonValueToHostText, WritesLiteralsAndIntegersOfTheFullRanges) {
    EXPECT_EQ(HostText(nullptr), u"null");
    EXPECT_EQ(HostText(true), u"true");
    EXPECT_EQ(HostText(false), u"false");
    EXPECT_EQ(HostText(int64_t{0}), u"0");
    EXPECT_EQ(HostText(int64_t{-42}), u"-42");
    EXPECT_EQ(HostText(std::numeric_limits<int64_t>::min()), u"-9223372036854775808");
    EXPECT_EQ(HostText(std::numeric_limits<int64_t>::max()), u"9223372036854775807");
    EXPECT_EQ(HostText(uint64_t{7}), u"7");
    EXPECT_EQ(HostText(std::numeric_limits<uint64_t>::max()), u"18446744073709551615");
}

TEST(JsonValueToHostText, WritesDoublesWithSixDecimalsAsPrintfDoes) {
    EXPECT_EQ(HostText(2.5), u"2.500000");
    EXPECT_EQ(HostText(100.0), u"100.000000");
    EXPECT_EQ(HostText(0.0), u"0.000000");
    EXPECT_EQ(HostText(0.0000001), u"0.000000");
    EXPECT_EQ(HostText(-0.0000001), u"-0.000000");
    EXPECT_EQ(HostText(-0.0), u"-0.000000");
    EXPECT_EQ(HostText(-1.5), u"-1.500000");
    EXPECT_EQ(HostText(0.1), u"0.100000");
    EXPECT_EQ(HostText(0.0000015), u"0.000002");
    // Exact binary ties round to even, as the runtimes' "%f" does.
    EXPECT_EQ(HostText(0.0078125), u"0.007812");
    EXPECT_EQ(HostText(0.0234375), u"0.023438");
    EXPECT_EQ(HostText(1e22), u"10000000000000000000000.000000");
    EXPECT_EQ(HostText(9007199254740993.0), u"9007199254740992.000000");
}

// Natively the C runtime's own "%f" is exact, so it can judge the text
// over doubles of every magnitude.
TEST(JsonValueToHostText, MatchesTheNativeRuntimesPrintf) {
    std::mt19937_64 random(44009);
    for (int i = 0; i < 20000; ++i) {
        double dValue = 0;
        do {
            const uint64_t nBits = random();
            std::memcpy(&dValue, &nBits, sizeof dValue);
        } while (!std::isfinite(dValue));
        int nExponent = 0;
        if (i % 2 == 0) dValue = std::ldexp(std::frexp(dValue, &nExponent), static_cast<int>(random() % 80) - 40);
        char szExpected[400];
        std::snprintf(szExpected, sizeof szExpected, "%f", dValue);
        const std::string strExpected = szExpected;
        ASSERT_EQ(HostText(dValue), std::u16string(strExpected.begin(), strExpected.end())) << strExpected;
    }
}

TEST(JsonValueToHostText, WritesHugeDoublesInFull) {
    const std::u16string strMax = HostText(-DBL_MAX);
    EXPECT_EQ(strMax.size(), 1 + 309 + 7u);
    EXPECT_EQ(strMax.substr(0, 18), u"-17976931348623157");
    EXPECT_EQ(strMax.substr(strMax.size() - 7), u".000000");
    EXPECT_EQ(HostText(1e308).substr(0, 22), u"1000000000000000010979");
}

TEST(JsonValueToHostText, WritesTheBareContentOfStrings) {
    EXPECT_EQ(HostText(""), u"");
    EXPECT_EQ(HostText("say \"hi\"\\"), u"say \"hi\"\\");
    EXPECT_EQ(HostText("\xc3\xa9\xf0\x9f\x98\x80"), u"\u00e9\U0001F600");
    EXPECT_EQ(HostText(boost::json::string("before\0after", 12)), u"before");
}

TEST(JsonValueToHostText, HandsOutArraysAndObjectsAsNewIndependentContainers) {
    const boost::json::value source = boost::json::parse(R"({"a":[1,{"b":2}]})");
    const std::u16string strFirst = HostText(source);
    const std::u16string strSecond = HostText(source);
    EXPECT_EQ(strFirst.substr(0, 4), u"*obj");
    EXPECT_NE(strFirst, strSecond) << "every conversion makes a container";
    EXPECT_EQ(LibraryRegistry().FindContainer(strFirst), source);
    LibraryRegistry().FindContainer(strFirst).as_object()["c"] = 3;
    EXPECT_EQ(LibraryRegistry().FindContainer(strSecond), source);
    EXPECT_EQ(source.as_object().size(), 1u);

    const std::u16string strArray = HostText(source.at("a"));
    EXPECT_EQ(strArray.substr(0, 4), u"*arr");
    EXPECT_EQ(LibraryRegistry().FindContainer(strArray), source.at("a"));
}

TEST(HostTextToJsonValue, ReadsBooleansAsIntegersOrWords) {
    for (const char* szTrue : {"1", "12", "007", "-1", " 3", "TRUE", "true", "True"})
        EXPECT_EQ(Converted(szTrue, kJsonBool), boost::json::value(true)) << szTrue;
    for (const char* szFalse : {"0", "", "-0", "000", "False", "fAlSe", "FALSE"})
        EXPECT_EQ(Converted(szFalse, kJsonBool), boost::json::value(false)) << szFalse;
    for (const char* szBad : {"yes", "t", "truth", "true ", "1 ", "1.0", "tru", " "}) {
        const Failure f = FailureOf(szBad, kJsonBool);
        EXPECT_EQ(f.nCode, kErrNotBoolean) << szBad;
        EXPECT_EQ(f.strDetail, szBad);
    }
}

TEST(HostTextToJsonValue, ReadsWholeNumbersAsIntegersWithTheirSign) {
    struct {
        const char* szText;
        boost::json::value expected;
    } const cases[] = {
        {"42", uint64_t{42}},
        {"+7", uint64_t{7}},
        {"", uint64_t{0}},
        {"0", uint64_t{0}},
        {" 5", uint64_t{5}},
        {"0018446744073709551615", std::numeric_limits<uint64_t>::max()},
        {"-5", int64_t{-5}},
        {"-0", int64_t{0}},
        {"-9223372036854775808", std::numeric_limits<int64_t>::min()},
        {"-9223372036854775809", -9223372036854775809.0},
        {"18446744073709551616", 18446744073709551616.0},
        {"+100000000000000000000", 1e20},
    };
    for (const auto& c : cases) {
        const boost::json::value jv = Converted(c.szText, kJsonNum);
        EXPECT_EQ(jv.kind(), c.expected.kind()) << c.szText;
        EXPECT_EQ(jv, c.expected) << c.szText;
    }
}

TEST(HostTextToJsonValue, ReadsOtherNumbersAsFiniteDoubles) {
    EXPECT_EQ(Converted("1.5", kJsonNum), boost::json::value(1.5));
    EXPECT_EQ(Converted("1e3", kJsonNum), boost::json::value(1000.0));
    EXPECT_EQ(Converted("-2.5E-2", kJsonNum), boost::json::value(-0.025));
    EXPECT_EQ(Converted(".5", kJsonNum), boost::json::value(0.5));
    EXPECT_EQ(HostText(Converted("1.5", kJsonNum)), u"1.500000");
    EXPECT_EQ(HostText(Converted("1e3", kJsonNum)), u"1000.000000");
    EXPECT_EQ(Converted("1d5", kJsonNum), boost::json::value(100000.0)) << "the Windows runtime's exponent letter";
    EXPECT_EQ(Converted("1D-2", kJsonNum), boost::json::value(0.01));
    EXPECT_EQ(Converted("1.", kJsonNum), boost::json::value(1.0));
    EXPECT_EQ(Converted("4.9e-324", kJsonNum), boost::json::value(std::numeric_limits<double>::denorm_min()));
    const boost::json::value tiny = Converted("-1e-400", kJsonNum);
    EXPECT_TRUE(tiny.is_double() && tiny.get_double() == 0 && std::signbit(tiny.get_double())) << "underflow";
    EXPECT_EQ(Converted("1e-99999999999999999999", kJsonNum), boost::json::value(0.0));
    const std::string strHugeInteger(400, '9');
    for (const std::string& strBad :
         {std::string("12abc"),    std::string("1e999"), std::string("-1e999"), std::string("inf"),
          std::string("-inf"),     std::string("nan"),   std::string("5 "),     std::string("1,5"),
          std::string("--1"),      std::string(" "),     std::string("0x10"),   std::string("-0X1p3"),
          std::string("infinity"), std::string("."),     std::string("1e"),     std::string("1e+"),
          std::string("1d"),       std::string("e5"),    std::string("1.5e3x"), std::string("1e99999999999999999999"),
          strHugeInteger,          "-" + strHugeInteger}) {
        const Failure f = FailureOf(strBad, kJsonNum);
        EXPECT_EQ(f.nCode, kErrNotNumber) << strBad;
        EXPECT_EQ(f.strDetail, strBad.substr(0, 128));
    }
}

// Random decimal texts of up to 40 digits, with a point anywhere and
// exponents across and beyond the range of doubles, against glibc's strtod
// in the C locale, which rounds correctly.
TEST(HostTextToJsonValue, RoundsEveryDecimalTextCorrectly) {
    std::mt19937_64 random(20261209);
    const locale_t hC = newlocale(LC_NUMERIC_MASK, "C", nullptr);
    ASSERT_NE(hC, nullptr);
    for (int i = 0; i < 100000; ++i) {
        std::string strText = random() % 4 == 0 ? "-" : "";
        const size_t nDigits = 1 + random() % 40;
        const size_t nPoint = random() % (nDigits + 1);
        for (size_t d = 0; d < nDigits; ++d) {
            if (d == nPoint && d > 0) strText += '.';
            strText += static_cast<char>('0' + (d == 0 && nDigits > 1 ? 1 + random() % 9 : random() % 10));
        }
        strText += "eEdD"[random() % 4] + std::to_string(static_cast<int>(random() % 700) - 350);
        std::string strReference = strText;
        for (char& c : strReference) c = c == 'd' || c == 'D' ? 'e' : c;
        const double dExpected = strtod_l(strReference.c_str(), nullptr, hC);
        if (!std::isfinite(dExpected)) {
            EXPECT_EQ(FailureOf(strText, kJsonNum).nCode, kErrNotNumber) << strText;
            continue;
        }
        const boost::json::value jv = Converted(strText, kJsonNum);
        ASSERT_TRUE(jv.is_double()) << strText;
        const double dStored = jv.get_double();
        ASSERT_EQ(std::memcmp(&dStored, &dExpected, sizeof dExpected), 0)
            << strText << ": " << dStored << " instead of " << dExpected;
    }
    freelocale(hC);
}

TEST(HostTextToJsonValue, TakesStringsVerbatimInTheReceivingStorage) {
    const boost::json::storage_ptr arena = boost::json::make_shared_resource<boost::json::monotonic_resource>();
    const boost::json::value jv = Converted("\"a\" \\n", kJsonStr, arena);
    EXPECT_EQ(jv, boost::json::value("\"a\" \\n"));
    EXPECT_EQ(jv.storage().get(), arena.get());
    EXPECT_EQ(Converted("", kJsonStr), boost::json::value(""));
}

TEST(HostTextToJsonValue, MakesNullsAndEmptyArraysWhateverTheText) {
    const std::u16string strArray = NewContainer(boost::json::array{1, 2});
    const std::string strHandle(strArray.begin(), strArray.end());
    EXPECT_EQ(Converted("anything", kJsonNull), boost::json::value(nullptr));
    EXPECT_EQ(Converted(strHandle, kJsonArr), boost::json::value(boost::json::array{}));
    EXPECT_TRUE(Converted("x", 64).is_null());
    EXPECT_TRUE(Converted("x", kJsonArr | kJsonObj).is_null());
}

TEST(HostTextToJsonValue, CopiesTheObjectOfAContainerNamedByItsHandle) {
    EXPECT_EQ(Converted("", kJsonObj), boost::json::value(boost::json::object{}));

    const std::u16string strObject = NewContainer(boost::json::parse(R"({"a":{"b":[1,"two"]}})"));
    const std::string strHandle(strObject.begin(), strObject.end());
    const boost::json::storage_ptr arena = boost::json::make_shared_resource<boost::json::monotonic_resource>();
    boost::json::value copy = Converted(strHandle, kJsonObj, arena);
    EXPECT_EQ(copy, LibraryRegistry().FindContainer(strObject));
    EXPECT_EQ(copy.at("a").at("b").storage().get(), arena.get());
    copy.at("a").as_object()["c"] = 1;
    EXPECT_EQ(LibraryRegistry().FindContainer(strObject).at("a").as_object().size(), 1u);

    const std::u16string strArray = NewContainer(boost::json::array{});
    const std::string strArrayHandle(strArray.begin(), strArray.end());
    EXPECT_EQ(FailureOf(strArrayHandle, kJsonObj).nCode, kErrCorrupt);
    EXPECT_EQ(FailureOf(strArrayHandle, kJsonObj).strDetail, strArrayHandle);
    EXPECT_EQ(FailureOf("*obj1*", kJsonObj).nCode, kErrBadHandle);
    EXPECT_EQ(FailureOf(" " + strHandle, kJsonObj).nCode, kErrBadHandle);
}
