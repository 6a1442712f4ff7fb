// JSON values as scripts see them: the type bits that name JSON types, the
// text a script receives for a value, and the value built from a script's
// text under a type bit.
#pragma once

#include <boost/json/value.hpp>
#include <cstdint>
#include <string>
#include <string_view>

#include "json/ExtConstants.h"

class CContainerRegistry;

// The type bit of jv's kind (kJsonNull to kJsonObj, one per JSON type;
// kJsonNum for int64, uint64 and double alike).
int32_t JsonTypeBit(const boost::json::value& jv);

// The text a script receives for jv: "null", "true", "false", integers in
// decimal, doubles in fixed notation with six decimals (infinities "inf" and
// "-inf", every NaN "nan"), strings as their bare content up to a U+0000.
// An array or object is copied into a new container of containers, and the text is
// its handle. Errors: 20109.
void JsonValueToHostText(CContainerRegistry& containers, const boost::json::value& jv, std::u16string& strOut);

// Sets jv, which the caller has made null in the storage of the container
// that will receive it, to the value that text stands for under nTypeBit.
// Under kJsonObj a non-empty text is a handle, and jv becomes a copy of that
// container's object. On an error jv stays null. Errors: 20121, 20123, 20104,
// 20110, 20109.
void HostTextToJsonValue(CContainerRegistry& containers, std::string_view text, int32_t nTypeBit,
                         boost::json::value& jv);
