// Text conversion between UTF-16 and UTF-8. Well-formed text is converted
// by the library's own codec, which gives the same bytes as the platform's
// conversion calls; text with a lone surrogate or an invalid UTF-8 sequence
// is left to the platform, whose replacement rules then apply unchanged.
#include "json/frame/TextConversion.h"

#include <algorithm>
#include <cstdint>
#include <type_traits>

#include "json/frame/UserException.h"
#include "platform/Platform.h"
#include "platform/Utf8Codec.h"

namespace {

// Texts up to this length (key paths, delimiters, handles, short values)
// are tried as ASCII first.
constexpr size_t kShortText = 64;
// UTF-8 bytes per UTF-16 unit at most: three for a BMP character, four for
// a surrogate pair.
constexpr size_t kMaxBytesPerUnit = 3;
// Units converted at a time into a long text's storage.
constexpr size_t kPieceUnits = 16384;

// ASCII is the same in UTF-8 and UTF-16: true with the text copied unit by
// unit into strOut when every unit is ASCII; false, with strOut to be
// overwritten, at the first that is not.
template <class Char, class String>
bool CopyAscii(const Char* pText, size_t nUnits, String& strOut) {
    strOut.resize(nUnits);
    for (size_t i = 0; i < nUnits; ++i) {
        if (static_cast<std::make_unsigned_t<Char>>(pText[i]) >= 0x80) return false;
        strOut[i] = static_cast<typename String::value_type>(pText[i]);
    }
    return true;
}

bool IsHighSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLowSurrogate(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

// Converts n units into pDest (room for kMaxBytesPerUnit per unit): by the
// codec when they are well-formed, else by the platform. Error 20102.
size_t EncodePiece(const char16_t* p, size_t n, char* pDest) {
    const size_t nLength = platform::EncodeWellFormedUtf8(p, n, pDest);
    if (nLength != platform::kMalformed) return nLength;
    if (n > static_cast<size_t>(INT32_MAX / kMaxBytesPerUnit)) throw CUserException(kErrToUtf8);
    const auto nUnits = static_cast<int32_t>(n);
    const int32_t nWritten = platform::WideToUtf8(p, nUnits, pDest, static_cast<int32_t>(n * kMaxBytesPerUnit));
    if (nWritten == 0) throw CUserException(kErrToUtf8);
    return static_cast<size_t>(nWritten);
}

// The length of the next piece of the n units at p, at most nMax, which
// never ends between the units of a surrogate pair.
size_t WholeUnitsLength(const char16_t* p, size_t n, size_t nMax) {
    if (n <= nMax) return n;
    return IsHighSurrogate(p[nMax - 1]) ? nMax - 1 : nMax;
}

// The n units at p as UTF-8 after the text of textOut, a piece at a time.
// The room reserved first holds a text whole whose every eighth unit takes
// three bytes (text in other scripts here and there), so that the pieces
// are written in place.
void AppendUnits(const char16_t* p, size_t n, CTextBuffer& textOut) {
    textOut.Reserve(n + n / 4 + 2 * std::min(n, kPieceUnits));
    while (n > 0) {
        const size_t nUnits = WholeUnitsLength(p, n, kPieceUnits);
        textOut.Commit(EncodePiece(p, nUnits, textOut.Reserve(nUnits * kMaxBytesPerUnit)));
        p += nUnits;
        n -= nUnits;
    }
}

// The text up to its first NUL byte.
std::string_view UpToNul(std::string_view strText) { return strText.substr(0, strText.find('\0')); }

// The n units at p as UTF-8 in strOut.
void ConvertUnits(const char16_t* p, size_t n, std::string& strOut) {
    if (n <= kShortText && CopyAscii(p, n, strOut)) return;
    CTextBuffer text;
    AppendUnits(p, n, text);
    strOut.assign(text.View());
}

}  // namespace

std::u16string_view TrimmedText(const char16_t* szText) {
    const char16_t* pStart = szText;
    const char16_t* pEnd = szText + platform::TextLength(szText);
    while (pEnd != pStart && IsTrimSpace(pEnd[-1])) --pEnd;
    while (pStart != pEnd && IsTrimSpace(*pStart)) ++pStart;
    return {pStart, static_cast<size_t>(pEnd - pStart)};
}

CTextPlace PlaceInText(std::u16string_view text, size_t nUnit) {
    CTextPlace place;
    for (size_t i = 0; i < nUnit && i < text.size(); ++i) {
        if (text[i] == '\n') {
            ++place.nLine;
            place.nColumn = 1;
        } else if (!(IsLowSurrogate(text[i]) && i > 0 && IsHighSurrogate(text[i - 1]))) {
            ++place.nColumn;
        }
    }
    return place;
}

void Utf16ToUtf8(const char16_t* szText, std::string& strOut) {
    ConvertUnits(szText, platform::TextLength(szText), strOut);
}

void Utf16ToUtf8Trimmed(const char16_t* szText, std::string& strOut, std::string_view& view) {
    const std::u16string_view units = TrimmedText(szText);
    ConvertUnits(units.data(), units.size(), strOut);
    view = strOut;
}

size_t Utf8ToUtf16(std::string_view strText, char16_t* pOut) {
    const size_t nUnits = platform::DecodeWellFormedUtf8(strText.data(), strText.size(), pOut);
    if (nUnits != platform::kMalformed) return nUnits;
    if (strText.size() > static_cast<size_t>(INT32_MAX)) throw CUserException(kErrToUtf16);
    const auto nBytes = static_cast<int32_t>(strText.size());
    const int32_t nWritten = platform::Utf8ToWide(strText.data(), nBytes, pOut, nBytes);
    if (nWritten == 0) throw CUserException(kErrToUtf16);
    return static_cast<size_t>(nWritten);
}

void Utf8ToUtf16(std::string_view strText, std::u16string& strOut) {
    strText = UpToNul(strText);
    if (strText.size() <= kShortText && CopyAscii(strText.data(), strText.size(), strOut)) return;
    // A UTF-8 text never has fewer bytes than its UTF-16 form has units.
    strOut.resize(strText.size());
    strOut.resize(Utf8ToUtf16(strText, strOut.data()));
}

const char16_t* Utf8ToUtf16(std::string_view strText, CTextBuffer& storage) {
    strText = UpToNul(strText);
    storage.Clear();
    auto* pText = reinterpret_cast<char16_t*>(storage.Reserve((strText.size() + 1) * sizeof(char16_t)));
    const size_t nUnits = Utf8ToUtf16(strText, pText);
    pText[nUnits] = 0;
    storage.Commit((nUnits + 1) * sizeof(char16_t));
    return pText;
}
