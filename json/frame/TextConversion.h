// Conversions between the host's UTF-16 and the UTF-8 held inside the
// library. Malformed input is replaced with U+FFFD, never refused; only a
// refusal by the platform raises 20102 (to UTF-8) or 20109 (to UTF-16).
#pragma once

#include <string>
#include <string_view>

#include "json/frame/TextBuffer.h"

// The whitespace set trimmed around texts: space, tab, LF, CR, FF and VT.
template <class Char>
constexpr bool IsTrimSpace(Char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

// Equal without regard to the case of the ASCII letters, as the C
// runtime's comparisons do in their default locale.
template <class Char>
constexpr bool EqualIgnoringCase(std::basic_string_view<Char> a, std::basic_string_view<Char> b) {
    constexpr auto lower = [](Char c) { return c >= 'A' && c <= 'Z' ? static_cast<Char>(c - 'A' + 'a') : c; };
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

// The NUL-terminated text without the whitespace set at both ends.
std::u16string_view TrimmedText(const char16_t* szText);

// The whole NUL-terminated text as UTF-8, whitespace kept.
void Utf16ToUtf8(const char16_t* szText, std::string& strOut);

// As Utf16ToUtf8; the view covers the bytes left after trimming both ends.
void Utf16ToUtf8Trimmed(const char16_t* szText, std::string& strOut, std::string_view& view);

// Where a character stands in a text: its line and its column, in
// characters, both counted from 1.
struct CTextPlace {
    size_t nLine = 1;
    size_t nColumn = 1;
};

// The place of the unit at nUnit of text (a line ends at a line feed; a
// surrogate pair is one character).
CTextPlace PlaceInText(std::u16string_view text, size_t nUnit);

// UTF-8 up to its first NUL byte (or its end) as UTF-16, replacing strOut.
void Utf8ToUtf16(std::string_view strText, std::u16string& strOut);

// The same NUL-terminated in storage, which is cleared first: a text handed
// to the host without a string of its own.
const char16_t* Utf8ToUtf16(std::string_view strText, CTextBuffer& storage);

// The whole UTF-8 text as UTF-16 written to pOut, which holds a unit for
// each byte (never fewer are needed); the number of units.
size_t Utf8ToUtf16(std::string_view strText, char16_t* pOut);
