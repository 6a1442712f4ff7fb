// The canonical text of a key path, as the listing writes every path and
// the container path walk writes a search's prefix: each key in brackets,
// "[k][N]" for an element of an array reached by key, "[][N]" for any
// other element, segments joined by the delimiter.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Appends "[key]".
inline void AppendKey(std::string_view key, std::string& strPath) {
    strPath += '[';
    strPath += key;
    strPath += ']';
}

// Appends "[N]".
inline void AppendIndex(uint64_t nIndex, std::string& strPath) {
    strPath += '[';
    strPath += std::to_string(nIndex);
    strPath += ']';
}
