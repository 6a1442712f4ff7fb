// Listing and searching the key paths of a tree. Every path is written in
// the canonical form that ResolveKeyPath reads back: each key bracketed,
// "[k][N]" for an element of an array reached by key, "[][N]" for any other
// element, segments joined by the delimiter. Over {"a":1,"b":{"c":[10,{"d":2}]}}
// with ".": [a], [b], [b].[c], [b].[c][0], [b].[c][1], [b].[c][1].[d].
//
//   CollectKeyPaths   the entry: everything, or a search by the last segment
//   ListAllKeyPaths   every member and element below a container
//   FindKeyPaths      every place a member name (and index) occurs
//
// The walks keep their own stack: any nesting depth is safe.
#pragma once

#include <boost/json/value.hpp>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Key paths kept as one text and the end of each in it, so that a listing
// of many paths allocates only as the text and the ends grow.
class CKeyPathList {
public:
    void Add(std::string_view path) {
        m_strText += path;
        m_ends.push_back(m_strText.size());
    }
    size_t Size() const { return m_ends.size(); }
    std::string_view operator[](size_t i) const {
        const size_t nStart = i == 0 ? 0 : m_ends[i - 1];
        return std::string_view(m_strText).substr(nStart, m_ends[i] - nStart);
    }

private:
    std::string m_strText;
    std::vector<size_t> m_ends;
};

// "No index" for FindKeyPaths.
constexpr uint64_t kNoIndex = UINT64_MAX;

// An empty path lists the whole tree; otherwise the last segment is searched
// for below the container the rest of the path names. Errors: those of the
// container path walk (20112, 20114, 20116, 20127), 20127 with the parent
// path when it names no container, 20116 for an index in the last segment
// that is empty, negative, malformed or too large.
void CollectKeyPaths(const boost::json::value& root, std::string_view path, const std::string& strDelimiter,
                     CKeyPathList& paths);

// Appends the path of every member and element below container, depth
// first, each before those below it.
void ListAllKeyPaths(const boost::json::value& container, const std::string& strDelimiter, CKeyPathList& paths);

// Appends the path of every member named key (element nIndex of it when it
// is an array and an index is given) at any depth below container, each
// level's match before the levels below it. A member that is an array too
// short for the index ends the search in the object that holds it. bTop
// marks the search's own container, below a parent path.
void FindKeyPaths(bool bTop, const boost::json::value& container, std::string_view key, uint64_t nIndex,
                  const std::string& strDelimiter, const std::string& strPrefix, CKeyPathList& paths);
