// The double nearest to a decimal number (ties to even), computed by the
// library itself so that every build reads every number alike: exactly in
// double arithmetic where that is exact, else by a 128-bit product with a
// table of powers of five, which settles all but the rarest texts.
#pragma once

#include <cstdint>
#include <cstring>

// A decimal number as its first significant digits and a power of ten:
// nDigits × 10^nExponent. bTruncated when nonzero digits followed the ones
// kept (at most 19 are kept, so nDigits never overflows).
struct CDecimal {
    uint64_t nDigits = 0;
    int64_t nExponent = 0;
    bool bNegative = false;
    bool bTruncated = false;
};

// The bits of the nearest double to the number's magnitude, for digits cut
// short or not held exactly by a double with their power of ten; false in
// the rare case that needs all the digits.
bool ScaledDecimalBits(const CDecimal& number, uint64_t& nBits);

// Sets dValue to the nearest double of the number, ±0 below the smallest
// and ±infinity above the largest, and answers true; false, leaving dValue
// as it was, in the rare case that needs all the digits (the caller then
// reads the full text another way). Digits up to 2^53 and powers of ten up
// to 10^22 are exact doubles: their product or quotient is rounded once,
// correctly.
inline bool DecimalToDouble(const CDecimal& number, double& dValue) {
    static constexpr double kExactPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                              1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    double dMagnitude = 0;
    if (!number.bTruncated && number.nDigits <= uint64_t{1} << 53 && number.nExponent >= -22 &&
        number.nExponent <= 22) {
        const auto dDigits = static_cast<double>(number.nDigits);
        dMagnitude =
            number.nExponent < 0 ? dDigits / kExactPowers[-number.nExponent] : dDigits * kExactPowers[number.nExponent];
    } else {
        uint64_t nBits = 0;
        if (!ScaledDecimalBits(number, nBits)) return false;
        std::memcpy(&dMagnitude, &nBits, sizeof dMagnitude);
    }
    dValue = number.bNegative ? -dMagnitude : dMagnitude;
    return true;
}
