// What the Windows benchmark program measures of its own process: the
// Windows calls of bench/, kept here with the platform's others.
#pragma once

#include <cstdint>

namespace platform {

// CPU time of the whole process, in seconds. It moves in steps of the
// scheduler tick (10 ms under Wine, 15.6 ms on Windows).
double ProcessCpuSeconds();

// Bytes of committed private memory of the process: its heaps and every
// large block allocated outside them.
int64_t CommittedPrivateBytes();

}  // namespace platform
