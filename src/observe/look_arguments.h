#pragma once
// The arguments of `look` (alias `screenshot`), read tolerantly: a member of
// the wrong JSON type counts as absent.

#include <cstdint>
#include <optional>
#include <string>

#include "capture/scaling.h"
#include "common/result.h"
#include "observe/look_image_options.h"
#include "protocol/request.h"

namespace winhelper {

// The largest image side a look may ask for.
inline constexpr std::uint32_t kLookMaxDimensionLimit = kMaxImageSide;

struct LookArguments {
  // `rootRef`, or `windowRef` when `rootRef` is absent (present but not a
  // string still hides `windowRef`).
  std::optional<std::string> root_ref;
  std::optional<std::int64_t> window_id;
  bool include_image = true;
  // Absent keeps the window's size; otherwise within 1..16384.
  std::optional<std::uint32_t> max_dimension;
  // "auto", "always" or "never"; echoed, never acted on.
  std::string read_text = "auto";
  std::optional<std::string> scope_ref;
  std::optional<std::string> base_look_id;
  LookImageOptions image;
  // An earlier look to report the changes since.
  std::optional<std::string> since_look_id;
};

Result<LookArguments> parse_look_arguments(const Json& args);

}  // namespace winhelper
