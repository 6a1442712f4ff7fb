// How jsValueAdd places a value at a key path: the answer of the pass
// algorithm (each pass sets the value into a copy of the container one level
// higher, and the last pass installs the branch at the root), reached
// without copying the containers on the way.
#pragma once

#include <boost/json/value.hpp>
#include <string>
#include <string_view>

// The deepest nesting of arrays and objects a container may reach. Copying
// and destroying a tree recurse once per level (about 300 bytes a level in
// the DLL), so this keeps every container well inside a 1 MB stack; it is
// 16 times the depth the parser accepts.
constexpr size_t kMaxDepth = 512;
// The detail text of the error that refuses a deeper container.
constexpr std::string_view kTooDeep = "too deep: more than 512 nested arrays and objects";

// Places made at path below root; made must live in root's storage.
//
// Every pass is checked against the unchanged tree first, by reference, and
// raises what the pass algorithm raises, in the same order: 20117, 20116,
// 20122 and 20112 (with the key name as detail), the errors of FindKeyPath,
// and the library's length error for an index at or beyond its array limit.
// A path that would leave the root a scalar raises 20128, a result nested
// deeper than kMaxDepth 20105 with kTooDeep as detail (root must be within
// the limit, as every stored container is). Only then is the
// tree changed, in one step: a swap, or the growth of one container whose
// room is made before anything is touched. On any failure, memory exhaustion
// included, root is unchanged.
//
// Cost: the path's depth squared in key lookups, plus the size of made. A
// container is copied only where the path's text addresses a node other
// than the one its passes carry (an oddity of the path syntax).
void AddValue(boost::json::value& root, std::string_view path, const std::string& strDelimiter,
              boost::json::value made);
