// Text conversion between UTF-16 and UTF-8. Each direction measures first
// and then converts into an output of exactly the measured length; a short
// text of ASCII only is copied directly.
#include "TextConversion.h"

#include <cstdint>
#include <string>
#include <type_traits>

#include "../platform/Platform.h"
#include "UserException.h"

namespace {

template <class String>
void TrimString(String& str) {
    size_t nEnd = str.size();
    while (nEnd > 0 && IsTrimSpace(str[nEnd - 1])) --nEnd;
    size_t nStart = 0;
    while (nStart < nEnd && IsTrimSpace(str[nStart])) ++nStart;
    str.erase(nEnd);
    str.erase(0, nStart);
}

// Texts up to this length (key paths, delimiters, handles, short values)
// are tried as ASCII first.
constexpr size_t kShortText = 64;

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

}  // namespace

void TrimWhitespace(std::string& str) { TrimString(str); }
void TrimWhitespace(std::u16string& str) { TrimString(str); }

void Utf16ToUtf8(const char16_t* szText, std::string& strOut) {
    // Measured and converted by explicit length, found once: no terminator
    // to scan for twice or to drop.
    const size_t nUnits = std::char_traits<char16_t>::length(szText);
    if (nUnits <= kShortText && CopyAscii(szText, nUnits, strOut)) return;
    strOut.clear();
    if (nUnits > static_cast<size_t>(INT32_MAX)) throw CUserException(kErrToUtf8);
    const auto nSource = static_cast<int32_t>(nUnits);
    const int32_t nLength = platform::WideToUtf8(szText, nSource, nullptr, 0);
    if (nLength == 0) throw CUserException(kErrToUtf8);
    strOut.resize(static_cast<size_t>(nLength));
    if (platform::WideToUtf8(szText, nSource, strOut.data(), nLength) == 0) throw CUserException(kErrToUtf8);
}

void Utf16ToUtf8Trimmed(const char16_t* szText, std::string& strOut, std::string_view& view) {
    Utf16ToUtf8(szText, strOut);
    TrimWhitespace(strOut);
    view = strOut;
}

void Utf8ToUtf16(std::string_view strText, std::u16string& strOut) {
    const size_t nNul = strText.find('\0');
    if (nNul != std::string_view::npos) strText = strText.substr(0, nNul);
    if (strText.size() <= kShortText && CopyAscii(strText.data(), strText.size(), strOut)) return;
    strOut.clear();
    if (strText.empty()) return;
    if (strText.size() > static_cast<size_t>(INT32_MAX)) throw CUserException(kErrToUtf16);
    // Measured and converted by explicit length: no terminator to drop.
    const auto nSource = static_cast<int32_t>(strText.size());
    const int32_t nLength = platform::Utf8ToWide(strText.data(), nSource, nullptr, 0);
    if (nLength == 0) throw CUserException(kErrToUtf16);
    strOut.resize(static_cast<size_t>(nLength));
    if (platform::Utf8ToWide(strText.data(), nSource, strOut.data(), nLength) == 0)
        throw CUserException(kErrToUtf16);
}
