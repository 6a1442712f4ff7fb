// Key path listing and search, as pre-order walks over an explicit stack.
#include "json/keypaths/KeyPathList.h"

#include <boost/json/array.hpp>
#include <boost/json/object.hpp>

#include "json/frame/UserException.h"
#include "json/keypaths/JsUtility.h"

namespace {

using boost::json::value;

void AppendBracketed(boost::json::string_view key, std::string& str) {
    str += '[';
    str.append(key.data(), key.size());
    str += ']';
}

std::string Bracketed(boost::json::string_view key) {
    std::string str;
    str.reserve(key.size() + 2);
    AppendBracketed(key, str);
    return str;
}

bool EndsWith(const std::string& str, const std::string& strEnd) {
    return str.size() >= strEnd.size() && str.compare(str.size() - strEnd.size(), strEnd.size(), strEnd) == 0;
}

std::string IndexText(uint64_t n) { return "[" + std::to_string(n) + "]"; }

// An open container of the full listing: its size, the index of its next
// child, and the length of the path text its children's paths start with.
struct CListFrame {
    const value* pContainer;
    size_t nSize;
    size_t nNext;
    size_t nBase;
};

size_t ChildCount(const value& container) {
    return container.is_object() ? container.get_object().size() : container.get_array().size();
}

// Writes the path of the frame's next child, its base and "[key]" or "[N]",
// into strPath, and answers the child.
const value& NextChild(CListFrame& frame, std::string& strPath) {
    const size_t nIndex = frame.nNext++;
    strPath.resize(frame.nBase);
    if (frame.pContainer->is_object()) {
        const auto& member = frame.pContainer->get_object().begin()[nIndex];
        AppendBracketed(member.key(), strPath);
        return member.value();
    }
    strPath += IndexText(nIndex);
    return frame.pContainer->get_array()[nIndex];
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
            const std::string strMatch = call.strPrefix + Bracketed(it->key());
            if (m_nIndex != kNoIndex && match.is_array()) {
                if (m_nIndex >= match.get_array().size()) return;  // too short: the search ends here
                m_paths.Add(strMatch + IndexText(m_nIndex));
            } else {
                m_paths.Add(strMatch);
            }
        }
        for (const auto& member : obj) {
            const value& v = member.value();
            const std::string strPath = call.strPrefix + Bracketed(member.key());
            if (v.is_object()) below.push_back({&v, strPath + m_strDelimiter, false});
            if (!v.is_array()) continue;
            const auto& elements = v.get_array();
            for (size_t n = 0; n < elements.size(); ++n)
                if (elements[n].is_structured())
                    below.push_back({&elements[n], strPath + IndexText(n) + m_strDelimiter, false});
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
        return p + (bKeyed ? "" : "[]") + IndexText(n);
    }

    std::string_view m_key;
    uint64_t m_nIndex;
    const std::string& m_strDelimiter;
    CKeyPathList& m_paths;
};

// The index of the last segment's index view ("[2]"): digits that stop at
// "]", and neither missing nor negative nor too large. Error 20116.
uint64_t SearchIndex(std::string_view indexView) {
    const std::string_view text = indexView.substr(indexView.rfind('[') + 1);
    const uint64_t nIndex = ConvertIndex(text);
    if (text.front() == ']' || nIndex == kNoIndex) throw CUserException(kErrIndexSyntax, text);
    return nIndex;
}

}  // namespace

// The path text of the walk is written in place: each child's path is its
// container's base text and the child's segment, and the base of a
// container below is its path and the delimiter, or for an array reached by
// key the path alone ("[k][N]"), for any other array the delimiter and "[]".
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

void FindKeyPaths(bool bTop, const value& container, std::string_view key, uint64_t nIndex,
                  const std::string& strDelimiter, const std::string& strPrefix, CKeyPathList& paths) {
    if (container.is_structured()) CKeySearch(key, nIndex, strDelimiter, paths).Run({&container, strPrefix, bTop});
}

void CollectKeyPaths(const value& root, std::string_view path, const std::string& strDelimiter, CKeyPathList& paths) {
    if (path.empty()) return ListAllKeyPaths(root, strDelimiter, paths);
    std::string_view parent, last;
    SplitKeyPath(path, strDelimiter, parent, last);
    // The search reads the container where it stands: nothing is copied.
    std::string strPrefix;
    const value& start = parent.empty() ? root : ResolveContainerPath(root, parent, strDelimiter, strPrefix);
    if (!start.is_structured()) throw CUserException(kErrContainerPath, parent);
    std::string_view key, indexView;
    const uint64_t nIndex = SplitKeySegment(last, key, indexView) ? SearchIndex(indexView) : kNoIndex;
    if (!key.empty() || nIndex != kNoIndex) FindKeyPaths(true, start, key, nIndex, strDelimiter, strPrefix, paths);
}
