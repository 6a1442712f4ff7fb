// Doubles in "%g" layout with as many significant digits as reading the
// text back to the same double needs, and never fewer than six. The
// standard library's exact conversion writes the digits in scientific
// notation, which "%g" keeps for large and small magnitudes; for the
// others the decimal point is moved in place.
#include "json/output/NumberFormat.h"

#include <algorithm>
#include <cassert>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

// The fewest significant digits a double is written with.
constexpr int kLeastDigits = 6;

// The exponent of a scientific text d[.ddd]e±XX[X] ending at pEnd, and
// where its "e" stands.
int ExponentOf(const char* pEnd, const char*& pE) {
    pE = pEnd - 3;
    while (*pE != 'e') --pE;
    int nExponent = 0;
    for (const char* p = pE + 2; p != pEnd; ++p) nExponent = nExponent * 10 + (*p - '0');
    return pE[1] == '-' ? -nExponent : nExponent;
}

// The digits of a scientific text at p, up to its "e": the first, then
// those after the point.
int DigitCount(const char* p, const char* pE) { return static_cast<int>(pE - p) - (pE - p > 1 ? 1 : 0); }

// The scientific text of a at p, the fewest digits that read back, or, with
// nPrecision, nPrecision + 1 digits without their trailing zeros; its end.
char* Scientific(double a, char* p, int nPrecision = -1) {
    char* const pLast = p + kMaxNumberLength;
    if (nPrecision < 0) return std::to_chars(p, pLast, a, std::chars_format::scientific).ptr;
    char* pEnd = std::to_chars(p, pLast, a, std::chars_format::scientific, nPrecision).ptr;
    const char* pE = nullptr;
    ExponentOf(pEnd, pE);
    const char* pDigitsEnd = pE;
    while (pDigitsEnd[-1] == '0') --pDigitsEnd;
    if (pDigitsEnd[-1] == '.') --pDigitsEnd;
    const auto nExponentChars = static_cast<size_t>(pEnd - pE);
    std::memmove(p + (pDigitsEnd - p), pE, nExponentChars);
    return p + (pDigitsEnd - p) + nExponentChars;
}

// The text at p, from its first digit to pEnd, reads back to a.
bool ReadsBack(const char* p, const char* pEnd, double a) {
    double dBack = 0;
    std::from_chars(p, pEnd, dBack);
    return dBack == a;
}

// The scientific text at p, d[.ddd]e±XX with nDigits digits and the
// decimal exponent nExponent (from -4 to 16), rewritten in place in plain
// notation; its end.
char* PlainLayout(char* p, int nDigits, int nExponent) {
    const auto nRest = static_cast<size_t>(nDigits - 1);  // the digits after the point, at p + 2
    if (nExponent < 0) {
        const int nShift = -nExponent;
        std::memmove(p + 2 + nShift, p + 2, nRest);
        p[1 + nShift] = p[0];
        std::memset(p, '0', static_cast<size_t>(nShift + 1));
        p[1] = '.';
        return p + 2 + nShift + nRest;
    }
    if (nDigits > nExponent + 1) {
        std::memmove(p + 1, p + 2, static_cast<size_t>(nExponent));
        p[1 + nExponent] = '.';
        return p + 1 + nDigits;
    }
    std::memmove(p + 1, p + 2, nRest);
    std::memset(p + nDigits, '0', static_cast<size_t>(nExponent + 1 - nDigits));
    return p + nExponent + 1;
}

}  // namespace

// The fewest digits that read back: for a normal double with six or fewer
// of them, "%.6g" writes exactly those, as its rounding to six digits moves
// the value by far less than the gap between six-digit numbers, and the
// fewest digits lie within half an ulp of it. A subnormal double has so
// few bits that six digits can read back while differing from the fewest:
// there the six digits "%.6g" writes are kept where they read back.
size_t FormatDouble(double d, char* pOut) {
    assert(std::isfinite(d));
    char* p = pOut;
    if (std::signbit(d)) *p++ = '-';
    const double a = std::fabs(d);
    char* pEnd = nullptr;
    if (a != 0 && a < std::numeric_limits<double>::min()) {
        pEnd = Scientific(a, p, kLeastDigits - 1);
        if (ReadsBack(p, pEnd, a)) return static_cast<size_t>(pEnd - pOut);
    }
    pEnd = Scientific(a, p);
    const char* pE = nullptr;
    const int nExponent = ExponentOf(pEnd, pE);
    const int nDigits = DigitCount(p, pE);
    // "%g" keeps the scientific text, whose exponent has two digits at
    // least, unless the exponent is from -4 to below the digits written.
    if (nExponent < -4 || nExponent >= std::max(kLeastDigits, nDigits)) return static_cast<size_t>(pEnd - pOut);
    return static_cast<size_t>(PlainLayout(p, nDigits, nExponent) - pOut);
}
