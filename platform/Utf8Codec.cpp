// UTF-8 codec of the native platform layer. Each direction runs once to
// measure and once to write into storage of the measured length, with no
// temporary; runs of ASCII are taken several units at a time.
#include "Utf8Codec.h"

#include <cstdint>
#include <cstring>

namespace platform {
namespace {

constexpr char32_t kReplacement = 0xFFFD;
// A high bit in any of four UTF-16 units above U+007F, or of eight bytes.
constexpr uint64_t kNonAscii16 = 0xFF80FF80FF80FF80ull;
constexpr uint64_t kNonAscii8 = 0x8080808080808080ull;

// Collects output units: written to pDest when there is one, else only counted.
template <class Unit>
class CSink {
public:
    explicit CSink(Unit* pDest) : m_pDest(pDest) {}
    void Put(uint32_t nUnit) {
        if (m_pDest != nullptr) m_pDest[m_nCount] = static_cast<Unit>(nUnit);
        ++m_nCount;
    }
    // Puts the units of an ASCII run, narrowed or widened as they are.
    template <class Source>
    void PutRun(const Source* pSource, size_t nUnits) {
        if (m_pDest != nullptr)
            for (size_t i = 0; i < nUnits; ++i) m_pDest[m_nCount + i] = static_cast<Unit>(pSource[i]);
        m_nCount += nUnits;
    }
    size_t Count() const { return m_nCount; }

private:
    Unit* m_pDest;
    size_t m_nCount = 0;
};

void Append(CSink<char>& out, char32_t c) {
    if (c < 0x80) {
        out.Put(c);
    } else if (c < 0x800) {
        out.Put(0xC0 | c >> 6);
        out.Put(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out.Put(0xE0 | c >> 12);
        out.Put(0x80 | (c >> 6 & 0x3F));
        out.Put(0x80 | (c & 0x3F));
    } else {
        out.Put(0xF0 | c >> 18);
        out.Put(0x80 | (c >> 12 & 0x3F));
        out.Put(0x80 | (c >> 6 & 0x3F));
        out.Put(0x80 | (c & 0x3F));
    }
}

void Append(CSink<char16_t>& out, char32_t c) {
    if (c < 0x10000) {
        out.Put(c);
    } else {
        c -= 0x10000;
        out.Put(0xD800 | c >> 10);
        out.Put(0xDC00 | (c & 0x3FF));
    }
}

// The number of leading units of pSource, up to nCount, in a run of ASCII
// taken whole words at a time; they are copied to the sink as they are.
template <class Source, class Unit>
size_t CopyAsciiRun(const Source* pSource, size_t nCount, CSink<Unit>& out) {
    constexpr size_t kWord = sizeof(uint64_t) / sizeof(Source);
    constexpr uint64_t kMask = sizeof(Source) == 1 ? kNonAscii8 : kNonAscii16;
    size_t i = 0;
    for (; i + kWord <= nCount; i += kWord) {
        uint64_t nWord;
        std::memcpy(&nWord, pSource + i, sizeof nWord);
        if ((nWord & kMask) != 0) break;
    }
    out.PutRun(pSource, i);
    return i;
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

// The code point of the sequence at p[0] (a non-ASCII byte) and the bytes
// it takes: continuation bytes while they fit the sequence. A sequence cut
// short is one replacement, and the offending byte starts anew.
char32_t DecodeSequence(const uint8_t* p, size_t nLeft, size_t& nTaken) {
    const LeadByte lead = Classify(p[0]);
    char32_t c = p[0] & (0xFF >> (lead.nLength + 1));
    nTaken = 1;
    while (nTaken < static_cast<size_t>(lead.nLength) && nTaken < nLeft) {
        const uint8_t nMin = nTaken == 1 ? lead.nSecondMin : 0x80;
        const uint8_t nMax = nTaken == 1 ? lead.nSecondMax : 0xBF;
        const uint8_t next = p[nTaken];
        if (next < nMin || next > nMax) break;
        c = c << 6 | (next & 0x3F);
        ++nTaken;
    }
    return nTaken == static_cast<size_t>(lead.nLength) ? c : kReplacement;
}

// Converts with a measuring pass and a writing pass into strOut.
template <class Source, class String>
void ConvertInto(const Source* pSource, size_t nCount, String& strOut,
                 size_t (*convert)(const Source*, size_t, typename String::value_type*)) {
    strOut.resize(convert(pSource, nCount, nullptr));
    convert(pSource, nCount, strOut.data());
}

}  // namespace

size_t EncodeUtf8(const char16_t* pSource, size_t nUnits, char* pDest) {
    CSink<char> out(pDest);
    size_t i = 0;
    while (i < nUnits) {
        i += CopyAsciiRun(pSource + i, nUnits - i, out);
        if (i == nUnits) break;
        const char16_t u = pSource[i];
        if (u < 0xD800 || u > 0xDFFF) {
            Append(out, u);
        } else if (u <= 0xDBFF && i + 1 < nUnits && pSource[i + 1] >= 0xDC00 && pSource[i + 1] <= 0xDFFF) {
            Append(out, 0x10000 + ((char32_t(u) - 0xD800) << 10) + (pSource[i + 1] - 0xDC00));
            ++i;
        } else {
            Append(out, kReplacement);
        }
        ++i;
    }
    return out.Count();
}

size_t DecodeUtf8(const char* pSource, size_t nBytes, char16_t* pDest) {
    CSink<char16_t> out(pDest);
    const auto* p = reinterpret_cast<const uint8_t*>(pSource);
    size_t i = 0;
    while (i < nBytes) {
        i += CopyAsciiRun(p + i, nBytes - i, out);
        if (i == nBytes) break;
        if (p[i] < 0x80) {
            out.Put(p[i]);
            ++i;
            continue;
        }
        size_t nTaken = 0;
        Append(out, DecodeSequence(p + i, nBytes - i, nTaken));
        i += nTaken;
    }
    return out.Count();
}

void EncodeUtf8(const char16_t* pSource, size_t nUnits, std::string& strOut) {
    ConvertInto(pSource, nUnits, strOut, EncodeUtf8);
}

void DecodeUtf8(const char* pSource, size_t nBytes, std::u16string& strOut) {
    ConvertInto(pSource, nBytes, strOut, DecodeUtf8);
}

}  // namespace platform
