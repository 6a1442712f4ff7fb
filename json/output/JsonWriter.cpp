// The JSON writer: a walk over the tree with its own stack, writing into
// storage of UTF-8 bytes or UTF-16 units.
#include "json/output/JsonWriter.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/Simd.h"
#include "json/frame/TextConversion.h"

namespace {

using boost::json::string_view;

constexpr size_t kIndentStep = 4;
// Units of room a text starts with.
constexpr size_t kFirstRoom = 4096;
// Characters of a number's text at most, with room to spare: a 64-bit
// integer takes 20, a double 13.
constexpr size_t kMaxNumberLength = 32;
// Open containers the walk makes room for at its start.
constexpr size_t kStackReserve = 32;
// Bytes of text taken or written at a time.
constexpr size_t kBlock = 16;

// ---- Doubles -------------------------------------------------------------------
// Powers of ten that doubles hold exactly.
constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                             1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// a * 10^(5 - nExponent) with one rounding: the power is exact.
double ScaleToSixDigits(double a, int nExponent) {
    const int nShift = 5 - nExponent;
    return nShift >= 0 ? a * kPow10[nShift] : a / kPow10[-nShift];
}

// The scaled value is within 1e-9 of the exact product (below 1e7, half an
// ulp is under 1e-9): far enough from a half, its rounding is sure.
bool NearHalf(double y) { return std::fabs(y - static_cast<double>(static_cast<int64_t>(y)) - 0.5) < 1e-6; }

// floor(log10(a)) or one less, from the binary exponent of a, a normal
// positive double: 78913 / 2^18 is log10(2) to six digits.
int DecimalExponentEstimate(double a) {
    uint64_t nBits;
    std::memcpy(&nBits, &a, sizeof nBits);
    const int nBinary = static_cast<int>(nBits >> 52 & 0x7FF) - 1023;
    return (nBinary * 78913) >> 18;
}

// The six significant digits of a (1e-5 <= a < 1e15) rounded as printf
// rounds the exact binary value, and the decimal exponent of the first.
// False where the scaled value lies too near a rounding boundary for its
// one rounding error to be ruled out; the caller then takes the exact path.
bool SixDigits(double a, uint32_t& nDigits, int& nExponent) {
    nExponent = DecimalExponentEstimate(a);
    double y = ScaleToSixDigits(a, nExponent);
    if (NearHalf(y)) return false;
    if (y > 999999.5) y = ScaleToSixDigits(a, ++nExponent);
    if (y < 99999.5) y = ScaleToSixDigits(a, --nExponent);
    if (NearHalf(y) || y < 99999.5 || y > 999999.5) return false;
    const auto nFloor = static_cast<uint32_t>(y);
    nDigits = nFloor + (y - nFloor > 0.5 ? 1 : 0);
    if (nDigits == 1000000) {
        nDigits = 100000;
        ++nExponent;
    }
    return true;
}

// Six digits with the decimal point after nPoint of them (0 < nPoint <= 6),
// or after a leading "0." and -nPoint zeros; trailing zeros and a bare
// point dropped.
size_t PutFixed(uint32_t nDigits, int nPoint, char* p) {
    static const char kPairs[] =
        "0001020304050607080910111213141516171819202122232425262728293031323334353637383940414243444546474849"
        "5051525354555657585960616263646566676869707172737475767778798081828384858687888990919293949596979899";
    char szDigits[6];
    std::memcpy(szDigits, kPairs + 2 * (nDigits / 10000), 2);
    std::memcpy(szDigits + 2, kPairs + 2 * (nDigits / 100 % 100), 2);
    std::memcpy(szDigits + 4, kPairs + 2 * (nDigits % 100), 2);
    int nLast = 5;
    while (nLast >= 0 && szDigits[nLast] == '0' && nLast >= nPoint) --nLast;
    size_t n = 0;
    if (nPoint <= 0) {
        p[n++] = '0';
        p[n++] = '.';
        for (int i = nPoint; i < 0; ++i) p[n++] = '0';
    }
    for (int i = 0; i <= nLast; ++i) {
        if (i == nPoint && nPoint > 0) p[n++] = '.';
        p[n++] = szDigits[i];
    }
    return n;
}

// d.ddddde+XX with trailing zeros of the fraction and a bare point dropped;
// the exponent here has two digits.
size_t PutExponential(uint32_t nDigits, int nExponent, char* p) {
    size_t n = PutFixed(nDigits, 1, p);
    p[n++] = 'e';
    p[n++] = nExponent < 0 ? '-' : '+';
    const int nAbs = nExponent < 0 ? -nExponent : nExponent;
    p[n++] = static_cast<char>('0' + nAbs / 10);
    p[n++] = static_cast<char>('0' + nAbs % 10);
    return n;
}

// ---- String literals --------------------------------------------------------------
// The bytes that need an escape: controls, the quote and the backslash.
constexpr auto kNeedsEscape = [] {
    std::array<bool, 256> table{};
    for (size_t c = 0; c < 0x20; ++c) table[c] = true;
    table['"'] = table['\\'] = true;
    return table;
}();

bool NeedsEscape(unsigned char c) { return kNeedsEscape[c]; }

#ifdef ZOR_SSE2
// A bit for each byte of the block that needs an escape.
int EscapeMask(__m128i bytes) {
    const __m128i control = _mm_set1_epi8(0x1F);
    const __m128i special =
        _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('"')), _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\\'))),
                     _mm_cmpeq_epi8(_mm_max_epu8(bytes, control), control));
    return _mm_movemask_epi8(special);
}
#endif

// A byte written as it is: one that needs no escape, and in UTF-16 text an
// ASCII one.
template <class Unit>
bool IsCopied(unsigned char c) {
    return !NeedsEscape(c) && (sizeof(Unit) == 1 || c < 0x80);
}

// The number of leading bytes of p, up to n, that need no escape: sixteen
// at a time up to the block that holds one, then byte by byte.
size_t PlainRun(const char* p, size_t n) {
    size_t i = 0;
#ifdef ZOR_SSE2
    for (; i + kBlock <= n; i += kBlock)
        if (EscapeMask(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i))) != 0) break;
#endif
    while (i < n && !NeedsEscape(static_cast<unsigned char>(p[i]))) ++i;
    return i;
}

// The escape of a byte that needs one: \" \\ \b \t \n \f \r, or \u00XX.
string_view Escape(unsigned char c, char (&szBuffer)[6]) {
    static const char kHex[] = "0123456789abcdef";
    switch (c) {
        case '"': return "\\\"";
        case '\\': return "\\\\";
        case '\b': return "\\b";
        case '\t': return "\\t";
        case '\n': return "\\n";
        case '\f': return "\\f";
        case '\r': return "\\r";
        default:
            std::memcpy(szBuffer, "\\u00", 4);
            szBuffer[4] = kHex[c >> 4];
            szBuffer[5] = kHex[c & 0xF];
            return {szBuffer, 6};
    }
}

// ---- Output ------------------------------------------------------------------------
// A run of bytes that need no escape, with a byte above 0x7F among them,
// decoded into UTF-16. A run ends at an ASCII byte or the end of a string,
// which no UTF-8 sequence crosses, so run by run gives what the whole text
// at once would. Error 20109.
size_t PutRun(string_view run, char16_t* pOut) {
    // A short run of ASCII (member names, most short values) directly.
    constexpr size_t kShortRun = 16;
    size_t i = 0;
    if (run.size() < kShortRun) {
        for (; i < run.size() && static_cast<unsigned char>(run[i]) < 0x80; ++i) pOut[i] = run[i];
        if (i == run.size()) return i;
    }
    return Utf8ToUtf16(std::string_view(run.data(), run.size()), pOut);
}

// Sixteen bytes of spaces.
template <class Unit>
struct CSpaces {
    static constexpr size_t kCount = kBlock / sizeof(Unit);
    Unit units[kCount];
    constexpr CSpaces() : units{} {
        for (Unit& unit : units) unit = ' ';
    }
};

// Writes the text at the end of the storage; every put makes room for what
// it writes first, then writes without checks.
template <class Unit>
class CWriter {
public:
    explicit CWriter(CTextBuffer& storage) : m_storage(storage) { Room(kFirstRoom); }

    void Put(char c) {
        Room(1);
        *m_pOut++ = static_cast<Unit>(c);
    }
    void PutAscii(string_view text) {
        Room(text.size());
        for (const char c : text) *m_pOut++ = static_cast<Unit>(c);
    }
    // A literal, its length known without counting.
    template <size_t N>
    void PutAscii(const char (&szText)[N]) {
        PutAscii(string_view(szText, N - 1));
    }
    // A comma when bComma, a line feed and the indentation of nDepth
    // levels, written sixteen bytes of spaces at a time (the room covers
    // the last store whole).
    void PutLineBreak(bool bComma, size_t nDepth) {
        static constexpr CSpaces<Unit> kSpaces{};
        const size_t nSpaces = nDepth * kIndentStep;
        Room(2 + nSpaces + kSpaces.kCount);
        if (bComma) *m_pOut++ = static_cast<Unit>(',');
        *m_pOut++ = static_cast<Unit>('\n');
        for (size_t i = 0; i < nSpaces; i += kSpaces.kCount) std::memcpy(m_pOut + i, kSpaces.units, sizeof kSpaces.units);
        m_pOut += nSpaces;
    }
    // Numbers are formatted in place in UTF-8 storage, and widened from a
    // buffer into UTF-16.
    void PutDouble(double d) {
        PutFormatted(kMaxNumberLength, [d](char* p) { return FormatDouble(d, p); });
    }
    template <class Number>
    void PutInteger(Number n) {
        PutFormatted(kMaxNumberLength, [n](char* p) {
            return static_cast<size_t>(std::to_chars(p, p + kMaxNumberLength, n).ptr - p);
        });
    }
    // Runs of bytes that need no escape, and the escapes between them; a
    // run never has more units than bytes.
    void PutLiteral(string_view text) {
        Put('"');
        const char* p = text.data();
        for (size_t i = 0, n = text.size(); i < n;) {
            i += PutPlainBlocks(p + i, n - i);
            if (i == n) break;
            const auto c = static_cast<unsigned char>(p[i]);
            if (NeedsEscape(c)) {
                char szBuffer[6];
                PutAscii(Escape(c, szBuffer));
                ++i;
            } else if (IsCopied<Unit>(c)) {
                // Up to the next byte that is not copied as it is, which may
                // start a block again.
                Room(n - i);
                do {
                    *m_pOut++ = static_cast<Unit>(p[i++]);
                } while (i < n && IsCopied<Unit>(static_cast<unsigned char>(p[i])));
            } else if constexpr (sizeof(Unit) == 2) {
                const size_t nRun = PlainRun(p + i, n - i);
                Room(nRun);
                m_pOut += PutRun(string_view(p + i, nRun), m_pOut);
                i += nRun;
            }
        }
        Put('"');
    }

    // Ends the text with a NUL, which the storage holds as well.
    void Finish() {
        Put('\0');
        Commit();
    }

private:
    // format(p) writes at most nMax characters at p and answers how many.
    template <class Format>
    void PutFormatted(size_t nMax, Format format) {
        Room(nMax);
        if constexpr (sizeof(Unit) == 1) {
            m_pOut += format(m_pOut);
        } else {
            char szText[kMaxNumberLength];
            const size_t n = format(szText);
            m_pOut = std::copy(szText, szText + n, m_pOut);
        }
    }

    // Copies blocks of sixteen bytes that need no escape (in UTF-16 text,
    // ASCII bytes) as they are read, and the bytes of the block that ends
    // the run up to its first other one; the number of bytes taken.
    size_t PutPlainBlocks(const char* p, size_t n) {
        size_t i = 0;
#ifdef ZOR_SSE2
        for (; i + kBlock <= n; i += kBlock) {
            Room(kBlock);
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
            int nMask = EscapeMask(bytes);
            if constexpr (sizeof(Unit) == 1) {
                _mm_storeu_si128(reinterpret_cast<__m128i*>(m_pOut), bytes);
            } else {
                nMask |= _mm_movemask_epi8(bytes);
                _mm_storeu_si128(reinterpret_cast<__m128i*>(m_pOut), _mm_unpacklo_epi8(bytes, _mm_setzero_si128()));
                _mm_storeu_si128(reinterpret_cast<__m128i*>(m_pOut + 8), _mm_unpackhi_epi8(bytes, _mm_setzero_si128()));
            }
            if (nMask != 0) {
                const unsigned nPlain = platform::LowestSetBit(static_cast<unsigned>(nMask));
                m_pOut += nPlain;
                return i + nPlain;
            }
            m_pOut += kBlock;
        }
#else
        (void)p;
        (void)n;
#endif
        return i;
    }

    void Room(size_t n) {
        if (static_cast<size_t>(m_pEnd - m_pOut) >= n) return;
        Commit();
        m_pOut = m_pCommitted = reinterpret_cast<Unit*>(m_storage.Reserve(n * sizeof(Unit)));
        m_pEnd = m_pOut + (m_storage.Capacity() - m_storage.View().size()) / sizeof(Unit);
    }

    // Hands the units written since the last commit to the storage.
    void Commit() {
        m_storage.Commit(static_cast<size_t>(m_pOut - m_pCommitted) * sizeof(Unit));
        m_pCommitted = m_pOut;
    }

    CTextBuffer& m_storage;
    Unit* m_pCommitted = nullptr;
    Unit* m_pOut = nullptr;
    Unit* m_pEnd = nullptr;
};

// ---- The walk ----------------------------------------------------------------------------
// One open array or object of the walk, its size, and the index of its
// next child.
struct Frame {
    const boost::json::value* pContainer;
    size_t nSize;
    size_t nNext;
    bool bArray;
};

template <class Output>
class CWalk {
public:
    CWalk(bool bIndented, Output& out) : m_bIndented(bIndented), m_out(out) {}

    void Write(const boost::json::value& root) {
        m_stack.reserve(kStackReserve);
        Open(root);
        while (!m_stack.empty()) {
            Frame& frame = m_stack.back();
            if (frame.nNext < frame.nSize)
                Child(frame);
            else
                Close();
        }
        if (m_bIndented) m_out.Put('\n');
    }

private:
    void Open(const boost::json::value& jv) {
        const bool bArray = jv.is_array();
        m_out.Put(bArray ? '[' : '{');
        m_stack.push_back({&jv, bArray ? jv.get_array().size() : jv.get_object().size(), 0, bArray});
    }

    // Indented, an empty container holds an empty line.
    void Close() {
        const bool bArray = m_stack.back().bArray;
        const bool bEmpty = m_stack.back().nSize == 0;
        m_stack.pop_back();
        if (m_bIndented) {
            if (bEmpty) m_out.Put('\n');
            m_out.PutLineBreak(false, m_stack.size());
        }
        m_out.Put(bArray ? ']' : '}');
    }

    void Scalar(const boost::json::value& jv) {
        switch (jv.kind()) {
            case boost::json::kind::null: m_out.PutAscii("null"); break;
            case boost::json::kind::bool_:
                if (jv.get_bool())
                    m_out.PutAscii("true");
                else
                    m_out.PutAscii("false");
                break;
            case boost::json::kind::int64: m_out.PutInteger(jv.get_int64()); break;
            case boost::json::kind::uint64: m_out.PutInteger(jv.get_uint64()); break;
            case boost::json::kind::double_: m_out.PutDouble(jv.get_double()); break;
            case boost::json::kind::string: m_out.PutLiteral(jv.get_string()); break;
            default: break;
        }
    }

    // Writes the next child of frame; a container child opens a new frame.
    void Child(Frame& frame) {
        const size_t nIndex = frame.nNext++;
        if (m_bIndented)
            m_out.PutLineBreak(nIndex > 0, m_stack.size());
        else if (nIndex > 0)
            m_out.Put(',');
        const boost::json::value* pChild;
        if (frame.bArray) {
            pChild = &frame.pContainer->get_array()[nIndex];
        } else {
            const auto& member = frame.pContainer->get_object().begin()[nIndex];
            m_out.PutLiteral(member.key());
            m_out.PutAscii(" : ");
            pChild = &member.value();
        }
        if (pChild->is_array() || pChild->is_object())
            Open(*pChild);  // may move m_stack: frame is not used after this
        else
            Scalar(*pChild);
    }

    bool m_bIndented;
    Output& m_out;
    std::vector<Frame> m_stack;
};

}  // namespace

// The fast path covers the magnitudes whose scaling by a power of ten is
// one exact operation and one rounding; zero, the rest and values too near
// a rounding boundary are left to the standard library's exact conversion.
size_t FormatDouble(double d, char* pOut) {
    const double a = std::fabs(d);
    uint32_t nDigits = 0;
    int nExponent = 0;
    if (a >= 1e-5 && a < 1e15 && SixDigits(a, nDigits, nExponent)) {
        size_t n = 0;
        if (d < 0) pOut[n++] = '-';
        if (nExponent < -4 || nExponent >= 6) return n + PutExponential(nDigits, nExponent, pOut + n);
        return n + PutFixed(nDigits, nExponent + 1, pOut + n);
    }
    return static_cast<size_t>(std::to_chars(pOut, pOut + 32, d, std::chars_format::general, 6).ptr - pOut);
}

template <class Unit>
const Unit* WriteJson(const boost::json::value& root, bool bIndented, CTextBuffer& storage) {
    storage.Clear();
    CWriter<Unit> writer(storage);
    CWalk<CWriter<Unit>>(bIndented, writer).Write(root);
    writer.Finish();
    return reinterpret_cast<const Unit*>(storage.Data());
}

template const char* WriteJson(const boost::json::value&, bool, CTextBuffer&);
template const char16_t* WriteJson(const boost::json::value&, bool, CTextBuffer&);
