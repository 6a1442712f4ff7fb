// The platform layer on Windows: each function is the Windows API it names.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/Platform.h"

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 wide characters");

namespace platform {
namespace {

HMODULE g_hModule = nullptr;
// The decimal separator, constant-initialized so that it is in place
// whenever the library's own initialization reads it.
char g_szDecimalSeparator[16] = ".";

const wchar_t* Wide(const char16_t* sz) { return reinterpret_cast<const wchar_t*>(sz); }
wchar_t* Wide(char16_t* sz) { return reinterpret_cast<wchar_t*>(sz); }

}  // namespace

void SetModuleHandle(void* hModule) { g_hModule = static_cast<HMODULE>(hModule); }

uint32_t ModuleFileName(char16_t* pBuffer, uint32_t nSize) {
    return GetModuleFileNameW(g_hModule, Wide(pBuffer), nSize);
}

int32_t LoadStringResource(uint32_t nId, char16_t* pBuffer, int32_t nSize) {
    return LoadStringW(g_hModule, nId, Wide(pBuffer), nSize);
}

bool ReadFileVersion(std::u16string& strVersion) {
    wchar_t szPath[MAX_PATH];
    if (GetModuleFileNameW(g_hModule, szPath, MAX_PATH) == 0) return false;
    DWORD nHandle = 0;
    const DWORD nBytes = GetFileVersionInfoSizeW(szPath, &nHandle);
    if (nBytes == 0) return false;
    std::vector<char> block(nBytes);
    if (!GetFileVersionInfoW(szPath, 0, nBytes, block.data())) return false;
    WORD nLanguage = 0x0409;
    WORD nCodePage = 0x04B0;
    void* pTranslation = nullptr;
    UINT nTranslation = 0;
    if (VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &pTranslation, &nTranslation) &&
        nTranslation >= 4) {
        DWORD nWord;
        std::memcpy(&nWord, pTranslation, sizeof nWord);
        nLanguage = LOWORD(nWord);
        nCodePage = HIWORD(nWord);
    }
    wchar_t szSubBlock[64];
    swprintf(szSubBlock, 64, L"\\StringFileInfo\\%04x%04x\\%ls", nLanguage, nCodePage, L"FileVersion");
    void* pValue = nullptr;
    UINT nValue = 0;
    if (!VerQueryValueW(block.data(), szSubBlock, &pValue, &nValue) || pValue == nullptr) return false;
    strVersion = reinterpret_cast<const char16_t*>(pValue);
    return true;
}

uint32_t PrivateProfileString(const char16_t* szSection, const char16_t* szKey, const char16_t* szDefault,
                              char16_t* pBuffer, uint32_t nSize, const char16_t* szFile) {
    return GetPrivateProfileStringW(Wide(szSection), Wide(szKey), Wide(szDefault), Wide(pBuffer), nSize, Wide(szFile));
}

uint32_t ProfileString(const char16_t* szSection, const char16_t* szKey, const char16_t* szDefault, char16_t* pBuffer,
                       uint32_t nSize) {
    return GetProfileStringW(Wide(szSection), Wide(szKey), Wide(szDefault), Wide(pBuffer), nSize);
}

bool FileExists(const char16_t* szPath) {
    const DWORD nAttributes = GetFileAttributesW(Wide(szPath));
    return nAttributes != INVALID_FILE_ATTRIBUTES && (nAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool SearchFile(const char16_t* szName, std::u16string& strPath) {
    wchar_t szFound[MAX_PATH];
    const DWORD nLength = SearchPathW(nullptr, Wide(szName), nullptr, MAX_PATH, szFound, nullptr);
    if (nLength == 0 || nLength >= MAX_PATH) return false;
    strPath.assign(reinterpret_cast<const char16_t*>(szFound), nLength);
    return true;
}

int32_t WideToUtf8(const char16_t* pSource, int32_t nSource, char* pDest, int32_t nDest) {
    return WideCharToMultiByte(CP_UTF8, 0, Wide(pSource), nSource, pDest, nDest, nullptr, nullptr);
}

int32_t Utf8ToWide(const char* pSource, int32_t nSource, char16_t* pDest, int32_t nDest) {
    return MultiByteToWideChar(CP_UTF8, 0, pSource, nSource, Wide(pDest), nDest);
}

int32_t WideToAnsi(const char16_t* pSource, int32_t nSource, char* pDest, int32_t nDest) {
    return WideCharToMultiByte(CP_ACP, 0, Wide(pSource), nSource, pDest, nDest, nullptr, nullptr);
}

void LowerText(char16_t* szText) { CharLowerW(Wide(szText)); }

void* LockGlobalBlock(void* pData) {
    HGLOBAL hBlock = GlobalHandle(pData);
    return hBlock == nullptr ? nullptr : GlobalLock(hBlock);
}

// The decimal separator of the user's regional format.
void InitNumericLocale() {
    wchar_t szSeparator[4] = {};
    if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, szSeparator, 4) <= 1) return;
    char szUtf8[sizeof g_szDecimalSeparator];
    if (WideCharToMultiByte(CP_UTF8, 0, szSeparator, -1, szUtf8, sizeof szUtf8, nullptr, nullptr) > 1)
        std::strcpy(g_szDecimalSeparator, szUtf8);
}

std::string_view DecimalSeparator() { return g_szDecimalSeparator; }

}  // namespace platform
