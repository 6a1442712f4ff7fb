// The extender object, its extension table, and how a handler ends: with a
// result, or with a numbered error and its message text.
#include "json/ZorJson.h"

#include <cstdlib>
#include <ctime>

#include "platform/Platform.h"

CZorJson g_ZorJson;

namespace {

// Adapts a member handler to the table's handler signature. The reserved
// values are carried this far and used by no handler.
template <int32_t (CZorJson::*Handler)(ZorValue*, int32_t)>
int32_t Dispatch(CZorJson* pThis, void*, void*, void*, ZorValue* pArgs, int32_t nArgCount) {
    return (pThis->*Handler)(pArgs, nArgCount);
}

constexpr CExtEntry<CZorJson> Function(CExtEntry<CZorJson>::Handler pfn, const char16_t* szName, uint16_t nSize,
                                       uint64_t nCounts, uint64_t nTypes) {
    return {pfn, szName, nSize, kEntryFunction, nCounts, nTypes};
}

constexpr CExtEntry<CZorJson> Constant(const char16_t* szName, uint16_t nSize, uint64_t nValue) {
    return {nullptr, szName, nSize, kEntryConstant, nValue, 0};
}

}  // namespace

// The count and type words go to the host exactly as they stand; the
// handlers check their arguments themselves.
const CExtEntry<CZorJson> CZorJson::m_ExtTable[kEntries] = {
    Function(Dispatch<&CZorJson::jsParse>, u"jsParse", 7, 0x001, 0x5),
    Function(Dispatch<&CZorJson::jsValid>, u"jsValid", 7, 0x001, 0x5),
    Function(Dispatch<&CZorJson::jsConMap>, u"jsConMap", 8, 0x101, 0x5),
    Function(Dispatch<&CZorJson::jsConNew>, u"jsConNew", 8, 0x001, 0x5),
    Function(Dispatch<&CZorJson::jsValueGet>, u"jsValueGet", 10, 0x102, 0x5555),
    Function(Dispatch<&CZorJson::jsValueType>, u"jsValueType", 11, 0x102, 0x555),
    Function(Dispatch<&CZorJson::jsValueAdd>, u"jsValueAdd", 10, 0x103, 0x50555),
    Function(Dispatch<&CZorJson::jsKeyPaths>, u"jsKeyPaths", 10, 0x102, 0x555),
    Function(Dispatch<&CZorJson::jsKeyExist>, u"jsKeyExist", 10, 0x202, 0x5155),
    Function(Dispatch<&CZorJson::jsConClose>, u"jsConClose", 10, 0x100, 0x5),
    Function(Dispatch<&CZorJson::jsGetInfo>, u"jsGetInfo", 9, 0x101, 0x50),
    Function(Dispatch<&CZorJson::jsSerialize>, u"jsSerialize", 11, 0x102, 0x5),
    Constant(u"@JsonNull", 9, 1),
    Constant(u"@JsonBool", 9, 2),
    Constant(u"@JsonNum", 8, 4),
    Constant(u"@JsonStr", 8, 8),
    Constant(u"@JsonArr", 8, 16),
    Constant(u"@JsonArray", 10, 16),
    Constant(u"@JsonObj", 8, 32),
    Constant(u"@JsonObject", 11, 32),
    Constant(u"@JsonUTF8", 9, 1),
    Constant(u"@JsonUTF16", 10, 2),
    Constant(u"@JsonValue", 10, 1),
    Constant(u"@JsonType", 9, 2),
};

CZorJson::CZorJson() {
    g_pExtender = this;
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    m_nHandleSeed = static_cast<uint32_t>(std::rand() % 99 + 42);
    platform::InitNumericLocale();
}
