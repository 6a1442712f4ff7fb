// Reading JSON text, as the host passes it: the first value of a text as a
// new tree, and the test whether a text is acceptable JSON. Both read the
// text without the white space set around it, by the rules of the reader
// (JsonReader.h): JSON with comments and trailing commas, nesting at most
// 512 deep, and numbers within the range of a double.
#pragma once

#include <boost/json/value.hpp>

#include "json/frame/TextBuffer.h"
#include "json/store/ContainerRegistry.h"

// The first JSON value of the NUL-terminated szText, with the white space
// and comments after it; whatever follows is not read. The tree is built in
// an arena of its own; strings are converted in scratch. Throws a
// system_error with the parser's description for text that holds no
// complete value, and error 20105 naming a number beyond the largest double
// and its line and column.
CParsedTree ParseFirstValue(const char16_t* szText, CTextBuffer& scratch);

// True when szText is one array or object and nothing else but white space
// and comments around it.
bool IsValidJson(const char16_t* szText);
