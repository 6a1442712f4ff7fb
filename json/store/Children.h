// The children of an array or object by number, in their order: the walks
// that keep a stack of their own (the key path listing; the writer counts
// them) visit a container's children so.
#pragma once

#include <boost/json/value.hpp>
#include <cstddef>

inline size_t ChildCount(const boost::json::value& container) {
    return container.is_object() ? container.get_object().size() : container.get_array().size();
}

// The child at nIndex of container, an array or object; key is set to its
// member name, or emptied for an element.
inline const boost::json::value& NthChild(const boost::json::value& container, size_t nIndex,
                                          boost::json::string_view& key) {
    if (const boost::json::object* pObject = container.if_object()) {
        const boost::json::key_value_pair& member = pObject->begin()[nIndex];
        key = member.key();
        return member.value();
    }
    key = {};
    return container.get_array()[nIndex];
}
