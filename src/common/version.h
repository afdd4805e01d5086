#pragma once
// The version of this build: the project's, plus the git description after
// a "+" unless it is a release (cmake/version.cmake).

#include <string_view>

namespace winhelper {

std::string_view version();

}  // namespace winhelper
