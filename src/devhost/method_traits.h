#pragma once
// What a script engine knows of each script-callable method: the invocation-flags value it
// calls the method with, and whether the method gives a result (so the call has a result slot).
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace stubframework::devhost {

struct MethodTraits {
  const char* name;
  uint16_t flags;
  bool hasResult;
};

// The 73 methods, in name order.
const std::vector<MethodTraits>& MethodTable();
// The traits of a name; names the table does not know are called with flags 1 and a result slot.
MethodTraits TraitsOf(std::string_view name);

// The answer of /external/methods: [{"name": ..., "flags": n, "result": b}, ...] for the
// published names, in that (identifier) order.
std::string MethodsJson(const std::vector<std::string>& publishedNames);

}  // namespace stubframework::devhost
