// The reference host: loads an extender module, makes the handshake a ZOR
// interpreter makes (interface negotiation, version query, the entry table)
// and calls the extender's functions with host values or raw records.
//
//   ZorHost host;
//   host.Load();                                   // beside the program
//   host.Negotiate({4, 5});                        // 5
//   CallResult r = host.Call("jsParse", {HostValue::Text16(u"[1]")});
//   r.Succeeded(), r.value, r.errorText, r.details
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "extender/HostInterface.h"
#include "host/HostServices.h"
#include "host/HostValues.h"

namespace zorhost {

// Misuse of the host itself: no extender loaded, an unknown entry name.
class HostError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Entry kinds as the describe command reports them.
enum : uint32_t {
    kKindFunction = 2,
    kKindConstant = 3,
};

// One entry of the extender's table, as described to the host.
struct EntryInfo {
    uint32_t index = 0;
    uint32_t kind = 0;
    uint64_t types = 0;   // type word
    uint32_t value = 0;   // count word of a function, value of a constant
    uint16_t size = 0;    // name length in units, as reported
    std::u16string name;  // as written into the record (lower case)
};

// The describe command's answer with the whole record buffer. The buffer is
// filled with kUntouchedByte before the call, so unwritten bytes show.
struct RawDescription {
    static constexpr uint8_t kUntouchedByte = 0xCC;
    int32_t result = 0;
    alignas(8) std::array<uint8_t, 128> bytes{};
};

struct VersionAnswer {
    int32_t version = 0;
    std::u16string title;
};

class ZorHost {
public:
    ZorHost();
    ~ZorHost();
    ZorHost(const ZorHost&) = delete;
    ZorHost& operator=(const ZorHost&) = delete;

    // ---- The extender -------------------------------------------------------
    // Loads the module at strPath and finds both entries; false with
    // LoadError() on failure. Any extender loaded before is unloaded first.
    bool Load(const std::string& strPath);
    // Loads the module built beside the running program.
    bool Load();
    // Uses two entries already at hand (an extender linked in, or a fake).
    void Attach(ZorExtenderQueryFn pfnQuery, ZorExtender2Fn pfnCall);
    void Unload();
    bool Loaded() const { return m_pfnQuery != nullptr && m_pfnCall != nullptr; }
    // ZORExtender2W as found, for a caller with a return callback and services
    // table of its own; null when nothing is loaded.
    ZorExtender2Fn Entry() const { return m_pfnCall; }
    const std::string& LoadError() const { return m_strLoadError; }

    // ---- Handshake ----------------------------------------------------------------
    // ZORExtenderQueryW as is.
    int32_t Query(uint16_t nQuery, void* pData, uint32_t nData);
    // Query 2 with the interface versions offered.
    int32_t Negotiate(const std::vector<int32_t>& versions);
    // Query 1 with a buffer of 261 units.
    VersionAnswer QueryVersion();
    // CmdId -1.
    int32_t EntryCount();
    // CmdId -2 for entry nIndex.
    RawDescription DescribeRaw(int32_t nIndex);
    // Describes every entry; false when the count or a description fails.
    bool ReadTable();
    const std::vector<EntryInfo>& Entries() const { return m_entries; }
    // The entry named strName, matched without regard to ASCII case; reads
    // the table first if needed. Null when there is none.
    const EntryInfo* FindEntry(const std::string& strName);
    // The index of that entry.
    std::optional<int16_t> IndexOf(const std::string& strName);

    // ---- Calls ------------------------------------------------------------------------
    // ZORExtender2W with these records, a fresh zeroed result record and a
    // new cookie.
    CallResult CallRaw(int16_t nCmdId, ZorValue* pArgs, int32_t nArgCount);
    CallResult CallIndex(int16_t nCmdId, const std::vector<HostValue>& args);
    // Throws HostError for a name not in the table.
    CallResult Call(const std::string& strName, const std::vector<HostValue>& args);

    // ---- Host state ------------------------------------------------------------------
    HostStore& Store() { return m_store; }
    HostServices& Services() { return m_services; }

private:
    void RequireLoaded() const;

    HostStore m_store;
    HostServices m_services;
    void* m_hModule = nullptr;
    ZorExtenderQueryFn m_pfnQuery = nullptr;
    ZorExtender2Fn m_pfnCall = nullptr;
    std::string m_strLoadError;
    std::vector<EntryInfo> m_entries;
    uint32_t m_nNextCookie = 0x5A0C0001;
};

}  // namespace zorhost
