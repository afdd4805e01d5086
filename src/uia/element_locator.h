#pragma once
// What identifies an element across operations: the root window it was
// extracted from, its runtime id and its automation id (either may be empty).

#include <cstdint>
#include <string>

#include "uia/uia_port.h"

namespace winhelper::uia {

struct ElementLocator {
  std::int64_t window_handle = 0;
  RuntimeId runtime_id;
  std::string automation_id;
};

}  // namespace winhelper::uia
