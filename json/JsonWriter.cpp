// The JSON writer: one growing byte buffer, scalars formatted in place.
#include "JsonWriter.h"

#include <charconv>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

constexpr size_t kIndentStep = 4;

// The number of leading bytes of pText, up to nSize, that are copied as
// they are, taken eight at a time: whole words with no byte below 0x20, no
// quote and no backslash. A byte that needs no escape may end the count
// early; the caller looks at each byte after it.
size_t PlainWords(const char* pText, size_t nSize) {
    constexpr uint64_t kOnes = 0x0101010101010101ull;
    constexpr uint64_t kHigh = 0x8080808080808080ull;
    size_t i = 0;
    for (; i + sizeof(uint64_t) <= nSize; i += sizeof(uint64_t)) {
        uint64_t w;
        std::memcpy(&w, pText + i, sizeof w);
        const uint64_t q = w ^ (kOnes * '"');
        const uint64_t b = w ^ (kOnes * '\\');
        if ((((w - kOnes * 0x20) & ~w) | ((q - kOnes) & ~q) | ((b - kOnes) & ~b)) & kHigh) break;
    }
    return i;
}

void AppendStringLiteral(std::string& strOut, boost::json::string_view text) {
    static const char kHex[] = "0123456789abcdef";
    strOut += '"';
    size_t nPlain = 0;  // start of the run of bytes copied unchanged
    for (size_t i = 0; i < text.size(); ++i) {
        i += PlainWords(text.data() + i, text.size() - i);
        if (i == text.size()) break;
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c != '"' && c != '\\') continue;
        strOut.append(text.data() + nPlain, i - nPlain);
        nPlain = i + 1;
        switch (c) {
            case '"': strOut += "\\\""; break;
            case '\\': strOut += "\\\\"; break;
            case '\b': strOut += "\\b"; break;
            case '\t': strOut += "\\t"; break;
            case '\n': strOut += "\\n"; break;
            case '\f': strOut += "\\f"; break;
            case '\r': strOut += "\\r"; break;
            default:
                strOut += "\\u00";
                strOut += kHex[c >> 4];
                strOut += kHex[c & 0xF];
        }
    }
    strOut.append(text.data() + nPlain, text.size() - nPlain);
    strOut += '"';
}

template <class Number>
void AppendNumber(std::string& strOut, Number n) {
    char szText[32];
    const auto result = std::to_chars(szText, szText + sizeof szText, n);
    strOut.append(szText, result.ptr);
}

// "%g" with precision 6, as printf writes it in the classic locale.
void AppendDouble(std::string& strOut, double d) {
    char szText[32];
    const auto result = std::to_chars(szText, szText + sizeof szText, d, std::chars_format::general, 6);
    strOut.append(szText, result.ptr);
}

void AppendScalar(std::string& strOut, const boost::json::value& jv) {
    switch (jv.kind()) {
        case boost::json::kind::null: strOut += "null"; break;
        case boost::json::kind::bool_: strOut += jv.get_bool() ? "true" : "false"; break;
        case boost::json::kind::int64: AppendNumber(strOut, jv.get_int64()); break;
        case boost::json::kind::uint64: AppendNumber(strOut, jv.get_uint64()); break;
        case boost::json::kind::double_: AppendDouble(strOut, jv.get_double()); break;
        case boost::json::kind::string: AppendStringLiteral(strOut, jv.get_string()); break;
        default: break;
    }
}

// One open array or object of the walk and the index of its next child.
struct Frame {
    const boost::json::value* pContainer;
    size_t nNext;

    size_t Size() const {
        return pContainer->is_array() ? pContainer->get_array().size() : pContainer->get_object().size();
    }
};

class Writer {
public:
    Writer(bool bIndented, std::string& strOut) : m_bIndented(bIndented), m_strOut(strOut) {}

    void Write(const boost::json::value& root) {
        Open(root);
        while (!m_stack.empty()) {
            Frame& frame = m_stack.back();
            if (frame.nNext < frame.Size())
                Child(frame);
            else
                Close();
        }
        if (m_bIndented) m_strOut += '\n';
    }

private:
    void Indent(size_t nDepth) { m_strOut.append(nDepth * kIndentStep, ' '); }

    void Open(const boost::json::value& jv) {
        m_strOut += jv.is_array() ? '[' : '{';
        if (m_bIndented) m_strOut += '\n';
        m_stack.push_back({&jv, 0});
    }

    void Close() {
        const bool bArray = m_stack.back().pContainer->is_array();
        m_stack.pop_back();
        if (m_bIndented) {
            m_strOut += '\n';
            Indent(m_stack.size());
        }
        m_strOut += bArray ? ']' : '}';
    }

    // Writes the next child of frame; a container child opens a new frame.
    void Child(Frame& frame) {
        const size_t nIndex = frame.nNext++;
        if (nIndex > 0) m_strOut += m_bIndented ? ",\n" : ",";
        if (m_bIndented) Indent(m_stack.size());
        const boost::json::value* pChild;
        if (frame.pContainer->is_array()) {
            pChild = &frame.pContainer->get_array()[nIndex];
        } else {
            const auto& member = frame.pContainer->get_object().begin()[nIndex];
            AppendStringLiteral(m_strOut, member.key());
            m_strOut += " : ";
            pChild = &member.value();
        }
        if (pChild->is_array() || pChild->is_object())
            Open(*pChild);  // may move m_stack: frame is not used after this
        else
            AppendScalar(m_strOut, *pChild);
    }

    bool m_bIndented;
    std::string& m_strOut;
    std::vector<Frame> m_stack;
};

}  // namespace

void WriteJson(const boost::json::value& root, bool bIndented, std::string& strOut) {
    Writer(bIndented, strOut).Write(root);
}
