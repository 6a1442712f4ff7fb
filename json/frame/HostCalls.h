// Every call the library makes to a service of the host, each turning the
// host's failure into its numbered error: the detail of an error, host
// arrays of texts, storing into a script variable, and map operations.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>

#include "extender/HostInterface.h"

// Hands the detail of the error being returned to the host, when it takes one.
void SetErrorDetail(const ZorServices* pServices, const char* szText);

// Makes array a new one-dimensional host array of nCount UTF-16 texts, the
// one at i made from the UTF-8 text(i); the host keeps what it stores. With
// bLock the array's memory block is locked for the host, and stays so.
// Errors: 20125 and 20126 with the host's status, 20109.
void MakeTextArray(const ZorServices* pServices, size_t nCount, const std::function<std::string_view(size_t)>& text,
                   bool bLock, ZorValue& array);

// Stores value into the script variable szPointer names. Errors: 20129
// (host status 13), 20115 (11), 20130 (any other, or no such service).
void StoreToVariable(const ZorServices* pServices, const char* szPointer, ZorValue& value);

// The host's map service on map, with a key and a value record or none.
// Error 20118, with the host's status when it failed.
void MapOperation(const ZorServices* pServices, ZorValue& map, ZorValue* pKey, ZorValue* pValue, uint32_t nOperation);
