// Reading and writing one value at a key path: jsValueGet, jsValueType and
// jsValueAdd.
#include <boost/json/value.hpp>

#include "Guarded.h"
#include "JsUtility.h"
#include "TextConversion.h"
#include "ValueAdd.h"
#include "Values.h"

namespace {

using boost::json::value;

// The text of argument nPosition. Error 20101 when it is missing or not a
// UTF-16 text.
const char16_t* RequiredText(const ZorValue* pArgs, int32_t nArgCount, int32_t nPosition) {
    if (pArgs == nullptr || nArgCount <= nPosition || !IsTextArg(pArgs[nPosition]))
        throw CUserException(kErrInvalidArgument);
    return TextArg(pArgs[nPosition]);
}

// The optional delimiter at nPosition: "." when absent, else one allowed
// character. Error 20113, also for an argument that is no text.
const char16_t* DelimiterArg(const ZorValue* pArgs, int32_t nArgCount, int32_t nPosition) {
    if (nArgCount <= nPosition) return u".";
    const ZorValue& arg = pArgs[nPosition];
    if (!IsValidDelimiter(IsTextArg(arg) ? TextArg(arg) : nullptr)) throw CUserException(kErrDelimiter);
    return TextArg(arg);
}

// The root of the container a handle names, taken verbatim. Errors 20104,
// and 20110 for a root that is neither object nor array.
value& ContainerRoot(CZorJson& zj, const char16_t* szHandle) {
    value& root = zj.FindContainer(szHandle);
    if (!root.is_object() && !root.is_array()) throw CUserException(kErrCorrupt);
    return root;
}

// The node jsValueGet and jsValueType read: (handle, key path [, delimiter]),
// checked and converted in that order; the key path's UTF-8, trimmed, goes
// to strPath, the delimiter is not trimmed. Errors 20101, 20113, 20102,
// 20104, 20110 and those of FindKeyPath.
const value& AddressedNode(CZorJson& zj, const ZorValue* pArgs, int32_t nArgCount, std::string& strPath,
                           const value*& pRoot) {
    const char16_t* szHandle = RequiredText(pArgs, nArgCount, 0);
    const char16_t* szPath = RequiredText(pArgs, nArgCount, 1);
    const char16_t* szDelimiter = DelimiterArg(pArgs, nArgCount, 2);
    std::string strDelimiter;
    std::string_view path;
    Utf16ToUtf8Trimmed(szPath, strPath, path);
    Utf16ToUtf8(szDelimiter, strDelimiter);
    pRoot = &ContainerRoot(zj, szHandle);
    return FindKeyPath(*pRoot, path, strDelimiter);
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

// Equal without regard to the case of the ASCII letters, as the C runtime's
// wide comparison does in its default locale.
bool EqualIgnoringCase(const char16_t* pA, const char16_t* pB) {
    const auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; };
    for (; *pA != 0 && lower(*pA) == lower(*pB); ++pA, ++pB) {
    }
    return lower(*pA) == lower(*pB);
}

}  // namespace

// jsValueGet(handle, key path [, delimiter]): the text of the addressed
// value; an array or object is copied into a new container whose handle is
// the text. A path that addresses the root gives back the handle as passed,
// and creates nothing. Changes nothing else. Errors: those of AddressedNode,
// 20109.
int32_t CZorJson::jsValueGet(ZorValue* pArgs, int32_t nArgCount) {
    return Guarded(CatchRule::Standard, [&]() -> int32_t {
        const value* pRoot = nullptr;
        const value& node = AddressedNode(*this, pArgs, nArgCount, m_strKeyPath, pRoot);
        if (&node == pRoot) return ReturnText(TextArg(pArgs[0]));
        std::u16string strText;
        JsonValueToHostText(*this, node, strText);
        return ReturnText(strText);
    });
}

// jsValueType(handle, key path [, delimiter]): the type bit of the
// addressed value. Changes nothing. Errors: those of AddressedNode.
int32_t CZorJson::jsValueType(ZorValue* pArgs, int32_t nArgCount) {
    return Guarded(CatchRule::Standard, [&]() -> int32_t {
        const value* pRoot = nullptr;
        return ReturnInteger(JsonTypeBit(AddressedNode(*this, pArgs, nArgCount, m_strKeyPath, pRoot)));
    });
}

// jsValueAdd(handle, key path, value text, type [, delimiter]): sets the
// value that the text stands for under the type at the key path, and
// answers 1. An existing member keeps its place, a new one is appended; an
// array grows with nulls up to the index. Errors, in the order checked:
// 20101, 20119, 20113, 20124 (type 32 with the target's own handle, in any
// letter case), 20102, 20104, 20110, those of HostTextToJsonValue, those of
// AddValue. The container is unchanged after any error.
int32_t CZorJson::jsValueAdd(ZorValue* pArgs, int32_t nArgCount) {
    return Guarded(CatchRule::Standard, [&]() -> int32_t {
        const char16_t* szHandle = RequiredText(pArgs, nArgCount, 0);
        const char16_t* szPath = RequiredText(pArgs, nArgCount, 1);
        const char16_t* szValue = RequiredText(pArgs, nArgCount, 2);
        if (nArgCount < 4 || !IsIntegerArg(pArgs[3])) throw CUserException(kErrInvalidArgument);
        const int32_t nType = pArgs[3].nValue;
        if (!IsTypeBit(nType)) throw CUserException(kErrTypeParameter);
        const char16_t* szDelimiter = DelimiterArg(pArgs, nArgCount, 4);
        if (nType == kJsonObj && EqualIgnoringCase(szValue, szHandle)) throw CUserException(kErrSelfAdd);

        std::string strPath, strValue, strDelimiter;
        std::string_view path, valueText;
        Utf16ToUtf8Trimmed(szPath, strPath, path);
        Utf16ToUtf8Trimmed(szValue, strValue, valueText);
        Utf16ToUtf8(szDelimiter, strDelimiter);
        value& root = ContainerRoot(*this, szHandle);
        value made(root.storage());
        HostTextToJsonValue(*this, valueText, nType, made);
        AddValue(root, path, strDelimiter, std::move(made));
        return ReturnInteger(1);
    });
}
