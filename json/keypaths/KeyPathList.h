// Listing and searching the key paths of a tree. Every path is written in
// the canonical form that ResolveKeyPath reads back: each key bracketed,
// "[k][N]" for an element of an array reached by key, "[][N]" for any other
// element, segments joined by the delimiter. Over {"a":1,"b":{"c":[10,{"d":2}]}}
// with ".": [a], [b], [b].[c], [b].[c][0], [b].[c][1], [b].[c][1].[d].
//
//   CollectKeyPaths   everything, or a search by a member name (and index),
//                     as a list request (JsUtility.h) asks
//
// The walks keep their own stack: any nesting depth is safe.
#pragma once

#include <boost/json/value.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "json/keypaths/JsUtility.h"

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

// Appends the paths the request asks for, each in canonical form.
void CollectKeyPaths(const CListRequest& request, const std::string& strDelimiter, CKeyPathList& paths);
