// The checks a handler makes of its host value records. Every handler
// checks its own arguments, in its own order, through these; each raises
// 20101 when a record is not what it names, DelimiterArg 20113 and
// HostPointerArg 20129 as they say.
//
// Handles. Some handlers remove the white space around their handle text
// before the lookup, the others look it up exactly as passed:
//
//   trimmed    jsKeyPaths, jsKeyExist, jsSerialize, jsConClose
//   verbatim   jsValueGet, jsValueType, jsValueAdd, jsConMap, jsGetInfo
#pragma once

#include <cstdint>
#include <string_view>

#include "extender/HostInterface.h"

// A UTF-16 text (type bit 0x80) with a text pointer.
bool IsTextArg(const ZorValue& arg);
// An integer (type bit 1).
bool IsIntegerArg(const ZorValue& arg);
// The text of a record that IsTextArg accepts.
const char16_t* TextArg(const ZorValue& arg);

// The text of argument nPosition; 20101 when it is missing or no text.
const char16_t* RequiredText(const ZorValue* pArgs, int32_t nArgCount, int32_t nPosition);
// The value of argument nPosition; 20101 when it is missing or no integer.
int32_t RequiredInteger(const ZorValue* pArgs, int32_t nArgCount, int32_t nPosition);
// The value of an integer record; 20101 when it is none.
int32_t IntegerArg(const ZorValue& arg);

// The optional delimiter at nPosition: "." when absent, else one allowed
// character (IsValidDelimiter); 20113 otherwise, for a record that is no
// text as well.
const char16_t* DelimiterArg(const ZorValue* pArgs, int32_t nArgCount, int32_t nPosition);

// The host pointer text of argument nPosition: an 8-bit text (type bit 2)
// with a text, else 20101; of at least 38 bytes, else 20129.
const char* HostPointerArg(const ZorValue* pArgs, int32_t nArgCount, int32_t nPosition);

enum class CHandleForm { Verbatim, Trimmed };

// A handle text in the form its handler looks it up in (see the table above).
std::u16string_view HandleText(const char16_t* szHandle, CHandleForm form);
