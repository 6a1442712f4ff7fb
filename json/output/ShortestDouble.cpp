// The shortest decimal of a double by the Schubfach method (R. Giulietti,
// "The Schubfach way to render doubles"): the double's rounding interval
// is scaled by a power of ten, 10^-k rounded up to 126 bits, so that the
// decimals of one and of two digits fewer than 17 that lie inside it can be
// told by comparisons of 64-bit integers; a result is decided exactly, with
// no fallback. A normal double has at least 16 digits of precision, so one
// of those lengths is the shortest; a subnormal one may need far fewer.
#include "json/output/ShortestDouble.h"

#include <cstring>

#include "json/frame/WidePower.h"

namespace {

// kPowersOfTen: 10^-k for k from kSmallestK to kLargestK.
#include "json/output/PowersOfTen.inc"

constexpr int kPrecision = 53;
constexpr uint64_t kLeastNormal = uint64_t{1} << 52;
constexpr uint64_t kMask63 = (uint64_t{1} << 63) - 1;

// floor(q log10 2), floor(q log10 2 + log10 3/4), floor(q log2 10).
int FloorLog10Pow2(int q) { return static_cast<int>((int64_t{q} * 661971961083) >> 41); }
int FloorLog10ThreeQuartersPow2(int q) { return static_cast<int>((int64_t{q} * 661971961083 - 274743187321) >> 41); }
int FloorLog2Pow10(int q) { return static_cast<int>((int64_t{q} * 913124641741) >> 38); }

// g × cp / 2^127, rounded to odd: the result's last bit is set when bits
// were dropped, so that it stays on the right side of every comparison.
uint64_t RoundToOdd(uint64_t g1, uint64_t g0, uint64_t cp) {
    const auto x1 = static_cast<uint64_t>((static_cast<Uint128>(g0) * cp) >> 64);
    const Uint128 y = static_cast<Uint128>(g1) * cp;
    const auto y0 = static_cast<uint64_t>(y);
    const auto y1 = static_cast<uint64_t>(y >> 64);
    const uint64_t z = (y0 >> 1) + x1;
    const uint64_t vbp = y1 + (z >> 63);
    return vbp | (((z & kMask63) + kMask63) >> 63);
}

// The shortest decimal of c × 2^q.
CShortestDecimal ToDecimal(int q, uint64_t c) {
    const uint64_t out = c & 1;  // an even significand's interval holds its bounds
    const uint64_t cb = c << 2;
    const uint64_t cbr = cb + 2;
    uint64_t cbl = cb - 2;
    int k = FloorLog10Pow2(q);
    if (c == kLeastNormal) {
        // The gap below a power of two is half the gap above.
        cbl = cb - 1;
        k = FloorLog10ThreeQuartersPow2(q);
    }
    const int h = q + FloorLog2Pow10(-k) + 2;
    const CWidePower& g = kPowersOfTen[k - kSmallestK];
    const uint64_t g1 = g.nHigh << 1 | g.nLow >> 63;
    const uint64_t g0 = g.nLow & kMask63;
    const uint64_t vb = RoundToOdd(g1, g0, cb << h);
    const uint64_t vbl = RoundToOdd(g1, g0, cbl << h);
    const uint64_t vbr = RoundToOdd(g1, g0, cbr << h);
    const uint64_t s = vb >> 2;
    if (s >= 100) {
        // One digit fewer: s rounded down and up to a multiple of ten.
        const auto sp = static_cast<uint64_t>((static_cast<Uint128>(s) * 1844674407370955168u) >> 64);
        const uint64_t sp10 = 10 * sp;
        const uint64_t tp10 = sp10 + 10;
        const bool upin = vbl + out <= sp10 << 2;
        const bool wpin = (tp10 << 2) + out <= vbr;
        if (upin != wpin) return {upin ? sp : sp + 1, k + 1};
    }
    const uint64_t t = s + 1;
    const bool uin = vbl + out <= s << 2;
    const bool win = (t << 2) + out <= vbr;
    if (uin != win) return {uin ? s : t, k};
    const auto cmp = static_cast<int64_t>(vb - ((s + t) << 1));
    return {cmp < 0 || (cmp == 0 && (s & 1) == 0) ? s : t, k};
}

// Divides n by 10^K where it divides, adding K to the exponent: n times
// the inverse of 5^K modulo 2^64 is n / 5^K when that divides, and the
// rotation moves any odd part left over from 2^K to the top, so that the
// result is within n's range over 10^K exactly when 10^K divides n.
template <int K, uint64_t kInverseOfPowerOfFive>
bool DropZeros(CShortestDecimal& decimal) {
    constexpr uint64_t kLargestQuotient = ~uint64_t{0} / [] {
        uint64_t nPower = 1;
        for (int i = 0; i < K; ++i) nPower *= 10;
        return nPower;
    }();
    const uint64_t nProduct = decimal.nDigits * kInverseOfPowerOfFive;
    const uint64_t nRotated = nProduct >> K | nProduct << (64 - K);
    if (nRotated > kLargestQuotient) return false;
    decimal.nDigits = nRotated;
    decimal.nExponent += K;
    return true;
}

// Most shortest decimals end in a digit other than zero, which one test
// tells; a short one found among seventeen digits ends in up to sixteen
// zeros, dropped eight, four, two and one at a time.
CShortestDecimal WithoutTrailingZeros(CShortestDecimal decimal) {
    if (!DropZeros<1, 0xcccccccccccccccd>(decimal)) return decimal;
    while (DropZeros<8, 0xc767074b22e90e21>(decimal)) {
    }
    DropZeros<4, 0xd288ce703afb7e91>(decimal);
    DropZeros<2, 0x8f5c28f5c28f5c29>(decimal);
    DropZeros<1, 0xcccccccccccccccd>(decimal);
    return decimal;
}

}  // namespace

CShortestDecimal ShortestDecimal(double a) {
    uint64_t nBits;
    std::memcpy(&nBits, &a, sizeof nBits);
    const auto nBiased = static_cast<int>(nBits >> 52);
    const uint64_t c = kLeastNormal | (nBits & (kLeastNormal - 1));
    const int nShift = 1075 - nBiased;  // a = c × 2^-nShift
    // A whole number below 2^53 is its own shortest decimal.
    if (nShift > 0 && nShift < kPrecision && (c >> nShift) << nShift == c)
        return WithoutTrailingZeros({c >> nShift, 0});
    return WithoutTrailingZeros(ToDecimal(-nShift, c));
}
