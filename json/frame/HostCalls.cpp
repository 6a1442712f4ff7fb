// The host's services as the handlers call them.
#include "json/frame/HostCalls.h"

#include <string>

#include "json/frame/TextConversion.h"
#include "json/frame/UserException.h"
#include "platform/Platform.h"

namespace {

// The host's status code, as the detail of an error.
[[noreturn]] void Refuse(int32_t nCode, int32_t nStatus) { throw CUserException(nCode, std::to_string(nStatus)); }

}  // namespace

void SetErrorDetail(const ZorServices* pServices, const char* szText) {
    if (pServices != nullptr && pServices->SetErrorDetail != nullptr)
        pServices->SetErrorDetail(pServices->pContext, szText);
}

void MakeTextArray(const ZorServices* pServices, size_t nCount, const std::function<std::string_view(size_t)>& text,
                   bool bLock, ZorValue& array) {
    array = ZorValue{};
    array.nType = ZOR_TYPE_ARRAY;
    const uint32_t dims[5] = {static_cast<uint32_t>(nCount), 0, 0, 0, 0};
    if (pServices == nullptr || pServices->CreateArray == nullptr || pServices->SetArrayElement == nullptr)
        throw CUserException(kErrArrayCreate);
    int32_t nStatus = pServices->CreateArray(pServices->pContext, &array, sizeof array, dims, sizeof dims, 2);
    if (nStatus != 0) Refuse(kErrArrayCreate, nStatus);
    if (bLock) platform::LockGlobalBlock(array.pText);
    std::u16string strText;
    for (size_t i = 0; i < nCount; ++i) {
        Utf8ToUtf16(text(i), strText);
        ZorValue element{};
        element.nType = ZOR_TYPE_TEXT16;
        element.pText = strText.data();
        const uint32_t indexes[5] = {static_cast<uint32_t>(i), 0, 0, 0, 0};
        nStatus = pServices->SetArrayElement(pServices->pContext, &array, indexes, &element, sizeof element, 2);
        if (nStatus != 0) Refuse(kErrArrayElement, nStatus);
    }
}

void StoreToVariable(const ZorServices* pServices, const char* szPointer, ZorValue& value) {
    if (pServices == nullptr || pServices->StoreToVariable == nullptr) throw CUserException(kErrVariableUpdate);
    const int32_t nStatus = pServices->StoreToVariable(pServices->pContext, szPointer, &value, sizeof value, 2);
    if (nStatus == 0) return;
    Refuse(nStatus == 13 ? kErrPointer : nStatus == 11 ? kErrMemory : kErrVariableUpdate, nStatus);
}

void MapOperation(const ZorServices* pServices, ZorValue& map, ZorValue* pKey, ZorValue* pValue, uint32_t nOperation) {
    if (pServices == nullptr || pServices->MapOperation == nullptr) throw CUserException(kErrMapCreate);
    const uint32_t nKeySize = pKey != nullptr ? sizeof(ZorValue) : 0;
    const uint32_t nValueSize = pValue != nullptr ? sizeof(ZorValue) : 0;
    const int32_t nStatus = pServices->MapOperation(pServices->pContext, &map, sizeof map, nullptr, 0, pKey, nKeySize,
                                                    pValue, nValueSize, nOperation);
    if (nStatus != 0) Refuse(kErrMapCreate, nStatus);
}
