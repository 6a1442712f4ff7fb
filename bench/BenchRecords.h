// Argument records as a host fills them, for the benchmarks that call the
// exported entry directly. A text record points into the caller's string.
#pragma once

#include <string>

#include "extender/HostInterface.h"

inline ZorValue Text(const std::u16string& strText) {
    ZorValue v{};
    v.nType = ZOR_TYPE_TEXT16;
    v.pText = const_cast<char16_t*>(strText.c_str());
    return v;
}

inline ZorValue Integer(int32_t nValue) {
    ZorValue v{};
    v.nType = ZOR_TYPE_INTEGER;
    v.nValue = nValue;
    return v;
}
