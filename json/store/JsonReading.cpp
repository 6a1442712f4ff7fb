// Reading JSON text under the library's lenient rules: a parser that
// builds the tree, and one that builds nothing for the validity test.
//
// Text is read a piece at a time, so that a long document needs storage for
// one piece only, while the parser meets no comment: the parser cannot
// resume every comment and slash that a piece's end cuts short. A comment,
// an error, or a count of bytes read beyond the piece ends the reading in
// pieces, and the whole text is read at once instead, which gives the
// answer and the error the parser gives for that text.
#include "json/store/JsonReading.h"

#include <boost/json/basic_parser_impl.hpp>
#include <boost/json/monotonic_resource.hpp>
#include <boost/json/value_stack.hpp>
#include <string>
#include <system_error>

#include "json/frame/UserException.h"
#include "json/store/ParseRules.h"

namespace {

// First block of a parse's arena; the arena grows as the parse needs.
constexpr size_t kArenaBlock = 1024;

// Parser events that build the tree on a value stack.
class CTreeHandler : public CReaderEvents {
public:
    // The stack's working storage is the arena; the values go to the
    // ordinary heap.
    explicit CTreeHandler(boost::json::storage_ptr arena) : m_stack(std::move(arena)) { m_stack.reset(); }
    boost::json::value Release() { return m_stack.release(); }

    bool on_document_begin(ErrorCode&) { return true; }
    bool on_document_end(ErrorCode&) { return true; }
    bool on_object_begin(ErrorCode&) { return true; }
    bool on_object_end(size_t n, ErrorCode&) { return m_stack.push_object(n), true; }
    bool on_array_begin(ErrorCode&) { return true; }
    bool on_array_end(size_t n, ErrorCode&) { return m_stack.push_array(n), true; }
    bool on_key_part(View s, size_t, ErrorCode&) { return m_stack.push_chars(s), true; }
    bool on_key(View s, size_t, ErrorCode&) { return m_stack.push_key(s), true; }
    bool on_string_part(View s, size_t, ErrorCode&) { return m_stack.push_chars(s), true; }
    bool on_string(View s, size_t, ErrorCode&) { return m_stack.push_string(s), true; }
    bool on_int64(int64_t i, View, ErrorCode&) { return m_stack.push_int64(i), EndNumber(); }
    bool on_uint64(uint64_t u, View, ErrorCode&) { return m_stack.push_uint64(u), EndNumber(); }
    bool on_double(double, View s, ErrorCode& ec) {
        double d = 0;
        return ReadDouble(s, d, ec) && (m_stack.push_double(d), true);
    }
    bool on_bool(bool b, ErrorCode&) { return m_stack.push_bool(b), true; }
    bool on_null(ErrorCode&) { return m_stack.push_null(), true; }

private:
    boost::json::value_stack m_stack;
};

// How a reading in pieces ended.
enum class CPieces {
    Read,     // every piece read and the text ended: the value is complete
    Stopped,  // a piece read in part: the value ended before what follows
    Again,    // a comment, an error, or a bad count: read the whole text
};

template <class Handler>
CPieces ReadPieces(boost::json::basic_parser<Handler>& parser, CTextPieces& text) {
    parser.handler().m_bRefuseComments = true;
    boost::json::error_code ec;
    for (std::string_view piece = text.Next(); !piece.empty(); piece = text.Next()) {
        const size_t nRead = parser.write_some(true, piece.data(), piece.size(), ec);
        if (ec || nRead > piece.size()) return CPieces::Again;
        if (nRead < piece.size()) return CPieces::Stopped;
    }
    parser.write_some(false, nullptr, 0, ec);
    return ec ? CPieces::Again : CPieces::Read;
}

// The whole text in one write, ec the parser's error: the bytes read, up
// to the error if there is one.
template <class Handler>
size_t ReadWhole(boost::json::basic_parser<Handler>& parser, std::string_view whole, boost::json::error_code& ec) {
    return parser.write_some(false, whole.data(), whole.size(), ec);
}

// Longest part of a number's text that an error names.
constexpr size_t kNamedDigits = 40;

// Error 20105 for the number that ends at nEnd of the whole text, beyond
// the largest double: the detail names it and where it stands.
[[noreturn]] void RefuseNumber(CTextPieces& text, const std::string& strNumber, size_t nEnd) {
    const CTextPlace place = text.PlaceOf(nEnd - strNumber.size());
    const bool bCut = strNumber.size() > kNamedDigits;
    throw CUserException(kErrParser, "number out of range: " + strNumber.substr(0, kNamedDigits) +
                                         (bCut ? "..." : "") + " at line " + std::to_string(place.nLine) +
                                         ", column " + std::to_string(place.nColumn));
}

boost::json::storage_ptr NewArena() {
    return boost::json::make_shared_resource<boost::json::monotonic_resource>(kArenaBlock);
}

}  // namespace

// The arena takes the parser's many small working allocations and is freed
// as a whole when the parser goes; the tree itself is built in the ordinary
// heap, where the registry keeps it, so it is never copied. A parse error is
// thrown with the parser's own description as its text (the library's
// exception would add the source location of the library's headers).
boost::json::value ParseFirstValue(CTextPieces& text) {
    {
        boost::json::basic_parser<CTreeHandler> parser(LenientOptions(), NewArena());
        if (ReadPieces(parser, text) != CPieces::Again) return parser.handler().Release();
    }
    boost::json::basic_parser<CTreeHandler> parser(LenientOptions(), NewArena());
    boost::json::error_code ec;
    const size_t nRead = ReadWhole(parser, text.Whole(), ec);
    if (!parser.handler().m_strOutOfRange.empty()) RefuseNumber(text, parser.handler().m_strOutOfRange, nRead);
    if (ec) throw std::system_error(ec);
    return parser.handler().Release();
}

bool IsValidJson(CTextPieces& text) {
    {
        boost::json::basic_parser<CNullHandler> parser(LenientOptions());
        const CPieces read = ReadPieces(parser, text);
        if (read != CPieces::Again) return read == CPieces::Read && parser.handler().m_bContainer;
    }
    boost::json::basic_parser<CNullHandler> parser(LenientOptions());
    boost::json::error_code ec;
    const std::string_view whole = text.Whole();
    return ReadWhole(parser, whole, ec) == whole.size() && !ec && parser.handler().m_bContainer;
}
