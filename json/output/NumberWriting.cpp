// Doubles in "%g" layout with as many significant digits as reading the
// text back to the same double needs, and never fewer than six: the digits
// of the shortest decimal (ShortestDouble.h), laid out as "%g" lays out
// that many.
#include "json/output/NumberWriting.h"

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

// The eight digits of n (below 10^8), the first in the lowest byte, as
// ASCII: split into halves of four digits, then into pairs, then into
// digits, every lane of the word at once (x * 10486 >> 20 is x / 100 for
// x below 10^4, y * 103 >> 10 is y / 10 for y below 100).
uint64_t EightDigitsText(uint32_t n) {
    const uint64_t nHalves = n / 10000 | static_cast<uint64_t>(n % 10000) << 32;
    const uint64_t nHundreds = (nHalves * 10486 >> 20) & (uint64_t{0x7F} << 32 | 0x7F);
    const uint64_t nPairs = (nHalves - 100 * nHundreds) << 16 | nHundreds;
    const uint64_t nTens = (nPairs * 103 >> 10) & 0x000F000F000F000F;
    return (nTens | (nPairs - 10 * nTens) << 8) + 0x3030303030303030;
}

// The nCount digits of n (up to 20) written at d, with room for eight
// bytes more: blocks of eight digits, the first cut to the digits left
// over, each written whole and the next over its spare end. Each block is
// divided off n itself, so that the divisions do not wait on each other.
void PutDigits(uint64_t n, int nCount, char* d) {
    constexpr uint64_t kBlock = 100000000;
    const auto put = [](char* p, uint64_t nText) { std::memcpy(p, &nText, sizeof nText); };
    if (nCount <= 8) return put(d, EightDigitsText(static_cast<uint32_t>(n)) >> (8 * (8 - nCount)));
    const uint64_t nHigh = n / kBlock;
    char* const pLow = d + nCount - 8;
    if (nCount <= 16) {
        put(d, EightDigitsText(static_cast<uint32_t>(nHigh)) >> (8 * (16 - nCount)));
    } else {
        const uint64_t nTop = n / (kBlock * kBlock);
        put(d, EightDigitsText(static_cast<uint32_t>(nTop)) >> (8 * (24 - nCount)));
        put(pLow - 8, EightDigitsText(static_cast<uint32_t>(nHigh - nTop * kBlock)));
    }
    put(pLow, EightDigitsText(static_cast<uint32_t>(n - nHigh * kBlock)));
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
