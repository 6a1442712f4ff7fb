#include "host/HostValues.h"

#include <algorithm>
#include <cstring>

#include "platform/HostPlatform.h"
#include "platform/Utf8Codec.h"

namespace zorhost {

// ---- HostValue ----------------------------------------------------------------

HostValue HostValue::Integer(int32_t nValue) {
    HostValue value;
    value.m_value = nValue;
    return value;
}

HostValue HostValue::Text16(std::u16string strText) {
    HostValue value;
    value.m_value = std::move(strText);
    return value;
}

HostValue HostValue::Text8(std::string strText) {
    HostValue value;
    value.m_value = std::move(strText);
    return value;
}

HostValue HostValue::Array(std::shared_ptr<HostArray> pArray) {
    HostValue value;
    value.m_value = pArray ? std::move(pArray) : std::make_shared<HostArray>();
    return value;
}

HostValue HostValue::Map(std::shared_ptr<HostMap> pMap) {
    HostValue value;
    value.m_value = pMap ? std::move(pMap) : std::make_shared<HostMap>();
    return value;
}

HostValue HostValue::ArrayOf(std::vector<HostValue> elements) {
    auto pArray = std::make_shared<HostArray>();
    pArray->elements = std::move(elements);
    return Array(std::move(pArray));
}

HostValue HostValue::MapOf(std::vector<std::pair<std::u16string, HostValue>> entries) {
    auto pMap = std::make_shared<HostMap>();
    for (auto& entry : entries) pMap->Set(entry.first, std::move(entry.second));
    return Map(std::move(pMap));
}

bool operator==(const HostValue& a, const HostValue& b) {
    if (a.kind() != b.kind()) return false;
    switch (a.kind()) {
        case HostValue::Kind::Array:
            return a.array()->elements == b.array()->elements;
        case HostValue::Kind::Map:
            return a.map()->Entries() == b.map()->Entries();
        default:
            return a.m_value == b.m_value;
    }
}

// ---- HostMap --------------------------------------------------------------------

void HostMap::Set(const std::u16string& strKey, HostValue value) {
    auto it =
        std::find_if(m_entries.begin(), m_entries.end(), [&](const auto& entry) { return entry.first == strKey; });
    if (it != m_entries.end())
        it->second = std::move(value);
    else
        m_entries.emplace_back(strKey, std::move(value));
}

const HostValue* HostMap::Find(const std::u16string& strKey) const {
    for (const auto& entry : m_entries)
        if (entry.first == strKey) return &entry.second;
    return nullptr;
}

// ---- Display ----------------------------------------------------------------------

std::string ToUtf8(std::u16string_view strText) {
    std::string out;
    platform::EncodeUtf8(strText.data(), strText.size(), out);
    return out;
}

std::u16string FromUtf8(std::string_view strText) {
    std::u16string out;
    platform::DecodeUtf8(strText.data(), strText.size(), out);
    return out;
}

std::string Display(const HostValue& value) {
    switch (value.kind()) {
        case HostValue::Kind::None:
            return "none";
        case HostValue::Kind::Integer:
            return std::to_string(value.integer());
        case HostValue::Kind::Text16:
            return "u\"" + ToUtf8(value.text16()) + "\"";
        case HostValue::Kind::Text8:
            return "\"" + value.text8() + "\"";
        case HostValue::Kind::Array: {
            std::string out = "[";
            for (const HostValue& element : value.array()->elements)
                out += (out.size() > 1 ? ", " : "") + Display(element);
            return out + "]";
        }
        case HostValue::Kind::Map: {
            std::string out = "{";
            for (const auto& entry : value.map()->Entries())
                out += (out.size() > 1 ? ", " : "") + Display(HostValue::Text16(entry.first)) + ": " +
                       Display(entry.second);
            return out + "}";
        }
    }
    return "?";
}

std::ostream& operator<<(std::ostream& os, const HostValue& value) { return os << Display(value); }

// ---- RecordTexts ---------------------------------------------------------------------

const char16_t* RecordTexts::Keep(const std::u16string& strText) { return m_texts16.emplace_back(strText).c_str(); }

const char* RecordTexts::Keep(const std::string& strText) { return m_texts8.emplace_back(strText).c_str(); }

// ---- HostStore: records ------------------------------------------------------------------

HostStore::~HostStore() { ReleaseLent(); }

std::optional<HostValue> HostStore::ReadRecord(const ZorValue& record) const {
    switch (record.nType) {
        case 0:
            return HostValue();
        case ZOR_TYPE_INTEGER:
            return HostValue::Integer(record.nValue);
        case ZOR_TYPE_TEXT16: {
            if (record.pText == nullptr) return std::nullopt;
            // Counted a block at a time, as strlen counts the bytes of an
            // 8-bit text: the texts of whole documents come back this way.
            const auto* szText = static_cast<const char16_t*>(record.pText);
            return HostValue::Text16(std::u16string(szText, platform::TextLength(szText)));
        }
        case ZOR_TYPE_TEXT8:
            if (record.pText == nullptr) return std::nullopt;
            return HostValue::Text8(static_cast<const char*>(record.pText));
        case ZOR_TYPE_ARRAY:
            if (auto pArray = FindArray(record)) return HostValue::Array(pArray);
            return std::nullopt;
        case kTypeMap:
            if (auto pMap = FindMap(record)) return HostValue::Map(pMap);
            return std::nullopt;
        default:
            return std::nullopt;
    }
}

int32_t HostStore::WriteRecord(const HostValue& value, ZorValue& record, RecordTexts& texts) {
    record = ZorValue{};
    switch (value.kind()) {
        case HostValue::Kind::None:
            return kStatusOk;
        case HostValue::Kind::Integer:
            record.nType = ZOR_TYPE_INTEGER;
            record.nValue = value.integer();
            return kStatusOk;
        case HostValue::Kind::Text16:
            record.nType = ZOR_TYPE_TEXT16;
            record.pText = const_cast<char16_t*>(texts.Keep(value.text16()));
            return kStatusOk;
        case HostValue::Kind::Text8:
            record.nType = ZOR_TYPE_TEXT8;
            record.pText = const_cast<char*>(texts.Keep(value.text8()));
            return kStatusOk;
        case HostValue::Kind::Array:
            return LendArray(value.array(), record);
        case HostValue::Kind::Map:
            LendMap(value.map(), record);
            return kStatusOk;
    }
    return kStatusBadRecord;
}

void HostStore::ReleaseLent() {
    for (const auto& lent : m_lentArrays) platform::FreeGlobalBlock(const_cast<void*>(lent.first));
    m_lentArrays.clear();
    m_lentMaps.clear();
}

int32_t HostStore::LendArray(const std::shared_ptr<HostArray>& pArray, ZorValue& record) {
    // One slot per element, and at least one so that even an empty array
    // has a real block to lock.
    size_t nSlots = std::max<size_t>(pArray->elements.size(), 1);
    void* pBlock = platform::AllocGlobalBlock(nSlots * sizeof(ZorValue));
    if (pBlock == nullptr) return kStatusNoMemory;
    m_lentArrays.emplace(pBlock, pArray);
    record = ZorValue{};
    record.nType = ZOR_TYPE_ARRAY;
    record.pText = pBlock;
    return kStatusOk;
}

void HostStore::LendMap(const std::shared_ptr<HostMap>& pMap, ZorValue& record) {
    m_lentMaps.emplace(pMap.get(), pMap);
    record = ZorValue{};
    record.nType = kTypeMap;
    record.pText = pMap.get();
}

std::shared_ptr<HostArray> HostStore::FindArray(const ZorValue& record) const {
    if (record.nType != ZOR_TYPE_ARRAY) return nullptr;
    auto it = m_lentArrays.find(record.pText);
    return it == m_lentArrays.end() ? nullptr : it->second;
}

std::shared_ptr<HostMap> HostStore::FindMap(const ZorValue& record) const {
    if (record.nType != kTypeMap) return nullptr;
    auto it = m_lentMaps.find(record.pText);
    return it == m_lentMaps.end() ? nullptr : it->second;
}

// ---- HostStore: operations ------------------------------------------------------------------

int32_t HostStore::CreateArray(uint32_t nCount, ZorValue& out) {
    if (nCount > kMaxArrayElements) return kStatusNoMemory;
    auto pArray = std::make_shared<HostArray>();
    pArray->elements.resize(nCount);
    return LendArray(pArray, out);
}

int32_t HostStore::SetArrayElement(const ZorValue& array, uint32_t nIndex, const ZorValue& value) {
    auto pArray = FindArray(array);
    if (!pArray) return kStatusBadRecord;
    if (nIndex >= pArray->elements.size()) return kStatusBadIndex;
    std::optional<HostValue> element = ReadRecord(value);
    if (!element) return kStatusBadRecord;
    pArray->elements[nIndex] = std::move(*element);
    return kStatusOk;
}

int32_t HostStore::CreateMap(ZorValue& out) {
    LendMap(std::make_shared<HostMap>(), out);
    return kStatusOk;
}

int32_t HostStore::SetMapEntry(const ZorValue& map, const ZorValue& key, const ZorValue& value) {
    auto pMap = FindMap(map);
    if (!pMap || key.nType != ZOR_TYPE_TEXT16 || key.pText == nullptr) return kStatusBadRecord;
    std::optional<HostValue> entry = ReadRecord(value);
    if (!entry) return kStatusBadRecord;
    pMap->Set(static_cast<const char16_t*>(key.pText), std::move(*entry));
    return kStatusOk;
}

int32_t HostStore::StoreToVariable(const char* szPointer, const ZorValue& value) {
    if (szPointer == nullptr) return kStatusBadPointer;
    auto it = m_pointers.find(szPointer);
    if (it == m_pointers.end()) return kStatusBadPointer;
    std::optional<HostValue> stored = ReadRecord(value);
    if (!stored) return kStatusBadRecord;
    m_variables[it->second] = std::move(*stored);
    return kStatusOk;
}

// ---- HostStore: variables ---------------------------------------------------------------------

std::string HostStore::MakePointer(const std::string& strName) {
    // "@zorvar:" + name + ";" padded with dots to 40 bytes: long enough for
    // an extender's 38-byte minimum, and unique per name.
    constexpr size_t kPointerLength = 40;
    std::string strPointer = "@zorvar:" + strName + ";";
    if (strPointer.size() < kPointerLength) strPointer.resize(kPointerLength, '.');
    m_pointers[strPointer] = strName;
    return strPointer;
}

void HostStore::SetVariable(const std::string& strName, HostValue value) { m_variables[strName] = std::move(value); }

const HostValue* HostStore::Variable(const std::string& strName) const {
    auto it = m_variables.find(strName);
    return it == m_variables.end() ? nullptr : &it->second;
}

}  // namespace zorhost
