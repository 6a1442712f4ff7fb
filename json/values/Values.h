// JSON values as scripts see them: the type bits that name JSON types, the
// text a script receives for a value, and the value built from a script's
// text under a type bit.
#pragma once

#include <boost/json/value.hpp>
#include <cstdint>
#include <string>
#include <string_view>

class CZorJson;

// Type bits, one per JSON type; a script passes and receives exactly one.
enum : int32_t {
    kJsonNull = 1,
    kJsonBool = 2,
    kJsonNum = 4,  // int64, uint64 and double alike
    kJsonStr = 8,
    kJsonArr = 16,
    kJsonObj = 32,
};

// The type bit of jv's kind.
int32_t JsonTypeBit(const boost::json::value& jv);

// The text a script receives for jv: "null", "true", "false", integers in
// decimal, doubles in fixed notation with six decimals (infinities "inf" and
// "-inf", every NaN "nan"), strings as their bare content up to a U+0000.
// An array or object is copied into a new container of zj, and the text is
// its handle. Errors: 20109.
void JsonValueToHostText(CZorJson& zj, const boost::json::value& jv, std::u16string& strOut);

// Sets jv, which the caller has made null in the storage of the container
// that will receive it, to the value that text stands for under nTypeBit.
// Under kJsonObj a non-empty text is a handle, and jv becomes a copy of that
// container's object. On an error jv stays null. Errors: 20121, 20123, 20104,
// 20110, 20109.
void HostTextToJsonValue(CZorJson& zj, std::string_view text, int32_t nTypeBit, boost::json::value& jv);
