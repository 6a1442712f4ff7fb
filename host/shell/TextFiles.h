// Text files as the shell reads and writes them: bytes through the platform's
// file calls, and the decoding of a text file's bytes.
#pragma once

#include <string>
#include <string_view>

namespace zorshell {

// The whole file at strPath (UTF-8 name); false when it cannot be read.
bool ReadFileBytes(const std::string& strPath, std::string& strBytes);
// Replaces the file at strPath with strBytes; false on failure.
bool WriteFileBytes(const std::string& strPath, std::string_view strBytes);

// The text of a file's bytes: UTF-16 little or big endian after its byte
// order mark, else UTF-8 (a byte order mark dropped). Invalid sequences, and
// a last byte that leaves half a UTF-16 unit, become U+FFFD.
std::u16string DecodeText(std::string_view strBytes);

}  // namespace zorshell
