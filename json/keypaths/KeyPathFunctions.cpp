// The script functions over key path lists: jsKeyPaths hands the list to
// the script as a host array, jsKeyExist counts it and can store it into a
// script variable.
#include <cstring>

#include "../platform/Platform.h"
#include "Guarded.h"
#include "JsUtility.h"
#include "KeyPathList.h"
#include "TextConversion.h"

namespace {

// The shortest host pointer text the host hands out.
constexpr size_t kMinPointerBytes = 38;

// The arguments both functions read: a container, a key path and a delimiter.
struct PathQuery {
    std::u16string strHandle;
    std::string strPath;
    std::string_view path;
    std::string strDelimiter = ".";
};

void RequireText(const ZorValue& arg) {
    if (!IsTextArg(arg)) throw CUserException(kErrInvalidArgument);
}

// Reads the key path and, when given, the delimiter (20101, 20113), then
// the handle with white space around it removed.
PathQuery ReadPathQuery(const ZorValue& handle, const ZorValue& path, const ZorValue* pDelimiter) {
    PathQuery query;
    if (pDelimiter != nullptr) {
        RequireText(*pDelimiter);
        if (!IsValidDelimiter(TextArg(*pDelimiter))) throw CUserException(kErrDelimiter);
    }
    Utf16ToUtf8Trimmed(TextArg(path), query.strPath, query.path);
    if (pDelimiter != nullptr) Utf16ToUtf8(TextArg(*pDelimiter), query.strDelimiter);
    query.strHandle = TextArg(handle);
    TrimWhitespace(query.strHandle);
    return query;
}

bool IsContainer(const boost::json::value& jv) { return jv.is_array() || jv.is_object(); }

bool IsAbsence(int32_t nCode) {
    return nCode == kErrUnexpectedItem || nCode == kErrIndexSyntax || nCode == kErrContainerPath;
}

}  // namespace

// Makes a one-dimensional host array of the paths as UTF-16 texts into
// array; the host keeps what it stores. With bLock the array's memory block
// is locked for the host, and stays so. Errors: 20125 and 20126 with the
// host's status, 20109.
void CZorJson::MakePathArray(const std::vector<std::string>& paths, bool bLock, ZorValue& array) {
    array = ZorValue{};
    array.nType = ZOR_TYPE_ARRAY;
    const uint32_t dims[5] = {static_cast<uint32_t>(paths.size()), 0, 0, 0, 0};
    if (m_pServices == nullptr || m_pServices->CreateArray == nullptr || m_pServices->SetArrayElement == nullptr)
        throw CUserException(kErrArrayCreate);
    int32_t nStatus = m_pServices->CreateArray(m_pServices->pContext, &array, sizeof array, dims, sizeof dims, 2);
    if (nStatus != 0) throw CUserException(kErrArrayCreate, std::to_string(nStatus));
    if (bLock) platform::LockGlobalBlock(array.pText);
    std::u16string strText;
    for (size_t i = 0; i < paths.size(); ++i) {
        Utf8ToUtf16(paths[i], strText);
        ZorValue element{};
        element.nType = ZOR_TYPE_TEXT16;
        element.pText = strText.data();
        const uint32_t indexes[5] = {static_cast<uint32_t>(i), 0, 0, 0, 0};
        nStatus = m_pServices->SetArrayElement(m_pServices->pContext, &array, indexes, &element, sizeof element, 2);
        if (nStatus != 0) throw CUserException(kErrArrayElement, std::to_string(nStatus));
    }
}

// jsKeyPaths(handle, path[, delimiter]): every key path of the container
// (empty path), or every place the path's last segment occurs below the
// container the rest names, as a host array of texts. Reads only.
// Errors: 20101, 20113, 20104, 20112, 20114, 20116, 20127, 20125, 20126,
// 20102, 20109.
int32_t CZorJson::jsKeyPaths(ZorValue* pArgs, int32_t nArgCount) {
    return Guarded(CatchRule::Standard, [&]() -> int32_t {
        if (nArgCount < 2 || pArgs == nullptr) throw CUserException(kErrInvalidArgument);
        RequireText(pArgs[0]);
        RequireText(pArgs[1]);
        const PathQuery query = ReadPathQuery(pArgs[0], pArgs[1], nArgCount >= 3 ? &pArgs[2] : nullptr);
        const boost::json::value& root = FindContainer(query.strHandle);
        std::vector<std::string> paths;
        if (IsContainer(root)) CollectKeyPaths(root, query.path, query.strDelimiter, paths);
        ZorValue array;
        MakePathArray(paths, false, array);
        if (m_pResult != nullptr) *m_pResult = array;
        return ReturnResult();
    });
}

// jsKeyExist(handle, path[, pointer[, delimiter]]): how many paths
// jsKeyPaths lists for the same arguments; 0 also when the parent path
// leads nowhere (a missing key, a segment the value cannot take, a
// malformed index). With a host pointer the list is stored into the
// variable it names. Errors: 20101, 20129 (a pointer shorter than 38 bytes,
// or refused by the host), 20113, 20104, 20114, 20125, 20126, 20115, 20130,
// 20102, 20109.
int32_t CZorJson::jsKeyExist(ZorValue* pArgs, int32_t nArgCount) {
    return Guarded(CatchRule::Standard, [&]() -> int32_t {
        if (nArgCount < 2 || pArgs == nullptr) throw CUserException(kErrInvalidArgument);
        RequireText(pArgs[0]);
        RequireText(pArgs[1]);
        const char* szPointer = nullptr;
        if (nArgCount >= 3) {
            if ((pArgs[2].nType & ZOR_TYPE_TEXT8) == 0 || pArgs[2].pText == nullptr)
                throw CUserException(kErrInvalidArgument);
            szPointer = static_cast<const char*>(pArgs[2].pText);
            if (std::strlen(szPointer) < kMinPointerBytes) throw CUserException(kErrPointer);
        }
        const PathQuery query = ReadPathQuery(pArgs[0], pArgs[1], nArgCount >= 4 ? &pArgs[3] : nullptr);
        const boost::json::value& root = FindContainer(query.strHandle);
        if (!IsContainer(root)) return ReturnInteger(0);
        std::vector<std::string> paths;
        try {
            CollectKeyPaths(root, query.path, query.strDelimiter, paths);
        } catch (const CUserException& e) {
            if (IsAbsence(e.m_nCode)) return ReturnInteger(0);
            throw;
        }
        if (szPointer != nullptr) StorePaths(paths, szPointer);
        return ReturnInteger(static_cast<int32_t>(paths.size()));
    });
}

// Stores the paths as a host array into the variable szPointer names.
// Errors: those of MakePathArray; 20129 (host status 13), 20115 (11), 20130.
void CZorJson::StorePaths(const std::vector<std::string>& paths, const char* szPointer) {
    ZorValue array;
    MakePathArray(paths, true, array);
    if (m_pServices->StoreToVariable == nullptr) throw CUserException(kErrVariableUpdate);
    const int32_t nStatus = m_pServices->StoreToVariable(m_pServices->pContext, szPointer, &array, sizeof array, 2);
    if (nStatus == 0) return;
    const int32_t nCode = nStatus == 13 ? kErrPointer : nStatus == 11 ? kErrMemory : kErrVariableUpdate;
    throw CUserException(nCode, std::to_string(nStatus));
}
