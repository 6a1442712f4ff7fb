// The script functions over key path lists: jsKeyPaths hands the list to
// the script as a host array, jsKeyExist counts it and can store it into a
// script variable.
#include "json/frame/Guarded.h"
#include "json/frame/HostCalls.h"
#include "json/keypaths/JsUtility.h"
#include "json/keypaths/KeyPathList.h"

namespace {

// The arguments both functions read: the handle trimmed, and a delimiter
// record that is no text an argument of the wrong type (20101).
CAddressArgs ReadListArgs(const ZorValue* pArgs, int32_t nArgCount, int32_t nDelimiter, std::string& strPath) {
    return ReadAddressArgs(pArgs, nArgCount, nDelimiter, CHandleForm::Trimmed, CDelimiterRecord::WrongType, strPath);
}

// The paths as a new host array of texts.
void MakePathArray(const ZorServices* pServices, const CKeyPathList& paths, bool bLock, ZorValue& array) {
    MakeTextArray(
        pServices, paths.Size(), [&](size_t i) { return paths[i]; }, bLock, array);
}

bool IsAbsence(int32_t nCode) {
    return nCode == kErrUnexpectedItem || nCode == kErrIndexSyntax || nCode == kErrContainerPath;
}

}  // namespace

// jsKeyPaths(handle, key path [, delimiter])
//   Reads:   the container of the handle (trimmed); with an empty key path
//            every key path of it, else every place below the container the
//            rest of the path names where the path's last segment occurs.
//   Changes: nothing in the container; answers a new host array of the
//            paths as texts.
//   Errors:  20101, 20113, 20102, 20104; from the walk 20112, 20114, 20116,
//            20127; 20125, 20126 with the host's status; 20109.
int32_t CZorJson::jsKeyPaths(ZorValue* pArgs, int32_t nArgCount) {
    return Guarded(CCatchRule::Standard, [&]() -> int32_t {
        std::string strPath;
        const CAddressArgs args = ReadListArgs(pArgs, nArgCount, 2, strPath);
        const boost::json::value& root = m_Containers.FindContainer(args.handle);
        CKeyPathList paths;
        if (root.is_structured())
            CollectKeyPaths(ReadListRequest(root, args.keyPath.path, args.keyPath.strDelimiter),
                            args.keyPath.strDelimiter, paths);
        ZorValue array;
        MakePathArray(m_pServices, paths, false, array);
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
    return Guarded(CCatchRule::Standard, [&]() -> int32_t {
        RequiredText(pArgs, nArgCount, 0);
        RequiredText(pArgs, nArgCount, 1);
        const char* szPointer = nArgCount >= 3 ? HostPointerArg(pArgs, nArgCount, 2) : nullptr;
        std::string strPath;
        const CAddressArgs args = ReadListArgs(pArgs, nArgCount, 3, strPath);
        const boost::json::value& root = m_Containers.FindContainer(args.handle);
        if (!root.is_structured()) return ReturnInteger(0);
        CKeyPathList paths;
        try {
            CollectKeyPaths(ReadListRequest(root, args.keyPath.path, args.keyPath.strDelimiter),
                            args.keyPath.strDelimiter, paths);
        } catch (const CUserException& e) {
            if (IsAbsence(e.m_nCode)) return ReturnInteger(0);
            throw;
        }
        if (szPointer != nullptr) {
            ZorValue array;
            MakePathArray(m_pServices, paths, true, array);
            StoreToVariable(m_pServices, szPointer, array);
        }
        return ReturnInteger(static_cast<int32_t>(paths.Size()));
    });
}
