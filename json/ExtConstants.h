// The extension table's entries as the code names them, each written once,
// in ExtTable.def: the script constants as k and their name (kJsonNull,
// kJsonUTF16, ...), and the functions' CmdIds, their places in the table,
// as cmd:: and their name (cmd::jsParse is 0).
#pragma once

#include <cstdint>

enum : int32_t {
#define ZOR_FUNCTION(name, counts, types)
#define ZOR_CONSTANT(name, value) k##name = value,
#include "json/ExtTable.def"
#undef ZOR_FUNCTION
#undef ZOR_CONSTANT
};

namespace cmd {
enum : int16_t {
#define ZOR_FUNCTION(name, counts, types) name,
#define ZOR_CONSTANT(name, value)
#include "json/ExtTable.def"
#undef ZOR_FUNCTION
#undef ZOR_CONSTANT
};
}  // namespace cmd
