// UTF-8 encoding and decoding with the replacement rules of the Windows
// conversion calls: a lone surrogate encodes as U+FFFD; each maximal
// invalid subpart of a UTF-8 sequence (an overlong form, an encoded
// surrogate, a value above U+10FFFF, a stray or missing continuation byte)
// decodes as one U+FFFD.
#pragma once

#include <cstddef>
#include <string>

namespace platform {

// The length of the conversion; the conversion itself written to pDest as
// well when it is not null (it must hold that length).
size_t EncodeUtf8(const char16_t* pSource, size_t nUnits, char* pDest);
size_t DecodeUtf8(const char* pSource, size_t nBytes, char16_t* pDest);

// The conversion into strOut, replacing what it held.
void EncodeUtf8(const char16_t* pSource, size_t nUnits, std::string& strOut);
void DecodeUtf8(const char* pSource, size_t nBytes, std::u16string& strOut);

}  // namespace platform
