// Key paths: the check of a caller's delimiter, and the reading of key paths
// against a container's tree.
//
// A key path is a run of segments separated by a one-character delimiter
// ("." unless the caller names another). A segment is written in one of four
// forms: a plain key (`store`), a plain key with an index (`items[2]`), a
// bracketed key (`[a.b]`, which may hold the delimiter or be empty: `[]`), or
// a bracketed key with an index (`[a.b][2]`, `[][2]`). All work is done on
// the UTF-8 bytes of the path and of the delimiter.
//
//   IsValidDelimiter      one allowed character
//   FindKeyPath           the node a key path addresses, by reference
//   ResolveContainerPath  the node by reference, building the container path text
//   ReadListRequest       what a key path asks jsKeyPaths and jsKeyExist to list
//   SplitKeyPath          cut a path at its last delimiter
//   SplitKeySegment       read one segment into its key and index
//   ConvertIndex          the number an index text stands for
//
// Errors are raised as CUserException: 20117 empty path, 20108 missing key
// (20127 for the container path walk), 20112 a segment the node cannot take,
// 20116 an index that does not end at "]", 20114 an index past the end. The
// tree is never changed.
#pragma once

#include <boost/json/value.hpp>
#include <cstdint>
#include <string>
#include <string_view>

// True when szDelimiter is one UTF-16 unit that is none of space, double
// quote, "$", apostrophe, "[", "\", "]" and backquote; false for null.
bool IsValidDelimiter(const char16_t* szDelimiter);

// The node that path addresses below root, walked by reference: nothing is
// copied. strDelimiter is the UTF-8 form of the delimiter.
const boost::json::value& FindKeyPath(const boost::json::value& root, std::string_view path,
                                      const std::string& strDelimiter);
boost::json::value& FindKeyPath(boost::json::value& root, std::string_view path, const std::string& strDelimiter);

// As FindKeyPath, with 20127 for a missing key, and strContainerPath set
// to the path in canonical form: every key bracketed, the delimiter after a
// final object or a final indexed segment (`[a].[b][2].`).
const boost::json::value& ResolveContainerPath(const boost::json::value& root, std::string_view path,
                                               const std::string& strDelimiter, std::string& strContainerPath);

// "No index" in a list request.
constexpr uint64_t kNoIndex = UINT64_MAX;

// What the key path of jsKeyPaths or jsKeyExist asks to be listed: with
// bAll every path below the root; otherwise every place below pStart (the
// container the path's parent names, whose canonical path is strPrefix)
// where the last segment's key occurs, with its element nIndex when the
// segment has an index. Neither key nor index: nothing.
struct CListRequest {
    bool bAll = false;
    const boost::json::value* pStart = nullptr;
    std::string strPrefix;
    std::string_view key;
    uint64_t nIndex = kNoIndex;
};

// Reads the request of path over root. Errors: those of the container path
// walk (20112, 20114, 20116, 20127), 20127 with the parent path when it
// names no container, 20116 for an index in the last segment that is
// empty, negative, malformed or too large.
CListRequest ReadListRequest(const boost::json::value& root, std::string_view path, const std::string& strDelimiter);

// Cuts path at its last delimiter into parent and last segment; a cut
// inside a bracketed key, or at the first or last byte, leaves the parent
// empty and the whole path as last segment. The views point into path.
// Error 20117 for an empty path.
void SplitKeyPath(std::string_view path, const std::string& strDelimiter, std::string_view& parent,
                  std::string_view& last);

// Reads one segment into its key and, when it has one, its index view with
// the brackets (`[2]`). True when there is an index. The views point into
// segment.
bool SplitKeySegment(std::string_view segment, std::string_view& key, std::string_view& index);

// The element number of an index text without its "[" (`12]`), read as an
// unsigned decimal number by the rules of strtoull: leading white space, one
// sign ("-" negates modulo 2^64), overflow to the largest value, no digits
// 0. Error 20116 with the text as detail unless the reading stops at "]".
uint64_t ConvertIndex(std::string_view strIndex);
