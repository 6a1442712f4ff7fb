// A small fake extender linked into the host's tests, with the entries
//   0 echo     its first argument back
//   1 fail     two detail texts, then error 20101
//   2 array    its arguments as a host array
//   3 rogue    the return callback with a wrong cookie, then once more
//   4 silent   never calls the return callback
//   5 @ten     a constant of value 10
// It speaks interface version 5, is titled "Fake" and has version 7.
#pragma once

#include <cstring>
#include <string>

#include "extender/HostInterface.h"

namespace fake {

struct Entry {
    const char16_t* szName;
    uint32_t nKind;
    uint32_t nValue;
};

inline const Entry kEntries[] = {
    {u"echo", 2, 0x101},  {u"fail", 2, 0x101},   {u"array", 2, 0x101},
    {u"rogue", 2, 0x101}, {u"silent", 2, 0x101}, {u"@ten", 3, 10},
};
constexpr int32_t kEntryCount = sizeof kEntries / sizeof kEntries[0];

inline int32_t Query(uint16_t nQuery, void* pData, uint32_t nData) {
    if (nQuery == 2) return nData >= 1 && static_cast<int32_t*>(pData)[0] == 5 ? 5 : -1;
    if (nQuery == 1 && nData >= 5) std::memcpy(pData, u"Fake", sizeof u"Fake");
    return nQuery == 1 ? 7 : 0;
}

inline int32_t Describe(int32_t nIndex, ZorValue* pRecord) {
    if (nIndex < 0 || nIndex >= kEntryCount) return 0;
    const Entry& entry = kEntries[nIndex];
    auto* pBytes = reinterpret_cast<uint8_t*>(pRecord);
    const uint32_t fields[2] = {static_cast<uint32_t>(nIndex), entry.nKind};
    const uint64_t nTypes = entry.nKind == 2 ? 0x55 : 0;
    const uint16_t nSize = static_cast<uint16_t>(std::char_traits<char16_t>::length(entry.szName));
    std::memcpy(pBytes, fields, 8);
    std::memcpy(pBytes + 8, &nTypes, 8);
    std::memcpy(pBytes + 16, &entry.nValue, 4);
    std::memcpy(pBytes + 20, &nSize, 2);
    std::memcpy(pBytes + 22, entry.szName, (nSize + 1u) * 2);
    return 1;
}

// The number of bytes of the result record that are not zero.
inline int32_t DirtyBytes(const ZorValue* pResult) {
    const auto* pBytes = reinterpret_cast<const uint8_t*>(pResult);
    int32_t nDirty = 0;
    for (size_t i = 0; i < sizeof(ZorValue); ++i) nDirty += pBytes[i] != 0;
    return nDirty;
}

inline int32_t Call(void*, void*, uint32_t nCookie, int16_t CmdId, ZorReturnFn pfnReturn, ZorServices* pServices, void*,
                    ZorValue* pArgs, int32_t nArgCount, ZorValue* pResult) {
    switch (CmdId) {
        case -1:
            return kEntryCount;
        case -2:
            return Describe(nArgCount, pArgs);
        case 0:  // echo
            *pResult = pArgs[0];
            return pfnReturn(0, nCookie, pServices, pResult);
        case 1: {  // fail
            pServices->SetErrorDetail(pServices->pContext, "first");
            pServices->SetErrorDetail(pServices->pContext, "second");
            char szMessage[] = "20101: Invalid argument";
            pResult->nType = ZOR_TYPE_TEXT8;
            pResult->pText = szMessage;
            return pfnReturn(-1, nCookie, pServices, pResult);
        }
        case 2: {  // array
            const uint32_t dims[5] = {static_cast<uint32_t>(nArgCount), 0, 0, 0, 0};
            if (pServices->CreateArray(pServices->pContext, pResult, 56, dims, 20, 2) != 0) return 99;
            for (uint32_t i = 0; i < dims[0]; ++i) {
                const uint32_t indexes[5] = {i, 0, 0, 0, 0};
                pServices->SetArrayElement(pServices->pContext, pResult, indexes, &pArgs[i], 56, 2);
            }
            return pfnReturn(0, nCookie, pServices, pResult);
        }
        case 3: {  // rogue
            int32_t nDirty = DirtyBytes(pResult);
            pResult->nType = ZOR_TYPE_INTEGER;
            pResult->nValue = nDirty;
            pfnReturn(0, nCookie + 1, pServices, pResult);
            return pfnReturn(0, nCookie, pServices, pResult);
        }
        default:  // silent
            return 0;
    }
}

}  // namespace fake
