// The library's two exported entries, for the native test programs that link
// the library's objects in rather than load the library.
#pragma once

#include "extender/HostInterface.h"

extern "C" int32_t ZORExtenderQueryW(uint16_t nQuery, void* pData, uint32_t nData);
extern "C" int32_t ZORExtender2W(void* pReserved1, void* pReserved2, uint32_t nCookie, int16_t CmdId,
                                 ZorReturnFn pfnReturn, ZorServices* pServices, void* pReserved3, ZorValue* pArgs,
                                 int32_t nArgCount, ZorValue* pResult);
