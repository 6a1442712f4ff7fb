// What the reference host takes from the operating system: loading an
// extender module and the global memory blocks that hold host arrays.
// LoadLibraryW/GetProcAddress and GlobalAlloc on Windows, dlopen/dlsym and
// the C heap natively.
#pragma once

#include <cstddef>
#include <string>

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

}  // namespace platform
