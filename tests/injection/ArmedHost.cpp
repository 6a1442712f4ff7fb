#include "tests/injection/ArmedHost.h"

#include "tests/injection/FailingAllocator.h"
#include "tests/support/LinkedEntries.h"

namespace injection {
namespace {

ZorReturnFn g_pfnHostReturn;
ZorServices* g_pHostServices;
ZorServices g_services;  // the host's table with every service wrapped

// Work of the host inside a call: not failed, not counted.
struct HostSide {
    HostSide() { Pause(); }
    ~HostSide() { Resume(); }
};

template <class Fn, Fn ZorServices::*Member>
struct Hosted;
template <class R, class... Args, R (*ZorServices::*Member)(Args...)>
struct Hosted<R (*)(Args...), Member> {
    static R Call(Args... args) {
        HostSide host;
        return (g_pHostServices->*Member)(args...);
    }
};
#define ZOR_HOSTED(name) Hosted<decltype(ZorServices::name), &ZorServices::name>::Call

int32_t HostedReturn(int32_t nStatus, uint32_t nCookie, ZorServices*, ZorValue* pResult) {
    HostSide host;
    return g_pfnHostReturn(nStatus, nCookie, g_pHostServices, pResult);
}

int32_t ArmedEntry(void* pReserved1, void* pReserved2, uint32_t nCookie, int16_t nCmdId, ZorReturnFn pfnReturn,
                   ZorServices* pServices, void* pReserved3, ZorValue* pArgs, int32_t nArgCount, ZorValue* pResult) {
    g_pfnHostReturn = pfnReturn;
    g_pHostServices = pServices;
    g_services = *pServices;
    g_services.StoreToVariable = ZOR_HOSTED(StoreToVariable);
    g_services.SetArrayElement = ZOR_HOSTED(SetArrayElement);
    g_services.CreateArray = ZOR_HOSTED(CreateArray);
    g_services.SetErrorDetail = ZOR_HOSTED(SetErrorDetail);
    g_services.MapOperation = ZOR_HOSTED(MapOperation);
    Resume();
    const int32_t nReturn = ZORExtender2W(pReserved1, pReserved2, nCookie, nCmdId, HostedReturn, &g_services,
                                          pReserved3, pArgs, nArgCount, pResult);
    Pause();
    return nReturn;
}

}  // namespace

zorhost::ZorHost& Host() {
    static zorhost::ZorHost* pHost = [] {
        Pause();  // the host's own; the library is armed only inside calls
        auto* p = new zorhost::ZorHost();
        p->Attach(ZORExtenderQueryW, ArmedEntry);
        p->Negotiate({5});
        p->QueryVersion();
        p->ReadTable();
        // The first error text resolves the message language once, for good.
        p->Call("jsConNew", {});
        return p;
    }();
    return *pHost;
}

}  // namespace injection
