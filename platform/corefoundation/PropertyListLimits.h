#pragma once

// The limits both property-list readers hold their untrusted input to, and
// the words their errors give for them.

#include <cstdint>
#include <string>

namespace platform::detail {

// Containers nested deeper than this are refused, on reading and on
// writing: both recurse once per level.
constexpr int kMaxPropertyListDepth = 512;

// Objects a tree may hold, keys included; in a binary list every reference
// counts, since the tree expands to one object per reference.
constexpr uint64_t kMaxPropertyListObjects = uint64_t{1} << 20;

inline std::string depthLimitProblem()
{
    return "nesting deeper than " + std::to_string(kMaxPropertyListDepth) + " levels";
}

inline std::string objectLimitProblem()
{
    return "more than " + std::to_string(kMaxPropertyListObjects) + " objects";
}

} // namespace platform::detail
