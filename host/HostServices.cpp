#include "host/HostServices.h"

#include <new>

namespace zorhost {

namespace {

// The trailing code every service call carries.
constexpr uint32_t kServiceCode = 2;
constexpr uint32_t kRecordSize = sizeof(ZorValue);
constexpr uint32_t kDimensionsSize = 5 * sizeof(uint32_t);

// Runs a service body; no exception may cross back into the extender.
template <class Body>
int32_t Guarded(Body&& body) {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return kStatusNoMemory;
    } catch (...) {
        return kStatusBadRecord;
    }
}

// The host's arrays are one-dimensional: indexes or dimensions 1 to 4 are 0.
bool OneDimensional(const uint32_t* pWords) {
    return pWords[1] == 0 && pWords[2] == 0 && pWords[3] == 0 && pWords[4] == 0;
}

}  // namespace

// The entries of the services table. Each finds its HostServices through
// pContext, checks what it was given and hands the work to the store.
struct ServiceEntries {
    static int32_t StoreToVariable(void* pContext, const char* szPointer, ZorValue* pValue, uint32_t nValueSize,
                                   uint32_t nCode) {
        return Run(pContext, Service::StoreToVariable, [&](HostStore& store) {
            if (pValue == nullptr || nValueSize != kRecordSize || nCode != kServiceCode)
                return int32_t{kStatusBadRecord};
            return store.StoreToVariable(szPointer, *pValue);
        });
    }

    static int32_t SetArrayElement(void* pContext, ZorValue* pArray, const uint32_t* pIndexes, ZorValue* pValue,
                                   uint32_t nValueSize, uint32_t nCode) {
        return Run(pContext, Service::SetArrayElement, [&](HostStore& store) {
            if (pArray == nullptr || pIndexes == nullptr || pValue == nullptr || nValueSize != kRecordSize ||
                nCode != kServiceCode)
                return int32_t{kStatusBadRecord};
            if (!OneDimensional(pIndexes)) return int32_t{kStatusBadIndex};
            return store.SetArrayElement(*pArray, pIndexes[0], *pValue);
        });
    }

    static int32_t CreateArray(void* pContext, ZorValue* pOut, uint32_t nOutSize, const uint32_t* pDims,
                               uint32_t nDimsSize, uint32_t nCode) {
        return Run(pContext, Service::CreateArray, [&](HostStore& store) {
            if (pOut == nullptr || nOutSize != kRecordSize || pDims == nullptr || nDimsSize != kDimensionsSize ||
                nCode != kServiceCode || !OneDimensional(pDims))
                return int32_t{kStatusBadRecord};
            return store.CreateArray(pDims[0], *pOut);
        });
    }

    static void SetErrorDetail(void* pContext, const char* szText) {
        if (pContext == nullptr) return;
        try {
            static_cast<HostServices*>(pContext)->AddDetail(szText);
        } catch (...) {
            // Out of memory: the text is lost, the call goes on.
        }
    }

    static int32_t MapOperation(void* pContext, ZorValue* pMap, uint32_t nMapSize, ZorValue* pSecond,
                                uint32_t nSecondSize, ZorValue* pKey, uint32_t nKeySize, ZorValue* pValue,
                                uint32_t nValueSize, uint32_t nOperation) {
        return Run(pContext, Service::MapOperation, [&](HostStore& store) {
            if (pMap == nullptr || nMapSize != kRecordSize || pSecond != nullptr || nSecondSize != 0)
                return int32_t{kStatusBadRecord};
            switch (nOperation) {
                case ZOR_MAP_CREATE:
                    if (pKey != nullptr || nKeySize != 0 || pValue != nullptr || nValueSize != 0)
                        return int32_t{kStatusBadRecord};
                    return store.CreateMap(*pMap);
                case ZOR_MAP_SET_ENTRY:
                    if (pKey == nullptr || nKeySize != kRecordSize || pValue == nullptr || nValueSize != kRecordSize)
                        return int32_t{kStatusBadRecord};
                    return store.SetMapEntry(*pMap, *pKey, *pValue);
                default:
                    return int32_t{kStatusBadOperation};
            }
        });
    }

    static int32_t Return(int32_t nStatus, uint32_t nCookie, ZorServices* pServices, ZorValue* pResult) {
        if (pServices == nullptr || pServices->pContext == nullptr) return -1;
        auto& host = *static_cast<HostServices*>(pServices->pContext);
        try {
            return host.Return(nStatus, nCookie, pServices, pResult);
        } catch (...) {
            host.m_call.callbackArgsOk = false;
            return -1;
        }
    }

private:
    // The fault switch and the counters around one service body.
    template <class Body>
    static int32_t Run(void* pContext, Service service, Body&& body) {
        if (pContext == nullptr) return kStatusBadRecord;
        auto& host = *static_cast<HostServices*>(pContext);
        if (int32_t nFault = host.Enter(service)) return nFault;
        return host.Leave(service, Guarded([&] { return body(host.m_store); }));
    }
};

HostServices::HostServices(HostStore& store) : m_store(store) {
    m_table.nHostVersion = kDefaultHostVersion;
    m_table.pContext = this;
    m_table.StoreToVariable = &ServiceEntries::StoreToVariable;
    m_table.SetArrayElement = &ServiceEntries::SetArrayElement;
    m_table.CreateArray = &ServiceEntries::CreateArray;
    m_table.SetErrorDetail = &ServiceEntries::SetErrorDetail;
    m_table.MapOperation = &ServiceEntries::MapOperation;
}

ZorReturnFn HostServices::ReturnCallback() { return &ServiceEntries::Return; }

void HostServices::SetFault(Service service, int32_t nStatus, uint32_t nAfter) {
    Slot& slot = m_slots[Index(service)];
    slot.faultStatus = nStatus;
    slot.faultAfter = slot.successes + nAfter;
}

void HostServices::ClearFaults() {
    for (Slot& slot : m_slots) slot.faultStatus = 0;
}

void HostServices::BeginCall(uint32_t nCookie, ZorValue* pResult) {
    m_nCookie = nCookie;
    m_pResult = pResult;
    m_call.Clear();
}

CallResult HostServices::EndCall(int32_t nReturnValue) {
    // BeginCall clears what the move leaves behind.
    CallResult result = std::move(m_call);
    result.returnValue = nReturnValue;
    m_pResult = nullptr;
    return result;
}

int32_t HostServices::Enter(Service service) {
    Slot& slot = m_slots[Index(service)];
    ++slot.calls;
    return slot.faultStatus != 0 && slot.successes >= slot.faultAfter ? slot.faultStatus : 0;
}

int32_t HostServices::Leave(Service service, int32_t nStatus) {
    if (nStatus == kStatusOk) ++m_slots[Index(service)].successes;
    return nStatus;
}

int32_t HostServices::Return(int32_t nStatus, uint32_t nCookie, ZorServices* pServices, ZorValue* pResult) {
    ++m_call.callbackCount;
    m_call.status = nStatus;
    m_call.value = HostValue();
    m_call.errorText.clear();
    if (nCookie != m_nCookie || pServices != &m_table || pResult == nullptr || pResult != m_pResult)
        m_call.callbackArgsOk = false;
    if (pResult != nullptr) {
        m_call.record = *pResult;
        if (nStatus == 0) {
            if (std::optional<HostValue> value = m_store.ReadRecord(*pResult)) m_call.value = std::move(*value);
        } else if (pResult->nType == ZOR_TYPE_TEXT8 && pResult->pText != nullptr) {
            m_call.errorText = static_cast<const char*>(pResult->pText);
        }
    }
    return m_callbackReturn.value_or(nStatus);
}

}  // namespace zorhost
