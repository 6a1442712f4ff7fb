// Numbers as the JSON writer writes them: doubles in "%g" layout with the
// fewest significant digits that read back to the same double, and never
// fewer than six, the bytes computed here and never by the C runtime.
#pragma once

#include <cstddef>

// Characters of a number's text at most, with room to spare: a 64-bit
// integer takes 20, a double 24.
constexpr size_t kMaxNumberLength = 32;

// Writes d, finite, into pOut (room for kMaxNumberLength characters) and
// answers the length: where "%.6g" reads back to d, exactly its text (2,
// 0.1, 1e-05, -1.5e+300); else "%.Ng" with N the fewest digits that do
// (3.14159265, 1234567, 1.7976931348623157e+308).
size_t FormatDouble(double d, char* pOut);
