// Key path listing and search, as pre-order walks over an explicit stack.
#include "json/keypaths/KeyPathList.h"

#include <boost/json/array.hpp>
#include <boost/json/object.hpp>

#include "json/frame/UserException.h"
#include "json/keypaths/CanonicalPath.h"
#include "json/keypaths/JsUtility.h"
#include "json/store/Children.h"

namespace {

using boost::json::value;

std::string_view View(boost::json::string_view key) { return {key.data(), key.size()}; }

// A path text followed by "[key]" or "[N]".
std::string WithKey(const std::string& strPath, boost::json::string_view key) {
    std::string str = strPath;
    AppendKey(View(key), str);
    return str;
}

std::string WithIndex(const std::string& strPath, uint64_t nIndex) {
    std::string str = strPath;
    AppendIndex(nIndex, str);
    return str;
}

bool EndsWith(const std::string& str, const std::string& strEnd) {
    return str.size() >= strEnd.size() && str.compare(str.size() - strEnd.size(), strEnd.size(), strEnd) == 0;
}

// An open container of the full listing: its size, the index of its next
// child, and the length of the path text its children's paths start with.
struct CListFrame {
    const value* pContainer;
    size_t nSize;
    size_t nNext;
    size_t nBase;
};

// Writes the path of the frame's next child, its base and "[key]" or "[N]",
// into strPath, and answers the child.
const value& NextChild(CListFrame& frame, std::string& strPath) {
    const size_t nIndex = frame.nNext++;
    strPath.resize(frame.nBase);
    boost::json::string_view key;
    const value& child = NthChild(*frame.pContainer, nIndex, key);
    if (frame.pContainer->is_object())
        AppendKey(View(key), strPath);
    else
        AppendIndex(nIndex, strPath);
    return child;
}

// One call of the search: a container, the prefix of its children's paths,
// and whether it is the search's own container.
struct CSearchCall {
    const value* pContainer;
    std::string strPrefix;
    bool bTop;
};

class CKeySearch {
public:
    CKeySearch(std::string_view key, uint64_t nIndex, const std::string& strDelimiter, CKeyPathList& paths)
        : m_key(key), m_nIndex(nIndex), m_strDelimiter(strDelimiter), m_paths(paths) {}

    void Run(CSearchCall first) {
        std::vector<CSearchCall> stack{std::move(first)};
        while (!stack.empty()) {
            const CSearchCall call = std::move(stack.back());
            stack.pop_back();
            std::vector<CSearchCall> below;
            if (call.pContainer->is_object())
                SearchObject(call, below);
            else
                SearchArray(call, below);
            stack.insert(stack.end(), std::make_move_iterator(below.rbegin()), std::make_move_iterator(below.rend()));
        }
    }

private:
    void SearchObject(const CSearchCall& call, std::vector<CSearchCall>& below) {
        const auto& obj = call.pContainer->get_object();
        const auto it = obj.find(boost::json::string_view(m_key.data(), m_key.size()));
        if (it != obj.end()) {
            const value& match = it->value();
            const std::string strMatch = WithKey(call.strPrefix, it->key());
            if (m_nIndex != kNoIndex && match.is_array()) {
                if (m_nIndex >= match.get_array().size()) return;  // too short: the search ends here
                m_paths.Add(WithIndex(strMatch, m_nIndex));
            } else {
                m_paths.Add(strMatch);
            }
        }
        for (const auto& member : obj) {
            const value& v = member.value();
            const std::string strPath = WithKey(call.strPrefix, member.key());
            if (v.is_object()) below.push_back({&v, strPath + m_strDelimiter, false});
            if (!v.is_array()) continue;
            const auto& elements = v.get_array();
            for (size_t n = 0; n < elements.size(); ++n)
                if (elements[n].is_structured())
                    below.push_back({&elements[n], WithIndex(strPath, n) + m_strDelimiter, false});
        }
    }

    void SearchArray(const CSearchCall& call, std::vector<CSearchCall>& below) {
        const auto& elements = call.pContainer->get_array();
        if (m_nIndex != kNoIndex && m_nIndex < elements.size()) m_paths.Add(ElementPath(call, m_nIndex));
        for (size_t n = 0; n < elements.size(); ++n)
            if (elements[n].is_structured())
                below.push_back({&elements[n], ElementPath(call, n) + m_strDelimiter, false});
    }

    // "[][N]" after the prefix, except at the top below a parent path that
    // ends with a key naming this array: there "[N]" continues that key.
    std::string ElementPath(const CSearchCall& call, uint64_t n) const {
        const std::string& p = call.strPrefix;
        const bool bKeyed = call.bTop && !p.empty() && !EndsWith(p, m_strDelimiter);
        return WithIndex(bKeyed ? p : p + "[]", n);
    }

    std::string_view m_key;
    uint64_t m_nIndex;
    const std::string& m_strDelimiter;
    CKeyPathList& m_paths;
};

// The path text of the walk is written in place: each child's path is its
// container's base text and the child's segment, and the base of a
// container below is its path and the delimiter, or for an array reached by
// key the path alone ("[k][N]"), for any other array the delimiter and "[]".
// Appends the path of every member and element below container, depth
// first, each before those below it.
void ListAllKeyPaths(const value& container, const std::string& strDelimiter, CKeyPathList& paths) {
    std::string strPath = container.is_array() ? "[]" : "";
    std::vector<CListFrame> stack{{&container, ChildCount(container), 0, strPath.size()}};
    while (!stack.empty()) {
        CListFrame& frame = stack.back();
        if (frame.nNext == frame.nSize) {
            stack.pop_back();
            continue;
        }
        const bool bByKey = frame.pContainer->is_object();
        const value& child = NextChild(frame, strPath);
        paths.Add(strPath);
        if (!child.is_structured()) continue;
        if (child.is_object() || !bByKey) strPath += strDelimiter;
        if (child.is_array() && !bByKey) strPath += "[]";
        stack.push_back({&child, ChildCount(child), 0, strPath.size()});  // frame is not used after this
    }
}

}  // namespace

// A search appends the path of every member named key (element nIndex of it
// when it is an array and an index is given) at any depth below the start,
// each level's match before the levels below it. A member that is an array
// too short for the index ends the search in the object that holds it.
void CollectKeyPaths(const CListRequest& request, const std::string& strDelimiter, CKeyPathList& paths) {
    if (request.bAll) return ListAllKeyPaths(*request.pStart, strDelimiter, paths);
    if (request.key.empty() && request.nIndex == kNoIndex) return;
    CKeySearch(request.key, request.nIndex, strDelimiter, paths).Run({request.pStart, request.strPrefix, true});
}
