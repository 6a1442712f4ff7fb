// UTF-8 encoding and decoding. The replacing conversions follow the rules of
// the Windows conversion calls: a lone surrogate encodes as U+FFFD; each
// maximal invalid subpart of a UTF-8 sequence (an overlong form, an encoded
// surrogate, a value above U+10FFFF, a stray or missing continuation byte)
// decodes as one U+FFFD. The well-formed conversions refuse malformed input
// instead, so that a caller can leave it to the platform's own rules. Runs of
// ASCII are taken sixteen units at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// Answer of the well-formed conversions for malformed input.
constexpr size_t kMalformed = SIZE_MAX;

// The number of units before the terminating NUL.
size_t TextLength(const char16_t* szText);

// The length of the conversion; the conversion itself written to pDest as
// well when it is not null (it must hold that length).
size_t EncodeUtf8(const char16_t* pSource, size_t nUnits, char* pDest);
size_t DecodeUtf8(const char* pSource, size_t nBytes, char16_t* pDest);

// The conversion into strOut, replacing what it held.
void EncodeUtf8(const char16_t* pSource, size_t nUnits, std::string& strOut);
void DecodeUtf8(const char* pSource, size_t nBytes, std::u16string& strOut);

// The same as new strings.
inline std::string Utf8Of(std::u16string_view text) {
    std::string strOut;
    EncodeUtf8(text.data(), text.size(), strOut);
    return strOut;
}
inline std::u16string Utf16Of(std::string_view text) {
    std::u16string strOut;
    DecodeUtf8(text.data(), text.size(), strOut);
    return strOut;
}

// The conversion written to pDest, and its length; kMalformed, with pDest
// partly written, for a lone surrogate or an invalid UTF-8 sequence. pDest
// holds 3 bytes per source unit (encoding) or a unit per source byte
// (decoding).
size_t EncodeWellFormedUtf8(const char16_t* pSource, size_t nUnits, char* pDest);
size_t DecodeWellFormedUtf8(const char* pSource, size_t nBytes, char16_t* pDest);

}  // namespace platform
