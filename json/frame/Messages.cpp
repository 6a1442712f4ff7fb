// Message lookup. The user's language is resolved once: the host's settings
// file names it, else the user's Windows settings; a language file
// "QRVELANG.<tag>" beside the module, or on the search path, then supplies
// translations in the section "<module base name> Extender", keyed by number.
#include "json/frame/Messages.h"

#include <string>

#include "json/ZorJson.h"
#include "platform/Platform.h"

namespace {

constexpr int32_t kTagUnits = 20;
constexpr int32_t kPathUnits = 261;
// Message numbers below this come from the string table only.
constexpr int32_t kFirstTranslated = 100;

struct CLanguageFile {
    bool bResolved = false;
    bool bAvailable = false;
    std::u16string strPath;
    std::u16string strSection;
};

CLanguageFile g_Language;
char16_t g_szInternal[kMessageUnits];

std::u16string LanguageTag() {
    char16_t szTag[kTagUnits];
    platform::PrivateProfileString(u"MAIN", u"Language", u"XXX", szTag, kTagUnits, u"QRVQUILL.INI");
    if (std::u16string(szTag) == u"XXX") platform::ProfileString(u"INTL", u"sLanguage", u"enu", szTag, kTagUnits);
    return szTag;
}

// The folder of the module's file, with its final separator; empty if none.
std::u16string ModuleFolder() {
    char16_t szPath[kPathUnits] = {};
    platform::ModuleFileName(szPath, kPathUnits);
    std::u16string strPath(szPath);
    const size_t nSlash = strPath.find_last_of(u"\\/");
    return nSlash == std::u16string::npos ? std::u16string() : strPath.substr(0, nSlash + 1);
}

void ResolveLanguage() {
    const std::u16string strName = u"QRVELANG." + LanguageTag();
    std::u16string strPath = ModuleFolder() + strName;
    g_Language.bResolved = true;
    g_Language.bAvailable = platform::FileExists(strPath.c_str()) || platform::SearchFile(strName.c_str(), strPath);
    if (!g_Language.bAvailable) return;
    g_Language.strPath = strPath;
    g_Language.strSection = std::u16string(g_ZorJson.ModuleName()) + u" Extender";
}

std::u16string DecimalText(int32_t n) {
    const std::string str = std::to_string(n);
    return std::u16string(str.begin(), str.end());
}

// The translation of nId, or false when the language file has none.
bool LoadTranslation(int32_t nId, char16_t* pBuffer, int32_t nSize) {
    const std::u16string strKey = DecimalText(nId);
    platform::PrivateProfileString(g_Language.strSection.c_str(), strKey.c_str(), u"XXX", pBuffer,
                                   static_cast<uint32_t>(nSize), g_Language.strPath.c_str());
    return std::u16string(pBuffer) != u"XXX";
}

int32_t LoadFromTable(int32_t nId, char16_t* pBuffer, int32_t nSize) {
    pBuffer[0] = 0;
    // String ids are 16-bit: a number outside has no text.
    if (nId < 0 || nId > 0xFFFF) return 0;
    return platform::LoadStringResource(static_cast<uint32_t>(nId), pBuffer, nSize);
}

}  // namespace

int32_t LoadMessageText(int32_t nId, char16_t* pBuffer, int32_t nSize) {
    if (nSize <= 0) {
        pBuffer = g_szInternal;
        nSize = kMessageUnits;
    }
    if (!g_Language.bResolved || nId == 0) ResolveLanguage();
    const bool bTranslated = nId >= kFirstTranslated && g_Language.bAvailable && LoadTranslation(nId, pBuffer, nSize);
    if (!bTranslated) LoadFromTable(nId, pBuffer, nSize);
    int32_t nLength = 0;
    for (; pBuffer[nLength] != 0; ++nLength) {
        if (pBuffer[nLength] == u'~')
            pBuffer[nLength] = u'\n';
        else if (pBuffer[nLength] == u'|')
            pBuffer[nLength] = u'\t';
    }
    return nLength;
}
