#include "host/ZorHost.h"

#include <algorithm>
#include <cstring>

#include "platform/HostPlatform.h"

namespace zorhost {

namespace {

constexpr int16_t kCmdDescribe = -2;
constexpr int16_t kCmdCount = -1;
constexpr uint16_t kQueryVersion = 1;
constexpr uint16_t kQueryNegotiate = 2;
// Title buffer of the version query: the extender's 260 units and one more.
constexpr uint32_t kTitleUnits = 261;
// More entries than any extender table holds: the count is taken as broken.
constexpr int32_t kMaxEntries = 4096;

std::string AsciiLower(std::string strText) {
    std::transform(strText.begin(), strText.end(), strText.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
    return strText;
}

template <class T>
T ReadField(const RawDescription& raw, size_t nOffset) {
    T value;
    std::memcpy(&value, raw.bytes.data() + nOffset, sizeof value);
    return value;
}

// The NUL-terminated text at nOffset, cut at the end of the buffer.
std::u16string ReadName(const RawDescription& raw, size_t nOffset) {
    std::u16string strName;
    for (size_t i = nOffset; i + sizeof(char16_t) <= raw.bytes.size(); i += sizeof(char16_t)) {
        char16_t c = ReadField<char16_t>(raw, i);
        if (c == 0) break;
        strName += c;
    }
    return strName;
}

EntryInfo ParseDescription(const RawDescription& raw) {
    EntryInfo entry;
    entry.index = ReadField<uint32_t>(raw, offsetof(ZorDescription, nIndex));
    entry.kind = ReadField<uint32_t>(raw, offsetof(ZorDescription, nKind));
    entry.types = ReadField<uint64_t>(raw, offsetof(ZorDescription, nTypes));
    entry.value = ReadField<uint32_t>(raw, offsetof(ZorDescription, nValue));
    entry.size = ReadField<uint16_t>(raw, offsetof(ZorDescription, nSize));
    entry.name = ReadName(raw, offsetof(ZorDescription, szName));
    return entry;
}

}  // namespace

ZorHost::ZorHost() : m_services(m_store) {}

ZorHost::~ZorHost() { Unload(); }

// ---- The extender --------------------------------------------------------------

bool ZorHost::Load(const std::string& strPath) {
    Unload();
    m_strLoadError.clear();
    m_hModule = platform::LoadModule(strPath, m_strLoadError);
    if (m_hModule == nullptr) return false;
    auto pfnQuery = reinterpret_cast<ZorExtenderQueryFn>(platform::FindEntry(m_hModule, "ZORExtenderQueryW"));
    auto pfnCall = reinterpret_cast<ZorExtender2Fn>(platform::FindEntry(m_hModule, "ZORExtender2W"));
    if (pfnQuery == nullptr || pfnCall == nullptr) {
        m_strLoadError = strPath + ": the extender entries are missing";
        Unload();
        return false;
    }
    Attach(pfnQuery, pfnCall);
    return true;
}

bool ZorHost::Load() { return Load(platform::DefaultExtenderPath()); }

void ZorHost::Attach(ZorExtenderQueryFn pfnQuery, ZorExtender2Fn pfnCall) {
    m_pfnQuery = pfnQuery;
    m_pfnCall = pfnCall;
    m_entries.clear();
}

void ZorHost::Unload() {
    m_pfnQuery = nullptr;
    m_pfnCall = nullptr;
    m_entries.clear();
    m_store.ReleaseLent();
    if (m_hModule != nullptr) platform::UnloadModule(m_hModule);
    m_hModule = nullptr;
}

void ZorHost::RequireLoaded() const {
    if (!Loaded()) throw HostError("no extender is loaded");
}

// ---- Handshake ----------------------------------------------------------------------

int32_t ZorHost::Query(uint16_t nQuery, void* pData, uint32_t nData) {
    RequireLoaded();
    return m_pfnQuery(nQuery, pData, nData);
}

int32_t ZorHost::Negotiate(const std::vector<int32_t>& versions) {
    return Query(kQueryNegotiate, const_cast<int32_t*>(versions.data()), static_cast<uint32_t>(versions.size()));
}

VersionAnswer ZorHost::QueryVersion() {
    std::array<char16_t, kTitleUnits> title{};
    VersionAnswer answer;
    answer.version = Query(kQueryVersion, title.data(), kTitleUnits);
    auto end = std::find(title.begin(), title.end(), u'\0');
    answer.title.assign(title.begin(), end);
    return answer;
}

int32_t ZorHost::EntryCount() { return CallRaw(kCmdCount, nullptr, 0).returnValue; }

RawDescription ZorHost::DescribeRaw(int32_t nIndex) {
    RawDescription raw;
    raw.bytes.fill(RawDescription::kUntouchedByte);
    // The describe command takes the record in place of the arguments and
    // the entry index in place of their count.
    raw.result = CallRaw(kCmdDescribe, reinterpret_cast<ZorValue*>(raw.bytes.data()), nIndex).returnValue;
    return raw;
}

bool ZorHost::ReadTable() {
    m_entries.clear();
    int32_t nCount = EntryCount();
    if (nCount <= 0 || nCount > kMaxEntries) return false;
    std::vector<EntryInfo> entries;
    for (int32_t i = 0; i < nCount; ++i) {
        RawDescription raw = DescribeRaw(i);
        if (raw.result != 1) return false;
        entries.push_back(ParseDescription(raw));
    }
    m_entries = std::move(entries);
    return true;
}

const EntryInfo* ZorHost::FindEntry(const std::string& strName) {
    if (m_entries.empty()) ReadTable();
    std::string strWanted = AsciiLower(strName);
    for (const EntryInfo& entry : m_entries)
        if (AsciiLower(ToUtf8(entry.name)) == strWanted) return &entry;
    return nullptr;
}

std::optional<int16_t> ZorHost::IndexOf(const std::string& strName) {
    const EntryInfo* pEntry = FindEntry(strName);
    if (pEntry == nullptr) return std::nullopt;
    return static_cast<int16_t>(pEntry - m_entries.data());
}

// ---- Calls ---------------------------------------------------------------------------------

CallResult ZorHost::CallRaw(int16_t nCmdId, ZorValue* pArgs, int32_t nArgCount) {
    RequireLoaded();
    ZorValue result{};
    uint32_t nCookie = m_nNextCookie++;
    m_services.BeginCall(nCookie, &result);
    int32_t nReturn = m_pfnCall(nullptr, nullptr, nCookie, nCmdId, HostServices::ReturnCallback(), m_services.Table(),
                                nullptr, pArgs, nArgCount, &result);
    CallResult call = m_services.EndCall(nReturn);
    // What the call was lent lives on in the HostValues that share it.
    m_store.ReleaseLent();
    return call;
}

CallResult ZorHost::CallIndex(int16_t nCmdId, const std::vector<HostValue>& args) {
    RecordTexts texts;
    std::vector<ZorValue> records(args.size());
    for (size_t i = 0; i < args.size(); ++i) {
        if (m_store.WriteRecord(args[i], records[i], texts) != kStatusOk) {
            m_store.ReleaseLent();
            throw HostError("no memory for an array argument");
        }
    }
    return CallRaw(nCmdId, records.empty() ? nullptr : records.data(), static_cast<int32_t>(records.size()));
}

CallResult ZorHost::Call(const std::string& strName, const std::vector<HostValue>& args) {
    std::optional<int16_t> nIndex = IndexOf(strName);
    if (!nIndex) throw HostError("the extender has no entry named " + strName);
    return CallIndex(*nIndex, args);
}

}  // namespace zorhost
