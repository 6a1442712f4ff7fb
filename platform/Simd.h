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

// The reader's kernels: UTF-16 units taken kReadUnits at a time.
constexpr size_t kReadUnits = 8;

// A unit that ends the plain run of a JSON string: the quote, the
// backslash, a control.
constexpr bool EndsStringRun(char16_t u) { return u < 0x20 || u == '"' || u == '\\'; }

// JSON's white space: space, tab, line feed, carriage return.
constexpr bool IsJsonSpace(char16_t u) { return u == ' ' || u == '\n' || u == '\r' || u == '\t'; }

constexpr bool IsDecimalDigit(char16_t u) { return u >= '0' && u <= '9'; }

// The index of the first of the kReadUnits units at p that is not
// bPlain(unit), kReadUnits when all are.
template <class Plain>
unsigned PlainRunScalar(const char16_t* p, Plain bPlain) {
    unsigned i = 0;
    while (i < kReadUnits && bPlain(p[i])) ++i;
    return i;
}

inline unsigned StringRunEndScalar(const char16_t* p) {
    return PlainRunScalar(p, [](char16_t u) { return !EndsStringRun(u); });
}
inline unsigned SpaceRunEndScalar(const char16_t* p) { return PlainRunScalar(p, IsJsonSpace); }
inline unsigned DigitRunEndScalar(const char16_t* p) { return PlainRunScalar(p, IsDecimalDigit); }

inline unsigned LowestSetBit(unsigned nMask);

#ifdef ZOR_SSE2
inline __m128i LoadUnits(const char16_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }

// The index of the first unit whose lanes are clear in nPlain (a movemask
// of 16-bit lanes), kReadUnits when none is.
inline unsigned FirstNotPlain(int nPlain) {
    const unsigned nOthers = static_cast<unsigned>(nPlain) ^ 0xFFFFu;
    return nOthers == 0 ? static_cast<unsigned>(kReadUnits) : LowestSetBit(nOthers) / 2;
}

// All ones in the lanes of the units that are decimal digits; values their
// digits' values.
inline __m128i DigitLanes(__m128i units, __m128i& values) {
    values = _mm_sub_epi16(units, _mm_set1_epi16('0'));
    return _mm_cmpeq_epi16(_mm_subs_epu16(values, _mm_set1_epi16(9)), _mm_setzero_si128());
}
#endif

// The index of the first of the kReadUnits units at p that ends a JSON
// string's plain run, kReadUnits when none does.
inline unsigned StringRunEnd(const char16_t* p) {
#ifdef ZOR_SSE2
    const __m128i units = LoadUnits(p);
    const __m128i stops = _mm_or_si128(
        _mm_or_si128(_mm_cmpeq_epi16(units, _mm_set1_epi16('"')), _mm_cmpeq_epi16(units, _mm_set1_epi16('\\'))),
        _mm_cmpeq_epi16(_mm_subs_epu16(units, _mm_set1_epi16(0x1F)), _mm_setzero_si128()));
    return FirstNotPlain(_mm_movemask_epi8(stops) ^ 0xFFFF);
#else
    return StringRunEndScalar(p);
#endif
}

// The index of the first of the kReadUnits units at p that is no JSON white
// space, kReadUnits when all are. Indentation is spaces: one comparison
// settles a block of them.
inline unsigned SpaceRunEnd(const char16_t* p) {
#ifdef ZOR_SSE2
    const __m128i units = LoadUnits(p);
    const __m128i blanks = _mm_cmpeq_epi16(units, _mm_set1_epi16(' '));
    if (_mm_movemask_epi8(blanks) == 0xFFFF) return static_cast<unsigned>(kReadUnits);
    const __m128i spaces = _mm_or_si128(
        _mm_or_si128(blanks, _mm_cmpeq_epi16(units, _mm_set1_epi16('\n'))),
        _mm_or_si128(_mm_cmpeq_epi16(units, _mm_set1_epi16('\r')), _mm_cmpeq_epi16(units, _mm_set1_epi16('\t'))));
    return FirstNotPlain(_mm_movemask_epi8(spaces));
#else
    return SpaceRunEndScalar(p);
#endif
}

// The number of decimal digits that the kReadUnits units at p begin with.
inline unsigned DigitRunEnd(const char16_t* p) {
#ifdef ZOR_SSE2
    __m128i values;
    return FirstNotPlain(_mm_movemask_epi8(DigitLanes(LoadUnits(p), values)));
#else
    return DigitRunEndScalar(p);
#endif
}

// The kReadUnits units at p narrowed to bytes in pOut, and whether the
// first nUnits of them are ASCII, which narrowing leaves as they are.
inline bool NarrowAscii(const char16_t* p, unsigned nUnits, char* pOut) {
#ifdef ZOR_SSE2
    const __m128i units = LoadUnits(p);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(pOut), _mm_packus_epi16(units, units));
    const __m128i ascii =
        _mm_cmpeq_epi16(_mm_and_si128(units, _mm_set1_epi16(static_cast<int16_t>(0xFF80))), _mm_setzero_si128());
    return FirstNotPlain(_mm_movemask_epi8(ascii)) >= nUnits;
#else
    for (unsigned i = 0; i < kReadUnits; ++i) pOut[i] = static_cast<char>(p[i]);
    return PlainRunScalar(p, [](char16_t u) { return u < 0x80; }) >= nUnits;
#endif
}

// The value of eight digits, each in a byte of nBytes, the first the most
// significant in the lowest byte: pairs, then fours, then the eight.
inline uint32_t EightDigitsValue(uint64_t nBytes) {
    nBytes = nBytes * 10 + (nBytes >> 8);
    const uint64_t kPairs = 0x000000FF000000FF;
    nBytes = ((nBytes & kPairs) * (100 + (uint64_t{1000000} << 32)) +
              ((nBytes >> 16) & kPairs) * (1 + (uint64_t{10000} << 32))) >>
             32;
    return static_cast<uint32_t>(nBytes);
}

// The kReadUnits units at p narrowed to bytes in pOut, and the index of the
// first that is not plain ASCII in a string (kReadUnits when none): one that
// ends a string's plain run, or one above U+007F.
inline unsigned NarrowStringBlock(const char16_t* p, char* pOut) {
#ifdef ZOR_SSE2
    const __m128i units = LoadUnits(p);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(pOut), _mm_packus_epi16(units, units));
    const __m128i ascii =
        _mm_cmpeq_epi16(_mm_and_si128(units, _mm_set1_epi16(static_cast<int16_t>(0xFF80))), _mm_setzero_si128());
    const __m128i ends = _mm_or_si128(
        _mm_or_si128(_mm_cmpeq_epi16(units, _mm_set1_epi16('"')), _mm_cmpeq_epi16(units, _mm_set1_epi16('\\'))),
        _mm_cmpeq_epi16(_mm_subs_epu16(units, _mm_set1_epi16(0x1F)), _mm_setzero_si128()));
    return FirstNotPlain(_mm_movemask_epi8(_mm_andnot_si128(ends, ascii)));
#else
    for (unsigned i = 0; i < kReadUnits; ++i) pOut[i] = static_cast<char>(p[i]);
    return PlainRunScalar(p, [](char16_t u) { return u < 0x80 && !EndsStringRun(u); });
#endif
}

// The value of the first nCount (1 to kReadUnits) of the units at p, which
// are decimal digits, the first the most significant.
inline uint32_t BlockDigitsValue(const char16_t* p, unsigned nCount) {
    uint64_t nDigits = 0;
#ifdef ZOR_SSE2
    const __m128i values = _mm_sub_epi16(LoadUnits(p), _mm_set1_epi16('0'));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(&nDigits), _mm_packus_epi16(values, values));
#else
    for (unsigned i = 0; i < kReadUnits; ++i) nDigits |= static_cast<uint64_t>((p[i] - '0') & 0xFF) << (8 * i);
#endif
    return EightDigitsValue(nDigits << (8 * (kReadUnits - nCount)));
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
