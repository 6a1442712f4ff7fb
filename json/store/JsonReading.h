// Reading JSON text: the first value of a text as a new tree, and the test
// whether a text is acceptable JSON. Both read under the same lenient rules:
// nesting at most 32 deep, comments wherever white space may stand, trailing
// commas in arrays and objects, and any bytes inside strings. Both take the
// text a piece at a time and answer what they would for the whole text.
#pragma once

#include <boost/json/value.hpp>

#include "json/frame/TextConversion.h"

// The first JSON value of text, with the white space and comments after it;
// whatever follows is not read. The tree is built in the ordinary heap. A
// text that holds no complete value throws the library's system_error.
boost::json::value ParseFirstValue(CTextPieces& text);

// True when text is one array or object and nothing else but white space
// and comments around it.
bool IsValidJson(CTextPieces& text);
