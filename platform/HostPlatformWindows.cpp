// The host's platform functions on Windows: LoadLibraryW for modules, movable
// global memory for host array blocks, so that GlobalHandle and GlobalLock
// find a block again from the address a host array record carries, and the
// wide command line and file calls, so that UTF-8 names reach Windows intact.
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <iostream>
#include <shellapi.h>
#include <streambuf>
#include <string>

#include "platform/HostPlatform.h"
#include "platform/Utf8Codec.h"

namespace platform {

namespace {

bool Widen(const std::string& strText, std::wstring& strWide) {
    if (strText.empty()) {
        strWide.clear();
        return true;
    }
    int nSize = static_cast<int>(strText.size());
    int nUnits = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, strText.data(), nSize, nullptr, 0);
    if (nUnits <= 0) return false;
    strWide.assign(static_cast<size_t>(nUnits), L'\0');
    return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, strText.data(), nSize, &strWide[0], nUnits) == nUnits;
}

std::string Narrow(const std::wstring& strWide) {
    if (strWide.empty()) return std::string();
    int nSize = static_cast<int>(strWide.size());
    int nBytes = WideCharToMultiByte(CP_UTF8, 0, strWide.data(), nSize, nullptr, 0, nullptr, nullptr);
    if (nBytes <= 0) return std::string();
    std::string strText(static_cast<size_t>(nBytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, strWide.data(), nSize, &strText[0], nBytes, nullptr, nullptr);
    return strText;
}

// A console's input as UTF-8: each read takes what the console hands over,
// a line at most, as UTF-16 and converts it.
class CConsoleInput : public std::streambuf {
public:
    explicit CConsoleInput(HANDLE hInput) : m_hInput(hInput) {}

protected:
    int_type underflow() override {
        if (gptr() == egptr()) {
            if (!Fill()) return traits_type::eof();
            setg(&m_strBytes[0], &m_strBytes[0], &m_strBytes[0] + m_strBytes.size());
        }
        return traits_type::to_int_type(*gptr());
    }

private:
    static constexpr DWORD kUnits = 4096;

    // False at the end of input: a failed read, or a line starting with Ctrl-Z.
    bool Fill() {
        size_t nWhole = 0;
        while (nWhole == 0) {
            wchar_t units[kUnits];
            DWORD nRead = 0;
            if (!ReadConsoleW(m_hInput, units, kUnits, &nRead, nullptr) || nRead == 0) return false;
            if (m_bLineStart && units[0] == L'\x1a') return false;
            m_strUnits.append(reinterpret_cast<const char16_t*>(units), nRead);
            // The first half of a surrogate pair waits for its second half.
            const char16_t cLast = m_strUnits.back();
            nWhole = m_strUnits.size() - (cLast >= 0xD800 && cLast <= 0xDBFF ? 1 : 0);
        }
        EncodeUtf8(m_strUnits.data(), nWhole, m_strBytes);
        m_strUnits.erase(0, nWhole);
        m_bLineStart = m_strBytes.back() == '\n';
        return true;
    }

    HANDLE m_hInput;
    std::u16string m_strUnits;  // read, not yet converted
    std::string m_strBytes;     // converted, handed out through the get area
    bool m_bLineStart = true;
};

// The running program's full path; empty on failure. Windows paths stay
// below 32768 units, so the buffer grows at most a few times.
std::wstring ProgramPath() {
    for (DWORD nUnits = MAX_PATH; nUnits <= 65536; nUnits *= 2) {
        std::wstring strPath(nUnits, L'\0');
        DWORD nLength = GetModuleFileNameW(nullptr, &strPath[0], nUnits);
        if (nLength == 0) return std::wstring();
        if (nLength < nUnits) return strPath.substr(0, nLength);
    }
    return std::wstring();
}

}  // namespace

void* LoadModule(const std::string& strPath, std::string& strError) {
    std::wstring strWide;
    if (!Widen(strPath, strWide)) {
        strError = "the module path is not valid UTF-8";
        return nullptr;
    }
    HMODULE hModule = LoadLibraryW(strWide.c_str());
    if (hModule == nullptr) strError = strPath + ": LoadLibraryW failed with error " + std::to_string(GetLastError());
    return hModule;
}

void* FindEntry(void* hModule, const char* szName) {
    if (hModule == nullptr) return nullptr;
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(hModule), szName));
}

void UnloadModule(void* hModule) {
    if (hModule != nullptr) FreeLibrary(static_cast<HMODULE>(hModule));
}

void* AllocGlobalBlock(size_t nBytes) {
    HGLOBAL hBlock = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, nBytes);
    if (hBlock == nullptr) return nullptr;
    void* pData = GlobalLock(hBlock);
    if (pData == nullptr) GlobalFree(hBlock);
    return pData;
}

void FreeGlobalBlock(void* pData) {
    if (pData == nullptr) return;
    HGLOBAL hBlock = GlobalHandle(pData);
    if (hBlock == nullptr) return;
    // The block is locked once by the host and possibly more often by an
    // extender; GlobalUnlock answers zero once the count reaches zero.
    while (GlobalUnlock(hBlock)) {}
    GlobalFree(hBlock);
}

std::string DefaultExtenderPath() {
    std::wstring strPath = ProgramPath();
    size_t nSlash = strPath.find_last_of(L"\\/");
    std::wstring strFolder = nSlash == std::wstring::npos ? std::wstring() : strPath.substr(0, nSlash + 1);
    return Narrow(strFolder + L"qrbjs64i.dll");
}

std::vector<std::string> ProgramArguments(int, char**) {
    std::vector<std::string> arguments;
    int nCount = 0;
    LPWSTR* pArgs = CommandLineToArgvW(GetCommandLineW(), &nCount);
    if (pArgs == nullptr) return arguments;
    for (int i = 1; i < nCount; ++i) arguments.push_back(Narrow(pArgs[i]));
    LocalFree(pArgs);
    return arguments;
}

void UseBinaryStandardStreams() {
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    DWORD nMode = 0;
    if (GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &nMode)) SetConsoleOutputCP(CP_UTF8);
}

bool StandardInputIsTerminal() { return _isatty(_fileno(stdin)) != 0; }

std::istream& StandardInput() {
    const HANDLE hInput = GetStdHandle(STD_INPUT_HANDLE);
    DWORD nMode = 0;
    if (!GetConsoleMode(hInput, &nMode)) return std::cin;
    static CConsoleInput buffer(hInput);
    static std::istream console(&buffer);
    return console;
}

std::FILE* OpenFile(const std::string& strPath, const char* szMode) {
    std::wstring strWidePath, strWideMode;
    if (!Widen(strPath, strWidePath) || !Widen(szMode, strWideMode)) return nullptr;
    return _wfopen(strWidePath.c_str(), strWideMode.c_str());
}

std::filesystem::path SettingsFolder(const std::filesystem::path&) {
    wchar_t szFolder[MAX_PATH];
    const UINT nLength = GetWindowsDirectoryW(szFolder, MAX_PATH);
    return nLength > 0 && nLength < MAX_PATH ? std::filesystem::path(szFolder) : std::filesystem::path();
}

std::string ToSystemCodePage(const std::u16string& strText) {
    if (strText.empty()) return std::string();
    const auto* pWide = reinterpret_cast<const wchar_t*>(strText.data());
    const int nUnits = static_cast<int>(strText.size());
    const int nBytes = WideCharToMultiByte(CP_ACP, 0, pWide, nUnits, nullptr, 0, nullptr, nullptr);
    std::string strOut(static_cast<size_t>(nBytes > 0 ? nBytes : 0), '\0');
    WideCharToMultiByte(CP_ACP, 0, pWide, nUnits, &strOut[0], nBytes, nullptr, nullptr);
    return strOut;
}

std::u16string FromSystemCodePage(const std::string& strText) {
    if (strText.empty()) return std::u16string();
    const int nBytes = static_cast<int>(strText.size());
    const int nUnits = MultiByteToWideChar(CP_ACP, 0, strText.data(), nBytes, nullptr, 0);
    std::u16string strOut(static_cast<size_t>(nUnits > 0 ? nUnits : 0), u'\0');
    MultiByteToWideChar(CP_ACP, 0, strText.data(), nBytes, reinterpret_cast<wchar_t*>(&strOut[0]), nUnits);
    return strOut;
}

namespace {
DWORD WINAPI ThreadBody(void* pBody) {
    (*static_cast<const std::function<void()>*>(pBody))();
    return 0;
}
}  // namespace

// The size is the thread's reserved stack, as the linker's /STACK gives a
// program's main thread.
bool RunOnThread(size_t nBytes, const std::function<void()>& body) {
    HANDLE hThread = CreateThread(nullptr, nBytes, ThreadBody, const_cast<std::function<void()>*>(&body),
                                  STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    if (hThread == nullptr) return false;
    const bool bEnded = WaitForSingleObject(hThread, INFINITE) == WAIT_OBJECT_0;
    CloseHandle(hThread);
    return bEnded;
}

}  // namespace platform
