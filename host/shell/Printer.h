// How the shell shows what it gets: one stable, readable form for every
// host value, for the library's numbered errors, and for the entry table.
//
//   42                       an integer
//   "text"  'say "hi"'       a UTF-16 text, as a literal of the notation
//   {"a" : 1}                an 8-bit text (serialized UTF-8), as its bytes
//   array of 2               an array, then one element a line:  [0] "x"
//   map of 1                 a map, then one entry a line:       "key": "value"
//   error 20104: JSON handle is not valid      then  detail "..."  lines
//
// Control characters other than tab and line feed show as <U+001F>. With
// stable handles, container handles show as *obj#1*, *arr#2*, numbered in
// order of first appearance, so that transcripts do not change from run to
// run (the library draws its handle numbers from a clock-seeded counter).
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "host/HostServices.h"
#include "host/ZorHost.h"

namespace zorshell {

class Printer {
public:
    explicit Printer(bool bStableHandles) : m_bStableHandles(bStableHandles) {}

    // The lines that show value, each ended by a line feed.
    std::string Value(const zorhost::HostValue& value);
    // A text without quotes, as host.print writes it; other values as Value
    // shows them, without the final line feed.
    std::string Plain(const zorhost::HostValue& value);
    // The error line of a failed call, its message read in the system's code
    // page, and one line per detail text.
    std::string Error(const zorhost::CallResult& call);

private:
    std::string Shown(const zorhost::HostValue& value, const std::string& strIndent);
    // Masks handles and makes control characters visible.
    std::string Visible(std::string_view strText);
    std::string Quoted(std::string_view strText) { return Quote(Visible(strText)); }
    static std::string Quote(const std::string& strText);
    std::string MaskHandles(std::string_view strText);

    bool m_bStableHandles;
    std::map<std::string, size_t, std::less<>> m_handleNumbers;  // handle text -> its number
};

// Decimal digits, written here and never by the C runtime, so that both
// platforms print the same bytes.
std::string Decimal(long long nValue);

// The handshake and the entry table as the host sees them.
std::string TableListing(int32_t nInterface, const zorhost::VersionAnswer& version,
                         const std::vector<zorhost::EntryInfo>& entries);

}  // namespace zorshell
