// The vector instructions the text loops may use: SSE2, which every x86-64
// processor has, with a scalar fallback beside each kernel; and the index
// of a mask's lowest set bit.
#pragma once

#include <cstddef>

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
