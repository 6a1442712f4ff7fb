// What the reference host takes from the operating system: loading an
// extender module, the global memory blocks that hold host arrays, for the
// shell its arguments, standard streams and files by UTF-8 names, and for
// the tests of translated messages the settings folder and the 8-bit code
// page.
// LoadLibraryW/GetProcAddress, GlobalAlloc and the wide C runtime calls on
// Windows; dlopen/dlsym, the C heap and plain stdio natively.
#pragma once

#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <istream>
#include <string>
#include <vector>

namespace platform {

// Loads the module at strPath (UTF-8); null on failure, with a reason.
void* LoadModule(const std::string& strPath, std::string& strError);
void* FindEntry(void* hModule, const char* szName);
void UnloadModule(void* hModule);

// A movable global memory block of nBytes, zeroed and locked: the address
// returned is what a host array record carries, and what GlobalHandle and
// GlobalLock find again. Freed with FreeGlobalBlock.
void* AllocGlobalBlock(size_t nBytes);
void FreeGlobalBlock(void* pData);

// The file name of the extender built beside the running program.
std::string DefaultExtenderPath();

// The program's arguments after its name, as UTF-8 texts (on Windows taken
// from the wide command line, so that any file name survives).
std::vector<std::string> ProgramArguments(int argc, char** argv);

// Standard input, output and error carry bytes unchanged: no line-ending
// translation, and a console shows UTF-8 output as text.
void UseBinaryStandardStreams();
bool StandardInputIsTerminal();

// Standard input as UTF-8 bytes. From a Windows console it is the console's
// UTF-16 input converted, so that whatever is typed arrives as it was typed,
// whatever the console's code page, and a line that starts with Ctrl-Z ends
// it. Otherwise, piped or from a file, and natively, it is std::cin.
std::istream& StandardInput();

// fopen for a UTF-8 file name; null on failure.
std::FILE* OpenFile(const std::string& strPath, const char* szMode);

// The folder where an extender reads a settings file named without a
// folder, such as the host's QRVQUILL.INI: the Windows folder. The native
// library takes that folder from the environment variable ZOR_WINDIR, which
// this points at scratch (an existing folder) from now on.
std::filesystem::path SettingsFolder(const std::filesystem::path& scratch);

// Texts in the system's 8-bit code page, the one an extender's error texts
// come in: the ANSI code page on Windows, UTF-8 natively. Characters the
// code page lacks become its default character.
std::string ToSystemCodePage(const std::u16string& strText);
std::u16string FromSystemCodePage(const std::string& strText);

// Runs body on a new thread with a stack of nBytes and waits for it to end;
// false when no such thread can be made. For tests of the stack a call
// needs: an interpreter's main thread has 1 MB on Windows.
bool RunOnThread(size_t nBytes, const std::function<void()>& body);

}  // namespace platform
