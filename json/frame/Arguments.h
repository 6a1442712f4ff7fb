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
#include <string>
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
// The value of the optional argument nPosition, nAbsent when it is not
// given; 20101 when it is no integer.
int32_t OptionalInteger(const ZorValue* pArgs, int32_t nArgCount, int32_t nPosition, int32_t nAbsent);

// What a record that is no text gives as a delimiter: 20113 as any other
// delimiter not allowed, or 20101 as an argument of the wrong type.
enum class CDelimiterRecord { NotAllowed, WrongType };

// The optional delimiter at nPosition: "." when absent, else one allowed
// character (IsValidDelimiter); 20113 otherwise, and for a record that is
// no text as the rule says.
const char16_t* DelimiterArg(const ZorValue* pArgs, int32_t nArgCount, int32_t nPosition,
                             CDelimiterRecord rule = CDelimiterRecord::NotAllowed);

// The host pointer text of argument nPosition: an 8-bit text (type bit 2)
// with a text, else 20101; of at least 38 bytes, else 20129.
const char* HostPointerArg(const ZorValue* pArgs, int32_t nArgCount, int32_t nPosition);

enum class CHandleForm { Verbatim, Trimmed };

// A handle text in the form its handler looks it up in (see the table above).
std::u16string_view HandleText(const char16_t* szHandle, CHandleForm form);

// A key path and its delimiter as UTF-8, as every function that follows a
// key path reads them: the path without the white space around it, the
// delimiter as given.
struct CKeyPathArgs {
    std::string_view path;
    std::string strDelimiter;

    CKeyPathArgs(const char16_t* szPath, const char16_t* szDelimiter, std::string& strPathStorage);
};

// The arguments of the functions that follow a key path in a container.
struct CAddressArgs {
    std::u16string_view handle;
    CKeyPathArgs keyPath;
};

// Reads (handle, key path [, delimiter at nDelimiter]): checked in that
// order (20101, the delimiter 20113 or as rule says), then converted, the
// handle in the given form, the path's UTF-8 into strPathStorage.
CAddressArgs ReadAddressArgs(const ZorValue* pArgs, int32_t nArgCount, int32_t nDelimiter, CHandleForm form,
                             CDelimiterRecord rule, std::string& strPathStorage);
