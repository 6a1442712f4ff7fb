// The reading of number texts from scripts, by the library's own rules on
// every build: the unsigned decimal reading of strtoull and the decimal
// reading of strtod as the Windows C runtime defines them, with values
// correctly rounded and nothing taken from the C runtime of the platform.
// docs/numbers.md tables the forms each reading accepts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// What strtoull with base 10 makes of a text: leading white space, one "+"
// or "-", then decimal digits up to the first other byte.
struct CDecimalReading {
    size_t nEnd = 0;  // where the reading stopped: 0 when the text has no digits
    bool bNegative = false;
    bool bOverflow = false;   // the digits exceed 2^64 - 1
    uint64_t nMagnitude = 0;  // the digits' value, when no overflow

    // strtoull's result: the largest value on overflow, else the magnitude,
    // negated modulo 2^64 after a "-".
    uint64_t Value() const;
};

CDecimalReading ReadDecimal(std::string_view text);

// Reads the whole of text as a decimal number: white space, a sign, digits
// with a decimal separator between integer and fraction digits (at least
// one digit in all), then an exponent "e", "E", "d" or "D" with a sign and
// digits. The separator is the full stop, or strRegionalSeparator where the
// full stop leaves bytes over; a text with both is no number. False when
// any byte is left over. dValue is the correctly rounded value; ±0 when it
// lies below the smallest double, ±infinity above the largest.
bool ReadWholeDouble(std::string_view text, std::string_view strRegionalSeparator, double& dValue);

// The correctly rounded value of a number text in JSON's grammar, as
// ReadWholeDouble reads it.
double JsonNumberValue(std::string_view text);
