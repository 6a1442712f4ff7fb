// Number texts read by grammar, converted by std::from_chars, which rounds
// correctly on every build.
#include "json/frame/NumberReading.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

#include "json/frame/DecimalDouble.h"
#include "json/frame/TextConversion.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

size_t SkipDigits(std::string_view text, size_t i) {
    while (i < text.size() && IsDigit(text[i])) ++i;
    return i;
}

size_t SkipSpace(std::string_view text, size_t i) {
    while (i < text.size() && IsTrimSpace(text[i])) ++i;  // the C locale's white space
    return i;
}

bool IsExponentLetter(char c) { return c == 'e' || c == 'E' || c == 'd' || c == 'D'; }

// The parts of a decimal text as the grammar reads them.
struct CDecimalParts {
    bool bNegative = false;
    std::string_view integer;   // the digits before the separator
    std::string_view fraction;  // the digits after it
    std::string_view exponent;  // the exponent's sign and digits, without its letter
    size_t nEnd = 0;            // where the reading stopped
};

// False when text holds no digit where the grammar needs one.
bool ReadParts(std::string_view text, std::string_view strSeparator, CDecimalParts& parts) {
    size_t i = SkipSpace(text, 0);
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) parts.bNegative = text[i++] == '-';
    const size_t nInteger = i;
    i = SkipDigits(text, i);
    parts.integer = text.substr(nInteger, i - nInteger);
    if (!strSeparator.empty() && text.substr(i, strSeparator.size()) == strSeparator) {
        const size_t nFraction = i + strSeparator.size();
        const size_t nFractionEnd = SkipDigits(text, nFraction);
        parts.fraction = text.substr(nFraction, nFractionEnd - nFraction);
        if (!parts.integer.empty() || !parts.fraction.empty()) i = nFractionEnd;
    }
    if (parts.integer.empty() && parts.fraction.empty()) return false;
    if (i < text.size() && IsExponentLetter(text[i])) {
        size_t nDigits = i + 1;
        if (nDigits < text.size() && (text[nDigits] == '+' || text[nDigits] == '-')) ++nDigits;
        const size_t nExponentEnd = SkipDigits(text, nDigits);
        if (nExponentEnd > nDigits) {
            parts.exponent = text.substr(i + 1, nExponentEnd - i - 1);
            i = nExponentEnd;
        }
    }
    parts.nEnd = i;
    return true;
}

// The exponent's value, saturated far beyond any double's range.
int64_t ExponentValue(std::string_view exponent) {
    constexpr int64_t kFar = int64_t{1} << 40;
    int64_t nExponent = 0;
    for (const char c : exponent)
        if (IsDigit(c)) nExponent = std::min(kFar, nExponent * 10 + (c - '0'));
    return !exponent.empty() && exponent[0] == '-' ? -nExponent : nExponent;
}

// The first 19 significant digits of the parts and the power of ten that
// scales them to the number's value.
CDecimal DecimalOf(const CDecimalParts& parts) {
    constexpr int kKeptDigits = 19;
    CDecimal number;
    number.bNegative = parts.bNegative;
    int nKept = 0;
    int64_t nScale = 0;
    const auto take = [&](std::string_view digits, int nFractionStep) {
        for (const char c : digits) {
            if (nKept == 0 && c == '0') {
                nScale -= nFractionStep;
            } else if (nKept < kKeptDigits) {
                number.nDigits = number.nDigits * 10 + static_cast<uint64_t>(c - '0');
                ++nKept;
                nScale -= nFractionStep;
            } else {
                number.bTruncated |= c != '0';
                nScale += 1 - nFractionStep;
            }
        }
    };
    take(parts.integer, 0);
    take(parts.fraction, 1);
    number.nExponent = ExponentValue(parts.exponent) + nScale;
    return number;
}

// The value of the parts, correctly rounded: from their first digits where
// they settle it, else from all of them by the standard library's exact
// reading (out of its range only when the first digits say which way).
double Convert(const CDecimalParts& parts) {
    const CDecimal number = DecimalOf(parts);
    double dValue = 0;
    if (DecimalToDouble(number, dValue)) return dValue;
    std::string strNumber;
    strNumber.reserve(parts.integer.size() + parts.fraction.size() + parts.exponent.size() + 4);
    strNumber.append(parts.integer.empty() ? std::string_view("0") : parts.integer);
    strNumber += '.';
    strNumber.append(parts.fraction.empty() ? std::string_view("0") : parts.fraction);
    if (!parts.exponent.empty()) strNumber.append("e").append(parts.exponent);
    const char* pEnd = strNumber.data() + strNumber.size();
    if (std::from_chars(strNumber.data(), pEnd, dValue).ec == std::errc::result_out_of_range)
        dValue = number.nExponent < 0 ? 0.0 : std::numeric_limits<double>::infinity();
    return parts.bNegative ? -dValue : dValue;
}

}  // namespace

uint64_t CDecimalReading::Value() const {
    if (bOverflow) return std::numeric_limits<uint64_t>::max();
    return bNegative ? 0 - nMagnitude : nMagnitude;
}

CDecimalReading ReadDecimal(std::string_view text) {
    CDecimalReading reading;
    size_t i = SkipSpace(text, 0);
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) reading.bNegative = text[i++] == '-';
    const size_t nDigits = i;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        const auto nDigit = static_cast<uint64_t>(text[i] - '0');
        if (reading.nMagnitude > (std::numeric_limits<uint64_t>::max() - nDigit) / 10)
            reading.bOverflow = true;
        else if (!reading.bOverflow)
            reading.nMagnitude = reading.nMagnitude * 10 + nDigit;
    }
    reading.nEnd = i == nDigits ? 0 : i;
    return reading;
}

bool ReadWholeDouble(std::string_view text, std::string_view strRegionalSeparator, double& dValue) {
    const auto readWith = [&](std::string_view strSeparator) {
        CDecimalParts parts;
        if (!ReadParts(text, strSeparator, parts) || parts.nEnd != text.size()) return false;
        dValue = Convert(parts);
        return true;
    };
    return readWith(".") || (strRegionalSeparator != "." && readWith(strRegionalSeparator));
}

double JsonNumberValue(std::string_view text) {
    CDecimalParts parts;
    ReadParts(text, ".", parts);
    return Convert(parts);
}
