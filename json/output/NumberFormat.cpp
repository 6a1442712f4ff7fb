// Doubles in "%g" layout with as many significant digits as reading the
// text back to the same double needs, and never fewer than six: the digits
// of the shortest decimal (ShortestDouble.h), laid out as "%g" lays out
// that many.
#include "json/output/NumberFormat.h"

#include <algorithm>
#include <cassert>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "json/output/ShortestDouble.h"

namespace {

// The fewest significant digits a double is written with.
constexpr int kLeastDigits = 6;

constexpr uint64_t kPowersOfTen[] = {1,
                                     10,
                                     100,
                                     1000,
                                     10000,
                                     100000,
                                     1000000,
                                     10000000,
                                     100000000,
                                     1000000000,
                                     10000000000,
                                     100000000000,
                                     1000000000000,
                                     10000000000000,
                                     100000000000000,
                                     1000000000000000,
                                     10000000000000000,
                                     100000000000000000,
                                     1000000000000000000,
                                     10000000000000000000u};

// The number of decimal digits of n: from its bit length, log10(2) being
// 1233 / 4096 closely enough.
int DecimalLength(uint64_t n) {
    const int nApproximate = (64 - __builtin_clzll(n | 1)) * 1233 >> 12;
    return nApproximate + (n >= kPowersOfTen[nApproximate] ? 1 : 0);
}

constexpr char kPairs[] =
    "0001020304050607080910111213141516171819202122232425262728293031323334353637383940414243444546474849"
    "5051525354555657585960616263646566676869707172737475767778798081828384858687888990919293949596979899";

// The eight digits of n (below 10^8) at p: four pairs from two halves, so
// that the divisions do not wait on each other.
void PutEightDigits(uint32_t n, char* p) {
    const uint32_t nHigh = n / 10000, nLow = n % 10000;
    std::memcpy(p, kPairs + 2 * (nHigh / 100), 2);
    std::memcpy(p + 2, kPairs + 2 * (nHigh % 100), 2);
    std::memcpy(p + 4, kPairs + 2 * (nLow / 100), 2);
    std::memcpy(p + 6, kPairs + 2 * (nLow % 100), 2);
}

// The nCount digits of n written at d: the last ones eight at a time, the
// first pair by pair.
void PutDigits(uint64_t n, int nCount, char* d) {
    char* p = d + nCount;
    for (; p - d > 8; n /= 100000000) PutEightDigits(static_cast<uint32_t>(n % 100000000), p -= 8);
    auto nFirst = static_cast<uint32_t>(n);
    for (; nFirst >= 100; nFirst /= 100) std::memcpy(p -= 2, kPairs + 2 * (nFirst % 100), 2);
    if (nFirst >= 10)
        std::memcpy(p - 2, kPairs + 2 * nFirst, 2);
    else
        p[-1] = static_cast<char>('0' + nFirst);
}

// "e", the exponent's sign and at least two of its digits.
char* PutExponent(int nExponent, char* p) {
    *p++ = 'e';
    *p++ = nExponent < 0 ? '-' : '+';
    const int nAbs = std::abs(nExponent);
    if (nAbs < 10) *p++ = '0';
    return std::to_chars(p, p + 3, nAbs).ptr;
}

// The nCount digits of n, the first at the decimal exponent nExponent, in
// "%g" layout at the precision of max(6, nCount): plain notation while the
// exponent is from -4 to below that precision, else one digit, the point,
// the others and the exponent. Each digit is written once, in its place,
// but for the few before a point, which move one place when it is put.
char* PutGeneral(uint64_t n, int nCount, int nExponent, char* p) {
    if (nExponent < -4 || nExponent >= std::max(kLeastDigits, nCount)) {
        PutDigits(n, nCount, p + 1);
        p[0] = p[1];
        if (nCount > 1) p[1] = '.';
        return PutExponent(nExponent, p + (nCount > 1 ? nCount + 1 : 1));
    }
    if (nExponent < 0) {
        std::memcpy(p, "0.0000", 6);
        p += 1 - nExponent;
        PutDigits(n, nCount, p);
        return p + nCount;
    }
    const int nWhole = nExponent + 1;
    if (nCount <= nWhole) {
        PutDigits(n, nCount, p);
        std::memset(p + nCount, '0', static_cast<size_t>(nWhole - nCount));
        return p + nWhole;
    }
    PutDigits(n, nCount, p + 1);
    for (int i = 0; i < nWhole; ++i) p[i] = p[i + 1];
    p[nWhole] = '.';
    return p + nCount + 1;
}

// The digits and the decimal exponent of a scientific text from the
// standard library, d[.ddd]e±XXX ending at pEnd, laid out by PutGeneral.
char* PutScientific(const char* szText, const char* pEnd, char* p) {
    uint64_t nDigits = 0;
    int nCount = 0;
    const char* q = szText;
    for (; *q != 'e'; ++q)
        if (*q != '.') nDigits = nDigits * 10 + static_cast<uint64_t>(*q - '0'), ++nCount;
    int nExponent = 0;
    std::from_chars(q + 2, pEnd, nExponent);
    for (; nCount > 1 && nDigits % 10 == 0; --nCount) nDigits /= 10;
    return PutGeneral(nDigits, nCount, q[1] == '-' ? -nExponent : nExponent, p);
}

// A subnormal double has so few bits that six digits can read back while
// differing from the shortest: the text "%.6g" writes (six digits rounded,
// their trailing zeros dropped) where it reads back, else the shortest
// digits, both from the standard library's exact conversion.
char* PutSubnormal(double a, char* p) {
    char szText[kMaxNumberLength];
    const char* pEnd = std::to_chars(szText, szText + sizeof szText, a, std::chars_format::scientific, 5).ptr;
    double dBack = 0;
    std::from_chars(szText, pEnd, dBack);
    if (dBack != a) pEnd = std::to_chars(szText, szText + sizeof szText, a, std::chars_format::scientific).ptr;
    return PutScientific(szText, pEnd, p);
}

}  // namespace

// For a normal double whose shortest decimal has six digits or fewer,
// "%.6g" writes exactly those: its rounding to six digits moves the value
// by far less than the gap between six-digit numbers, and the shortest
// decimal lies within half an ulp of the value.
size_t FormatDouble(double d, char* pOut) {
    assert(std::isfinite(d));
    char* p = pOut;
    if (std::signbit(d)) *p++ = '-';
    const double a = std::fabs(d);
    if (a == 0) {
        *p++ = '0';
        return static_cast<size_t>(p - pOut);
    }
    if (a < std::numeric_limits<double>::min()) return static_cast<size_t>(PutSubnormal(a, p) - pOut);
    const CShortestDecimal shortest = ShortestDecimal(a);
    const int nCount = DecimalLength(shortest.nDigits);
    return static_cast<size_t>(PutGeneral(shortest.nDigits, nCount, shortest.nExponent + nCount - 1, p) - pOut);
}
