// The script functions over key path lists: jsKeyPaths hands the list to
// the script as a host array, jsKeyExist counts it and can store it into a
// script variable.
#include "json/frame/Guarded.h"
#include "json/frame/TextConversion.h"
#include "json/keypaths/JsUtility.h"
#include "json/keypaths/KeyPathList.h"
#include "platform/Platform.h"

namespace {

// The arguments both functions read: the handle trimmed, and a delimiter
// record that is no text an argument of the wrong type (20101).
CAddressArgs ReadListArgs(const ZorValue* pArgs, int32_t nArgCount, int32_t nDelimiter, std::string& strPath) {
    return ReadAddressArgs(pArgs, nArgCount, nDelimiter, CHandleForm::Trimmed, CDelimiterRecord::WrongType, strPath);
}

bool IsAbsence(int32_t nCode) {
    return nCode == kErrUnexpectedItem || nCode == kErrIndexSyntax || nCode == kErrContainerPath;
}

}  // namespace

// Makes a one-dimensional host array of the paths as UTF-16 texts into
// array; the host keeps what it stores. With bLock the array's memory block
// is locked for the host, and stays so. Errors: 20125 and 20126 with the
// host's status, 20109.
void CZorJson::MakePathArray(const CKeyPathList& paths, bool bLock, ZorValue& array) {
    array = ZorValue{};
    array.nType = ZOR_TYPE_ARRAY;
    const uint32_t dims[5] = {static_cast<uint32_t>(paths.Size()), 0, 0, 0, 0};
    if (m_pServices == nullptr || m_pServices->CreateArray == nullptr || m_pServices->SetArrayElement == nullptr)
        throw CUserException(kErrArrayCreate);
    int32_t nStatus = m_pServices->CreateArray(m_pServices->pContext, &array, sizeof array, dims, sizeof dims, 2);
    if (nStatus != 0) throw CUserException(kErrArrayCreate, std::to_string(nStatus));
    if (bLock) platform::LockGlobalBlock(array.pText);
    std::u16string strText;
    for (size_t i = 0; i < paths.Size(); ++i) {
        Utf8ToUtf16(paths[i], strText);
        ZorValue element{};
        element.nType = ZOR_TYPE_TEXT16;
        element.pText = strText.data();
        const uint32_t indexes[5] = {static_cast<uint32_t>(i), 0, 0, 0, 0};
        nStatus = m_pServices->SetArrayElement(m_pServices->pContext, &array, indexes, &element, sizeof element, 2);
        if (nStatus != 0) throw CUserException(kErrArrayElement, std::to_string(nStatus));
    }
}

// jsKeyPaths(handle, key path [, delimiter])
//   Reads:   the container of the handle (trimmed); with an empty key path
//            every key path of it, else every place below the container the
//            rest of the path names where the path's last segment occurs.
//   Changes: nothing in the container; answers a new host array of the
//            paths as texts.
//   Errors:  20101, 20113, 20102, 20104; from the walk 20112, 20114, 20116,
//            20127; 20125, 20126 with the host's status; 20109.
int32_t CZorJson::jsKeyPaths(ZorValue* pArgs, int32_t nArgCount) {
    return Guarded(CatchRule::Standard, [&]() -> int32_t {
        std::string strPath;
        const CAddressArgs args = ReadListArgs(pArgs, nArgCount, 2, strPath);
        const boost::json::value& root = m_Containers.FindContainer(args.handle);
        CKeyPathList paths;
        if (root.is_structured()) CollectKeyPaths(root, args.keyPath.path, args.keyPath.strDelimiter, paths);
        ZorValue array;
        MakePathArray(paths, false, array);
        if (m_pResult != nullptr) *m_pResult = array;
        return ReturnResult();
    });
}

// jsKeyExist(handle, key path [, host pointer [, delimiter]])
//   Reads:   as jsKeyPaths; answers how many paths it lists, 0 also when
//            the parent path leads nowhere (a missing key, a segment the
//            value cannot take, a malformed index).
//   Changes: nothing in the container; with a host pointer, the list as a
//            host array is stored into the variable the pointer names.
//   Errors:  20101, 20129 (a pointer shorter than 38 bytes, before the
//            container is looked up), 20113, 20102, 20104, 20114; 20125,
//            20126, then 20129, 20115 or 20130 with the host's status; 20109.
//   A failure leaves the variable as it was.
int32_t CZorJson::jsKeyExist(ZorValue* pArgs, int32_t nArgCount) {
    return Guarded(CatchRule::Standard, [&]() -> int32_t {
        RequiredText(pArgs, nArgCount, 0);
        RequiredText(pArgs, nArgCount, 1);
        const char* szPointer = nArgCount >= 3 ? HostPointerArg(pArgs, nArgCount, 2) : nullptr;
        std::string strPath;
        const CAddressArgs args = ReadListArgs(pArgs, nArgCount, 3, strPath);
        const boost::json::value& root = m_Containers.FindContainer(args.handle);
        if (!root.is_structured()) return ReturnInteger(0);
        CKeyPathList paths;
        try {
            CollectKeyPaths(root, args.keyPath.path, args.keyPath.strDelimiter, paths);
        } catch (const CUserException& e) {
            if (IsAbsence(e.m_nCode)) return ReturnInteger(0);
            throw;
        }
        if (szPointer != nullptr) StorePaths(paths, szPointer);
        return ReturnInteger(static_cast<int32_t>(paths.Size()));
    });
}

// Stores the paths as a host array into the variable szPointer names.
// Errors: those of MakePathArray; 20129 (host status 13), 20115 (11), 20130.
void CZorJson::StorePaths(const CKeyPathList& paths, const char* szPointer) {
    ZorValue array;
    MakePathArray(paths, true, array);
    if (m_pServices->StoreToVariable == nullptr) throw CUserException(kErrVariableUpdate);
    const int32_t nStatus = m_pServices->StoreToVariable(m_pServices->pContext, szPointer, &array, sizeof array, 2);
    if (nStatus == 0) return;
    const int32_t nCode = nStatus == 13 ? kErrPointer : nStatus == 11 ? kErrMemory : kErrVariableUpdate;
    throw CUserException(nCode, std::to_string(nStatus));
}
