// The extender object, its extension table, and how a handler ends: with a
// result, or with a numbered error and its message text.
#include "ZorJson.h"

#include <charconv>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <exception>

#include "../platform/Platform.h"
#include "Messages.h"

CZorJson g_ZorJson;

namespace {

// Adapts a member handler to the table's handler signature. The reserved
// values are carried this far and used by no handler.
template <int32_t (CZorJson::*Handler)(ZorValue*, int32_t)>
int32_t Dispatch(CZorJson* pThis, void*, void*, void*, ZorValue* pArgs, int32_t nArgCount) {
    return (pThis->*Handler)(pArgs, nArgCount);
}

constexpr CExtEntry<CZorJson> Function(CExtEntry<CZorJson>::Handler pfn, const char16_t* szName,
                                       uint16_t nSize, uint64_t nCounts, uint64_t nTypes) {
    return {pfn, szName, nSize, kEntryFunction, nCounts, nTypes};
}

constexpr CExtEntry<CZorJson> Constant(const char16_t* szName, uint16_t nSize, uint64_t nValue) {
    return {nullptr, szName, nSize, kEntryConstant, nValue, 0};
}

// The message of nCode in the host's 8-bit code page, into kMessageUnits
// bytes. Finding it can take memory (a translation, the native string
// table); when none is left, the text is the bare number that every message
// begins with, so that the error still reaches the host.
void HostMessageText(int32_t nCode, char* szText) noexcept {
    try {
        char16_t szMessage[kMessageUnits];
        LoadMessageText(nCode, szMessage, kMessageUnits);
        if (platform::WideToAnsi(szMessage, -1, szText, kMessageUnits) != 0) return;
        static const char kFallback[] = "Text conversion error";
        std::memcpy(szText, kFallback, sizeof kFallback);
    } catch (const std::exception&) {
        *std::to_chars(szText, szText + kMessageUnits - 1, nCode).ptr = 0;
    }
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

int32_t CZorJson::ReturnResult() {
    if (m_pfnReturn == nullptr) return -1;
    return m_pfnReturn(0, m_nCookie, m_pServices, m_pResult);
}

int32_t CZorJson::ReturnInteger(int32_t nValue) {
    if (m_pResult != nullptr) {
        m_pResult->nValue = nValue;
        m_pResult->nType = ZOR_TYPE_INTEGER;
    }
    return ReturnResult();
}

// The text must live until the callback has returned: it is the caller's.
int32_t CZorJson::ReturnText(const std::u16string& strText) { return ReturnText(strText.c_str()); }

int32_t CZorJson::ReturnText(const char16_t* szText) {
    if (m_pResult != nullptr) {
        m_pResult->pText = const_cast<char16_t*>(szText);
        m_pResult->nType = ZOR_TYPE_TEXT16;
    }
    return ReturnResult();
}

int32_t CZorJson::ReturnText8(const char* szText) {
    if (m_pResult != nullptr) {
        m_pResult->pText = const_cast<char*>(szText);
        m_pResult->nType = ZOR_TYPE_TEXT8;
    }
    return ReturnResult();
}

int32_t CZorJson::ReportError(int32_t nCode) {
    // The 8-bit text lives on this frame until the callback has returned.
    char szText[kMessageUnits];
    HostMessageText(nCode, szText);
    if (m_pfnReturn == nullptr || m_pResult == nullptr) return -1;
    m_pResult->pText = szText;
    m_pResult->nType = ZOR_TYPE_TEXT8;
    return m_pfnReturn(-1, m_nCookie, m_pServices, m_pResult);
}

void CZorJson::SetErrorDetail(const char* szText) {
    if (m_pServices != nullptr && m_pServices->SetErrorDetail != nullptr)
        m_pServices->SetErrorDetail(m_pServices->pContext, szText);
}

bool IsTextArg(const ZorValue& arg) {
    return (arg.nType & ZOR_TYPE_TEXT16) != 0 && arg.pText != nullptr;
}

bool IsIntegerArg(const ZorValue& arg) { return (arg.nType & ZOR_TYPE_INTEGER) != 0; }

const char16_t* TextArg(const ZorValue& arg) { return static_cast<const char16_t*>(arg.pText); }
