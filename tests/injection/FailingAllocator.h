// A replacement of the global operator new and delete for one program: it
// counts the blocks and bytes alive that were allocated while not paused,
// and the peak of those bytes, and when armed makes one allocation, or every
// allocation from one on, throw std::bad_alloc. Boost.JSON's memory
// resources (the default one and the arenas built over it) take their
// memory from operator new, so they fail with it.
#pragma once

#include <cstdint>

namespace injection {

enum class Mode {
    Once,  // only the k-th allocation fails
    From,  // the k-th and every later one fail
};

// From now on the k-th allocation (k >= 1) fails as mode says.
void Arm(uint64_t k, Mode mode);
// No allocation fails any more. True when an armed failure happened.
bool Disarm();
// While paused, allocations neither fail nor advance the countdown, and are
// not counted: for the host's own work.
void Pause();
void Resume();
// Blocks allocated by operator new and not yet deleted, and their bytes.
int64_t LiveBlocks();
int64_t LiveBytes();
// The most counted bytes alive at once since the last call.
int64_t TakePeakBytes();

}  // namespace injection
