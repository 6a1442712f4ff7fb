// The host's services table and return callback, as an extender sees them,
// with what a test needs around them: the host version, a fault switch per
// service, call counters, and the capture of everything one call hands back.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "extender/HostInterface.h"
#include "host/HostValues.h"

namespace zorhost {

// Default nHostVersion: new enough for every service an extender may ask for.
constexpr uint32_t kDefaultHostVersion = 1100;

// What one call of an extender entry gave back.
struct CallResult {
    int32_t returnValue = 0;           // the entry's own return value
    int callbackCount = 0;             // how often the return callback ran
    int32_t status = 0;                // the status of its last run: 0 result, -1 error
    bool callbackArgsOk = true;        // every run carried this call's cookie, services and record
    HostValue value;                   // the result of a status 0 run
    std::string errorText;             // the 8-bit message text of a status -1 run
    std::vector<std::string> details;  // SetErrorDetail texts, in order
    ZorValue record{};                 // the result record as the last run saw it; its texts are gone now

    // Back to the values above, in place: a fresh record moved over this one
    // costs as much as the whole call of a small text.
    void Clear() {
        returnValue = 0;
        callbackCount = 0;
        status = 0;
        callbackArgsOk = true;
        value = HostValue();
        errorText.clear();
        details.clear();
        record = ZorValue{};
    }
    // The callback ran exactly once, correctly, with a result.
    bool Succeeded() const { return callbackCount == 1 && callbackArgsOk && status == 0; }
    // The callback ran exactly once, correctly, with an error.
    bool Failed() const { return callbackCount == 1 && callbackArgsOk && status == -1; }
};

enum class Service { CreateArray, SetArrayElement, StoreToVariable, MapOperation };

class HostServices {
public:
    explicit HostServices(HostStore& store);
    HostServices(const HostServices&) = delete;
    HostServices& operator=(const HostServices&) = delete;

    // The table handed to an extender; its pContext is this object.
    ZorServices* Table() { return &m_table; }
    static ZorReturnFn ReturnCallback();

    void SetHostVersion(uint32_t nVersion) { m_table.nHostVersion = nVersion; }

    // From now on, service answers nStatus (nonzero) once it has succeeded
    // nAfter times more.
    void SetFault(Service service, int32_t nStatus, uint32_t nAfter = 0);
    void ClearFaults();
    // How often service was called, failures included, since construction.
    uint32_t Calls(Service service) const { return m_slots[Index(service)].calls; }

    // What the return callback returns; by default the status it was given.
    void SetCallbackReturn(std::optional<int32_t> nValue) { m_callbackReturn = nValue; }

    // Starts capturing a call with this cookie and result record.
    void BeginCall(uint32_t nCookie, ZorValue* pResult);
    // Ends the capture and hands it over with the entry's return value.
    CallResult EndCall(int32_t nReturnValue);
    // What has been captured so far (SetErrorDetail texts outside a call too).
    const CallResult& Pending() const { return m_call; }

private:
    struct Slot {
        uint32_t calls = 0;
        uint32_t successes = 0;
        int32_t faultStatus = 0;  // 0: no fault set
        uint32_t faultAfter = 0;
    };
    static size_t Index(Service service) { return static_cast<size_t>(service); }

    friend struct ServiceEntries;
    // Counts a call of service; nonzero when its fault is due.
    int32_t Enter(Service service);
    // Counts a success when nStatus is 0; returns nStatus.
    int32_t Leave(Service service, int32_t nStatus);
    int32_t Return(int32_t nStatus, uint32_t nCookie, ZorServices* pServices, ZorValue* pResult);
    void AddDetail(const char* szText) { m_call.details.emplace_back(szText ? szText : ""); }

    HostStore& m_store;
    ZorServices m_table{};
    std::array<Slot, 4> m_slots{};
    std::optional<int32_t> m_callbackReturn;
    uint32_t m_nCookie = 0;
    ZorValue* m_pResult = nullptr;
    CallResult m_call;
};

}  // namespace zorhost
