// What the extender tells about itself: the version query of the handshake
// (title, module base name, version number) and the script function
// jsGetInfo.
#include <algorithm>
#include <climits>

#include "json/frame/Guarded.h"
#include "json/frame/Messages.h"
#include "platform/Platform.h"

namespace {

constexpr int32_t kFallbackVersion = 10001;
constexpr uint32_t kNameUnits = 260;
constexpr int32_t kInfoTextUnits = 263;

// Reads a signed decimal number as the C runtime's wcstol does: leading
// white space, an optional sign, digits up to the first other character
// (none gives 0). A value outside the int32 range gives the fallback.
int32_t ParseVersion(const std::u16string& strText) {
    size_t i = 0;
    while (i < strText.size() && (strText[i] == u' ' || (strText[i] >= u'\t' && strText[i] <= u'\r'))) ++i;
    bool bNegative = false;
    if (i < strText.size() && (strText[i] == u'+' || strText[i] == u'-')) bNegative = strText[i++] == u'-';
    int64_t nValue = 0;
    for (; i < strText.size() && strText[i] >= u'0' && strText[i] <= u'9'; ++i) {
        nValue = nValue * 10 + (strText[i] - u'0');
        if (nValue > static_cast<int64_t>(INT32_MAX) + 1) return kFallbackVersion;
    }
    if (bNegative) nValue = -nValue;
    if (nValue > INT32_MAX || nValue < INT32_MIN) return kFallbackVersion;
    return static_cast<int32_t>(nValue);
}

// The module's file name without folder and extension, when its full path
// fits the buffer.
bool ModuleBaseName(char16_t (&szName)[kNameUnits]) {
    char16_t szPath[kNameUnits + 1] = {};
    const uint32_t nLength = platform::ModuleFileName(szPath, kNameUnits + 1);
    if (nLength == 0 || nLength >= kNameUnits + 1) return false;
    std::u16string strName(szPath, nLength);
    const size_t nSlash = strName.find_last_of(u"\\/");
    if (nSlash != std::u16string::npos) strName.erase(0, nSlash + 1);
    const size_t nDot = strName.rfind(u'.');
    if (nDot != std::u16string::npos) strName.erase(nDot);
    std::copy(strName.begin(), strName.end(), szName);
    szName[strName.size()] = 0;
    return true;
}

}  // namespace

// The module base name is recorded before the title is loaded: the title is
// the first message lookup, and the language file's section is named after
// the module.
int32_t CZorJson::VersionQuery(char16_t* pTitle, int32_t nSize) {
    ModuleBaseName(m_szModuleName);
    if (pTitle != nullptr && nSize >= 1) {
        LoadMessageText(kTitleMessage, m_szTitle, kNameUnits);
        const size_t nCopy =
            std::min<size_t>(platform::TextLength(m_szTitle), std::min<int32_t>(nSize, kNameUnits) - 1);
        std::copy(m_szTitle, m_szTitle + nCopy, pTitle);
        pTitle[nCopy] = 0;
    }
    std::u16string strVersion;
    m_nVersion = platform::ReadFileVersion(strVersion) ? ParseVersion(strVersion) : kFallbackVersion;
    return m_nVersion;
}

// jsGetInfo(request [, handle])
//   Reads:   request 0 the version, 1 the number of functions, 2 of
//            constants, 3 of open containers, 4 the element count of the
//            container of the handle (verbatim; -1 for an object), any other
//            number the text of that message.
//   Changes: nothing.
//   Errors:  20106 no request, or request 4 without a handle; 20101 a
//            request that is no integer, or a handle that is no text; 20104.
int32_t CZorJson::jsGetInfo(ZorValue* pArgs, int32_t nArgCount) {
    return Guarded(CCatchRule::Quiet, [&]() -> int32_t {
        if (nArgCount < 1 || pArgs == nullptr) throw CUserException(kErrParamCount);
        const int32_t nRequest = IntegerArg(pArgs[0]);
        switch (nRequest) {
            case 0:
                return ReturnInteger(m_nVersion);
            case 1:
            case 2: {
                const uint32_t nKind = nRequest == 1 ? kEntryFunction : kEntryConstant;
                return ReturnInteger(static_cast<int32_t>(
                    std::count_if(m_ExtTable, m_ExtTable + kEntries,
                                  [nKind](const CExtEntry<CZorJson>& e) { return e.m_nKind == nKind; })));
            }
            case 3:
                return ReturnInteger(static_cast<int32_t>(m_Containers.Count()));
            case 4: {
                if (nArgCount < 2) throw CUserException(kErrParamCount);
                const char16_t* szHandle = RequiredText(pArgs, nArgCount, 1);
                const boost::json::value& jv = m_Containers.FindContainer(HandleText(szHandle, CHandleForm::Verbatim));
                return ReturnInteger(jv.is_array() ? static_cast<int32_t>(jv.get_array().size()) : -1);
            }
            default: {
                std::u16string strText(kInfoTextUnits, u'\0');
                strText.resize(static_cast<size_t>(LoadMessageText(nRequest, strText.data(), kInfoTextUnits)));
                return ReturnText(strText);
            }
        }
    });
}
