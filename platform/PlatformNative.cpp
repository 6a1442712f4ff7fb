// The platform layer off Windows: the same observable results as the Windows
// calls, by emulation. The Windows folder, where bare profile file names and
// the user's settings (win.ini) live, is the folder named by the environment
// variable ZOR_WINDIR; without it such files are absent and defaults apply.
#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fstream>
#include <iterator>
#include <langinfo.h>
#include <locale.h>
#include <sstream>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>
#include <wctype.h>

#include "Version.h"
#include "platform/Platform.h"
#include "platform/Utf8Codec.h"

namespace platform {
namespace {

struct CMessage {
    uint32_t nId;
    const char* szText;
};

constexpr CMessage kMessages[] = {
#define ZOR_MESSAGE(id, text) {id, text},
#include "resources/messages.def"
#undef ZOR_MESSAGE
};

// A locale object freed when the library unloads.
class COwnedLocale {
public:
    ~COwnedLocale() { Reset(nullptr); }
    void Reset(locale_t hLocale) {
        if (m_hLocale != nullptr) freelocale(m_hLocale);
        m_hLocale = hLocale;
    }
    locale_t Get() const { return m_hLocale; }

private:
    locale_t m_hLocale = nullptr;
};

// The decimal separator, constant-initialized so that it is in place
// whenever the library's own initialization reads it.
char g_szDecimalSeparator[16] = ".";
// Full Unicode case mapping for LowerText.
COwnedLocale g_CaseLocale;

// Copies strText with a terminator into nSize units, cut to nSize - 1;
// returns the number of units copied.
uint32_t CopyOut(const std::u16string& strText, char16_t* pBuffer, uint32_t nSize) {
    if (pBuffer == nullptr || nSize == 0) return 0;
    const size_t nCopy = std::min<size_t>(strText.size(), nSize - 1);
    strText.copy(pBuffer, nCopy);
    pBuffer[nCopy] = 0;
    return static_cast<uint32_t>(nCopy);
}

// The running program's file.
std::string ProgramPath() {
    char szExe[4096];
    const ssize_t nLength = readlink("/proc/self/exe", szExe, sizeof szExe);
    return nLength > 0 ? std::string(szExe, static_cast<size_t>(nLength)) : std::string();
}

std::string ModulePath() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&ModuleFileName), &info) != 0 && info.dli_fname != nullptr) {
        char* szReal = realpath(info.dli_fname, nullptr);
        if (szReal != nullptr) {
            std::string strPath(szReal);
            std::free(szReal);
            return strPath;
        }
    }
    return ProgramPath();
}

std::string FolderOf(const std::string& strPath) {
    const size_t nSlash = strPath.rfind('/');
    return nSlash == std::string::npos ? std::string() : strPath.substr(0, nSlash + 1);
}

std::string WindowsFolder() {
    const char* szDir = std::getenv("ZOR_WINDIR");
    return szDir == nullptr || *szDir == 0 ? std::string() : std::string(szDir) + "/";
}

bool IsFile(const std::string& strPath) {
    struct stat st {};
    return stat(strPath.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// A profile file as UTF-16: with a UTF-16LE or UTF-8 byte order mark, or
// as 8-bit text (UTF-8 here).
bool ReadTextFile(const std::string& strPath, std::u16string& strText) {
    std::ifstream file(strPath, std::ios::binary);
    if (!file) return false;
    const std::string strBytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (strBytes.size() >= 2 && strBytes[0] == '\xFF' && strBytes[1] == '\xFE') {
        strText.clear();
        for (size_t i = 2; i + 1 < strBytes.size(); i += 2)
            strText +=
                static_cast<char16_t>(static_cast<uint8_t>(strBytes[i]) | static_cast<uint8_t>(strBytes[i + 1]) << 8);
        return true;
    }
    const bool bBom = strBytes.compare(0, 3, "\xEF\xBB\xBF") == 0;
    strText = Utf16Of(bBom ? strBytes.substr(3) : strBytes);
    return true;
}

// Section and key names of a language file compare as Windows compares them:
// without regard to letter case, of any script.
bool SameProfileName(const std::u16string& a, const std::u16string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (towlower(a[i]) != towlower(b[i])) return false;
    return true;
}

std::u16string TrimBlanks(const std::u16string& str) {
    const size_t nStart = str.find_first_not_of(u" \t");
    if (nStart == std::u16string::npos) return std::u16string();
    return str.substr(nStart, str.find_last_not_of(u" \t") - nStart + 1);
}

// A value loses one pair of matching quotes around it, as Windows reads it.
std::u16string Unquote(const std::u16string& str) {
    if (str.size() >= 2 && (str.front() == u'"' || str.front() == u'\'') && str.back() == str.front())
        return str.substr(1, str.size() - 2);
    return str;
}

// The value of szKey in the first section named szSection.
bool FindProfileValue(const std::u16string& strText, const std::u16string& strSection, const std::u16string& strKey,
                      std::u16string& strValue) {
    bool bInSection = false;
    size_t nPos = 0;
    while (nPos <= strText.size()) {
        size_t nEnd = strText.find_first_of(u"\r\n", nPos);
        if (nEnd == std::u16string::npos) nEnd = strText.size();
        const std::u16string strLine = TrimBlanks(strText.substr(nPos, nEnd - nPos));
        nPos = nEnd + 1;
        if (strLine.empty() || strLine[0] == u';') continue;
        if (strLine[0] == u'[') {
            const size_t nClose = strLine.find(u']');
            const std::u16string strName =
                TrimBlanks(strLine.substr(1, nClose == std::u16string::npos ? std::u16string::npos : nClose - 1));
            if (bInSection && !SameProfileName(strName, strSection)) return false;
            bInSection = SameProfileName(strName, strSection);
            continue;
        }
        if (!bInSection) continue;
        const size_t nEqual = strLine.find(u'=');
        if (nEqual == std::u16string::npos) continue;
        if (SameProfileName(TrimBlanks(strLine.substr(0, nEqual)), strKey)) {
            strValue = Unquote(TrimBlanks(strLine.substr(nEqual + 1)));
            return true;
        }
    }
    return false;
}

uint32_t ProfileFromFile(const std::string& strPath, const char16_t* szSection, const char16_t* szKey,
                         const char16_t* szDefault, char16_t* pBuffer, uint32_t nSize) {
    std::u16string strText;
    std::u16string strValue;
    if (szSection != nullptr && szKey != nullptr && ReadTextFile(strPath, strText) &&
        FindProfileValue(strText, szSection, szKey, strValue))
        return CopyOut(strValue, pBuffer, nSize);
    return CopyOut(TrimBlanks(szDefault == nullptr ? u"" : szDefault), pBuffer, nSize);
}

// A conversion with the argument and result rules of the Windows calls:
// nSource -1 takes the text through its terminator, 0 or a null source is
// refused; with nDest 0 the length needed, else the length written, or 0
// when it does not fit. The conversion measures first and writes only when
// the result fits.
template <class Char, class Unit>
int32_t ConvertLikeWindows(const Char* pSource, int32_t nSource, Unit* pDest, int32_t nDest,
                           size_t (*convert)(const Char*, size_t, Unit*)) {
    if (pSource == nullptr || nSource == 0 || nSource < -1 || nDest < 0) return 0;
    const size_t nLength = nSource == -1 ? std::char_traits<Char>::length(pSource) + 1 : static_cast<size_t>(nSource);
    const size_t nNeeded = convert(pSource, nLength, nullptr);
    if (nNeeded > static_cast<size_t>(INT32_MAX)) return 0;
    if (nDest == 0) return static_cast<int32_t>(nNeeded);
    if (pDest == nullptr || nNeeded > static_cast<size_t>(nDest)) return 0;
    convert(pSource, nLength, pDest);
    return static_cast<int32_t>(nNeeded);
}

}  // namespace

void SetModuleHandle(void*) {}

uint32_t ModuleFileName(char16_t* pBuffer, uint32_t nSize) {
    const std::u16string strPath = Utf16Of(ModulePath());
    if (strPath.empty() || nSize == 0) return 0;
    const uint32_t nCopied = CopyOut(strPath, pBuffer, nSize);
    return nCopied < strPath.size() ? nSize : nCopied;
}

int32_t LoadStringResource(uint32_t nId, char16_t* pBuffer, int32_t nSize) {
    if (nSize <= 0) return 0;
    for (const CMessage& message : kMessages)
        if (message.nId == nId)
            return static_cast<int32_t>(CopyOut(Utf16Of(message.szText), pBuffer, static_cast<uint32_t>(nSize)));
    return 0;
}

bool ReadFileVersion(std::u16string& strVersion) {
    strVersion = u"" ZOR_VERSION_TEXT;
    return true;
}

uint32_t PrivateProfileString(const char16_t* szSection, const char16_t* szKey, const char16_t* szDefault,
                              char16_t* pBuffer, uint32_t nSize, const char16_t* szFile) {
    std::string strPath = Utf8Of(szFile);
    if (strPath.find_first_of("/\\") == std::string::npos) strPath = WindowsFolder() + strPath;
    return ProfileFromFile(strPath, szSection, szKey, szDefault, pBuffer, nSize);
}

uint32_t ProfileString(const char16_t* szSection, const char16_t* szKey, const char16_t* szDefault, char16_t* pBuffer,
                       uint32_t nSize) {
    return ProfileFromFile(WindowsFolder() + "win.ini", szSection, szKey, szDefault, pBuffer, nSize);
}

bool FileExists(const char16_t* szPath) { return IsFile(Utf8Of(szPath)); }

// The standard search order of Windows: the program's folder, the current
// folder, the system folders and the Windows folder, then the folders of PATH.
bool SearchFile(const char16_t* szName, std::u16string& strPath) {
    const std::string strWindows = WindowsFolder();
    std::vector<std::string> folders{FolderOf(ProgramPath()), "./"};
    if (!strWindows.empty())
        folders.insert(folders.end(), {strWindows + "system32/", strWindows + "system/", strWindows});
    std::istringstream pathVariable(std::getenv("PATH") != nullptr ? std::getenv("PATH") : "");
    for (std::string strFolder; std::getline(pathVariable, strFolder, ':');) folders.push_back(strFolder + "/");
    const std::string strName = Utf8Of(szName);
    for (const std::string& strFolder : folders) {
        if (strFolder.size() < 2) continue;  // an empty entry of PATH, or no program folder
        char* szReal = realpath((strFolder + strName).c_str(), nullptr);
        if (szReal == nullptr) continue;
        const std::string strFound(szReal);
        std::free(szReal);
        if (IsFile(strFound)) {
            strPath = Utf16Of(strFound);
            return true;
        }
    }
    return false;
}

int32_t WideToUtf8(const char16_t* pSource, int32_t nSource, char* pDest, int32_t nDest) {
    return ConvertLikeWindows<char16_t, char>(pSource, nSource, pDest, nDest, EncodeUtf8);
}

int32_t Utf8ToWide(const char* pSource, int32_t nSource, char16_t* pDest, int32_t nDest) {
    return ConvertLikeWindows<char, char16_t>(pSource, nSource, pDest, nDest, DecodeUtf8);
}

// The 8-bit code page here is UTF-8.
int32_t WideToAnsi(const char16_t* pSource, int32_t nSource, char* pDest, int32_t nDest) {
    return WideToUtf8(pSource, nSource, pDest, nDest);
}

void LowerText(char16_t* szText) {
    if (g_CaseLocale.Get() == nullptr) g_CaseLocale.Reset(newlocale(LC_CTYPE_MASK, "C.UTF-8", nullptr));
    const locale_t ctype = g_CaseLocale.Get();
    for (; *szText != 0; ++szText)
        if (*szText < 0xD800 || *szText > 0xDFFF)
            *szText = static_cast<char16_t>(ctype != nullptr ? towlower_l(*szText, ctype) : towlower(*szText));
}

// Host arrays here live in ordinary memory: the address is the block.
void* LockGlobalBlock(void* pData) { return pData; }

// The radix character of the locale the environment names, "." when the
// environment names none or an unknown one.
void InitNumericLocale() {
    const locale_t hLocale = newlocale(LC_NUMERIC_MASK, "", nullptr);
    if (hLocale == nullptr) return;
    const char* szRadix = nl_langinfo_l(RADIXCHAR, hLocale);
    if (szRadix != nullptr && *szRadix != 0 && std::strlen(szRadix) < sizeof g_szDecimalSeparator)
        std::strcpy(g_szDecimalSeparator, szRadix);
    freelocale(hLocale);
}

std::string_view DecimalSeparator() { return g_szDecimalSeparator; }

}  // namespace platform
