// A replacement of the global operator new and delete for one test program:
// it counts the blocks alive, and when armed makes one allocation, or every
// allocation from one on, throw std::bad_alloc. Boost.JSON's memory
// resources (the default one and the arenas built over it) take their
// memory from operator new, so they fail with it.
#pragma once

#include <cstdint>

namespace injection {

enum class Mode {
    Once,       // only the k-th allocation fails
    From,       // the k-th and every later one fail
};

// From now on the k-th allocation (k >= 1) fails as mode says.
void Arm(uint64_t k, Mode mode);
// No allocation fails any more. True when an armed failure happened.
bool Disarm();
// While paused, allocations neither fail nor advance the count: for the
// host's own work inside a call.
void Pause();
void Resume();
// Blocks allocated by operator new and not yet deleted.
int64_t LiveBlocks();

}  // namespace injection
