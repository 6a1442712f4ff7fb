#include "FailingAllocator.h"

#include <cstddef>
#include <cstdlib>
#include <new>

namespace injection {
namespace {

struct State {
    uint64_t nCountdown = 0;  // 0: disarmed
    Mode mode = Mode::Once;
    bool bFailing = false;    // Mode::From after the k-th
    bool bFired = false;
    bool bPaused = false;
    int64_t nLive = 0;
};

State& Current() {
    static State state;  // trivially constructed: safe before main
    return state;
}

// True when this allocation must fail.
bool Due() {
    State& s = Current();
    if (s.bPaused) return false;
    if (s.bFailing) return true;
    if (s.nCountdown == 0 || --s.nCountdown != 0) return false;
    s.bFired = true;
    s.bFailing = s.mode == Mode::From;
    return true;
}

void* Allocate(std::size_t nBytes, std::size_t nAlign) {
    if (Due()) throw std::bad_alloc();
    void* p = nAlign > alignof(std::max_align_t)
                  ? std::aligned_alloc(nAlign, (nBytes + nAlign - 1) / nAlign * nAlign)
                  : std::malloc(nBytes != 0 ? nBytes : 1);
    if (p == nullptr) throw std::bad_alloc();
    ++Current().nLive;
    return p;
}

void Release(void* p) {
    if (p == nullptr) return;
    --Current().nLive;
    std::free(p);
}

}  // namespace

void Arm(uint64_t k, Mode mode) {
    State& s = Current();
    s.nCountdown = k;
    s.mode = mode;
    s.bFailing = s.bFired = false;
}

bool Disarm() {
    State& s = Current();
    s.nCountdown = 0;
    s.bFailing = false;
    return s.bFired;
}

void Pause() { Current().bPaused = true; }
void Resume() { Current().bPaused = false; }
int64_t LiveBlocks() { return Current().nLive; }

}  // namespace injection

void* operator new(std::size_t n) { return injection::Allocate(n, 0); }
void* operator new[](std::size_t n) { return injection::Allocate(n, 0); }
void* operator new(std::size_t n, std::align_val_t a) { return injection::Allocate(n, static_cast<std::size_t>(a)); }
void* operator new[](std::size_t n, std::align_val_t a) { return injection::Allocate(n, static_cast<std::size_t>(a)); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
    try {
        return injection::Allocate(n, 0);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void* operator new[](std::size_t n, const std::nothrow_t& t) noexcept { return operator new(n, t); }
void operator delete(void* p) noexcept { injection::Release(p); }
void operator delete[](void* p) noexcept { injection::Release(p); }
void operator delete(void* p, std::size_t) noexcept { injection::Release(p); }
void operator delete[](void* p, std::size_t) noexcept { injection::Release(p); }
void operator delete(void* p, std::align_val_t) noexcept { injection::Release(p); }
void operator delete[](void* p, std::align_val_t) noexcept { injection::Release(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { injection::Release(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { injection::Release(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { injection::Release(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { injection::Release(p); }
