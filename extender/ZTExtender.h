// The extension frame: the abstract extender the two exported entries talk
// to, and the template that implements query and call dispatch once for any
// concrete extender with a static extension table.
//
//   ZORExtenderQueryW -> Query: 1 version and title, 2 interface negotiation
//   ZORExtender2W     -> Call:  -3 ping, -1 entry count, -2 describe entry,
//                               0..n function entries through their handler
#pragma once

#include <cassert>
#include <cstdint>
#include <cstring>

#include "extender/HostInterface.h"
#include "platform/Platform.h"
#include "platform/Utf8Codec.h"

// The interface version this frame speaks.
constexpr int32_t kInterfaceVersion = 5;

// Kinds of extension table entries.
enum : uint32_t {
    kEntryFunction = 2,
    kEntryConstant = 3,
};

// The two operations the exported entries call. An extender is never
// destroyed through this base, so its destructor is protected, not virtual.
class CExtenderBase {
public:
    virtual int32_t Query(uint16_t nQuery, void* pData, uint32_t nData) = 0;
    virtual int32_t Call(void* pReserved1, void* pReserved2, uint32_t nCookie, int16_t CmdId, ZorReturnFn pfnReturn,
                         ZorServices* pServices, void* pReserved3, ZorValue* pArgs, int32_t nArgCount,
                         ZorValue* pResult) = 0;

protected:
    ~CExtenderBase() = default;
};

// The extender the exported entries call through.
extern CExtenderBase* g_pExtender;

// One row of an extension table. A function row has a handler, its count
// word (required arguments in the low byte, optional ones in the next) and
// its type word; a constant row has no handler and its value in m_nValue.
template <class T>
struct CExtEntry {
    typedef int32_t (*Handler)(T* pThis, void* pReserved1, void* pReserved2, void* pReserved3, ZorValue* pArgs,
                               int32_t nArgCount);
    Handler pfnHandler;
    const char16_t* m_szName;
    uint16_t m_nSize;
    uint32_t m_nKind;
    uint64_t m_nValue;
    uint64_t m_nTypes;
};

// T supplies: static const CExtEntry<T> m_ExtTable[T::kEntries], and
// int32_t VersionQuery(char16_t* pTitle, int32_t nSize).
template <class T>
class CZorExtenderT : public CExtenderBase {
public:
    int32_t Query(uint16_t nQuery, void* pData, uint32_t nData) override {
        switch (nQuery) {
            case 1:
                return static_cast<T*>(this)->VersionQuery(static_cast<char16_t*>(pData), static_cast<int32_t>(nData));
            case 2:
                return Negotiate(static_cast<const int32_t*>(pData), nData);
            default:
                return 0;
        }
    }

    int32_t Call(void* pReserved1, void* pReserved2, uint32_t nCookie, int16_t CmdId, ZorReturnFn pfnReturn,
                 ZorServices* pServices, void* pReserved3, ZorValue* pArgs, int32_t nArgCount,
                 ZorValue* pResult) override {
        m_nCookie = nCookie;
        m_pfnReturn = pfnReturn;
        m_pServices = pServices;
        m_pResult = pResult;
        switch (CmdId) {
            case -3:
                return 1;
            case -1:
                return T::kEntries;
            case -2:
                return Describe(nArgCount, pArgs);
            default:
                break;
        }
        if (CmdId < 0 || CmdId >= T::kEntries) return 0;
        const CExtEntry<T>& entry = T::m_ExtTable[CmdId];
        if (entry.pfnHandler == nullptr) return 0;
        return entry.pfnHandler(static_cast<T*>(this), pReserved1, pReserved2, pReserved3, pArgs, nArgCount);
    }

protected:
    ~CZorExtenderT() = default;

    uint32_t m_nCookie;
    ZorReturnFn m_pfnReturn;
    ZorServices* m_pServices;
    ZorValue* m_pResult;

private:
    // The answer is 5 as soon as the host's list offers it, else -1.
    static int32_t Negotiate(const int32_t* pVersions, uint32_t nCount) {
        if (pVersions == nullptr || nCount == 0) return -1;
        for (uint32_t i = 0; i < nCount; ++i)
            if (pVersions[i] == kInterfaceVersion) return kInterfaceVersion;
        return -1;
    }

    // Fills the description record of entry nIndex (CmdId -2).
    static int32_t Describe(int32_t nIndex, void* pRecord) {
        if (nIndex < 0 || nIndex >= T::kEntries) return 0;
        if (pRecord == nullptr) return 1;
        const CExtEntry<T>& entry = T::m_ExtTable[nIndex];
        assert(entry.m_nSize == platform::TextLength(entry.m_szName));
        ZorDescription header{};
        header.nIndex = static_cast<uint32_t>(nIndex);
        header.nKind = entry.m_nKind;
        header.nTypes = entry.m_nTypes;
        header.nValue = static_cast<uint32_t>(entry.m_nValue);
        header.nSize = entry.m_nSize;
        char* pOut = static_cast<char*>(pRecord);
        std::memcpy(pOut, &header, offsetof(ZorDescription, szName));
        char16_t* szName = reinterpret_cast<char16_t*>(pOut + offsetof(ZorDescription, szName));
        std::memcpy(szName, entry.m_szName, (entry.m_nSize + 1u) * sizeof(char16_t));
        platform::LowerText(szName);
        return 1;
    }
};
