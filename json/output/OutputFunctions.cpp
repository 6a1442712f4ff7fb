// The script functions of output, which hand a container out whole:
// jsSerialize writes it as JSON text, jsConMap turns its top level into a
// host map.
#include <cstring>
#include <vector>

#include "json/ExtConstants.h"
#include "json/frame/Guarded.h"
#include "json/frame/HostCalls.h"
#include "json/frame/TextConversion.h"
#include "json/output/JsonWriter.h"
#include "json/values/Values.h"

namespace {

// The first host version whose map service the library may use.
constexpr uint32_t kMapHostVersion = 1011;

ZorValue TextRecord(const std::u16string& strText) {
    ZorValue record{};
    record.nType = ZOR_TYPE_TEXT16;
    record.pText = const_cast<char16_t*>(strText.c_str());
    return record;
}

// Stores one entry into the host map: the key up to its first zero byte,
// and the value's text (value mode) or type bit (type mode). In value mode
// an array or object becomes a new container, whose handle is added to
// handles. Errors: 20109, 20118 with the host's status.
void AddMapEntry(CContainerRegistry& containers, const ZorServices* pServices, ZorValue& map, std::string_view key,
                 const boost::json::value& jv, bool bTypeMode, std::vector<std::u16string>& handles) {
    std::u16string strKey;
    Utf8ToUtf16(key, strKey);
    ZorValue keyRecord = TextRecord(strKey);
    std::u16string strValue;
    ZorValue valueRecord{};
    if (bTypeMode) {
        valueRecord.nType = ZOR_TYPE_INTEGER;
        valueRecord.nValue = JsonTypeBit(jv);
    } else {
        // Room first: once the new container is registered, its handle is
        // recorded without allocating, so a failure can close it again.
        handles.reserve(handles.size() + 1);
        JsonValueToHostText(containers, jv, strValue);
        if (jv.is_structured()) {
            handles.push_back(std::move(strValue));
            valueRecord = TextRecord(handles.back());
        } else {
            valueRecord = TextRecord(strValue);
        }
    }
    MapOperation(pServices, map, &keyRecord, &valueRecord, ZOR_MAP_SET_ENTRY);
}

}  // namespace

// jsSerialize(handle, indented [, encoding])
//   Reads:   the container of the handle (trimmed); answers it as JSON text,
//            indented when the second argument is nonzero, as UTF-8 bytes in
//            an 8-bit text or, with encoding 2, as UTF-16.
//   Changes: nothing.
//   Errors:  20106 fewer than two arguments; 20101 a handle that is no text,
//            a layout or encoding that is no integer; 20104, 20110, 20109.
int32_t CZorJson::jsSerialize(ZorValue* pArgs, int32_t nArgCount) {
    return Guarded(CCatchRule::Quiet, [&]() -> int32_t {
        if (nArgCount < 2 || pArgs == nullptr) throw CUserException(kErrParamCount);
        const char16_t* szHandle = RequiredText(pArgs, nArgCount, 0);
        const bool bIndented = IntegerArg(pArgs[1]) != 0;
        const bool bUtf16 = OptionalInteger(pArgs, nArgCount, 2, kJsonUTF8) == kJsonUTF16;
        const boost::json::value& root = m_Containers.FindContainerRoot(HandleText(szHandle, CHandleForm::Trimmed));
        CStorageLease storage(m_TextStorage);
        return bUtf16 ? ReturnText(WriteJson<char16_t>(root, bIndented, storage.Buffer()))
                      : ReturnText8(WriteJson<char>(root, bIndented, storage.Buffer()));
    });
}

// jsConMap(handle [, mode])
//   Reads:   the top level of the container of the handle (verbatim).
//   Changes: answers a new host map keyed by member name or by element index
//            in decimal; its values are texts as jsValueGet gives them
//            (arrays and objects become new containers), or type bits with
//            mode 2.
//   Errors:  20111 a host older than 1011; 20101; 20104; 20110; 20118 with
//            the host's status; 20109.
//   A failure closes again the containers the call made: the script never
//   received their handles.
int32_t CZorJson::jsConMap(ZorValue* pArgs, int32_t nArgCount) {
    std::vector<std::u16string> handles;
    const int32_t nResult = Guarded(CCatchRule::Standard, [&]() -> int32_t {
        if (m_pServices == nullptr || m_pServices->nHostVersion < kMapHostVersion)
            throw CUserException(kErrHostVersion);
        const char16_t* szHandle = RequiredText(pArgs, nArgCount, 0);
        const bool bTypeMode = OptionalInteger(pArgs, nArgCount, 1, kJsonValue) == kJsonType;
        const boost::json::value& root = m_Containers.FindContainerRoot(HandleText(szHandle, CHandleForm::Verbatim));
        ZorValue map{};
        MapOperation(m_pServices, map, nullptr, nullptr, ZOR_MAP_CREATE);
        if (root.is_object()) {
            for (const auto& member : root.get_object())
                AddMapEntry(m_Containers, m_pServices, map, std::string_view(member.key().data(), member.key().size()),
                            member.value(), bTypeMode, handles);
        } else {
            const auto& elements = root.get_array();
            for (size_t i = 0; i < elements.size(); ++i)
                AddMapEntry(m_Containers, m_pServices, map, std::to_string(i), elements[i], bTypeMode, handles);
        }
        handles.clear();  // from here on the script owns them
        if (m_pResult != nullptr) *m_pResult = map;
        return ReturnResult();
    });
    for (const std::u16string& strHandle : handles) m_Containers.CloseContainer(strHandle);
    return nResult;
}
