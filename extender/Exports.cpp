// The library's two exported entries and its DLL entry point. Both entries
// forward unchanged to the one extender object.
#include "extender/ZTExtender.h"
#include "platform/Platform.h"

CExtenderBase* g_pExtender = nullptr;

extern "C" {

// Called by the Windows loader; on other platforms nothing calls it. Records
// the module handle on process attach and accepts every notification.
int DllMain(void* hInstance, uint32_t nReason, void*) {
    constexpr uint32_t kProcessAttach = 1;
    if (nReason == kProcessAttach) platform::SetModuleHandle(hInstance);
    return 1;
}

int32_t ZORExtenderQueryW(uint16_t nQuery, void* pData, uint32_t nData) {
    return g_pExtender->Query(nQuery, pData, nData);
}

int32_t ZORExtender2W(void* pReserved1, void* pReserved2, uint32_t nCookie, int16_t CmdId, ZorReturnFn pfnReturn,
                      ZorServices* pServices, void* pReserved3, ZorValue* pArgs, int32_t nArgCount, ZorValue* pResult) {
    return g_pExtender->Call(pReserved1, pReserved2, nCookie, CmdId, pfnReturn, pServices, pReserved3, pArgs, nArgCount,
                             pResult);
}

}  // extern "C"
