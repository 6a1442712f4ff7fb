// UTF-8 encoding and decoding with the replacement rules of the Windows
// conversion calls: a lone surrogate encodes as U+FFFD; each maximal
// invalid subpart of a UTF-8 sequence (an overlong form, an encoded
// surrogate, a value above U+10FFFF, a stray or missing continuation byte)
// decodes as one U+FFFD.
#pragma once

#include <cstddef>
#include <string>

namespace platform {

void EncodeUtf8(const char16_t* pSource, size_t nUnits, std::string& strOut);
void DecodeUtf8(const char* pSource, size_t nBytes, std::u16string& strOut);

}  // namespace platform
