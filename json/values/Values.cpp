// Conversions between JSON values and the texts scripts see. Every text made
// here is built by the library itself, never by the C runtime's formatting,
// so the DLL and the native build write the same bytes.
#include "json/values/Values.h"

#include <boost/json/object.hpp>
#include <cassert>
#include <charconv>
#include <cmath>

#include "json/frame/NumberReading.h"
#include "json/frame/TextConversion.h"
#include "json/frame/UserException.h"
#include "json/store/ContainerRegistry.h"
#include "platform/Platform.h"

namespace {

// Longest "%f" text of a double: a sign, 309 integer digits, the point and
// six decimals.
constexpr size_t kMaxDoubleText = 1 + 309 + 1 + 6;

// The magnitude of the most negative int64.
constexpr uint64_t kInt64MinMagnitude = uint64_t{1} << 63;

void AsciiToHost(const char* pBegin, const char* pEnd, std::u16string& strOut) { strOut.assign(pBegin, pEnd); }

template <class Integer>
void IntegerText(Integer nValue, std::u16string& strOut) {
    char szText[24];
    const auto result = std::to_chars(szText, szText + sizeof szText, nValue);
    assert(result.ec == std::errc());
    AsciiToHost(szText, result.ptr, strOut);
}

// What the C runtimes' "%f" writes: fixed notation, six decimals,
// correctly rounded, never cut. Stored doubles are finite (no way of
// storing a value keeps NaN or an infinity).
void DoubleText(double dValue, std::u16string& strOut) {
    assert(std::isfinite(dValue));
    char szText[kMaxDoubleText];
    const auto result = std::to_chars(szText, szText + sizeof szText, dValue, std::chars_format::fixed, 6);
    assert(result.ec == std::errc());
    AsciiToHost(szText, result.ptr, strOut);
}

// A true or false text: a whole unsigned decimal text is true when its
// value is not 0, else "true" or "false" in any letter case. Error 20123.
bool BoolFromText(std::string_view text) {
    const CDecimalReading reading = ReadDecimal(text);
    if (reading.nEnd == text.size()) return reading.Value() != 0;
    if (EqualIgnoringCase(text, std::string_view("true"))) return true;
    if (EqualIgnoringCase(text, std::string_view("false"))) return false;
    throw CUserException(kErrNotBoolean, text);
}

// Stores a whole unsigned decimal text (white space, an optional sign,
// digits; or nothing): a non-negative integer as uint64, a negative one as
// int64. strtoull would wrap a negative text around to a large unsigned
// number; the sign is kept instead. False, storing nothing, when the
// magnitude lies beyond both ranges: that text becomes a double.
bool SetWholeNumber(const CDecimalReading& reading, boost::json::value& jv) {
    if (reading.bOverflow) return false;
    const uint64_t nMagnitude = reading.nMagnitude;
    if (!reading.bNegative) {
        jv = nMagnitude;
    } else if (nMagnitude == 0) {
        jv = int64_t{0};
    } else if (nMagnitude <= kInt64MinMagnitude) {
        jv = -static_cast<int64_t>(nMagnitude - 1) - 1;
    } else {
        return false;
    }
    return true;
}

// A number text: a whole integer as above, anything else a decimal text
// read whole. A result that is not finite (an overflow such as 1e999 or
// -1e999) has no JSON form and is refused. Error 20121.
void SetNumber(std::string_view text, boost::json::value& jv) {
    const CDecimalReading reading = ReadDecimal(text);
    if (reading.nEnd == text.size() && SetWholeNumber(reading, jv)) return;
    double dValue = 0;
    if (!ReadWholeDouble(text, platform::DecimalSeparator(), dValue) || !std::isfinite(dValue))
        throw CUserException(kErrNotNumber, text);
    jv = dValue;
}

// An empty object, or a copy of the object held by the container whose
// handle the text is. Errors 20109, 20104, 20110.
void SetObject(CContainerRegistry& containers, std::string_view text, boost::json::value& jv) {
    if (text.empty()) {
        jv.emplace_object();
        return;
    }
    std::u16string strHandle;
    Utf8ToUtf16(text, strHandle);
    const boost::json::value& root = containers.FindContainer(strHandle);
    if (!root.is_object()) throw CUserException(kErrCorrupt, text);
    jv = boost::json::object(root.get_object(), jv.storage());
}

}  // namespace

int32_t JsonTypeBit(const boost::json::value& jv) {
    switch (jv.kind()) {
        case boost::json::kind::null:
            return kJsonNull;
        case boost::json::kind::bool_:
            return kJsonBool;
        case boost::json::kind::int64:
        case boost::json::kind::uint64:
        case boost::json::kind::double_:
            return kJsonNum;
        case boost::json::kind::string:
            return kJsonStr;
        case boost::json::kind::array:
            return kJsonArr;
        case boost::json::kind::object:
            break;
    }
    return kJsonObj;
}

void JsonValueToHostText(CContainerRegistry& containers, const boost::json::value& jv, std::u16string& strOut) {
    switch (jv.kind()) {
        case boost::json::kind::null:
            strOut = u"null";
            break;
        case boost::json::kind::bool_:
            strOut = jv.get_bool() ? u"true" : u"false";
            break;
        case boost::json::kind::int64:
            IntegerText(jv.get_int64(), strOut);
            break;
        case boost::json::kind::uint64:
            IntegerText(jv.get_uint64(), strOut);
            break;
        case boost::json::kind::double_:
            DoubleText(jv.get_double(), strOut);
            break;
        case boost::json::kind::string:
            Utf8ToUtf16(std::string_view(jv.get_string().data(), jv.get_string().size()), strOut);
            break;
        case boost::json::kind::array:
        case boost::json::kind::object: {
            // The new container holds its own copy, in the ordinary heap;
            // the value it was read from stays as it is.
            boost::json::value copy(jv, boost::json::storage_ptr());
            const std::u16string& strHandle = containers.RegisterContainer(copy, true);
            // A call that fails leaves no container behind.
            try {
                strOut = strHandle;
            } catch (...) {
                containers.CloseContainer(strHandle);
                throw;
            }
            break;
        }
    }
}

void HostTextToJsonValue(CContainerRegistry& containers, std::string_view text, int32_t nTypeBit,
                         boost::json::value& jv) {
    switch (nTypeBit) {
        case kJsonNull:
            jv.emplace_null();
            break;
        case kJsonBool:
            jv = BoolFromText(text);
            break;
        case kJsonNum:
            SetNumber(text, jv);
            break;
        case kJsonStr:
            jv.emplace_string().assign(text.data(), text.size());
            break;
        case kJsonArr:
            jv.emplace_array();
            break;
        case kJsonObj:
            SetObject(containers, text, jv);
            break;
        default:
            // Callers pass only the six type bits; anything else leaves jv null.
            break;
    }
}
