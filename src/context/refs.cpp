#include "context/refs.h"

#include <algorithm>

namespace winhelper {

std::string format_look_id(std::uint64_t number) { return "look_" + std::to_string(number); }

std::string format_element_ref(std::string_view look_id, std::string_view raw_ref) {
  std::string ref = "win:";
  ref += look_id;
  ref += ':';
  ref += raw_ref;
  return ref;
}

HelperError stale_ref_error() { return {ErrorCode::StaleRef, "Element reference is stale"}; }

std::string look_unavailable_message(std::string_view look_id) {
  return "Look id '" + std::string(look_id) + "' is no longer available";
}

}  // namespace winhelper
