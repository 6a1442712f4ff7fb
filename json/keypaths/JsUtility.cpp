// Key path grammar and resolution. Paths are read byte by byte; the
// delimiter is matched as its whole UTF-8 form everywhere, so a delimiter
// outside ASCII never cuts a path inside a character.
#include "json/keypaths/JsUtility.h"

#include <boost/json/array.hpp>
#include <boost/json/object.hpp>
#include <cassert>

#include "json/frame/NumberReading.h"
#include "json/frame/UserException.h"
#include "json/keypaths/CanonicalPath.h"

namespace {

using boost::json::value;

constexpr size_t kNone = std::string_view::npos;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// One segment as the resolvers read it.
struct CSegment {
    std::string_view key;
    std::string_view index;    // the index text, "2]", when bHasIndex
    std::string_view written;  // bracketed: the segment as written; plain: its "[...]" part
    bool bHasIndex = false;
    bool bBracketed = false;
    bool bFollowed = false;  // a delimiter ends it
};

// Reads the segments of a path from its start.
class CSegmentReader {
public:
    CSegmentReader(std::string_view path, const std::string& strDelimiter) : m_path(path), m_delimiter(strDelimiter) {
        assert(!strDelimiter.empty());
    }

    // The next segment; false once the reading has reached the end.
    bool Next(CSegment& seg) {
        if (m_nPos >= m_path.size()) return false;
        seg = CSegment();
        const size_t nClose = m_path[m_nPos] == '[' ? m_path.find(']', m_nPos + 1) : kNone;
        if (nClose != kNone)
            ReadBracketed(nClose, seg);
        else
            ReadPlain(seg);
        return true;
    }

private:
    // The key runs from after the "[" to two bytes before the delimiter that
    // ends the segment (or to the byte before the path's last byte); the
    // first "]" only marks where the search for that end starts.
    void ReadBracketed(size_t nClose, CSegment& seg) {
        const size_t nStart = m_nPos;
        const size_t n = m_path.size();
        seg.bBracketed = true;
        for (size_t i = nClose + 1;; ++i) {
            if (i >= n) {
                seg.key = m_path.substr(nStart + 1, n - nStart - 2);
                seg.written = m_path.substr(nStart);
                m_nPos = n;
                return;
            }
            if (DelimiterAt(i)) {
                seg.key = m_path.substr(nStart + 1, i - nStart - 2);
                seg.written = m_path.substr(nStart, i - nStart);
                seg.bFollowed = true;
                m_nPos = i + m_delimiter.size();
                return;
            }
            const size_t nEnd = IndexEnd(i);
            if (nEnd != kNone) {
                seg.key = m_path.substr(nStart + 1, i - nStart - 2);
                seg.index = m_path.substr(i + 1, nEnd - i);
                seg.bHasIndex = true;
                seg.written = m_path.substr(nStart, nEnd - nStart + 1);
                seg.bFollowed = nEnd + 1 < n;
                m_nPos = nEnd + 1 + m_delimiter.size();
                return;
            }
        }
    }

    // Where the index that opens at i closes: a "[" with at least two bytes
    // after it, digits (perhaps none), then a "]" that ends the path or
    // stands before the delimiter. kNone when i opens no such index.
    size_t IndexEnd(size_t i) const {
        const size_t n = m_path.size();
        if (m_path[i] != '[' || i + 2 >= n) return kNone;
        size_t e = i + 1;
        while (e < n && IsDigit(m_path[e])) ++e;
        if (e >= n || m_path[e] != ']') return kNone;
        return e + 1 == n || DelimiterAt(e + 1) ? e : kNone;
    }

    bool DelimiterAt(size_t i) const { return m_path.substr(i, m_delimiter.size()) == m_delimiter; }

    // Up to the next delimiter; the last "[" before a later last "]" opens
    // the index, cut at the segment's end.
    void ReadPlain(CSegment& seg) {
        const size_t nEnd = m_path.find(m_delimiter, m_nPos);
        seg.bFollowed = nEnd != kNone;
        const std::string_view text = m_path.substr(m_nPos, seg.bFollowed ? nEnd - m_nPos : kNone);
        m_nPos = seg.bFollowed ? nEnd + m_delimiter.size() : m_path.size();
        const size_t lb = text.rfind('[');
        const size_t rb = text.rfind(']');
        if (lb != kNone && rb != kNone && rb > lb) {
            seg.key = text.substr(0, lb);
            seg.index = text.substr(lb + 1, rb - lb + 1);
            seg.written = text.substr(lb, rb - lb + 1);
            seg.bHasIndex = true;
        } else {
            seg.key = text;
        }
    }

    std::string_view m_path;
    std::string_view m_delimiter;
    size_t m_nPos = 0;
};

const value& Element(const boost::json::array& arr, std::string_view strIndex) {
    const uint64_t nIndex = ConvertIndex(strIndex);
    if (nIndex >= arr.size()) throw CUserException(kErrIndexRange);
    return arr[nIndex];
}

// The node that seg leads to from node.
const value& Step(const value& node, const CSegment& seg, int32_t nMissingCode) {
    if (const boost::json::object* pObject = node.if_object()) {
        const value* pMember = pObject->if_contains(seg.key);
        if (pMember == nullptr) throw CUserException(nMissingCode, seg.key);
        if (!seg.bHasIndex) return *pMember;
        if (!pMember->is_array()) throw CUserException(kErrUnexpectedItem);
        return Element(pMember->get_array(), seg.index);
    }
    if (const boost::json::array* pArray = node.if_array()) {
        if (seg.bHasIndex) return Element(*pArray, seg.index);
        if (!seg.key.empty()) throw CUserException(kErrUnexpectedItem, seg.key);
        return node;
    }
    // A scalar ignores a plain segment that ends the path.
    if (!seg.bBracketed && !seg.bFollowed) return node;
    throw CUserException(kErrUnexpectedItem);
}

void AppendPiece(const CSegment& seg, const std::string& strDelimiter, std::string& strPath) {
    if (!strPath.empty()) strPath += strDelimiter;
    if (seg.bBracketed) {
        strPath += seg.written;
        return;
    }
    AppendKey(seg.key, strPath);
    strPath += seg.written;
}

// Walks path from root; builds the container path when pContainerPath is set.
const value& Walk(const value& root, std::string_view path, const std::string& strDelimiter, int32_t nMissingCode,
                  std::string* pContainerPath) {
    if (path.empty()) throw CUserException(kErrNoPath);
    CSegmentReader reader(path, strDelimiter);
    CSegment seg;
    const value* pNode = &root;
    while (reader.Next(seg)) {
        if (pContainerPath != nullptr) AppendPiece(seg, strDelimiter, *pContainerPath);
        pNode = &Step(*pNode, seg, nMissingCode);
    }
    if (pContainerPath != nullptr && (pNode->is_object() || seg.bHasIndex)) *pContainerPath += strDelimiter;
    return *pNode;
}

// The index of the last segment's index view ("[2]"): digits that stop at
// "]", and neither missing nor negative nor too large. Error 20116.
uint64_t SearchIndex(std::string_view indexView) {
    const std::string_view text = indexView.substr(indexView.rfind('[') + 1);
    const uint64_t nIndex = ConvertIndex(text);
    if (text.front() == ']' || nIndex == kNoIndex) throw CUserException(kErrIndexSyntax, text);
    return nIndex;
}

}  // namespace

bool IsValidDelimiter(const char16_t* szDelimiter) {
    if (szDelimiter == nullptr || szDelimiter[0] == 0 || szDelimiter[1] != 0) return false;
    constexpr std::u16string_view kReserved = u" \"$'[\\]`";
    return kReserved.find(szDelimiter[0]) == kNone;
}

const value& FindKeyPath(const value& root, std::string_view path, const std::string& strDelimiter) {
    return Walk(root, path, strDelimiter, kErrKeyNotFound, nullptr);
}

// The walk reads only; the node it finds belongs to the caller's own tree.
value& FindKeyPath(value& root, std::string_view path, const std::string& strDelimiter) {
    return const_cast<value&>(FindKeyPath(static_cast<const value&>(root), path, strDelimiter));
}

const value& ResolveContainerPath(const value& root, std::string_view path, const std::string& strDelimiter,
                                  std::string& strContainerPath) {
    strContainerPath.clear();
    return Walk(root, path, strDelimiter, kErrContainerPath, &strContainerPath);
}

CListRequest ReadListRequest(const value& root, std::string_view path, const std::string& strDelimiter) {
    CListRequest request;
    request.pStart = &root;
    request.bAll = path.empty();
    if (request.bAll) return request;
    std::string_view parent, last;
    SplitKeyPath(path, strDelimiter, parent, last);
    // The search reads the container where it stands: nothing is copied.
    if (!parent.empty()) request.pStart = &ResolveContainerPath(root, parent, strDelimiter, request.strPrefix);
    if (!request.pStart->is_structured()) throw CUserException(kErrContainerPath, parent);
    std::string_view indexView;
    if (SplitKeySegment(last, request.key, indexView)) request.nIndex = SearchIndex(indexView);
    return request;
}

void SplitKeyPath(std::string_view path, const std::string& strDelimiter, std::string_view& parent,
                  std::string_view& last) {
    if (path.empty()) throw CUserException(kErrNoPath);
    assert(!strDelimiter.empty());
    parent = {};
    last = path;
    const size_t d = path.rfind(strDelimiter);
    const size_t nAfter = d + strDelimiter.size();
    if (d == kNone || d == 0 || nAfter == path.size()) return;
    // A delimiter inside a bracketed key is no cut: after it must come a "["
    // at once, or later the "[" of an index.
    if (path.back() == ']') {
        const size_t lb = path.rfind('[');
        if (path[nAfter] != '[' && (lb == kNone || lb <= nAfter)) return;
    }
    parent = path.substr(0, d);
    last = path.substr(nAfter);
}

bool SplitKeySegment(std::string_view segment, std::string_view& key, std::string_view& index) {
    index = {};
    const size_t m = segment.size();
    const bool bClosed = m > 0 && segment.back() == ']';
    if (bClosed && segment.front() == '[') {
        const size_t c1 = segment.find(']');
        const size_t lb = segment.rfind('[');
        const size_t rb = m - 1;
        if (c1 == rb) {
            key = segment.substr(1, c1 - 1);
            return false;
        }
        const size_t rb2 = segment.rfind(']', rb - 1);
        if (lb > c1 && segment[lb - 1] == ']' && rb2 < lb) {
            key = segment.substr(1, lb - 2);
            index = segment.substr(lb);
            return true;
        }
        key = segment.substr(1, rb - 1);
        return false;
    }
    const size_t lb = segment.rfind('[');
    if (bClosed && lb != kNone) {
        key = segment.substr(0, lb);
        index = segment.substr(lb);
        return true;
    }
    key = segment;
    return false;
}

uint64_t ConvertIndex(std::string_view strIndex) {
    const CDecimalReading reading = ReadDecimal(strIndex);
    if (reading.nEnd >= strIndex.size() || strIndex[reading.nEnd] != ']')
        throw CUserException(kErrIndexSyntax, strIndex);
    return reading.Value();
}
