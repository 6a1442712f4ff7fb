// The JSON writer: a walk over the tree with its own stack, writing into
// storage of UTF-8 bytes or UTF-16 units.
#include "json/output/JsonWriter.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory_resource>
#include <vector>

#include "json/frame/TextConversion.h"
#include "json/output/NumberWriting.h"
#include "json/store/Children.h"
#include "platform/Simd.h"

namespace {

using boost::json::string_view;

constexpr size_t kIndentStep = 4;
// Units of room a text starts with.
constexpr size_t kFirstRoom = 4096;
// Open containers the walk makes room for at its start.
constexpr size_t kStackReserve = 32;

// ---- String literals --------------------------------------------------------------
// The bytes that need an escape, looked up rather than compared.
constexpr auto kNeedsEscape = [] {
    std::array<bool, 256> table{};
    for (size_t c = 0; c < table.size(); ++c) table[c] = platform::NeedsJsonEscape(static_cast<unsigned char>(c));
    return table;
}();

bool NeedsEscape(unsigned char c) { return kNeedsEscape[c]; }

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
    while (i + platform::kBlockBytes <= n && platform::EscapeMask(p + i) == 0) i += platform::kBlockBytes;
    while (i < n && !NeedsEscape(static_cast<unsigned char>(p[i]))) ++i;
    return i;
}

// The escape of a byte that needs one: \" \\ \b \t \n \f \r, or \u00XX.
string_view Escape(unsigned char c, char (&szBuffer)[6]) {
    static const char kHex[] = "0123456789abcdef";
    switch (c) {
        case '"':
            return "\\\"";
        case '\\':
            return "\\\\";
        case '\b':
            return "\\b";
        case '\t':
            return "\\t";
        case '\n':
            return "\\n";
        case '\f':
            return "\\f";
        case '\r':
            return "\\r";
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
    static constexpr size_t kCount = platform::kBlockBytes / sizeof(Unit);
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
        for (size_t i = 0; i < nSpaces; i += kSpaces.kCount)
            std::memcpy(m_pOut + i, kSpaces.units, sizeof kSpaces.units);
        m_pOut += nSpaces;
    }
    // Numbers are formatted in place in UTF-8 storage, and widened from a
    // buffer into UTF-16.
    void PutDouble(double d) {
        PutFormatted(kMaxNumberLength, [d](char* p) { return FormatDouble(d, p); });
    }
    template <class Number>
    void PutInteger(Number n) {
        PutFormatted(kMaxNumberLength,
                     [n](char* p) { return static_cast<size_t>(std::to_chars(p, p + kMaxNumberLength, n).ptr - p); });
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
                // start a block again (through a local pointer, which the
                // compiler keeps in a register: short texts all come here).
                Room(n - i);
                Unit* pOut = m_pOut;
                do {
                    *pOut++ = static_cast<Unit>(p[i++]);
                } while (i < n && IsCopied<Unit>(static_cast<unsigned char>(p[i])));
                m_pOut = pOut;
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
        for (size_t i = 0; i + platform::kBlockBytes <= n; i += platform::kBlockBytes) {
            Room(platform::kBlockBytes);
            const unsigned nMask = platform::CopyBlock(p + i, m_pOut);
            if (nMask != 0) {
                const unsigned nPlain = platform::LowestSetBit(nMask);
                m_pOut += nPlain;
                return i + nPlain;
            }
            m_pOut += platform::kBlockBytes;
        }
        return n - n % platform::kBlockBytes;
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
struct CFrame {
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
        m_stack.reserve(kStackReserve);  // from the walk's own block
        Open(root);
        while (!m_stack.empty()) {
            CFrame& frame = m_stack.back();
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
        m_stack.push_back({&jv, ChildCount(jv), 0, bArray});
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
            case boost::json::kind::null:
                return m_out.PutAscii("null");
            case boost::json::kind::bool_:
                return jv.get_bool() ? m_out.PutAscii("true") : m_out.PutAscii("false");
            case boost::json::kind::int64:
                return m_out.PutInteger(jv.get_int64());
            case boost::json::kind::uint64:
                return m_out.PutInteger(jv.get_uint64());
            case boost::json::kind::double_:
                return m_out.PutDouble(jv.get_double());
            case boost::json::kind::string:
                return m_out.PutLiteral(jv.get_string());
            default:
                return;  // containers are the walk's
        }
    }

    // Writes the children of frame from its next one, up to the end or to a
    // child that is a container, which opens a new frame: runs of scalars,
    // the bulk of most documents, take one loop.
    void Child(CFrame& frame) {
        if (frame.bArray) {
            const boost::json::array& array = frame.pContainer->get_array();
            while (frame.nNext < frame.nSize) {
                const boost::json::value& element = array[frame.nNext];
                Separator(frame.nNext++);
                if (element.is_structured()) return Open(element);  // may move m_stack: frame is done
                Scalar(element);
            }
            return;
        }
        const boost::json::key_value_pair* const pMembers = frame.pContainer->get_object().begin();
        while (frame.nNext < frame.nSize) {
            const boost::json::key_value_pair& member = pMembers[frame.nNext];
            Separator(frame.nNext++);
            m_out.PutLiteral(member.key());
            m_out.PutAscii(" : ");
            if (member.value().is_structured()) return Open(member.value());  // as above
            Scalar(member.value());
        }
    }

    // What goes before the child at nIndex: a line break indented, a comma
    // compact (none before the first).
    void Separator(size_t nIndex) {
        if (m_bIndented)
            m_out.PutLineBreak(nIndex > 0, m_stack.size());
        else if (nIndex > 0)
            m_out.Put(',');
    }

    bool m_bIndented;
    Output& m_out;
    // The stack's first kStackReserve frames in the walk itself, so that
    // most documents take no allocation for it; deeper ones in the heap.
    alignas(CFrame) unsigned char m_firstFrames[kStackReserve * sizeof(CFrame)];
    std::pmr::monotonic_buffer_resource m_frames{m_firstFrames, sizeof m_firstFrames};
    std::pmr::vector<CFrame> m_stack{&m_frames};
};

}  // namespace

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
