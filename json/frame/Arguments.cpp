// The argument checks of the handlers.
#include "json/frame/Arguments.h"

#include <cstring>

#include "json/frame/TextConversion.h"
#include "json/frame/UserException.h"
#include "json/keypaths/JsUtility.h"

namespace {

// The shortest host pointer text the host hands out.
constexpr size_t kMinPointerBytes = 38;

const ZorValue* Present(const ZorValue* pArgs, int32_t nArgCount, int32_t nPosition) {
    return pArgs != nullptr && nPosition < nArgCount ? &pArgs[nPosition] : nullptr;
}

}  // namespace

bool IsTextArg(const ZorValue& arg) { return (arg.nType & ZOR_TYPE_TEXT16) != 0 && arg.pText != nullptr; }

bool IsIntegerArg(const ZorValue& arg) { return (arg.nType & ZOR_TYPE_INTEGER) != 0; }

const char16_t* TextArg(const ZorValue& arg) { return static_cast<const char16_t*>(arg.pText); }

const char16_t* RequiredText(const ZorValue* pArgs, int32_t nArgCount, int32_t nPosition) {
    const ZorValue* pArg = Present(pArgs, nArgCount, nPosition);
    if (pArg == nullptr || !IsTextArg(*pArg)) throw CUserException(kErrInvalidArgument);
    return TextArg(*pArg);
}

int32_t RequiredInteger(const ZorValue* pArgs, int32_t nArgCount, int32_t nPosition) {
    const ZorValue* pArg = Present(pArgs, nArgCount, nPosition);
    if (pArg == nullptr) throw CUserException(kErrInvalidArgument);
    return IntegerArg(*pArg);
}

int32_t IntegerArg(const ZorValue& arg) {
    if (!IsIntegerArg(arg)) throw CUserException(kErrInvalidArgument);
    return arg.nValue;
}

int32_t OptionalInteger(const ZorValue* pArgs, int32_t nArgCount, int32_t nPosition, int32_t nAbsent) {
    const ZorValue* pArg = Present(pArgs, nArgCount, nPosition);
    return pArg == nullptr ? nAbsent : IntegerArg(*pArg);
}

const char16_t* DelimiterArg(const ZorValue* pArgs, int32_t nArgCount, int32_t nPosition, CDelimiterRecord rule) {
    const ZorValue* pArg = Present(pArgs, nArgCount, nPosition);
    if (pArg == nullptr) return u".";
    if (rule == CDelimiterRecord::WrongType && !IsTextArg(*pArg)) throw CUserException(kErrInvalidArgument);
    const char16_t* szDelimiter = IsTextArg(*pArg) ? TextArg(*pArg) : nullptr;
    if (!IsValidDelimiter(szDelimiter)) throw CUserException(kErrDelimiter);
    return szDelimiter;
}

const char* HostPointerArg(const ZorValue* pArgs, int32_t nArgCount, int32_t nPosition) {
    const ZorValue* pArg = Present(pArgs, nArgCount, nPosition);
    if (pArg == nullptr || (pArg->nType & ZOR_TYPE_TEXT8) == 0 || pArg->pText == nullptr)
        throw CUserException(kErrInvalidArgument);
    const char* szPointer = static_cast<const char*>(pArg->pText);
    if (std::strlen(szPointer) < kMinPointerBytes) throw CUserException(kErrPointer);
    return szPointer;
}

std::u16string_view HandleText(const char16_t* szHandle, CHandleForm form) {
    return form == CHandleForm::Trimmed ? TrimmedText(szHandle) : std::u16string_view(szHandle);
}

CKeyPathArgs::CKeyPathArgs(const char16_t* szPath, const char16_t* szDelimiter, std::string& strPathStorage) {
    Utf16ToUtf8Trimmed(szPath, strPathStorage, path);
    Utf16ToUtf8(szDelimiter, strDelimiter);
}

CAddressArgs ReadAddressArgs(const ZorValue* pArgs, int32_t nArgCount, int32_t nDelimiter, CHandleForm form,
                             CDelimiterRecord rule, std::string& strPathStorage) {
    const char16_t* szHandle = RequiredText(pArgs, nArgCount, 0);
    const char16_t* szPath = RequiredText(pArgs, nArgCount, 1);
    const char16_t* szDelimiter = DelimiterArg(pArgs, nArgCount, nDelimiter, rule);
    return {HandleText(szHandle, form), CKeyPathArgs(szPath, szDelimiter, strPathStorage)};
}
