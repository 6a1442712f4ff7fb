// The script functions of the container store: jsParse and jsValid read
// JSON text, jsConNew makes an empty container, jsConClose closes one
// container or all of them.
#include "json/ExtConstants.h"
#include "json/frame/Guarded.h"
#include "json/store/JsonReading.h"

namespace {

// An empty array for kJsonArr, an empty object for kJsonObj. Error 20119.
boost::json::value EmptyContainer(int32_t nTypeBit) {
    if (nTypeBit == kJsonArr) return boost::json::array();
    if (nTypeBit == kJsonObj) return boost::json::object();
    throw CUserException(kErrTypeParameter);
}

}  // namespace

// jsParse(text)
//   Reads:   the text without the white space around it, up to the end of
//            the array or object it starts with; what follows is ignored.
//   Changes: registers a new container holding that value; answers its handle.
//   Errors:  20101 no text; 20102; 20105 (the parser's description); 20115;
//            20128 a value that is no array or object.
//   A failure registers nothing.
int32_t CZorJson::jsParse(ZorValue* pArgs, int32_t nArgCount) {
    return Guarded(CCatchRule::Parse, [&]() -> int32_t {
        const char16_t* szText = RequiredText(pArgs, nArgCount, 0);
        CStorageLease scratch(m_TextStorage);
        return ReturnText(m_Containers.RegisterContainer(ParseFirstValue(szText, scratch.Buffer())));
    });
}

// jsValid(text)
//   Reads:   the text without the white space around it; answers 1 when it
//            is one array or object and nothing more, else 0.
//   Changes: nothing.
//   Errors:  20101 no text; 20102.
int32_t CZorJson::jsValid(ZorValue* pArgs, int32_t nArgCount) {
    return Guarded(CCatchRule::Standard,
                   [&]() -> int32_t { return ReturnInteger(IsValidJson(RequiredText(pArgs, nArgCount, 0)) ? 1 : 0); });
}

// jsConNew(type)
//   Reads:   the type, 16 (array) or 32 (object).
//   Changes: registers a new empty container of that type; answers its handle.
//   Errors:  20101 a type that is no integer; 20119 any other value.
//   A failure registers nothing.
int32_t CZorJson::jsConNew(ZorValue* pArgs, int32_t nArgCount) {
    return Guarded(CCatchRule::Quiet, [&]() -> int32_t {
        boost::json::value jv = EmptyContainer(RequiredInteger(pArgs, nArgCount, 0));
        return ReturnText(m_Containers.RegisterContainer(jv, true));
    });
}

// jsConClose([handle])
//   Reads:   the handle, trimmed.
//   Changes: closes its container (an unknown handle changes nothing); no
//            handle, or one of white space only, closes every container and
//            frees the storage kept for long texts. Handle numbers run on.
//            Answers 0.
//   Errors:  20101 a handle that is no text, which changes nothing.
int32_t CZorJson::jsConClose(ZorValue* pArgs, int32_t nArgCount) {
    return Guarded(CCatchRule::Quiet, [&]() -> int32_t {
        std::u16string_view handle;
        if (nArgCount > 0) handle = HandleText(RequiredText(pArgs, nArgCount, 0), CHandleForm::Trimmed);
        if (handle.empty()) {
            m_Containers.CloseAll();
            m_TextStorage.Release();
        } else {
            m_Containers.CloseContainer(handle);
        }
        return ReturnInteger(0);
    });
}
