#include "observe/look_arguments.h"

#include <algorithm>

#include "protocol/args.h"

namespace winhelper {

Result<LookArguments> parse_look_arguments(const Json& args) {
  LookArguments out;
  if (auto read_text = arg_string(args, "readText")) out.read_text = *read_text;
  if (out.read_text != "auto" && out.read_text != "always" && out.read_text != "never")
    return invalid_request("readText must be auto, always, or never");

  out.root_ref = arg_member(args, "rootRef") != nullptr ? arg_string(args, "rootRef")
                                                         : arg_string(args, "windowRef");
  out.window_id = arg_i64(args, "windowId");
  if (!out.root_ref && !out.window_id) return invalid_request("look requires rootRef or windowId");

  out.include_image = arg_bool(args, "includeImage").value_or(true);
  if (auto max = arg_u64(args, "maxDimension")) {
    out.max_dimension = static_cast<std::uint32_t>(
        std::clamp<std::uint64_t>(*max, 1, kLookMaxDimensionLimit));
  }
  out.scope_ref = arg_string(args, "scopeRef");
  out.base_look_id = arg_string(args, "baseLookId");
  Result<LookImageOptions> image = parse_look_image_options(args);
  if (!image) return image.take_error();
  out.image = *image;
  out.since_look_id = arg_string(args, "sinceLookId");
  return out;
}

}  // namespace winhelper
