#pragma once
// The role word of a UI Automation control type id.

#include <string_view>

namespace winhelper::uia {

// "unknown" for control types outside the table.
std::string_view role_for_control_type(int control_type);

}  // namespace winhelper::uia
