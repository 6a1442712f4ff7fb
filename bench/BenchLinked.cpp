// The library linked into the benchmark program, and a count of the live
// heap bytes of the whole process.
#include <cstdlib>
#include <cstring>
#include <new>

#include "bench/BenchLibrary.h"

extern "C" int32_t ZORExtenderQueryW(uint16_t nQuery, void* pData, uint32_t nData);
extern "C" int32_t ZORExtender2W(void* pReserved1, void* pReserved2, uint32_t nCookie, int16_t CmdId,
                                 ZorReturnFn pfnReturn, ZorServices* pServices, void* pReserved3, ZorValue* pArgs,
                                 int32_t nArgCount, ZorValue* pResult);

// ---- Live heap bytes of the whole process -------------------------------------
// Every allocation of the program, the library's included, goes through these;
// a block holds the bytes asked for, noted in a header before it (cheaper
// than asking the allocator, which would weigh on every call measured).
namespace {
int64_t g_nLiveBytes = 0;
constexpr size_t kHeader = 16;  // keeps the blocks aligned as malloc aligns them

void* Allocate(size_t nSize) {
    auto* p = static_cast<unsigned char*>(std::malloc(kHeader + nSize));
    if (p == nullptr) throw std::bad_alloc();
    std::memcpy(p, &nSize, sizeof nSize);
    g_nLiveBytes += static_cast<int64_t>(nSize);
    return p + kHeader;
}

void Release(void* pBlock) {
    if (pBlock == nullptr) return;
    unsigned char* p = static_cast<unsigned char*>(pBlock) - kHeader;
    size_t nSize;
    std::memcpy(&nSize, p, sizeof nSize);
    g_nLiveBytes -= static_cast<int64_t>(nSize);
    std::free(p);
}
}  // namespace

void* operator new(size_t nSize) { return Allocate(nSize); }
void* operator new[](size_t nSize) { return Allocate(nSize); }
void operator delete(void* p) noexcept { Release(p); }
void operator delete[](void* p) noexcept { Release(p); }
void operator delete(void* p, size_t) noexcept { Release(p); }
void operator delete[](void* p, size_t) noexcept { Release(p); }

int64_t HeldBytes() { return g_nLiveBytes; }
bool HeldBytesExact() { return true; }

zorhost::ZorHost& Host() {
    static zorhost::ZorHost* pHost = [] {
        auto* p = new zorhost::ZorHost;
        p->Attach(ZORExtenderQueryW, ZORExtender2W);
        p->Negotiate({5});
        return p;
    }();
    return *pHost;
}

ZorExtender2Fn CallEntry() { return ZORExtender2W; }
