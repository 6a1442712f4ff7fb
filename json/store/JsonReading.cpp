// Reading JSON text under the library's lenient rules: a parser that
// builds the tree, and one that builds nothing for the validity test.
#include "json/store/JsonReading.h"

#include <boost/json/basic_parser_impl.hpp>
#include <boost/json/monotonic_resource.hpp>
#include <boost/json/parser.hpp>
#include <system_error>

#include "json/store/ParseRules.h"

namespace {

// First block of a parse's arena; the arena grows as the parse needs.
constexpr size_t kArenaBlock = 1024;

}  // namespace

// The arena takes the parser's many small working allocations and is freed
// as a whole when the parser goes; the tree itself is built in the ordinary
// heap, where the registry keeps it, so it is never copied. A parse error is
// thrown with the parser's own description as its text (the library's
// exception would add the source location of the library's headers).
boost::json::value ParseFirstValue(std::string_view text) {
    boost::json::parser parser(boost::json::make_shared_resource<boost::json::monotonic_resource>(kArenaBlock),
                               LenientOptions());
    boost::json::error_code ec;
    parser.write_some(text.data(), text.size(), ec);
    if (ec) throw std::system_error(ec);
    return parser.release();
}

bool IsValidJson(std::string_view text) {
    boost::json::basic_parser<CNullHandler> parser(LenientOptions());
    boost::json::error_code ec;
    const size_t nRead = parser.write_some(false, text.data(), text.size(), ec);
    return !ec && nRead == text.size() && parser.handler().m_bContainer;
}
