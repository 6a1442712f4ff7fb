// The script constants of the extension table, for the handlers that
// compare with them: each as k and its name (kJsonNull, kJsonUTF16, ...),
// its value written once, in ExtTable.def.
#pragma once

#include <cstdint>

enum : int32_t {
#define ZOR_FUNCTION(name, counts, types)
#define ZOR_CONSTANT(name, value) k##name = value,
#include "json/ExtTable.def"
#undef ZOR_FUNCTION
#undef ZOR_CONSTANT
};
