// Message texts: the module's string table, or a translation from the
// language file chosen by the user's language settings.
#pragma once

#include <cstdint>

// Size in units of a message buffer, and of the 8-bit error text.
constexpr int32_t kMessageUnits = 256;

// Copies message nId into pBuffer (nSize units with the terminator; 0 means
// an internal buffer of 256 units) with "~" made a line feed and "|" a tab.
// Returns the length; an unknown id gives the empty text. Message 0 asks for
// the language to be resolved again.
int32_t LoadMessageText(int32_t nId, char16_t* pBuffer, int32_t nSize);
