// Everything the library takes from the operating system, behind one narrow
// interface. On Windows each call is the named Windows API; natively the
// same observable results are produced by emulation. No other code of the
// library knows which platform it runs on.
//
// Text is UTF-16 as char16_t. Buffer sizes count units and include room for
// the terminator, as the Windows calls count them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// ---- Module --------------------------------------------------------------

// Records the library's module handle (the DLL entry point's instance).
void SetModuleHandle(void* hModule);

// GetModuleFileNameW on the library's own module: the full path, cut to
// nSize - 1 units; returns the length copied, 0 on failure.
uint32_t ModuleFileName(char16_t* pBuffer, uint32_t nSize);

// LoadStringW on the library's string table: copies at most nSize - 1 units
// and a terminator; returns the length copied, 0 when there is no such string.
int32_t LoadStringResource(uint32_t nId, char16_t* pBuffer, int32_t nSize);

// The FileVersion string of the module's version resource, looked up under
// the resource's first translation (language 0x0409, code page 1200 when it
// lists none). False when the module has no version resource or no such value.
bool ReadFileVersion(std::u16string& strVersion);

// ---- Profile files and search path ----------------------------------------

// GetPrivateProfileStringW: the value of szKey in szSection of file szFile
// (a bare name is looked for in the Windows folder), szDefault when absent;
// section and key names match without regard to case. Copies at most
// nSize - 1 units; returns the length copied.
uint32_t PrivateProfileString(const char16_t* szSection, const char16_t* szKey, const char16_t* szDefault,
                              char16_t* pBuffer, uint32_t nSize, const char16_t* szFile);

// GetProfileStringW: the same over the user's Windows settings.
uint32_t ProfileString(const char16_t* szSection, const char16_t* szKey, const char16_t* szDefault, char16_t* pBuffer,
                       uint32_t nSize);

// True when a file (not a folder) exists at szPath.
bool FileExists(const char16_t* szPath);

// SearchPathW with the standard search order: on success the full path of
// the first file named szName found.
bool SearchFile(const char16_t* szName, std::u16string& strPath);

// ---- Text -----------------------------------------------------------------

// WideCharToMultiByte(CP_UTF8, 0, ...): nSource -1 converts through the
// terminator and counts it. With nDest 0 it measures. Lone surrogates become
// U+FFFD. Returns the bytes written or needed, 0 on failure.
int32_t WideToUtf8(const char16_t* pSource, int32_t nSource, char* pDest, int32_t nDest);

// MultiByteToWideChar(CP_UTF8, 0, ...): malformed input becomes U+FFFD.
// Same counting rules as WideToUtf8.
int32_t Utf8ToWide(const char* pSource, int32_t nSource, char16_t* pDest, int32_t nDest);

// WideCharToMultiByte(CP_ACP, 0, ...) with the default replacement
// character: the 8-bit text of a message for the host (UTF-8 natively).
int32_t WideToAnsi(const char16_t* pSource, int32_t nSource, char* pDest, int32_t nDest);

// CharLowerW over a NUL-terminated text, in place.
void LowerText(char16_t* szText);

// ---- Host memory ------------------------------------------------------------

// GlobalHandle then GlobalLock on the block that pData points into; returns
// the locked address (null when pData names no global block). The lock is
// never released.
void* LockGlobalBlock(void* pData);

// ---- Numeric locale --------------------------------------------------------

// Reads, once at load, the decimal separator of the user's numeric settings.
void InitNumericLocale();
// That separator as UTF-8 ("." when the settings name none): the one that
// number texts from scripts must use.
std::string_view DecimalSeparator();

}  // namespace platform
