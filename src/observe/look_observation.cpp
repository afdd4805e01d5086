#include "observe/look_observation.h"

#include <algorithm>

#include "capture/window_capture.h"
#include "context/refs.h"
#include "context/uia_errors.h"
#include "observe/look_reach.h"
#include "uia/extraction.h"
#include "windows/window_ref.h"

namespace winhelper {

namespace {

uia::ElementList window_elements(const LookArguments& args, std::optional<std::int64_t> handle,
                                 const LookReach& reach, CommandContext& ctx,
                                 uia::ElementNumbering& numbering) {
  // A scoped look extracts only the scope's subtree, later.
  if (args.scope_ref || ctx.platform.uia == nullptr || !handle) return {};
  if (reach.elements_skipped) {
    uia::warn_extraction_skipped(*reach.elements_skipped);
    return {};
  }
  return uia::extract_window_settled_or_warn(*ctx.platform.uia, *handle, numbering,
                                             ctx.platform.clock);
}

Result<Observation> observe_with_image(const LookArguments& args, const LookRoot& root,
                                       std::optional<std::int64_t> handle, const LookReach& reach,
                                       CommandContext& ctx, uia::ElementNumbering& numbering) {
  std::optional<std::uint64_t> number = parse_window_ref(root.root_ref);
  if (!number) return invalid_request("Invalid root ref '" + root.root_ref + "'");
  if (ctx.platform.screen == nullptr) return port_unavailable(PlatformPort::Screen);

  CaptureRequest request;
  request.window_number = *number;
  request.window_handle = handle;
  const LookImagePlan plan = plan_look_image(args.max_dimension, args.image, ctx.image_budget);
  request.max_dimension = plan.max_dimension;
  request.encoding = plan.encoding;
  request.print_window = reach.print_window;
  Result<CaptureResult> capture = capture_window(*ctx.platform.screen, request);
  if (!capture) return capture.take_error();

  Observation out;
  if (!capture->image_base64) {
    // A zero-sized window gives no picture; the outline then stays in frame
    // units like any look without an image.
    out.image_width = root.frame_width;
    out.image_height = root.frame_height;
    return out;
  }
  out.image_base64 = std::move(capture->image_base64);
  out.image_format = capture->format;
  out.jpeg_quality = capture->jpeg_quality;
  out.shrunk_to_fit = capture->shrunk_to_fit;
  out.image_described = plan.described;
  out.image_width = std::max<double>(capture->width, 1);
  out.image_height = std::max<double>(capture->height, 1);
  out.elements = window_elements(args, handle, reach, ctx, numbering);
  return out;
}

}  // namespace

Result<Observation> observe_window(const LookArguments& args, const LookRoot& root,
                                   std::optional<std::int64_t> handle, bool with_image,
                                   CommandContext& ctx, uia::ElementNumbering& numbering) {
  const LookReach reach = look_reach(ctx.platform.windows, handle, with_image);
  if (with_image) return observe_with_image(args, root, handle, reach, ctx, numbering);
  Observation out;
  out.image_width = root.frame_width;
  out.image_height = root.frame_height;
  out.elements = window_elements(args, handle, reach, ctx, numbering);
  return out;
}

Result<uia::ElementList> extract_scope_elements(const LookScope& scope, const LookRoot& root,
                                                CommandContext& ctx,
                                                uia::ElementNumbering& numbering) {
  if (ctx.platform.uia == nullptr) return port_unavailable(PlatformPort::Uia);
  uia::ElementLocator locator{root.window_id, scope.element.runtime_id,
                              scope.element.automation_id, scope.element.control_type,
                              scope.element.name};
  auto list = uia::extract_scope(*ctx.platform.uia, locator, numbering);
  if (!list) return uia_protocol_error(list.error());
  return std::move(list).value();
}

}  // namespace winhelper
