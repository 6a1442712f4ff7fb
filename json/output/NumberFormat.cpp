// Doubles in "%g" layout with as many significant digits as reading the
// text back to the same double needs, and never fewer than six: six digits
// where they suffice (an exact fast path for the common magnitudes), else
// the standard library's shortest exact conversion.
#include "json/output/NumberFormat.h"

#include <algorithm>
#include <cassert>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

// Powers of ten that doubles hold exactly.
constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                             1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// The fewest significant digits a double is written with.
constexpr int kLeastDigits = 6;
// The most that any double needs to read back.
constexpr int kMostDigits = 17;

// a * 10^nPower with one rounding: the power is exact.
double Scale(double a, int nPower) { return nPower >= 0 ? a * kPow10[nPower] : a / kPow10[-nPower]; }

// The scaled value is within 1e-9 of the exact product (below 1e7, half an
// ulp is under 1e-9): far enough from a half, its rounding is sure.
bool NearHalf(double y) { return std::fabs(y - static_cast<double>(static_cast<int64_t>(y)) - 0.5) < 1e-6; }

// floor(log10(a)) or one less, from the binary exponent of a, a normal
// positive double: 78913 / 2^18 is log10(2) to six digits.
int DecimalExponentEstimate(double a) {
    uint64_t nBits;
    std::memcpy(&nBits, &a, sizeof nBits);
    const int nBinary = static_cast<int>(nBits >> 52 & 0x7FF) - 1023;
    return (nBinary * 78913) >> 18;
}

// A double's significant digits, without trailing zeros, and the decimal
// exponent of the first.
struct CDigits {
    char szDigits[kMostDigits + 1];
    int nCount = 0;
    int nExponent = 0;
};

// The six significant digits of a (1e-5 <= a < 1e15) rounded as printf
// rounds the exact binary value, and the decimal exponent of the first.
// False where the scaled value lies too near a rounding boundary for its
// one rounding error to be ruled out; the caller then takes the exact path.
bool SixDigits(double a, uint32_t& nDigits, int& nExponent) {
    nExponent = DecimalExponentEstimate(a);
    double y = Scale(a, 5 - nExponent);
    if (NearHalf(y)) return false;
    if (y > 999999.5) y = Scale(a, 5 - ++nExponent);
    if (y < 99999.5) y = Scale(a, 5 - --nExponent);
    if (NearHalf(y) || y < 99999.5 || y > 999999.5) return false;
    const auto nFloor = static_cast<uint32_t>(y);
    nDigits = nFloor + (y - nFloor > 0.5 ? 1 : 0);
    if (nDigits == 1000000) {
        nDigits = 100000;
        ++nExponent;
    }
    return true;
}

// The digits of a in scientific notation (d.ddde±X) as the standard
// library writes them exactly, rounded to nPrecision + 1 digits or, without
// a precision, the fewest that read back; trailing zeros dropped.
void ScientificDigits(double a, CDigits& digits, int nPrecision = -1) {
    char szText[32];
    char* const pLast = szText + sizeof szText;
    const char* pEnd = nPrecision < 0 ? std::to_chars(szText, pLast, a, std::chars_format::scientific).ptr
                                      : std::to_chars(szText, pLast, a, std::chars_format::scientific, nPrecision).ptr;
    const char* p = szText;
    for (; p != pEnd && *p != 'e'; ++p)
        if (*p != '.') digits.szDigits[digits.nCount++] = *p;
    while (digits.nCount > 1 && digits.szDigits[digits.nCount - 1] == '0') --digits.nCount;
    const bool bNegative = p[1] == '-';
    std::from_chars(p + 2, pEnd, digits.nExponent);
    if (bNegative) digits.nExponent = -digits.nExponent;
}

// The six digits of a, rounded as printf rounds them, where the fast path
// finds that they read back to a: the digits and their power of ten are
// exact doubles, so the one rounding of their product is the reading's.
bool FastSixDigits(double a, CDigits& digits) {
    uint32_t nSix = 0;
    if (!(a >= 1e-5 && a < 1e15) || !SixDigits(a, nSix, digits.nExponent) || Scale(nSix, digits.nExponent - 5) != a)
        return false;
    while (nSix % 10 == 0) nSix /= 10;
    digits.nCount =
        static_cast<int>(std::to_chars(digits.szDigits, digits.szDigits + kMostDigits, nSix).ptr - digits.szDigits);
    return true;
}

// Whether the digits read back to a, by the standard library's exact reading.
bool ReadsBack(const CDigits& digits, double a) {
    char szText[48];
    char* p = std::copy(digits.szDigits, digits.szDigits + digits.nCount, szText);
    *p++ = 'e';
    p = std::to_chars(p, szText + sizeof szText, digits.nExponent - digits.nCount + 1).ptr;
    double dBack = 0;
    std::from_chars(szText, p, dBack);
    return dBack == a;
}

// The digits a is written with: six, or where they do not read back to a,
// the fewest that do (then more than six).
CDigits DigitsToWrite(double a) {
    CDigits digits;
    if (FastSixDigits(a, digits)) return digits;
    ScientificDigits(a, digits, kLeastDigits - 1);
    if (ReadsBack(digits, a)) return digits;
    digits = CDigits();
    ScientificDigits(a, digits);
    return digits;
}

// "%g" layout of the digits at precision nPrecision: plain notation while
// the exponent is from -4 to below the precision, else one digit, the
// point, the others, "e", a sign and at least two exponent digits.
size_t PutGeneral(const CDigits& digits, int nPrecision, char* p) {
    const char* d = digits.szDigits;
    const int n = digits.nCount;
    const int x = digits.nExponent;
    char* const pStart = p;
    if (x < -4 || x >= nPrecision) {
        *p++ = d[0];
        if (n > 1) {
            *p++ = '.';
            p = std::copy(d + 1, d + n, p);
        }
        *p++ = 'e';
        *p++ = x < 0 ? '-' : '+';
        const int nAbs = std::abs(x);
        if (nAbs < 10) *p++ = '0';
        return static_cast<size_t>(std::to_chars(p, p + 3, nAbs).ptr - pStart);
    }
    if (x < 0) {
        p = std::copy_n("0.0000", 1 - x, p);
        return static_cast<size_t>(std::copy(d, d + n, p) - pStart);
    }
    const int nWhole = x + 1;
    p = std::copy(d, d + std::min(n, nWhole), p);
    if (n <= nWhole) return static_cast<size_t>(std::fill_n(p, nWhole - n, '0') - pStart);
    *p++ = '.';
    return static_cast<size_t>(std::copy(d + nWhole, d + n, p) - pStart);
}

}  // namespace

size_t FormatDouble(double d, char* pOut) {
    assert(std::isfinite(d));
    size_t n = 0;
    if (std::signbit(d)) pOut[n++] = '-';
    const CDigits digits = DigitsToWrite(std::fabs(d));
    return n + PutGeneral(digits, std::max(kLeastDigits, digits.nCount), pOut + n);
}
