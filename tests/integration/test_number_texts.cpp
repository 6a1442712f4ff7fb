// Number and boolean texts through jsValueAdd, alike on every build: the
// forms of docs/numbers.md, the full stop read in every regional format, and
// the correct rounding of long decimal texts, through jsValueAdd and
// jsParse, checked against exact integer arithmetic rather than any
// runtime's reading.
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>

#include "tests/support/IntegrationHost.h"

using namespace integration;

namespace {

// A non-negative integer of any size: 32-bit limbs, the lowest first.
class CBigInteger {
public:
    explicit CBigInteger(std::string_view digits) {
        for (const char c : digits) MultiplyAdd(10, static_cast<uint32_t>(c - '0'));
    }
    CBigInteger(uint64_t nValue, size_t nShift) {
        m_limbs = {static_cast<uint32_t>(nValue), static_cast<uint32_t>(nValue >> 32)};
        m_limbs.insert(m_limbs.begin(), nShift / 32, 0);
        MultiplyAdd(uint32_t{1} << (nShift % 32), 0);
    }

    void MultiplyAdd(uint32_t nFactor, uint32_t nAdd) {
        uint64_t nCarry = nAdd;
        for (uint32_t& limb : m_limbs) {
            nCarry += uint64_t{limb} * nFactor;
            limb = static_cast<uint32_t>(nCarry);
            nCarry >>= 32;
        }
        if (nCarry != 0) m_limbs.push_back(static_cast<uint32_t>(nCarry));
    }
    bool Bit(size_t n) const { return n / 32 < m_limbs.size() && (m_limbs[n / 32] >> (n % 32) & 1) != 0; }
    size_t BitLength() const {
        size_t n = m_limbs.size() * 32;
        while (n > 0 && !Bit(n - 1)) --n;
        return n;
    }
    bool AnyBitBelow(size_t n) const {
        for (size_t i = 0; i < n; ++i)
            if (Bit(i)) return true;
        return false;
    }
    // The 64 bits from bit n upwards.
    uint64_t BitsFrom(size_t n) const {
        uint64_t nBits = 0;
        for (size_t i = 0; i < 64; ++i) nBits |= uint64_t{Bit(n + i)} << i;
        return nBits;
    }
    std::string Decimal() const {
        std::vector<uint32_t> limbs = m_limbs;
        std::string strDigits;
        do {
            uint64_t nRest = 0;
            for (auto it = limbs.rbegin(); it != limbs.rend(); ++it) {
                const uint64_t nPart = nRest << 32 | *it;
                *it = static_cast<uint32_t>(nPart / 10);
                nRest = nPart % 10;
            }
            strDigits.insert(strDigits.begin(), static_cast<char>('0' + nRest));
            while (!limbs.empty() && limbs.back() == 0) limbs.pop_back();
        } while (!limbs.empty());
        return strDigits;
    }

private:
    std::vector<uint32_t> m_limbs;
};

// The exact value of the double nearest to v (ties to even), in decimal.
std::string NearestDouble(const CBigInteger& v) {
    const size_t nLength = v.BitLength();
    if (nLength <= 53) return v.Decimal();
    const size_t nShift = nLength - 53;
    uint64_t nMantissa = v.BitsFrom(nShift) & ((uint64_t{1} << 53) - 1);
    if (v.Bit(nShift - 1) && (v.AnyBitBelow(nShift - 1) || (nMantissa & 1) != 0)) ++nMantissa;
    return CBigInteger(nMantissa, nShift).Decimal();
}

// What a script reads back after adding text under nType: the value's text
// or the error number.
std::u16string Stored(const std::u16string& h, const std::string& strText, int32_t nType) {
    const zorhost::CallResult added = Host().Call(
        "jsValueAdd", {Text(h), Text(u"n"), Text(std::u16string(strText.begin(), strText.end())), Int(nType)});
    if (!added.Succeeded()) return u"error " + std::u16string(added.errorText.begin(), added.errorText.begin() + 5);
    return Host().Call("jsValueGet", {Text(h), Text(u"n")}).value.text16();
}

// A decimal text less one, by borrowing from its digits.
std::string Decremented(std::string strDigits) {
    size_t i = strDigits.size() - 1;
    for (; strDigits[i] == '0'; --i) strDigits[i] = '9';
    --strDigits[i];
    return strDigits;
}

std::string RandomDigits(std::mt19937_64& random, size_t nDigits) {
    std::string str(1, static_cast<char>('1' + random() % 9));
    while (str.size() < nDigits) str += static_cast<char>('0' + random() % 10);
    return str;
}

using NumberTexts = integration::HostTest;

// The decimal separator of the regional format the test command runs the
// tests under: the full stop, or the one ZOR_REGIONAL_SEPARATOR names.
std::string RegionalSeparator() {
    const char* szSeparator = std::getenv("ZOR_REGIONAL_SEPARATOR");
    return szSeparator != nullptr && *szSeparator != 0 ? szSeparator : ".";
}

// The bits of the double a text of JSON holds as its only element, as
// jsParse keeps it and jsSerialize writes it; 0 when jsParse refuses it.
uint64_t ParsedBits(const std::string& strNumber) {
    const zorhost::CallResult parsed = Host().Call("jsParse", {Text(zorhost::FromUtf8("[" + strNumber + "]"))});
    if (!parsed.Succeeded()) return 0;
    const std::string strWritten = Host().Call("jsSerialize", {Text(parsed.value.text16()), Int(0)}).value.text8();
    Host().Call("jsConClose", {Text(parsed.value.text16())});
    double d = 0;
    std::from_chars(strWritten.data() + 1, strWritten.data() + strWritten.size() - 1, d);
    uint64_t nBits;
    std::memcpy(&nBits, &d, sizeof nBits);
    return nBits;
}

uint64_t BitsOf(double d) {
    uint64_t nBits;
    std::memcpy(&nBits, &d, sizeof nBits);
    return nBits;
}

}  // namespace

TEST_F(NumberTexts, ReadEveryFormOfTheTableAlike) {
    const std::u16string h = integration::ParseHandle(u"{}");
    struct {
        const char* szText;
        int32_t nType;
        const char16_t* szRead;
    } const cases[] = {
        {"12", 4, u"12"},
        {"+7", 4, u"7"},
        {"-5", 4, u"-5"},
        {"007", 4, u"7"},
        {"", 4, u"0"},
        {"18446744073709551615", 4, u"18446744073709551615"},
        {"18446744073709551616", 4, u"18446744073709551616.000000"},
        {"-9223372036854775809", 4, u"-9223372036854775808.000000"},
        {"1.5", 4, u"1.500000"},
        {"1.", 4, u"1.000000"},
        {".5", 4, u"0.500000"},
        {"1e5", 4, u"100000.000000"},
        {"1E+05", 4, u"100000.000000"},
        {"1d5", 4, u"100000.000000"},
        {"1D-1", 4, u"0.100000"},
        {"1e-400", 4, u"0.000000"},
        {"-1e-400", 4, u"-0.000000"},
        {"1e999", 4, u"error 20121"},
        {"-1e999", 4, u"error 20121"},
        {"0x10", 4, u"error 20121"},
        {"inf", 4, u"error 20121"},
        {"nan", 4, u"error 20121"},
        {"1,5", 4, u"error 20121"},
        {".", 4, u"error 20121"},
        {"1e", 4, u"error 20121"},
        {"1e+", 4, u"error 20121"},
        {"1.5e3x", 4, u"error 20121"},
        {"TRUE", 2, u"true"},
        {"fAlSe", 2, u"false"},
        {"12", 2, u"true"},
        {"-1", 2, u"true"},
        {"0", 2, u"false"},
        {"", 2, u"false"},
        {"18446744073709551616", 2, u"true"},
        {"yes", 2, u"error 20123"},
        {"1.0", 2, u"error 20123"},
        {"+", 2, u"error 20123"},
    };
    for (const auto& c : cases) EXPECT_EQ(Stored(h, c.szText, c.nType), c.szRead) << c.szText << " as " << c.nType;
}

// Integers of up to 40 digits written as decimal texts with a point and an
// exponent, and the halfway points between neighbouring doubles with their
// neighbours: the value read is the nearest double, a tie the even one.
TEST_F(NumberTexts, RoundLongDecimalTextsCorrectly) {
    const std::u16string h = integration::ParseHandle(u"{}");
    std::mt19937_64 random(44009);
    for (int i = 0; i < 50000; ++i) {
        const std::string strDigits = RandomDigits(random, 1 + random() % 40);
        const size_t nPoint = 1 + random() % strDigits.size();
        const size_t nExponent = random() % 240;
        const std::string strText = strDigits.substr(0, nPoint) + "." + strDigits.substr(nPoint) +
                                    "eEdD"[random() % 4] + std::to_string(nExponent + strDigits.size() - nPoint);
        const std::string strExpected = NearestDouble(CBigInteger(strDigits + std::string(nExponent, '0')));
        ASSERT_EQ(zorhost::ToUtf8(Stored(h, strText, 4)), strExpected + ".000000") << strText;
    }
    for (int i = 0; i < 17000; ++i) {
        const uint64_t nMantissa = (uint64_t{1} << 52) | (random() & ((uint64_t{1} << 52) - 1));
        const size_t nShift = random() % 77;
        const std::string strLower = CBigInteger(2 * nMantissa, nShift).Decimal();
        const std::string strUpper = CBigInteger(2 * nMantissa + 2, nShift).Decimal();
        const std::string strHalfway = CBigInteger(2 * nMantissa + 1, nShift).Decimal();
        const std::string strEven = nMantissa % 2 == 0 ? strLower : strUpper;
        EXPECT_EQ(zorhost::ToUtf8(Stored(h, strHalfway + "e0", 4)), strEven + ".000000") << strHalfway;
        EXPECT_EQ(zorhost::ToUtf8(Stored(h, strHalfway + "1e-1", 4)), strUpper + ".000000") << strHalfway;
        EXPECT_EQ(zorhost::ToUtf8(Stored(h, Decremented(strHalfway) + "9e-1", 4)), strLower + ".000000") << strHalfway;
    }
}

// The halfway points between neighbouring doubles below 1, down to the
// least normal ones, whose decimal texts run to hundreds of digits: read by
// jsParse, the nearest double, a tie the even one.
TEST_F(NumberTexts, JsParseRoundsHalfwayTextsBelowOneToEven) {
    std::mt19937_64 random(44010);
    for (int i = 0; i < 3000; ++i) {
        const uint64_t nMantissa = (uint64_t{1} << 52) | (random() & ((uint64_t{1} << 52) - 1));
        const int nPower = -1 - static_cast<int>(random() % 1074);  // the doubles nMantissa * 2^nPower
        CBigInteger halfway(std::to_string(2 * nMantissa + 1));
        for (int k = 0; k < 1 - nPower; ++k)
            halfway.MultiplyAdd(5, 0);  // (2m+1) * 2^(p-1) = (2m+1) * 5^(1-p) / 10^(1-p)
        const std::string strHalfway = halfway.Decimal() + "e" + std::to_string(nPower - 1);
        const uint64_t nEven = nMantissa % 2 == 0 ? nMantissa : nMantissa + 1;
        ASSERT_EQ(ParsedBits(strHalfway), BitsOf(std::ldexp(static_cast<double>(nEven), nPower))) << strHalfway;
        ASSERT_EQ(ParsedBits(Decremented(halfway.Decimal()) + "9e" + std::to_string(nPower - 2)),
                  BitsOf(std::ldexp(static_cast<double>(nMantissa), nPower)))
            << strHalfway;
    }
}

// A number a script copies from one container to another reads in every
// regional format: the full stop always, the regional separator as well
// where it differs; grouping marks, or both separators, never.
TEST_F(NumberTexts, ReadTheFullStopInEveryRegionalFormat) {
    const std::u16string h = integration::ParseHandle(u"{}");
    ASSERT_TRUE(Host().Call("jsValueAdd", {Text(h), Text(u"x"), Text(u"2.25"), Int(4)}).Succeeded());
    const std::u16string strRead = Host().Call("jsValueGet", {Text(h), Text(u"x")}).value.text16();
    EXPECT_EQ(strRead, u"2.250000");
    EXPECT_EQ(Stored(h, zorhost::ToUtf8(strRead), 4), u"2.250000");
    EXPECT_EQ(Stored(h, "1.5", 4), u"1.500000");
    const bool bComma = RegionalSeparator() == ",";
    EXPECT_EQ(Stored(h, "1,5", 4), bComma ? u"1.500000" : u"error 20121");
    EXPECT_EQ(Stored(h, "-1,25e2", 4), bComma ? u"-125.000000" : u"error 20121");
    for (const char* szText : {"1.234,5", "1,234.5", "1 234,5", "1.234.567", "1,234,567.5", ",", "1,,5"})
        EXPECT_EQ(Stored(h, szText, 4), u"error 20121") << szText;
    EXPECT_EQ(Json(integration::ParseHandle(u"[1.5, 2.25e3]")), "[1.5,2250]");
}

// No way of storing a value keeps NaN or an infinity, so every text
// jsSerialize writes is JSON: jsParse refuses a number beyond the largest
// double and reads every other as a finite double (zero with a huge
// exponent as zero), jsValueAdd refuses every number text that reads as
// no finite double, and a container copied in holds only what was stored.
TEST_F(NumberTexts, NoWayOfStoringANumberKeepsNaNOrAnInfinity) {
    EXPECT_EQ(Json(integration::ParseHandle(u"{\"a\":0e400,\"b\":[1e-400,0.0e999]}")), "{\"a\":0,\"b\":[0,0]}");
    EXPECT_EQ(Json(integration::ParseHandle(u"[-1e-400, 1.7976931348623157e308]")), "[-0,1.7976931348623157e+308]");
    for (const char16_t* szText : {u"[1e309,-1e309]", u"[-1e309]", u"{\"a\":[123.456e789]}", u"[1.8e308]"}) {
        const zorhost::CallResult parsed = Host().Call("jsParse", {Text(szText)});
        EXPECT_TRUE(parsed.Failed() && parsed.errorText.rfind("20105", 0) == 0) << zorhost::ToUtf8(szText);
        EXPECT_EQ(Host().Call("jsValid", {Text(szText)}).value, Int(0)) << zorhost::ToUtf8(szText);
    }
    const std::u16string h = integration::ParseHandle(u"{\"n\":0.5}");
    for (const char* szText : {"1e999", "-1e999", "1e309", "inf", "-inf", "nan", "NaN", "infinity", "1.8e308"})
        EXPECT_EQ(Stored(h, szText, 4), u"error 20121") << szText;
    EXPECT_EQ(Stored(h, "-1e-999", 4), u"-0.000000");
    const std::u16string copy = integration::ParseHandle(u"{}");
    ASSERT_TRUE(Host().Call("jsValueAdd", {Text(copy), Text(u"m"), Text(h), Int(32)}).Succeeded());
    EXPECT_EQ(Json(copy), "{\"m\":{\"n\":-0}}");
}
