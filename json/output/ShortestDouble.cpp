// The shortest decimal of a double by the Dragonbox method (J. Jeon,
// "Dragonbox: A New Floating-Point Binary-to-Decimal Conversion
// Algorithm"): the upper end of the double's rounding interval is scaled by
// a power of ten, 10^k rounded up to 128 bits, chosen so that the interval
// is 100 to 1000 units wide; dividing by 1000 then finds the shortest
// decimal in most cases with one 128-bit product, and a division by 100
// otherwise. Ties and the interval's ends are decided exactly, from the
// parity of further products, with no fallback.
#include "json/output/ShortestDouble.h"

#include <cstring>

#include "json/frame/WidePower.h"

namespace {

// kPowersOfTen: 10^k for k from kSmallestK to kLargestK.
#include "json/output/PowersOfTen.inc"

constexpr int kPrecision = 53;
constexpr int kFractionBits = kPrecision - 1;
constexpr uint64_t kLeastNormal = uint64_t{1} << kFractionBits;
// The scaled interval is from 10^kKappa to 10^(kKappa + 1) units wide.
constexpr int kKappa = 2;
constexpr uint32_t kBigDivisor = 1000;
constexpr uint32_t kSmallDivisor = 100;

// floor(q log10 2), floor(q log10 2 + log10 3/4), floor(q log2 10).
int FloorLog10Pow2(int q) { return static_cast<int>((int64_t{q} * 661971961083) >> 41); }
int FloorLog10ThreeQuartersPow2(int q) { return static_cast<int>((int64_t{q} * 661971961083 - 274743187321) >> 41); }
int FloorLog2Pow10(int q) { return static_cast<int>((int64_t{q} * 913124641741) >> 38); }

const CWidePower& PowerOfTen(int k) { return kPowersOfTen[k - kSmallestK]; }

// The upper and the lower 128 bits of the 192-bit product x × power.
Uint128 UpperProduct(uint64_t x, const CWidePower& power) {
    return static_cast<Uint128>(x) * power.nHigh + ((static_cast<Uint128>(x) * power.nLow) >> 64);
}
Uint128 LowerProduct(uint64_t x, const CWidePower& power) {
    const uint64_t nHigh = x * power.nHigh + static_cast<uint64_t>((static_cast<Uint128>(x) * power.nLow) >> 64);
    return static_cast<Uint128>(nHigh) << 64 | x * power.nLow;
}

// Of x × 2^nBeta × power / 2^128: whether its integer part is odd, and
// whether it is an integer.
struct CParity {
    bool bOdd;
    bool bInteger;
};
CParity ProductParity(uint64_t x, const CWidePower& power, int nBeta) {
    const Uint128 r = LowerProduct(x, power);
    const auto nHigh = static_cast<uint64_t>(r >> 64);
    const auto nLow = static_cast<uint64_t>(r);
    return {((nHigh >> (64 - nBeta)) & 1) != 0, (nHigh << nBeta | nLow >> (64 - nBeta)) == 0};
}

// Divides the digits by 10^K where it divides, adding K to the exponent:
// times the inverse of 5^K modulo 2^64 they are divided by 5^K when that
// divides, and the rotation moves any odd part left over from 2^K to the
// top, so that the result is within range exactly when 10^K divides.
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
// tells; others may end in up to sixteen zeros, dropped eight, four, two
// and one at a time.
CShortestDecimal WithoutTrailingZeros(CShortestDecimal decimal) {
    if (!DropZeros<1, 0xcccccccccccccccd>(decimal)) return decimal;
    while (DropZeros<8, 0xc767074b22e90e21>(decimal)) {}
    DropZeros<4, 0xd288ce703afb7e91>(decimal);
    DropZeros<2, 0x8f5c28f5c28f5c29>(decimal);
    DropZeros<1, 0xcccccccccccccccd>(decimal);
    return decimal;
}

// c × 2^q whose neighbours are as far below as above. An even c's interval
// holds its ends (they round to c when read, ties going to even).
CShortestDecimal SymmetricInterval(uint64_t c, int q) {
    const bool bHoldsEnds = c % 2 == 0;
    const uint64_t nTwoC = c << 1;
    const int nMinusK = FloorLog10Pow2(q) - kKappa;
    const CWidePower& power = PowerOfTen(-nMinusK);
    const int nBeta = q + FloorLog2Pow10(-nMinusK);
    // The half width of the interval and its upper end, scaled.
    const auto nDelta = static_cast<uint32_t>(power.nHigh >> (63 - nBeta));
    const Uint128 z = UpperProduct((nTwoC | 1) << nBeta, power);
    const auto nZ = static_cast<uint64_t>(z >> 64);
    const bool bZInteger = static_cast<uint64_t>(z) == 0;

    // A multiple of 1000 in the interval: the shortest is among them.
    uint64_t nDigits = nZ / kBigDivisor;
    auto r = static_cast<uint32_t>(nZ - kBigDivisor * nDigits);
    bool bFound = false;
    if (r < nDelta) {
        bFound = true;
        if (r == 0 && bZInteger && !bHoldsEnds) {
            --nDigits;  // the upper end itself, which the interval leaves out
            r = kBigDivisor;
            bFound = false;
        }
    } else if (r == nDelta) {
        // The lower end against the multiple: compare their fractions.
        const CParity x = ProductParity(nTwoC - 1, power, nBeta);
        bFound = x.bOdd || (x.bInteger && bHoldsEnds);
    }
    if (bFound) return WithoutTrailingZeros({nDigits, nMinusK + kKappa + 1});

    // Otherwise one digit more: the multiple of 100 nearest to c.
    nDigits *= 10;
    uint32_t nDistance = r - nDelta / 2 + kSmallDivisor / 2;
    const bool bApproximateOdd = ((nDistance ^ (kSmallDivisor / 2)) & 1) != 0;
    const bool bDivisible = nDistance % kSmallDivisor == 0;
    nDigits += nDistance / kSmallDivisor;
    if (bDivisible) {
        // Exactly between two, or one off: the parity of c × 10^k tells.
        const CParity y = ProductParity(nTwoC, power, nBeta);
        if (y.bOdd != bApproximateOdd || (nDigits % 2 != 0 && y.bInteger)) --nDigits;
    }
    return {nDigits, nMinusK + kKappa};
}

// 2^52 × 2^q, a power of two whose neighbour below is half as far as the
// one above (its interval holds both ends, 2^52 being even).
CShortestDecimal ShorterInterval(int q) {
    const int nMinusK = FloorLog10ThreeQuartersPow2(q);
    const int nBeta = q + FloorLog2Pow10(-nMinusK);
    const uint64_t nPower = PowerOfTen(-nMinusK).nHigh;
    const int nShift = 64 - kPrecision - nBeta;
    uint64_t nLeft = (nPower - (nPower >> (kPrecision + 1))) >> nShift;
    const uint64_t nRight = (nPower + (nPower >> kPrecision)) >> nShift;
    // The lower end is an integer only for q of 2 and 3.
    if (q < 2 || q > 3) ++nLeft;
    const uint64_t nDigits = nRight / 10;
    if (nDigits * 10 >= nLeft) return WithoutTrailingZeros({nDigits, nMinusK + 1});
    // The digits of the value itself, rounded up; a tie, at q = -77 only,
    // goes to even.
    uint64_t nRounded = ((nPower >> (nShift - 1)) + 1) / 2;
    if (nRounded % 2 != 0 && q == -77)
        --nRounded;
    else if (nRounded < nLeft)
        ++nRounded;
    return {nRounded, nMinusK};
}

}  // namespace

CShortestDecimal ShortestDecimal(double a) {
    uint64_t nBits;
    std::memcpy(&nBits, &a, sizeof nBits);
    const auto nBiased = static_cast<int>(nBits >> kFractionBits);
    const uint64_t nFraction = nBits & (kLeastNormal - 1);
    const uint64_t c = kLeastNormal | nFraction;
    const int q = nBiased - 1075;  // a = c × 2^q
    // A whole number below 2^53 is its own shortest decimal.
    if (q < 0 && q > -kPrecision && (c >> -q) << -q == c) return WithoutTrailingZeros({c >> -q, 0});
    if (nFraction == 0 && nBiased > 1) return ShorterInterval(q);
    return WithoutTrailingZeros(SymmetricInterval(c, q));
}
