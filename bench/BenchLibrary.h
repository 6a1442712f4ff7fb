// The library as the benchmarks reach it: natively linked into the program,
// on Windows qrbjs64i.dll beside the program, loaded by the reference host
// (BenchLinked.cpp, BenchLoaded.cpp).
#pragma once

#include <cstdint>

#include "host/ZorHost.h"

// The reference host on the library's entries, interface 5 agreed.
zorhost::ZorHost& Host();

// The library's ZORExtender2W, for calls made without the host.
ZorExtender2Fn CallEntry();

// Bytes of memory the process holds for its data. Natively the live heap
// bytes, exactly: every allocation, the library's included, passes through
// the program's operator new. On Windows the DLL allocates through its own
// runtime, out of the program's sight, so it is the process's committed
// private memory: it sees large blocks come and go, but not the small
// blocks a heap keeps for reuse once they are freed.
int64_t HeldBytes();
bool HeldBytesExact();
