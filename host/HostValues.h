// Values as the reference host holds them, and the store that lends them to
// an extender as 56-byte records: host arrays, host maps and named script
// variables.
//
// A lent array record carries in pText the address of a global memory block
// (one 56-byte slot per element) so that an extender can lock that block; the
// store finds its HostArray again by that address. A lent map record carries
// the HostMap's address as a token. Neither address is read through unless
// the store itself registered it.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "extender/HostInterface.h"

namespace zorhost {

// The host's own type flag of a map record (arrays use ZOR_TYPE_ARRAY).
constexpr uint32_t kTypeMap = 0x400;

// What the host services answer; 0 is success.
enum HostStatus : int32_t {
    kStatusOk = 0,
    kStatusBadRecord = 3,     // a record, size or code the host does not accept
    kStatusBadOperation = 5,  // a map operation the host does not know
    kStatusBadIndex = 9,      // an array index out of range
    kStatusNoMemory = 11,
    kStatusBadPointer = 13,  // a pointer text that names no variable
};

// Largest number of elements a host array may have.
constexpr uint32_t kMaxArrayElements = 1u << 20;

struct HostArray;
class HostMap;

class HostValue {
public:
    enum class Kind { None, Integer, Text16, Text8, Array, Map };

    HostValue() = default;
    static HostValue Integer(int32_t nValue);
    static HostValue Text16(std::u16string strText);
    static HostValue Text8(std::string strText);
    // Shares the array or map (a null pointer gives a new empty one).
    static HostValue Array(std::shared_ptr<HostArray> pArray);
    static HostValue Map(std::shared_ptr<HostMap> pMap);
    // A new array or map holding the given elements or entries.
    static HostValue ArrayOf(std::vector<HostValue> elements);
    static HostValue MapOf(std::vector<std::pair<std::u16string, HostValue>> entries);

    Kind kind() const { return static_cast<Kind>(m_value.index()); }
    // Each accessor throws std::bad_variant_access for another kind.
    int32_t integer() const { return std::get<int32_t>(m_value); }
    const std::u16string& text16() const { return std::get<std::u16string>(m_value); }
    const std::string& text8() const { return std::get<std::string>(m_value); }
    const std::shared_ptr<HostArray>& array() const { return std::get<std::shared_ptr<HostArray>>(m_value); }
    const std::shared_ptr<HostMap>& map() const { return std::get<std::shared_ptr<HostMap>>(m_value); }

    // Deep comparison: arrays element by element, maps entry by entry in order.
    friend bool operator==(const HostValue& a, const HostValue& b);
    friend bool operator!=(const HostValue& a, const HostValue& b) { return !(a == b); }

private:
    // Alternatives in the order of Kind.
    std::variant<std::monostate, int32_t, std::u16string, std::string, std::shared_ptr<HostArray>,
                 std::shared_ptr<HostMap>>
        m_value;
};

struct HostArray {
    std::vector<HostValue> elements;
};

// Entries in insertion order; setting an existing key replaces its value in
// place. Keys match exactly.
class HostMap {
public:
    void Set(const std::u16string& strKey, HostValue value);
    const HostValue* Find(const std::u16string& strKey) const;
    const std::vector<std::pair<std::u16string, HostValue>>& Entries() const { return m_entries; }
    size_t Size() const { return m_entries.size(); }

private:
    std::vector<std::pair<std::u16string, HostValue>> m_entries;
};

// UTF-16 to UTF-8 for display and comparison; a lone surrogate becomes U+FFFD.
std::string ToUtf8(std::u16string_view strText);
// UTF-8 to UTF-16; each invalid byte sequence becomes U+FFFD.
std::u16string FromUtf8(std::string_view strText);

// A readable one-line form: 12, u"text", "text", [a, b], {u"k": v}, none.
std::string Display(const HostValue& value);
std::ostream& operator<<(std::ostream& os, const HostValue& value);

// Keeps the texts of argument records alive (and NUL-terminated) for a call.
class RecordTexts {
public:
    const char16_t* Keep(const std::u16string& strText);
    const char* Keep(const std::string& strText);

private:
    std::deque<std::u16string> m_texts16;
    std::deque<std::string> m_texts8;
};

class HostStore {
public:
    HostStore() = default;
    ~HostStore();
    HostStore(const HostStore&) = delete;
    HostStore& operator=(const HostStore&) = delete;

    // ---- Records ------------------------------------------------------------
    // A copy of what the record holds: integer (1), UTF-16 text (0x80), 8-bit
    // text (2), a lent array (0x100) or map, or none (0). Nothing for any
    // other type, a null text or an array or map the store did not lend.
    std::optional<HostValue> ReadRecord(const ZorValue& record) const;
    // Fills a zeroed record for value; texts are kept in texts, arrays and
    // maps are lent. kStatusNoMemory when an array block cannot be had.
    int32_t WriteRecord(const HostValue& value, ZorValue& record, RecordTexts& texts);
    // Forgets every lent array and map and frees the arrays' blocks. The
    // HostValues that share them are not affected.
    void ReleaseLent();

    // ---- Operations behind the services ---------------------------------------
    int32_t CreateArray(uint32_t nCount, ZorValue& out);
    int32_t SetArrayElement(const ZorValue& array, uint32_t nIndex, const ZorValue& value);
    int32_t CreateMap(ZorValue& out);
    int32_t SetMapEntry(const ZorValue& map, const ZorValue& key, const ZorValue& value);
    int32_t StoreToVariable(const char* szPointer, const ZorValue& value);

    // ---- Variables --------------------------------------------------------------
    // The pointer text naming variable strName (at least 38 bytes).
    std::string MakePointer(const std::string& strName);
    void SetVariable(const std::string& strName, HostValue value);
    // Null when the variable was never set.
    const HostValue* Variable(const std::string& strName) const;

private:
    int32_t LendArray(const std::shared_ptr<HostArray>& pArray, ZorValue& record);
    void LendMap(const std::shared_ptr<HostMap>& pMap, ZorValue& record);
    std::shared_ptr<HostArray> FindArray(const ZorValue& record) const;
    std::shared_ptr<HostMap> FindMap(const ZorValue& record) const;

    std::map<const void*, std::shared_ptr<HostArray>> m_lentArrays;  // by block address
    std::map<const void*, std::shared_ptr<HostMap>> m_lentMaps;      // by token
    std::map<std::string, std::string> m_pointers;                   // pointer text -> name
    std::map<std::string, HostValue> m_variables;
};

}  // namespace zorhost
