#include "tests/injection/FailingAllocator.h"

#include <cstddef>
#include <cstdlib>
#include <new>

namespace injection {
namespace {

struct State {
    uint64_t nCountdown = 0;  // 0: disarmed
    Mode mode = Mode::Once;
    bool bFailing = false;  // Mode::From after the k-th
    bool bFired = false;
    bool bPaused = false;
    int64_t nLive = 0;
    int64_t nLiveBytes = 0;
    int64_t nPeakBytes = 0;
};

// Each block starts with a header holding its size; the header is as large
// as the block's alignment, so what follows it stays aligned.
struct Header {
    std::size_t nBytes;
    uint32_t nOffset;
    bool bCounted;  // allocated unpaused
};
constexpr std::size_t kHeader = alignof(std::max_align_t);
static_assert(sizeof(Header) <= kHeader, "the header fits before a block");

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
    const std::size_t nOffset = nAlign > kHeader ? nAlign : kHeader;
    char* pBlock = static_cast<char*>(
        nOffset > kHeader ? std::aligned_alloc(nOffset, (nOffset + nBytes + nOffset - 1) / nOffset * nOffset)
                          : std::malloc(nOffset + nBytes));
    if (pBlock == nullptr) throw std::bad_alloc();
    char* p = pBlock + nOffset;
    State& s = Current();
    *reinterpret_cast<Header*>(p - sizeof(Header)) = {nBytes, static_cast<uint32_t>(nOffset), !s.bPaused};
    if (s.bPaused) return p;
    ++s.nLive;
    s.nLiveBytes += static_cast<int64_t>(nBytes);
    if (s.nLiveBytes > s.nPeakBytes) s.nPeakBytes = s.nLiveBytes;
    return p;
}

void Release(void* p) {
    if (p == nullptr) return;
    const Header header = *reinterpret_cast<Header*>(static_cast<char*>(p) - sizeof(Header));
    State& s = Current();
    if (header.bCounted) {
        --s.nLive;
        s.nLiveBytes -= static_cast<int64_t>(header.nBytes);
    }
    std::free(static_cast<char*>(p) - header.nOffset);
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
int64_t LiveBytes() { return Current().nLiveBytes; }

int64_t TakePeakBytes() {
    State& s = Current();
    const int64_t nPeak = s.nPeakBytes;
    s.nPeakBytes = s.nLiveBytes;
    return nPeak;
}

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
