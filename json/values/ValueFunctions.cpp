// The script functions of values: reading one value at a key path
// (jsValueGet, jsValueType) and adding or replacing one (jsValueAdd).
#include <boost/json/value.hpp>

#include "json/frame/Guarded.h"
#include "json/frame/TextConversion.h"
#include "json/keypaths/JsUtility.h"
#include "json/values/ValueAdd.h"
#include "json/values/Values.h"

namespace {

using boost::json::value;

// The node jsValueGet and jsValueType read: (handle, key path [, delimiter]),
// the handle verbatim; the key path's UTF-8 goes to strPath. Errors 20101,
// 20113, 20102, 20104, 20110 and those of FindKeyPath.
const value& AddressedNode(CContainerRegistry& containers, const ZorValue* pArgs, int32_t nArgCount,
                           std::string& strPath, const value*& pRoot) {
    const CAddressArgs args =
        ReadAddressArgs(pArgs, nArgCount, 2, CHandleForm::Verbatim, CDelimiterRecord::NotAllowed, strPath);
    pRoot = &containers.FindContainerRoot(args.handle);
    return FindKeyPath(*pRoot, args.keyPath.path, args.keyPath.strDelimiter);
}

bool IsTypeBit(int32_t nType) {
    switch (nType) {
        case kJsonNull:
        case kJsonBool:
        case kJsonNum:
        case kJsonStr:
        case kJsonArr:
        case kJsonObj:
            return true;
        default:
            return false;
    }
}

}  // namespace

// jsValueGet(handle, key path [, delimiter])
//   Reads:   the value the key path (trimmed) addresses in the container of
//            the handle (verbatim); answers its text. A path to the root
//            answers the handle as passed.
//   Changes: an array or object read is copied into a new container, whose
//            handle is the text; nothing else.
//   Errors:  20101, 20113, 20102, 20104, 20110, those of FindKeyPath (20117,
//            20108, 20112, 20116, 20114), 20109.
//   A failure registers nothing.
int32_t CZorJson::jsValueGet(ZorValue* pArgs, int32_t nArgCount) {
    return Guarded(CCatchRule::Standard, [&]() -> int32_t {
        const value* pRoot = nullptr;
        const value& node = AddressedNode(m_Containers, pArgs, nArgCount, m_strKeyPath, pRoot);
        if (&node == pRoot) return ReturnText(TextArg(pArgs[0]));
        if (node.is_string()) {
            // The most common read, written into the kept storage: the
            // call allocates nothing for its answer.
            CStorageLease storage(m_TextStorage);
            const boost::json::string& text = node.get_string();
            return ReturnText(Utf8ToUtf16(std::string_view(text.data(), text.size()), storage.Buffer()));
        }
        std::u16string strText;
        JsonValueToHostText(m_Containers, node, strText);
        return ReturnText(strText);
    });
}

// jsValueType(handle, key path [, delimiter])
//   Reads:   as jsValueGet; answers the type bit of the value.
//   Changes: nothing.
//   Errors:  those of jsValueGet but 20109.
int32_t CZorJson::jsValueType(ZorValue* pArgs, int32_t nArgCount) {
    return Guarded(CCatchRule::Standard, [&]() -> int32_t {
        const value* pRoot = nullptr;
        return ReturnInteger(JsonTypeBit(AddressedNode(m_Containers, pArgs, nArgCount, m_strKeyPath, pRoot)));
    });
}

// jsValueAdd(handle, key path, value text, type [, delimiter])
//   Reads:   the container of the handle (verbatim), the key path and the
//            value text (both trimmed), and for type 32 the container the
//            value text names.
//   Changes: sets the value the text stands for under the type at the key
//            path: an existing member keeps its place, a new one is
//            appended, an array grows with nulls up to the index. Answers 1.
//   Errors, in the order checked: 20101, 20119, 20113, 20124 (type 32 with
//            the target's own handle, in any letter case), 20102, 20104,
//            20110, those of HostTextToJsonValue, those of AddValue.
//   A failure leaves the container exactly as it was.
int32_t CZorJson::jsValueAdd(ZorValue* pArgs, int32_t nArgCount) {
    return Guarded(CCatchRule::Standard, [&]() -> int32_t {
        const char16_t* szHandle = RequiredText(pArgs, nArgCount, 0);
        const char16_t* szPath = RequiredText(pArgs, nArgCount, 1);
        const char16_t* szValue = RequiredText(pArgs, nArgCount, 2);
        const int32_t nType = RequiredInteger(pArgs, nArgCount, 3);
        if (!IsTypeBit(nType)) throw CUserException(kErrTypeParameter);
        const char16_t* szDelimiter = DelimiterArg(pArgs, nArgCount, 4);
        if (nType == kJsonObj && EqualIgnoringCase(std::u16string_view(szValue), std::u16string_view(szHandle)))
            throw CUserException(kErrSelfAdd);

        std::string strPath, strValue;
        const CKeyPathArgs keyPath(szPath, szDelimiter, strPath);
        std::string_view valueText;
        Utf16ToUtf8Trimmed(szValue, strValue, valueText);
        value& root = m_Containers.FindContainerRoot(HandleText(szHandle, CHandleForm::Verbatim));
        value made(root.storage());
        HostTextToJsonValue(m_Containers, valueText, nType, made);
        AddValue(root, keyPath.path, keyPath.strDelimiter, std::move(made));
        return ReturnInteger(1);
    });
}
