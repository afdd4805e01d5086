#include "observe/look_command.h"

#include <algorithm>
#include <map>
#include <optional>
#include <string>

#include "capture/window_capture.h"
#include "observe/look_access.h"
#include "observe/look_arguments.h"
#include "observe/look_root.h"
#include "observe/look_reach.h"
#include "observe/look_scope.h"
#include "observe/outline.h"
#include "context/refs.h"
#include "context/uia_errors.h"
#include "observe/shared_element_numbering.h"
#include "protocol/args.h"
#include "uia/extraction.h"
#include "observe/window_commands.h"
#include "windows/window_ref.h"

namespace winhelper {

namespace {

// The root record a look observes, and the window handle that the registry
// held for its ref when the record was found (none when the ref does not
// parse or is no longer numbered).
struct FoundRoot {
  Json record;
  std::optional<std::int64_t> handle;
};

bool root_matches(const Json& record, const LookArguments& args) {
  if (args.root_ref) {
    if (arg_string(record, "rootRef") == args.root_ref) return true;
    if (arg_string(record, "windowRef") == args.root_ref) return true;
  }
  return args.window_id && arg_i64(record, "windowId") == args.window_id;
}

// The observed roots are only refreshed by a listing; a process that has
// never listed lists once here.
Result<FoundRoot> find_root(const LookArguments& args, CommandContext& ctx) {
  bool listed = false;
  {
    auto state = ctx.shared.state.lock();
    if (!state) return state.take_error();
    listed = !(*state)->observed_roots.empty();
  }
  if (!listed) {
    Result<Json> listing = list_windows_command(Json::object(), ctx);
    if (!listing) return listing.take_error();
  }
  auto state = ctx.shared.state.lock();
  if (!state) return state.take_error();
  for (const auto& [key, record] : (*state)->observed_roots) {
    if (!root_matches(record, args)) continue;
    FoundRoot found{record, std::nullopt};
    if (auto ref = arg_string(record, "rootRef")) {
      if (auto number = parse_window_ref(*ref)) found.handle = (*state)->windows.handle_for(*number);
    }
    return found;
  }
  return target_not_found("Root not found");
}

// What the capture or the direct extraction yielded.
struct Observation {
  std::optional<std::string> image_base64;
  double image_width = 1;
  double image_height = 1;
  Json elements = Json::array();
};

Result<Observation> observe_with_image(const LookArguments& args, const LookRoot& root,
                                       const FoundRoot& found, const LookReach& reach,
                                       CommandContext& ctx, uia::ElementNumbering& numbering) {
  std::optional<std::uint64_t> number = parse_window_ref(root.root_ref);
  if (!number) return invalid_request("Invalid root ref '" + root.root_ref + "'");
  if (ctx.platform.screen == nullptr) return port_unavailable(PlatformPort::Screen);

  CaptureRequest request;
  request.window_number = *number;
  request.window_handle = found.handle;
  request.max_dimension = args.max_dimension;
  request.print_window = reach.print_window;
  // A scoped look extracts only the scope's subtree, later.
  if (!args.scope_ref && ctx.platform.uia != nullptr && found.handle) {
    uia::UiaClient& client = *ctx.platform.uia;
    const std::int64_t handle = *found.handle;
    request.extract_elements = [&client, handle, &numbering, &reach] {
      if (reach.elements_skipped) {
        uia::warn_extraction_skipped(*reach.elements_skipped);
        return Json::array();
      }
      return Json(uia::extract_window_or_warn(client, handle, numbering));
    };
  }
  Result<CaptureResult> capture = capture_window(*ctx.platform.screen, request);
  if (!capture) return capture.take_error();

  Observation out;
  if (capture->image_base64) {
    out.image_base64 = std::move(capture->image_base64);
    out.image_width = std::max<double>(capture->width, 1);
    out.image_height = std::max<double>(capture->height, 1);
  } else {
    // A zero-sized window gives no picture; the outline then stays in frame
    // units like any look without an image.
    out.image_width = root.frame_width;
    out.image_height = root.frame_height;
  }
  if (capture->ax_targets && capture->ax_targets->is_array())
    out.elements = std::move(*capture->ax_targets);
  return out;
}

// Without an image a root ref that does not resolve is no error: the look
// then holds only the root node.
Observation observe_without_image(const LookArguments& args, const LookRoot& root,
                                  const FoundRoot& found, const LookReach& reach,
                                  CommandContext& ctx, uia::ElementNumbering& numbering) {
  Observation out;
  out.image_width = root.frame_width;
  out.image_height = root.frame_height;
  if (args.scope_ref || ctx.platform.uia == nullptr || !found.handle) return out;
  if (reach.elements_skipped) {
    uia::warn_extraction_skipped(*reach.elements_skipped);
  } else {
    out.elements = Json(uia::extract_window_or_warn(*ctx.platform.uia, *found.handle, numbering));
  }
  return out;
}

Result<Json> extract_scope_elements(const LookScope& scope, const LookRoot& root,
                                    CommandContext& ctx, uia::ElementNumbering& numbering) {
  if (ctx.platform.uia == nullptr) return port_unavailable(PlatformPort::Uia);
  uia::ElementLocator locator{root.window_id, scope.element.runtime_id,
                              scope.element.automation_id};
  auto list = uia::extract_scope(*ctx.platform.uia, locator, numbering);
  if (!list) return uia_protocol_error(list.error());
  return Json(std::move(list).value());
}

std::int64_t elapsed_ms(Clock& clock, std::int64_t since) {
  return std::max<std::int64_t>(clock.now_ms() - since, 0);
}

}  // namespace

Result<Json> look_command(const Json& raw_args, CommandContext& ctx) {
  Clock& clock = ctx.platform.clock;
  const std::int64_t started = clock.now_ms();

  Result<LookArguments> parsed = parse_look_arguments(raw_args);
  if (!parsed) return parsed.take_error();
  const LookArguments& args = *parsed;

  Result<FoundRoot> found = find_root(args, ctx);
  if (!found) return found.take_error();
  const LookRoot root = read_look_root(found->record);
  const bool with_image = look_takes_image(root, args.include_image);

  SharedElementNumbering numbering(ctx.shared);
  const std::int64_t capture_started = clock.now_ms();
  const LookReach reach = look_reach(ctx.platform.windows, found->handle, with_image);
  Observation observed;
  if (with_image) {
    Result<Observation> captured = observe_with_image(args, root, *found, reach, ctx, numbering);
    if (!captured) return captured.take_error();
    observed = std::move(captured).value();
  } else {
    observed = observe_without_image(args, root, *found, reach, ctx, numbering);
  }
  const std::int64_t capture_ms = elapsed_ms(clock, capture_started);

  std::optional<LookScope> scope;
  if (args.scope_ref) {
    Result<LookScope> found_scope =
        find_look_scope(ctx.shared, *args.scope_ref, args.base_look_id, root.window_id);
    if (!found_scope) return found_scope.take_error();
    scope = std::move(found_scope).value();
    Result<Json> subtree = extract_scope_elements(*scope, root, ctx, numbering);
    if (!subtree) return subtree.take_error();
    observed.elements = std::move(subtree).value();
  }

  // Element refs embed the look id, so it is drawn before the outline; a
  // look that fails from here on leaves a gap in the numbers.
  Result<std::string> look_id = draw_look_id(ctx.shared);
  if (!look_id) return look_id.take_error();

  Look look;
  look.pid = root.pid;
  look.window_id = root.window_id;
  look.frame_x = root.frame_x;
  look.frame_y = root.frame_y;
  look.frame_width = root.frame_width;
  look.frame_height = root.frame_height;
  look.image_width = observed.image_width;
  look.image_height = observed.image_height;
  look.has_image = observed.image_base64.has_value();
  // A scoped look maps points like the look it refines; its rectangles are
  // drawn in the same units, so that every rectangle of a look's outline
  // maps back to the screen through that look.
  if (scope) inherit_scope(look, scope->owner);

  const std::int64_t describe_started = clock.now_ms();
  OutlineContext outline_context{*look_id,
                                 look.frame_x,
                                 look.frame_y,
                                 look.image_width / look.frame_width,
                                 look.image_height / look.frame_height,
                                 look.image_width,
                                 look.image_height};
  std::map<std::string, ElementRecord> elements;
  Json outline =
      build_outline(observed.elements, outline_context, root.record, root.root_ref, elements);
  if (scope) outline = scoped_outline(std::move(outline), scope->scope_ref);
  const std::int64_t describe_ms = elapsed_ms(clock, describe_started);
  // The new entries win over inherited ones.
  elements.merge(look.elements);
  look.elements = std::move(elements);
  Status stored = store_look(ctx.shared, *look_id, std::move(look));
  if (!stored) return stored.take_error();

  Json result = Json::object();
  result["capturedAt"] = std::max(clock.wall_seconds(), 0.0);
  if (observed.image_base64) {
    Json image = Json::object();
    image["height"] = static_cast<std::int64_t>(observed.image_height);
    image["jpegBase64"] = std::move(*observed.image_base64);
    image["mimeType"] = "image/png";
    image["width"] = static_cast<std::int64_t>(observed.image_width);
    result["image"] = std::move(image);
  }
  result["lookId"] = *look_id;
  result["outline"] = std::move(outline);
  Json read_text = Json::object();
  read_text["executed"] = false;
  read_text["requested"] = args.read_text;
  result["readText"] = std::move(read_text);
  result["window"] = describe_look_window(root);
  Json timings = Json::object();
  timings["captureMs"] = capture_ms;
  timings["describeMs"] = describe_ms;
  timings["readTextMs"] = 0;
  timings["totalMs"] = elapsed_ms(clock, started);
  result["timings"] = std::move(timings);
  return result;
}

}  // namespace winhelper
