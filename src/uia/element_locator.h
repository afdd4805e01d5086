#pragma once
// What identifies an element across operations: the root window it was
// extracted from, its runtime id and its automation id (either may be empty),
// and what it was seen as: its control type and name (0 and empty: not
// checked). Runtime ids can be reused and automation ids repeat, so an element
// found by either is the located one only if it is still of that type and
// name.

#include <cstdint>
#include <string>

#include "uia/uia_port.h"

namespace winhelper::uia {

struct ElementLocator {
  std::int64_t window_handle = 0;
  RuntimeId runtime_id;
  std::string automation_id;
  int control_type = 0;
  std::string name;
};

}  // namespace winhelper::uia
