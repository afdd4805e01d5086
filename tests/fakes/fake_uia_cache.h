#pragma once
// The fake's property values, conditions and cache snapshots (internal to
// the fake UI Automation).

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "fakes/fake_uia.h"

namespace winhelper::fakes {

using FakeValue = std::variant<bool, int, std::string, uia::RuntimeId, ScreenRect>;

// A property as UI Automation reports it, or nullopt when the read fails.
// Properties of patterns the element lacks answer their defaults.
std::optional<FakeValue> fake_property(FakeUia& uia, const FakeElement& element, int property_id);

using FakeMatch = std::function<bool(FakeUia&, const FakeElement&)>;

// What a cache request brought back for one element.
struct Snapshot {
  std::map<int, std::optional<FakeValue>> properties;  // requested ones only
  bool children_cached = false;
  std::vector<std::pair<FakeElement*, std::shared_ptr<const Snapshot>>> children;
  bool full_mode = true;
};

struct FakeRequestSpec {
  std::vector<int> properties;
  int scope = 1;
  FakeMatch filter;
  bool full_mode = true;
};

// The snapshot of `element` and, as far as the scope reaches, of the elements
// below it in the filter's view. `below` is true for the elements under the
// one the request ran on.
std::shared_ptr<const Snapshot> take_snapshot(FakeUia& uia, FakeElement& element,
                                              const FakeRequestSpec& spec, bool below = false);

}  // namespace winhelper::fakes
