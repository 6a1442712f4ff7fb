// "%g" with six significant digits: an exact fast path for the common
// magnitudes, the standard library's exact conversion for the rest.
#include "json/output/NumberFormat.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

// Powers of ten that doubles hold exactly.
constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                             1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// a * 10^(5 - nExponent) with one rounding: the power is exact.
double ScaleToSixDigits(double a, int nExponent) {
    const int nShift = 5 - nExponent;
    return nShift >= 0 ? a * kPow10[nShift] : a / kPow10[-nShift];
}

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

// The six significant digits of a (1e-5 <= a < 1e15) rounded as printf
// rounds the exact binary value, and the decimal exponent of the first.
// False where the scaled value lies too near a rounding boundary for its
// one rounding error to be ruled out; the caller then takes the exact path.
bool SixDigits(double a, uint32_t& nDigits, int& nExponent) {
    nExponent = DecimalExponentEstimate(a);
    double y = ScaleToSixDigits(a, nExponent);
    if (NearHalf(y)) return false;
    if (y > 999999.5) y = ScaleToSixDigits(a, ++nExponent);
    if (y < 99999.5) y = ScaleToSixDigits(a, --nExponent);
    if (NearHalf(y) || y < 99999.5 || y > 999999.5) return false;
    const auto nFloor = static_cast<uint32_t>(y);
    nDigits = nFloor + (y - nFloor > 0.5 ? 1 : 0);
    if (nDigits == 1000000) {
        nDigits = 100000;
        ++nExponent;
    }
    return true;
}

// Six digits with the decimal point after nPoint of them (0 < nPoint <= 6),
// or after a leading "0." and -nPoint zeros; trailing zeros and a bare
// point dropped.
size_t PutFixed(uint32_t nDigits, int nPoint, char* p) {
    static const char kPairs[] =
        "0001020304050607080910111213141516171819202122232425262728293031323334353637383940414243444546474849"
        "5051525354555657585960616263646566676869707172737475767778798081828384858687888990919293949596979899";
    char szDigits[6];
    std::memcpy(szDigits, kPairs + 2 * (nDigits / 10000), 2);
    std::memcpy(szDigits + 2, kPairs + 2 * (nDigits / 100 % 100), 2);
    std::memcpy(szDigits + 4, kPairs + 2 * (nDigits % 100), 2);
    int nLast = 5;
    while (nLast >= 0 && szDigits[nLast] == '0' && nLast >= nPoint) --nLast;
    size_t n = 0;
    if (nPoint <= 0) {
        p[n++] = '0';
        p[n++] = '.';
        for (int i = nPoint; i < 0; ++i) p[n++] = '0';
    }
    for (int i = 0; i <= nLast; ++i) {
        if (i == nPoint && nPoint > 0) p[n++] = '.';
        p[n++] = szDigits[i];
    }
    return n;
}

// d.ddddde+XX with trailing zeros of the fraction and a bare point dropped;
// the exponent here has two digits.
size_t PutExponential(uint32_t nDigits, int nExponent, char* p) {
    size_t n = PutFixed(nDigits, 1, p);
    p[n++] = 'e';
    p[n++] = nExponent < 0 ? '-' : '+';
    const int nAbs = nExponent < 0 ? -nExponent : nExponent;
    p[n++] = static_cast<char>('0' + nAbs / 10);
    p[n++] = static_cast<char>('0' + nAbs % 10);
    return n;
}

}  // namespace

// The fast path covers the magnitudes whose scaling by a power of ten is
// one exact operation and one rounding; zero, the rest and values too near
// a rounding boundary are left to the standard library's exact conversion.
size_t FormatDouble(double d, char* pOut) {
    const double a = std::fabs(d);
    uint32_t nDigits = 0;
    int nExponent = 0;
    if (a >= 1e-5 && a < 1e15 && SixDigits(a, nDigits, nExponent)) {
        size_t n = 0;
        if (d < 0) pOut[n++] = '-';
        if (nExponent < -4 || nExponent >= 6) return n + PutExponential(nDigits, nExponent, pOut + n);
        return n + PutFixed(nDigits, nExponent + 1, pOut + n);
    }
    return static_cast<size_t>(std::to_chars(pOut, pOut + 32, d, std::chars_format::general, 6).ptr - pOut);
}
