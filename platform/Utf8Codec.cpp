// UTF-8 codec. Each conversion alternates between a run of ASCII, found and
// copied sixteen units at a time, and the units up to the next ASCII one,
// converted one code point at a time. Without a destination it only counts.
#include "platform/Utf8Codec.h"

#include <cstring>

#include "platform/Simd.h"

#if defined(__clang__) || defined(__GNUC__)
#define ZOR_NO_ADDRESS_CHECK __attribute__((no_sanitize_address))
#define ZOR_ALWAYS_INLINE inline __attribute__((always_inline))
#else
#define ZOR_NO_ADDRESS_CHECK
#define ZOR_ALWAYS_INLINE __forceinline
#endif

namespace platform {
namespace {

constexpr char32_t kReplacement = 0xFFFD;
// What DecodeSequence answers for an invalid sequence.
constexpr char32_t kInvalid = 0x110000;
constexpr size_t kBlock = 16;

// ---- Runs of ASCII ------------------------------------------------------------
// The number of leading units of p, up to n, below U+0080; with bWrite,
// copied to pDest as they are read: narrowed to bytes or widened to UTF-16
// units.
template <bool bWrite>
size_t AsciiRun(const char16_t* p, size_t n, char* pDest) {
    size_t i = 0;
#ifdef ZOR_SSE2
    const __m128i high = _mm_set1_epi16(static_cast<int16_t>(0xFF80));
    for (; i + kBlock <= n; i += kBlock) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 8));
        const __m128i bits = _mm_and_si128(_mm_or_si128(a, b), high);
        if (_mm_movemask_epi8(_mm_cmpeq_epi16(bits, _mm_setzero_si128())) != 0xFFFF) break;
        if constexpr (bWrite) _mm_storeu_si128(reinterpret_cast<__m128i*>(pDest + i), _mm_packus_epi16(a, b));
    }
#endif
    for (; i < n && p[i] < 0x80; ++i)
        if constexpr (bWrite) pDest[i] = static_cast<char>(p[i]);
    return i;
}

template <bool bWrite>
size_t AsciiRun(const uint8_t* p, size_t n, char16_t* pDest) {
    size_t i = 0;
#ifdef ZOR_SSE2
    for (; i + kBlock <= n; i += kBlock) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        if (_mm_movemask_epi8(bytes) != 0) break;
        if constexpr (bWrite) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(pDest + i), _mm_unpacklo_epi8(bytes, _mm_setzero_si128()));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(pDest + i + 8), _mm_unpackhi_epi8(bytes, _mm_setzero_si128()));
        }
    }
#endif
    for (; i < n && p[i] < 0x80; ++i)
        if constexpr (bWrite) pDest[i] = p[i];
    return i;
}

// ---- Output ---------------------------------------------------------------------
// Collects output units: written to pDest when bWrite, else only counted.
// Which of the two is fixed at compile time, out of the per-unit path.
template <class Unit, bool bWrite>
class CSink {
public:
    explicit CSink(Unit* pDest) : m_pDest(pDest) {}
    void Put(uint32_t nUnit) {
        if (bWrite) m_pDest[m_nCount] = static_cast<Unit>(nUnit);
        ++m_nCount;
    }
    // Puts the leading run of ASCII units of pSource, up to nUnits; the
    // length of the run.
    template <class Source>
    size_t PutAsciiRun(const Source* pSource, size_t nUnits) {
        const size_t nRun = AsciiRun<bWrite>(pSource, nUnits, bWrite ? m_pDest + m_nCount : nullptr);
        m_nCount += nRun;
        return nRun;
    }
    size_t Count() const { return m_nCount; }
    // The UTF-8 of U+0800..U+FFFF, most text in many scripts, in one step.
    void PutThreeBytes(uint32_t c) {
        if (bWrite) {
            Unit* pOut = m_pDest + m_nCount;
            pOut[0] = static_cast<Unit>(0xE0 | c >> 12);
            pOut[1] = static_cast<Unit>(0x80 | (c >> 6 & 0x3F));
            pOut[2] = static_cast<Unit>(0x80 | (c & 0x3F));
        }
        m_nCount += 3;
    }

private:
    Unit* m_pDest;
    size_t m_nCount = 0;
};

// Inlined into the conversion loops, where the sink lives in registers.
template <bool bWrite>
ZOR_ALWAYS_INLINE void Append(CSink<char, bWrite>& out, char32_t c) {
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

template <bool bWrite>
ZOR_ALWAYS_INLINE void Append(CSink<char16_t, bWrite>& out, char32_t c) {
    if (c < 0x10000) {
        out.Put(c);
    } else {
        c -= 0x10000;
        out.Put(0xD800 | c >> 10);
        out.Put(0xDC00 | (c & 0x3FF));
    }
}

// ---- Decoding one sequence ------------------------------------------------------------
// The range of the second byte after a lead byte; later bytes are 80..BF.
struct CLeadByte {
    int nLength;
    uint8_t nSecondMin;
    uint8_t nSecondMax;
};

CLeadByte Classify(uint8_t b) {
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
// short is kInvalid, and the offending byte starts anew.
ZOR_ALWAYS_INLINE char32_t DecodeSequence(const uint8_t* p, size_t nLeft, size_t& nTaken) {
    // Well-formed two- and three-byte sequences, most of what is not ASCII,
    // without classifying the lead byte.
    const auto isContinuation = [](uint8_t b) { return (b & 0xC0) == 0x80; };
    if ((p[0] & 0xE0) == 0xC0 && p[0] >= 0xC2 && nLeft >= 2 && isContinuation(p[1])) {
        nTaken = 2;
        return char32_t(p[0] & 0x1F) << 6 | (p[1] & 0x3F);
    }
    if ((p[0] & 0xF0) == 0xE0 && nLeft >= 3 && isContinuation(p[1]) && isContinuation(p[2])) {
        const char32_t c = char32_t(p[0] & 0x0F) << 12 | char32_t(p[1] & 0x3F) << 6 | (p[2] & 0x3F);
        if (c >= 0x800 && (c < 0xD800 || c > 0xDFFF)) {
            nTaken = 3;
            return c;
        }
    }
    const CLeadByte lead = Classify(p[0]);
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
    return nTaken == static_cast<size_t>(lead.nLength) ? c : kInvalid;
}

// ---- The conversions ----------------------------------------------------------------
// A lone surrogate is U+FFFD, or ends a strict conversion with kMalformed.
template <bool bStrict, bool bWrite>
size_t Encode(const char16_t* p, size_t n, char* pDest) {
    CSink<char, bWrite> out(pDest);
    size_t i = 0;
    while (i < n) {
        for (i += out.PutAsciiRun(p + i, n - i); i < n && p[i] >= 0x80; ++i) {
            const char16_t u = p[i];
            if (u >= 0x800 && (u < 0xD800 || u > 0xDFFF)) {
                out.PutThreeBytes(u);
            } else if (u < 0xD800) {
                Append(out, u);
            } else if (u <= 0xDBFF && i + 1 < n && p[i + 1] >= 0xDC00 && p[i + 1] <= 0xDFFF) {
                Append(out, 0x10000 + ((char32_t(u) - 0xD800) << 10) + (p[i + 1] - 0xDC00));
                ++i;
            } else if (bStrict) {
                return kMalformed;
            } else {
                Append(out, kReplacement);
            }
        }
    }
    return out.Count();
}

// An invalid sequence is U+FFFD, or ends a strict conversion with kMalformed.
template <bool bStrict, bool bWrite>
size_t Decode(const char* pSource, size_t n, char16_t* pDest) {
    CSink<char16_t, bWrite> out(pDest);
    const auto* p = reinterpret_cast<const uint8_t*>(pSource);
    size_t i = 0;
    while (i < n) {
        i += out.PutAsciiRun(p + i, n - i);
        while (i < n && p[i] >= 0x80) {
            size_t nTaken = 0;
            const char32_t c = DecodeSequence(p + i, n - i, nTaken);
            if (c == kInvalid && bStrict) return kMalformed;
            Append(out, c == kInvalid ? kReplacement : c);
            i += nTaken;
        }
    }
    return out.Count();
}

template <bool bStrict>
size_t Encode(const char16_t* p, size_t n, char* pDest) {
    return pDest != nullptr ? Encode<bStrict, true>(p, n, pDest) : Encode<bStrict, false>(p, n, pDest);
}

template <bool bStrict>
size_t Decode(const char* p, size_t n, char16_t* pDest) {
    return pDest != nullptr ? Decode<bStrict, true>(p, n, pDest) : Decode<bStrict, false>(p, n, pDest);
}

// Converts with a measuring pass and a writing pass into strOut.
template <class Source, class String>
void ConvertInto(const Source* pSource, size_t nCount, String& strOut,
                 size_t (*convert)(const Source*, size_t, typename String::value_type*)) {
    strOut.resize(convert(pSource, nCount, nullptr));
    convert(pSource, nCount, strOut.data());
}

}  // namespace

#ifdef ZOR_SSE2
// All ones in the units of the aligned block at p that are NUL.
ZOR_NO_ADDRESS_CHECK inline __m128i Zeros(const char16_t* p) {
    return _mm_cmpeq_epi16(_mm_load_si128(reinterpret_cast<const __m128i*>(p)), _mm_setzero_si128());
}
#endif

// Units are read up to a 16-byte boundary, then in aligned blocks of eight.
// An aligned block lies within one memory page, so the block that holds the
// terminator can be read whole even where the text ends inside it; no block
// wholly past the end is read, which memory checkers would rightly report.
ZOR_NO_ADDRESS_CHECK size_t TextLength(const char16_t* szText) {
    const char16_t* p = szText;
#ifdef ZOR_SSE2
    if (reinterpret_cast<uintptr_t>(p) % sizeof(char16_t) == 0) {
        for (; reinterpret_cast<uintptr_t>(p) % kBlock != 0; ++p)
            if (*p == 0) return static_cast<size_t>(p - szText);
        for (;; p += 8) {
            const int nZero = _mm_movemask_epi8(Zeros(p));
            if (nZero != 0) return static_cast<size_t>(p - szText) + LowestSetBit(static_cast<unsigned>(nZero)) / 2;
        }
    }
#endif
    while (*p != 0) ++p;
    return static_cast<size_t>(p - szText);
}

size_t EncodeUtf8(const char16_t* pSource, size_t nUnits, char* pDest) { return Encode<false>(pSource, nUnits, pDest); }

size_t DecodeUtf8(const char* pSource, size_t nBytes, char16_t* pDest) { return Decode<false>(pSource, nBytes, pDest); }

void EncodeUtf8(const char16_t* pSource, size_t nUnits, std::string& strOut) {
    ConvertInto(pSource, nUnits, strOut, EncodeUtf8);
}

void DecodeUtf8(const char* pSource, size_t nBytes, std::u16string& strOut) {
    ConvertInto(pSource, nBytes, strOut, DecodeUtf8);
}

size_t EncodeWellFormedUtf8(const char16_t* pSource, size_t nUnits, char* pDest) {
    return Encode<true>(pSource, nUnits, pDest);
}

size_t DecodeWellFormedUtf8(const char* pSource, size_t nBytes, char16_t* pDest) {
    return Decode<true>(pSource, nBytes, pDest);
}

}  // namespace platform
