#pragma once
// State identifiers: one process-wide counter starting at 0, "<prefix>-<n>".

#include <string>
#include <string_view>

namespace winhelper {

// Draws the next identifier ("w" for window listings, "s" for captures).
std::string next_state_id(std::string_view prefix);

}  // namespace winhelper
