// The double nearest to a decimal number (ties to even), computed by the
// library itself so that every build reads every number alike: exactly in
// double arithmetic where that is exact, else by a 128-bit product with a
// table of powers of five, which settles all but the rarest texts.
#pragma once

#include <cstdint>

// A decimal number as its first significant digits and a power of ten:
// nDigits × 10^nExponent. bTruncated when nonzero digits followed the ones
// kept (at most 19 are kept, so nDigits never overflows).
struct CDecimal {
    uint64_t nDigits = 0;
    int64_t nExponent = 0;
    bool bNegative = false;
    bool bTruncated = false;
};

// Sets dValue to the nearest double of the number, ±0 below the smallest
// and ±infinity above the largest, and answers true; false, leaving dValue
// as it was, in the rare case that needs all the digits (the caller then
// reads the full text another way).
bool DecimalToDouble(const CDecimal& number, double& dValue);
