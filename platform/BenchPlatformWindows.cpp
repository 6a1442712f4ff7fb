// The benchmark's measures on Windows.
#include <windows.h>

#include "platform/BenchPlatform.h"

namespace platform {

namespace {

double FileTimeSeconds(const FILETIME& time) {
    const uint64_t nTicks = (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    return static_cast<double>(nTicks) * 100e-9;
}

}  // namespace

double ProcessCpuSeconds() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    return FileTimeSeconds(kernel) + FileTimeSeconds(user);
}

int64_t CommittedPrivateBytes() {
    int64_t nBytes = 0;
    MEMORY_BASIC_INFORMATION region;
    const char* pAddress = nullptr;
    while (VirtualQuery(pAddress, &region, sizeof region) == sizeof region) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) nBytes += static_cast<int64_t>(region.RegionSize);
        const char* pNext = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
        if (pNext <= pAddress) break;
        pAddress = pNext;
    }
    return nBytes;
}

}  // namespace platform
