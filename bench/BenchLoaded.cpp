// The library as the DLL beside the benchmark program, loaded by the
// reference host as an interpreter loads it.
#include <cstdlib>
#include <iostream>
#include <string>

#include "bench/BenchLibrary.h"
#include "platform/BenchPlatform.h"
#include "platform/HostPlatform.h"

zorhost::ZorHost& Host() {
    static zorhost::ZorHost* pHost = [] {
        auto* p = new zorhost::ZorHost;
        if (!p->Load()) {
            std::cerr << "cannot load the library: " << p->LoadError() << "\n";
            std::exit(2);
        }
        p->Negotiate({5});
        return p;
    }();
    return *pHost;
}

// The module the host loaded, found again (loading it once more only counts
// a reference).
ZorExtender2Fn CallEntry() {
    static const ZorExtender2Fn pfnCall = [] {
        Host();
        std::string strError;
        void* hModule = platform::LoadModule(platform::DefaultExtenderPath(), strError);
        return hModule == nullptr ? nullptr
                                  : reinterpret_cast<ZorExtender2Fn>(platform::FindEntry(hModule, "ZORExtender2W"));
    }();
    if (pfnCall == nullptr) {
        std::cerr << "cannot find ZORExtender2W in the library\n";
        std::exit(2);
    }
    return pfnCall;
}

int64_t HeldBytes() { return platform::CommittedPrivateBytes(); }
bool HeldBytesExact() { return false; }
