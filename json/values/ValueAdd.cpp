// The pass algorithm of jsValueAdd, run over the stored tree by reference.
//
// Each pass of the algorithm takes a container of the unchanged tree (the
// base), sets one of its slots to the carried value, and carries the result
// upwards. Normally that slot already holds the container the previous pass
// worked on, so the carried value is simply "the stored tree with one
// pending placement": nothing needs copying, and the whole call comes down
// to that one placement. Only when a path's text makes a pass put the
// carried value where it did not come from is it made into a value of its
// own (a copy with the placement applied), which then becomes the pending
// placement in its new place.
#include "json/values/ValueAdd.h"

#include <algorithm>
#include <boost/json/array.hpp>
#include <boost/json/object.hpp>
#include <cassert>
#include <stdexcept>
#include <vector>

#include "json/frame/UserException.h"
#include "json/keypaths/JsUtility.h"

namespace {

using boost::json::value;

constexpr size_t kNoPosition = static_cast<size_t>(-1);

// Child nPosition of a container, null past its end.
const value* ChildOrNull(const value& node, size_t nPosition) {
    if (const boost::json::object* pObject = node.if_object())
        return nPosition < pObject->size() ? &(pObject->begin() + nPosition)->value() : nullptr;
    const boost::json::array& arr = node.get_array();
    return nPosition < arr.size() ? &arr[nPosition] : nullptr;
}

// The nesting depth of v: 0 for a scalar, 1 for a container of scalars.
// Walked over an explicit stack of open containers, so any depth is safe
// to measure and the stack holds one entry per level.
size_t Depth(const value& v) {
    if (!v.is_structured()) return 0;
    size_t nDeepest = 1;
    std::vector<std::pair<const value*, size_t>> stack{{&v, 0}};  // a container, its next child
    while (!stack.empty()) {
        const value* pChild = ChildOrNull(*stack.back().first, stack.back().second++);
        if (pChild == nullptr) {
            stack.pop_back();
        } else if (pChild->is_structured()) {
            stack.emplace_back(pChild, 0);
            nDeepest = std::max(nDeepest, stack.size());
        }
    }
    return nDeepest;
}

// A place in a container: a member by key, an element by index, or the
// container itself (the whole root).
struct CSlot {
    enum class Kind { Member, Element, Whole };
    Kind kind = Kind::Whole;
    std::string_view key;
    uint64_t nIndex = 0;

    static CSlot Member(std::string_view key) { return {Kind::Member, key, 0}; }
    static CSlot Element(uint64_t nIndex) { return {Kind::Element, {}, nIndex}; }
};

// The position at which node holds pChild in slot, or kNoPosition.
size_t PositionOf(const value& node, const CSlot& slot, const value* pChild) {
    if (slot.kind == CSlot::Kind::Member) {
        const boost::json::object& obj = node.get_object();
        const auto it = obj.find(slot.key);
        return it != obj.end() && &it->value() == pChild ? static_cast<size_t>(it - obj.begin()) : kNoPosition;
    }
    if (slot.kind == CSlot::Kind::Element) {
        const boost::json::array& arr = node.get_array();
        return slot.nIndex < arr.size() && &arr[slot.nIndex] == pChild ? slot.nIndex : kNoPosition;
    }
    return kNoPosition;
}

value& ChildAt(value& node, size_t nPosition) {
    if (boost::json::object* pObject = node.if_object()) return (pObject->begin() + nPosition)->value();
    return node.get_array()[nPosition];
}

// Sets slot of node to v, which shares node's storage. Room is made first;
// the change itself is a swap, the appending of nulls into that room, or the
// insertion of a new member, whose key the library makes before it touches
// the object (its strong guarantee).
void Place(value& node, const CSlot& slot, value& v) {
    assert(*node.storage() == *v.storage());
    switch (slot.kind) {
        case CSlot::Kind::Whole:
            node.swap(v);
            break;
        case CSlot::Kind::Member: {
            boost::json::object& obj = node.get_object();
            if (value* pMember = obj.if_contains(slot.key))
                pMember->swap(v);
            else
                obj.emplace(slot.key, std::move(v));
            break;
        }
        case CSlot::Kind::Element: {
            boost::json::array& arr = node.get_array();
            if (slot.nIndex >= arr.size()) {
                arr.reserve(slot.nIndex + 1);
                arr.resize(slot.nIndex + 1);
            }
            arr[slot.nIndex].swap(v);
            break;
        }
    }
}

// The value the passes carry upwards. Either the value made for the call
// (m_pTop null), or the stored node m_pTop as it will be once m_made is
// placed in the slot m_slot of the node that m_route leads to from m_pTop.
class CCarried {
public:
    explicit CCarried(value made) : m_made(std::move(made)), m_nMadeDepth(Depth(m_made)) {}

    // The carried value becomes node with slot set to the carried value.
    void SetIn(value& node, const CSlot& slot) {
        if (slot.kind == CSlot::Kind::Element && slot.nIndex >= boost::json::array::max_size())
            throw std::length_error("array too large");  // the library's own error for such a size
        if (m_pTop != nullptr) {
            const size_t nPosition = PositionOf(node, slot, m_pTop);
            if (nPosition != kNoPosition) {
                m_route.push_back(nPosition);
                m_pTop = &node;
                return;
            }
            Detach();
        }
        StartAt(node, slot);
    }

    // The carried value replaces the whole root; it must be a container.
    void ReplaceRoot(value& root) {
        if (m_pTop == &root) return;
        if (m_pTop != nullptr) Detach();
        if (!m_made.is_structured()) throw CUserException(kErrContainerExpected);
        StartAt(root, CSlot());
    }

    // The one change to the stored tree.
    void Commit() {
        assert(m_pTop != nullptr);
        CheckDepth();
        Place(*m_pPlacement, m_slot, m_made);
    }

private:
    void StartAt(value& node, const CSlot& slot) {
        m_pTop = m_pPlacement = &node;
        m_slot = slot;
        m_route.clear();
    }

    // The carried value is part of the final tree, so it must not nest
    // deeper than the limit. It is the stored node m_pTop (within the limit)
    // with m_made placed m_route.size() + 1 levels below its top.
    void CheckDepth() const {
        const size_t nAbove = m_route.size() + (m_slot.kind == CSlot::Kind::Whole ? 0 : 1);
        if (nAbove + m_nMadeDepth > kMaxDepth) throw CUserException(kErrParser, kTooDeep);
    }

    // m_made becomes a copy of the carried value, checked first: the copy
    // and its destruction recurse once per level.
    void Detach() {
        CheckDepth();
        m_made = Detached();
        m_nMadeDepth = Depth(m_made);
    }

    // A copy of the carried value, with the placement made in the copy.
    value Detached() {
        value copy(*m_pTop, m_made.storage());
        value* pNode = &copy;
        for (auto it = m_route.rbegin(); it != m_route.rend(); ++it) pNode = &ChildAt(*pNode, *it);
        Place(*pNode, m_slot, m_made);
        return copy;
    }

    value m_made;
    size_t m_nMadeDepth;
    value* m_pTop = nullptr;
    value* m_pPlacement = nullptr;
    CSlot m_slot;
    std::vector<size_t> m_route;  // positions, the one nearest the placement first
};

// The path of the array an indexed segment names: the parent, the
// delimiter, and the key in brackets, so that keys holding the delimiter or
// brackets are reached as they are.
std::string ArrayPath(std::string_view parent, const std::string& strDelimiter, std::string_view key) {
    std::string strPath(parent);
    if (!parent.empty()) strPath += strDelimiter;
    strPath += '[';
    strPath += key;
    strPath += ']';
    return strPath;
}

}  // namespace

void AddValue(value& root, std::string_view path, const std::string& strDelimiter, value made) {
    CCarried carried(std::move(made));
    std::string_view current = path;
    std::string_view key;
    for (;;) {
        std::string_view parent, last, index;
        SplitKeyPath(current, strDelimiter, parent, last);
        if (SplitKeySegment(last, key, index)) {
            const uint64_t nIndex = ConvertIndex(index.substr(1));
            value& arr = FindKeyPath(root, ArrayPath(parent, strDelimiter, key), strDelimiter);
            if (!arr.is_array()) throw CUserException(kErrArrayExpected, key);
            carried.SetIn(arr, CSlot::Element(nIndex));
        }
        if (parent.empty()) break;
        value& node = FindKeyPath(root, parent, strDelimiter);
        // An array with an empty key is the array the carried value already is.
        if (node.is_object())
            carried.SetIn(node, CSlot::Member(key));
        else if (!node.is_array() || !key.empty())
            throw CUserException(kErrUnexpectedItem, key);
        current = parent;
    }
    if (root.is_object())
        carried.SetIn(root, CSlot::Member(key));
    else if (key.empty())
        carried.ReplaceRoot(root);
    else
        throw CUserException(kErrUnexpectedItem, key);
    carried.Commit();
}
