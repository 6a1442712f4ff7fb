// The shortest decimal form of a double: the fewest significant digits
// that read back to it, and of those the nearest to it (an even last digit
// where two are as near), computed exactly with 128-bit arithmetic.
#pragma once

#include <cstdint>

// nDigits × 10^nExponent; nDigits has no trailing zeros.
struct CShortestDecimal {
    uint64_t nDigits = 0;
    int nExponent = 0;
};

// The shortest decimal of a, a normal double greater than zero.
CShortestDecimal ShortestDecimal(double a);
