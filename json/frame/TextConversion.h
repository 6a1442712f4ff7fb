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

// A UTF-8 text handed out a piece at a time, for readers that take their
// input in pieces, or whole.
class CTextPieces {
public:
    // The next piece; empty at the end of the text.
    virtual std::string_view Next() = 0;
    // The whole text at once, whatever pieces were taken before.
    virtual std::string_view Whole() = 0;
    // Where the byte at nByte of the whole text stands in the text it came from.
    virtual CTextPlace PlaceOf(size_t nByte) = 0;

protected:
    ~CTextPieces() = default;
};

// The UTF-8 of UTF-16 units, converted a piece at a time into the same
// storage, each piece over the last: a document of any length is read in
// storage for one piece, while its pieces stay in cache. A piece never ends
// between the units of a surrogate pair, nor after a slash that a longer
// piece could hold with what follows it (the start of a comment).
class CUtf8Pieces final : public CTextPieces {
public:
    // Units converted for a piece: up to three times as many bytes.
    static constexpr size_t kPieceUnits = 16384;

    CUtf8Pieces(std::u16string_view units, CTextBuffer& storage, size_t nPieceUnits = kPieceUnits)
        : m_source(units), m_units(units), m_storage(storage), m_nPieceUnits(nPieceUnits) {}
    // The NUL-terminated text without the whitespace set at both ends; its
    // places are counted from the text's start.
    CUtf8Pieces(const char16_t* szText, CTextBuffer& storage);
    std::string_view Next() override;
    std::string_view Whole() override;
    CTextPlace PlaceOf(size_t nByte) override;

private:
    std::u16string_view m_source;  // the units, with what was trimmed before them
    std::u16string_view m_units;
    size_t m_nNext = 0;
    CTextBuffer& m_storage;
    size_t m_nPieceUnits;
};

// UTF-8 up to its first NUL byte (or its end) as UTF-16, replacing strOut.
void Utf8ToUtf16(std::string_view strText, std::u16string& strOut);

// The same NUL-terminated in storage, which is cleared first: a text handed
// to the host without a string of its own.
const char16_t* Utf8ToUtf16(std::string_view strText, CTextBuffer& storage);

// The whole UTF-8 text as UTF-16 written to pOut, which holds a unit for
// each byte (never fewer are needed); the number of units.
size_t Utf8ToUtf16(std::string_view strText, char16_t* pOut);
