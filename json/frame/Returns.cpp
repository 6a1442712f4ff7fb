// How a handler ends: with its result through the host's return callback
// (status 0), or with a numbered error, its message text in the host's
// 8-bit code page (status -1), after a detail text for SetErrorDetail.
#include <charconv>
#include <cstring>
#include <exception>

#include "json/ZorJson.h"
#include "json/frame/Messages.h"
#include "platform/Platform.h"

namespace {

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
