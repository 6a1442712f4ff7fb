// Numbers as the JSON writer writes them: doubles as "%g" with precision 6
// in the classic locale, the bytes computed here and never by the C runtime.
#pragma once

#include <cstddef>

// Characters of a number's text at most, with room to spare: a 64-bit
// integer takes 20, a double 13.
constexpr size_t kMaxNumberLength = 32;

// Writes d as "%g" with precision 6 into pOut (room for kMaxNumberLength
// characters) and answers the length.
size_t FormatDouble(double d, char* pOut);
