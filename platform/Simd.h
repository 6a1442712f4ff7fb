// The vector instructions the text loops may use: SSE2, which every x86-64
// processor has, and the index of a mask's lowest set bit.
#pragma once

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define ZOR_SSE2 1
#endif
#if defined(_MSC_VER) && !defined(__clang__)
#include <intrin.h>
#endif

namespace platform {

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
