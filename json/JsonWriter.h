// The text of a JSON tree, in the two layouts scripts can ask for:
//   compact:  {"name" : "A","list" : [1,2.5,true]}
//   indented: one value a line, 4 spaces a level, " : " after keys, an empty
//             line inside empty containers, one line feed at the end.
// Doubles are written as "%g" with precision 6 in the classic locale,
// strings and keys as escaped JSON literals of their whole stored length.
// The bytes never depend on the C runtime.
#pragma once

#include <boost/json/value.hpp>
#include <string>

// Appends the text of root, an array or object, to strOut. The walk keeps
// its own stack, so any nesting depth is safe.
void WriteJson(const boost::json::value& root, bool bIndented, std::string& strOut);
