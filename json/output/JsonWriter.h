// The text of a JSON tree, in the two layouts scripts can ask for:
//   compact:  {"name" : "A","list" : [1,2.5,true]}
//   indented: one value a line, 4 spaces a level, " : " after keys, an empty
//             line inside empty containers, one line feed at the end.
// Doubles are written in "%g" layout with the digits that read back to the
// same double, at least six (NumberWriting.h); strings and keys as escaped
// JSON literals of their whole stored length. The text is always JSON:
// doubles are finite, since no way of storing a value keeps NaN or an
// infinity (jsParse refuses a number beyond the largest double, jsValueAdd
// any number text that reads as one), and nesting never passes the 512
// levels that jsParse reads back.
// The bytes never depend on the C runtime.
#pragma once

#include <boost/json/value.hpp>

#include "json/frame/TextBuffer.h"

// The text of root, an array or object, as UTF-8 (char) or UTF-16
// (char16_t), NUL-terminated, in storage, which is cleared first and then
// grown as needed. The walk keeps its own stack, so any nesting depth is
// safe. UTF-16 text has the units the platform's conversion of the UTF-8
// would give, with invalid UTF-8 inside strings replaced by its rules.
template <class Unit>
const Unit* WriteJson(const boost::json::value& root, bool bIndented, CTextBuffer& storage);

extern template const char* WriteJson(const boost::json::value&, bool, CTextBuffer&);
extern template const char16_t* WriteJson(const boost::json::value&, bool, CTextBuffer&);
