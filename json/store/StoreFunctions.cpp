// Where containers come from and where they end: jsParse and jsValid read
// JSON text, jsConNew makes an empty container, jsConClose closes one
// container or all of them.
#include "Containers.h"

#include <boost/json/basic_parser_impl.hpp>
#include <boost/json/monotonic_resource.hpp>
#include <boost/json/parser.hpp>
#include <system_error>

#include "Guarded.h"
#include "ParseRules.h"
#include "TextConversion.h"
#include "Values.h"

namespace {

// First block of a parse's arena; the arena grows as the parse needs.
constexpr size_t kArenaBlock = 1024;

// What read answers for the UTF-8 of the first argument, a text, without
// surrounding white space, converted into the kept storage. Error 20101.
template <class Read>
auto ReadTextArg(CKeptStorage& storage, const ZorValue* pArgs, int32_t nArgCount, Read read) {
    if (nArgCount < 1 || pArgs == nullptr || !IsTextArg(pArgs[0]))
        throw CUserException(kErrInvalidArgument);
    CStorageLease lease(storage);
    Utf16ToUtf8Trimmed(TextArg(pArgs[0]), lease.Buffer());
    return read(lease.Buffer().View());
}

// An empty array for kJsonArr, an empty object for kJsonObj. Error 20119.
boost::json::value EmptyContainer(int32_t nTypeBit) {
    if (nTypeBit == kJsonArr) return boost::json::array();
    if (nTypeBit == kJsonObj) return boost::json::object();
    throw CUserException(kErrTypeParameter);
}

}  // namespace

// The arena takes the parser's many small working allocations and is freed
// as a whole when the parser goes; the tree itself is built in the ordinary
// heap, where the registry keeps it, so it is never copied. A parse error is
// thrown with the parser's own description as its text (the library's
// exception would add the source location of the library's headers).
boost::json::value ParseFirstValue(std::string_view text) {
    boost::json::parser parser(
        boost::json::make_shared_resource<boost::json::monotonic_resource>(kArenaBlock),
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

// jsParse(text): the handle of a new container holding the array or object
// the text starts with; what follows it is ignored.
// Errors: 20101, 20102, 20105 (with the parser's description), 20115, 20128.
int32_t CZorJson::jsParse(ZorValue* pArgs, int32_t nArgCount) {
    return Guarded(CatchRule::Parse, [&]() -> int32_t {
        boost::json::value jv = ReadTextArg(m_TextStorage, pArgs, nArgCount, ParseFirstValue);
        return ReturnText(RegisterContainer(jv, true));
    });
}

// jsValid(text): 1 when the text is one array or object and nothing more,
// else 0. Errors: 20101, 20102.
int32_t CZorJson::jsValid(ZorValue* pArgs, int32_t nArgCount) {
    return Guarded(CatchRule::Standard, [&]() -> int32_t {
        return ReturnInteger(ReadTextArg(m_TextStorage, pArgs, nArgCount, IsValidJson) ? 1 : 0);
    });
}

// jsConNew(type): the handle of a new empty array (16) or object (32).
// Errors: 20101 for a type that is not an integer, 20119 for any other value.
int32_t CZorJson::jsConNew(ZorValue* pArgs, int32_t nArgCount) {
    return Guarded(CatchRule::Quiet, [&]() -> int32_t {
        if (nArgCount < 1 || pArgs == nullptr || !IsIntegerArg(pArgs[0]))
            throw CUserException(kErrInvalidArgument);
        boost::json::value jv = EmptyContainer(pArgs[0].nValue);
        return ReturnText(RegisterContainer(jv, true));
    });
}

// jsConClose([handle]): closes the container of the handle (white space
// around it ignored) and answers 0; an unknown handle changes nothing. No
// handle, or one of white space only, closes every container, and frees the
// storage kept for long texts; the handle numbers run on from where they were.
// Errors: 20101.
int32_t CZorJson::jsConClose(ZorValue* pArgs, int32_t nArgCount) {
    return Guarded(CatchRule::Quiet, [&]() -> int32_t {
        std::u16string strHandle;
        if (nArgCount > 0) {
            if (pArgs == nullptr || !IsTextArg(pArgs[0])) throw CUserException(kErrInvalidArgument);
            strHandle = TextArg(pArgs[0]);
            TrimWhitespace(strHandle);
        }
        if (strHandle.empty()) {
            m_Containers.clear();
            m_TextStorage.Release();
        } else {
            m_Containers.erase(strHandle);
        }
        return ReturnInteger(0);
    });
}
