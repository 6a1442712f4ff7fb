// What the conversions between decimal and binary numbers share: unsigned
// 128-bit products, and a power of five or of ten kept in a table as its
// 128 most significant bits.
#pragma once

#include <cstdint>

using Uint128 = unsigned __int128;

struct CWidePower {
    uint64_t nHigh;
    uint64_t nLow;
};
