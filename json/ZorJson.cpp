// The extender object and its extension table, built from ExtTable.def, and
// the adapter through which the frame's dispatch reaches each handler.
#include "json/ZorJson.h"

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

// Names are written once, in the list; their lengths are those of the
// literals, so m_nSize always matches m_szName.
const CExtEntry<CZorJson> CZorJson::m_ExtTable[kEntries] = {
#define ZOR_FUNCTION(name, counts, types) \
    Function(Dispatch<&CZorJson::name>, u"" #name, sizeof #name - 1, counts, types),
#define ZOR_CONSTANT(name, value) Constant(u"@" #name, sizeof #name, value),
#include "json/ExtTable.def"
#undef ZOR_FUNCTION
#undef ZOR_CONSTANT
};

// One for each line of the list: the table is full.
constexpr int32_t kListedEntries = 0
#define ZOR_FUNCTION(name, counts, types) +1
#define ZOR_CONSTANT(name, value) +1
#include "json/ExtTable.def"
#undef ZOR_FUNCTION
#undef ZOR_CONSTANT
    ;
static_assert(kListedEntries == CZorJson::kEntries, "the list holds every entry of the table");

CZorJson::CZorJson() {
    g_pExtender = this;
    platform::InitNumericLocale();
}
