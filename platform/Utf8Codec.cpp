// UTF-8 codec of the native platform layer.
#include "Utf8Codec.h"

#include <cstdint>

namespace platform {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

void Append(std::string& strOut, char32_t c) {
    if (c < 0x80) {
        strOut += static_cast<char>(c);
    } else if (c < 0x800) {
        strOut += static_cast<char>(0xC0 | c >> 6);
        strOut += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        strOut += static_cast<char>(0xE0 | c >> 12);
        strOut += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        strOut += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        strOut += static_cast<char>(0xF0 | c >> 18);
        strOut += static_cast<char>(0x80 | (c >> 12 & 0x3F));
        strOut += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        strOut += static_cast<char>(0x80 | (c & 0x3F));
    }
}

void Append(std::u16string& strOut, char32_t c) {
    if (c < 0x10000) {
        strOut += static_cast<char16_t>(c);
    } else {
        c -= 0x10000;
        strOut += static_cast<char16_t>(0xD800 | c >> 10);
        strOut += static_cast<char16_t>(0xDC00 | (c & 0x3FF));
    }
}

// The range of the second byte after a lead byte; later bytes are 80..BF.
struct LeadByte {
    int nLength;
    uint8_t nSecondMin;
    uint8_t nSecondMax;
};

LeadByte Classify(uint8_t b) {
    if (b >= 0xC2 && b <= 0xDF) return {2, 0x80, 0xBF};
    if (b == 0xE0) return {3, 0xA0, 0xBF};
    if (b == 0xED) return {3, 0x80, 0x9F};
    if (b >= 0xE1 && b <= 0xEF) return {3, 0x80, 0xBF};
    if (b == 0xF0) return {4, 0x90, 0xBF};
    if (b >= 0xF1 && b <= 0xF3) return {4, 0x80, 0xBF};
    if (b == 0xF4) return {4, 0x80, 0x8F};
    return {0, 0, 0};
}

}  // namespace

void EncodeUtf8(const char16_t* pSource, size_t nUnits, std::string& strOut) {
    strOut.clear();
    strOut.reserve(nUnits);
    for (size_t i = 0; i < nUnits; ++i) {
        const char16_t u = pSource[i];
        if (u < 0xD800 || u > 0xDFFF) {
            Append(strOut, u);
        } else if (u <= 0xDBFF && i + 1 < nUnits && pSource[i + 1] >= 0xDC00 && pSource[i + 1] <= 0xDFFF) {
            Append(strOut, 0x10000 + ((char32_t(u) - 0xD800) << 10) + (pSource[i + 1] - 0xDC00));
            ++i;
        } else {
            Append(strOut, kReplacement);
        }
    }
}

void DecodeUtf8(const char* pSource, size_t nBytes, std::u16string& strOut) {
    strOut.clear();
    strOut.reserve(nBytes);
    const auto* p = reinterpret_cast<const uint8_t*>(pSource);
    size_t i = 0;
    while (i < nBytes) {
        const uint8_t b = p[i];
        if (b < 0x80) {
            strOut += static_cast<char16_t>(b);
            ++i;
            continue;
        }
        const LeadByte lead = Classify(b);
        char32_t c = b & (0xFF >> (lead.nLength + 1));
        // Take continuation bytes while they fit the sequence; a sequence
        // cut short is one replacement, and the offending byte starts anew.
        size_t nTaken = 1;
        while (nTaken < static_cast<size_t>(lead.nLength) && i + nTaken < nBytes) {
            const uint8_t nMin = nTaken == 1 ? lead.nSecondMin : 0x80;
            const uint8_t nMax = nTaken == 1 ? lead.nSecondMax : 0xBF;
            const uint8_t next = p[i + nTaken];
            if (next < nMin || next > nMax) break;
            c = c << 6 | (next & 0x3F);
            ++nTaken;
        }
        Append(strOut, nTaken == static_cast<size_t>(lead.nLength) ? c : kReplacement);
        i += nTaken;
    }
}

}  // namespace platform
