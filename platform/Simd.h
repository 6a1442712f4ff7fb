// The vector instructions the text loops may use: SSE2, which every x86-64
// processor has, with a scalar fallback beside each kernel; and the index
// of a mask's lowest set bit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define ZOR_SSE2 1
#endif
#if defined(_MSC_VER) && !defined(__clang__)
#include <intrin.h>
#endif

namespace platform {

// The bytes the text loops take or write at a time.
constexpr size_t kBlockBytes = 16;

// The bytes a JSON string literal cannot hold as they are: the controls,
// the quote and the backslash.
constexpr bool NeedsJsonEscape(unsigned char c) { return c < 0x20 || c == '"' || c == '\\'; }

#ifdef ZOR_SSE2
inline int EscapeBits(__m128i bytes) {
    const __m128i control = _mm_set1_epi8(0x1F);
    const __m128i special = _mm_or_si128(
        _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('"')), _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\\'))),
        _mm_cmpeq_epi8(_mm_max_epu8(bytes, control), control));
    return _mm_movemask_epi8(special);
}
#endif

// The scalar kernels: the fallback without SSE2, and the reference the
// SSE2 kernels are tested against.

// A bit for each of the kBlockBytes bytes at p that needs a JSON escape.
inline unsigned EscapeMaskScalar(const char* p) {
    unsigned nMask = 0;
    for (size_t i = 0; i < kBlockBytes; ++i) nMask |= unsigned{NeedsJsonEscape(static_cast<unsigned char>(p[i]))} << i;
    return nMask;
}

// Copies the kBlockBytes bytes at p to pOut, as bytes or widened to UTF-16
// units, and answers a bit for each byte that is not copied as it stands:
// one that needs a JSON escape, and in UTF-16 one above 0x7F.
template <class Unit>
unsigned CopyBlockScalar(const char* p, Unit* pOut) {
    unsigned nMask = 0;
    for (size_t i = 0; i < kBlockBytes; ++i) {
        const auto c = static_cast<unsigned char>(p[i]);
        pOut[i] = static_cast<Unit>(c);
        if (NeedsJsonEscape(c) || (sizeof(Unit) == 2 && c >= 0x80)) nMask |= 1u << i;
    }
    return nMask;
}

// The kernels the text loops call: SSE2 where the processor has it.
inline unsigned EscapeMask(const char* p) {
#ifdef ZOR_SSE2
    return static_cast<unsigned>(EscapeBits(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))));
#else
    return EscapeMaskScalar(p);
#endif
}

template <class Unit>
unsigned CopyBlock(const char* p, Unit* pOut) {
#ifdef ZOR_SSE2
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    int nMask = EscapeBits(bytes);
    if constexpr (sizeof(Unit) == 1) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(pOut), bytes);
    } else {
        nMask |= _mm_movemask_epi8(bytes);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(pOut), _mm_unpacklo_epi8(bytes, _mm_setzero_si128()));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(pOut + 8), _mm_unpackhi_epi8(bytes, _mm_setzero_si128()));
    }
    return static_cast<unsigned>(nMask);
#else
    return CopyBlockScalar(p, pOut);
#endif
}

// UTF-16 units a JSON reader takes at a time.
constexpr size_t kBlockUnits = 8;

// A unit that ends the plain run of a JSON string: the quote, the
// backslash, a control.
constexpr bool EndsStringRun(char16_t u) { return u < 0x20 || u == '"' || u == '\\'; }

// The index of the first of the kBlockUnits units at p that ends a JSON
// string's plain run, kBlockUnits when none does.
inline unsigned StringRunEndScalar(const char16_t* p) {
    unsigned i = 0;
    while (i < kBlockUnits && !EndsStringRun(p[i])) ++i;
    return i;
}

inline unsigned LowestSetBit(unsigned nMask);

inline unsigned StringRunEnd(const char16_t* p) {
#ifdef ZOR_SSE2
    const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i stops = _mm_or_si128(
        _mm_or_si128(_mm_cmpeq_epi16(units, _mm_set1_epi16('"')), _mm_cmpeq_epi16(units, _mm_set1_epi16('\\'))),
        _mm_cmpeq_epi16(_mm_subs_epu16(units, _mm_set1_epi16(0x1F)), _mm_setzero_si128()));
    const auto nMask = static_cast<unsigned>(_mm_movemask_epi8(stops));
    return nMask == 0 ? static_cast<unsigned>(kBlockUnits) : LowestSetBit(nMask) / 2;
#else
    return StringRunEndScalar(p);
#endif
}

// JSON's white space: space, tab, line feed, carriage return.
constexpr bool IsJsonSpace(char16_t u) { return u == ' ' || u == '\n' || u == '\r' || u == '\t'; }

// The index of the first of the kBlockUnits units at p that is no JSON
// white space, kBlockUnits when all are.
inline unsigned SpaceRunEndScalar(const char16_t* p) {
    unsigned i = 0;
    while (i < kBlockUnits && IsJsonSpace(p[i])) ++i;
    return i;
}

inline unsigned SpaceRunEnd(const char16_t* p) {
#ifdef ZOR_SSE2
    const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    // Indentation is spaces: one comparison settles a block of them.
    if (_mm_movemask_epi8(_mm_cmpeq_epi16(units, _mm_set1_epi16(' '))) == 0xFFFF)
        return static_cast<unsigned>(kBlockUnits);
    const __m128i spaces = _mm_or_si128(
        _mm_or_si128(_mm_cmpeq_epi16(units, _mm_set1_epi16(' ')), _mm_cmpeq_epi16(units, _mm_set1_epi16('\n'))),
        _mm_or_si128(_mm_cmpeq_epi16(units, _mm_set1_epi16('\r')), _mm_cmpeq_epi16(units, _mm_set1_epi16('\t'))));
    const auto nOthers = static_cast<unsigned>(_mm_movemask_epi8(spaces)) ^ 0xFFFFu;
    return nOthers == 0 ? static_cast<unsigned>(kBlockUnits) : LowestSetBit(nOthers) / 2;
#else
    return SpaceRunEndScalar(p);
#endif
}

// The number of decimal digits that the kBlockUnits units at p begin with.
inline unsigned DigitRunEndScalar(const char16_t* p) {
    unsigned i = 0;
    while (i < kBlockUnits && p[i] >= '0' && p[i] <= '9') ++i;
    return i;
}

inline unsigned DigitRunEnd(const char16_t* p) {
#ifdef ZOR_SSE2
    const __m128i values = _mm_sub_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), _mm_set1_epi16('0'));
    const __m128i digits = _mm_cmpeq_epi16(_mm_subs_epu16(values, _mm_set1_epi16(9)), _mm_setzero_si128());
    const auto nOthers = static_cast<unsigned>(_mm_movemask_epi8(digits)) ^ 0xFFFFu;
    return nOthers == 0 ? static_cast<unsigned>(kBlockUnits) : LowestSetBit(nOthers) / 2;
#else
    return DigitRunEndScalar(p);
#endif
}

// The value of the four decimal digits at p, the first the most
// significant, combined pairwise in one 64-bit word.
inline uint32_t FourDigits(const char16_t* p) {
    uint64_t nUnits;
    std::memcpy(&nUnits, p, sizeof nUnits);
    nUnits -= 0x0030003000300030;
    nUnits = (nUnits * 10 + (nUnits >> 16)) & 0x0000FFFF0000FFFF;
    return static_cast<uint32_t>((nUnits & 0xFFFF) * 100 + (nUnits >> 32));
}

// The index of the lowest set bit of nMask, which is not zero.
inline unsigned LowestSetBit(unsigned nMask) {
#if defined(_MSC_VER) && !defined(__clang__)
    unsigned long nIndex;
    _BitScanForward(&nIndex, nMask);
    return nIndex;
#else
    return static_cast<unsigned>(__builtin_ctz(nMask));
#endif
}

}  // namespace platform
