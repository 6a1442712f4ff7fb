// Decimal to double, correctly rounded, for the numbers a double's own
// arithmetic cannot settle exactly: each is scaled by a 128-bit
// approximation of its power of five, whose error is small enough to settle
// the rounding except where the product's low bits leave it open; only then
// does the caller read the text itself.
#include "json/frame/DecimalDouble.h"

#include "json/frame/WidePower.h"

namespace {

// kPowersOfFive: 5^q for q from kSmallestPower to kLargestPower.
#include "json/frame/PowersOfFive.inc"

constexpr int kMantissaBits = 52;
constexpr uint64_t kHiddenBit = uint64_t{1} << kMantissaBits;
constexpr int64_t kInfinityPower = 0x7FF;
// Bits below the mantissa, its hidden bit and a rounding bit in the high
// word of the product, whose top bit may be clear.
constexpr int kDroppedBits = 64 - kMantissaBits - 3;

// floor(q × log2(10)) + 63: the binary exponent of 10^q's top bit, moved to
// the product's high word.
int64_t BinaryExponent(int64_t q) { return ((152170 + 65536) * q >> 16) + 63; }

// The high 128 bits of w × 5^q (w with its top bit set), the second word of
// the power taken only where the first leaves the mantissa's bits open.
Uint128 ScaledProduct(uint64_t w, int64_t q) {
    const CWidePower& power = kPowersOfFive[q - kSmallestPower];
    const Uint128 first = static_cast<Uint128>(w) * power.nHigh;
    uint64_t nHigh = static_cast<uint64_t>(first >> 64);
    uint64_t nLow = static_cast<uint64_t>(first);
    constexpr uint64_t kOpenMask = ~uint64_t{0} >> (kMantissaBits + 3);
    if ((nHigh & kOpenMask) == kOpenMask) {
        const auto nCarry = static_cast<uint64_t>((static_cast<Uint128>(w) * power.nLow) >> 64);
        nLow += nCarry;
        if (nLow < nCarry) ++nHigh;
    }
    return static_cast<Uint128>(nHigh) << 64 | nLow;
}

// The bits of the double nearest to w × 10^q, for w > 0 and q within the
// table; false where the approximation leaves the rounding open.
bool ScaledBits(uint64_t w, int64_t q, uint64_t& nBits) {
    const int nShift = __builtin_clzll(w);
    const Uint128 product = ScaledProduct(w << nShift, q);
    const auto nHigh = static_cast<uint64_t>(product >> 64);
    const auto nLow = static_cast<uint64_t>(product);
    // 5^q for q in [-27, 55] is exact in the table (a reciprocal rounded up
    // in its last bit), so low bits all set are certain there.
    if (nLow == ~uint64_t{0} && (q < -27 || q > 55)) return false;
    const int nUpper = static_cast<int>(nHigh >> 63);
    uint64_t nMantissa = nHigh >> (nUpper + kDroppedBits);
    int64_t nPower = BinaryExponent(q) + nUpper - nShift + 1023;
    if (nPower <= 0) {
        // Subnormal: shifted into place and rounded once; rounding up may
        // reach the smallest normal double. Ties cannot occur this low.
        if (1 - nPower >= 64) return nBits = 0, true;
        nMantissa >>= 1 - nPower;
        nMantissa = (nMantissa + (nMantissa & 1)) >> 1;
        nBits = nMantissa | (nMantissa < kHiddenBit ? 0 : kHiddenBit);
        return true;
    }
    // Exactly halfway (only dropped zeros, and a power small enough to be
    // exact): round to even rather than up.
    if (nLow <= 1 && q >= -4 && q <= 23 && (nMantissa & 3) == 1 && (nMantissa << (nUpper + kDroppedBits)) == nHigh)
        nMantissa &= ~uint64_t{1};
    nMantissa = (nMantissa + (nMantissa & 1)) >> 1;
    if (nMantissa >= kHiddenBit << 1) {
        nMantissa = kHiddenBit;
        ++nPower;
    }
    if (nPower >= kInfinityPower) return nBits = static_cast<uint64_t>(kInfinityPower) << kMantissaBits, true;
    nBits = (nMantissa & ~kHiddenBit) | static_cast<uint64_t>(nPower) << kMantissaBits;
    return true;
}

// The bits of the double nearest to w × 10^q, for any q: 0 below the table
// (w × 10^-343 is below half the smallest double), infinity above it.
bool DecimalBits(uint64_t w, int64_t q, uint64_t& nBits) {
    if (w == 0 || q < kSmallestPower) return nBits = 0, true;
    if (q > kLargestPower) return nBits = static_cast<uint64_t>(kInfinityPower) << kMantissaBits, true;
    return ScaledBits(w, q, nBits);
}

}  // namespace

// Digits cut short lie strictly between nDigits and nDigits + 1 units: when
// both bounds round to the same double, so does the number.
bool ScaledDecimalBits(const CDecimal& number, uint64_t& nBits) {
    if (!DecimalBits(number.nDigits, number.nExponent, nBits)) return false;
    uint64_t nUpperBits = nBits;
    return !number.bTruncated || (DecimalBits(number.nDigits + 1, number.nExponent, nUpperBits) && nUpperBits == nBits);
}
