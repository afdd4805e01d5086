#include "observe/look_command.h"

#include <algorithm>
#include <map>
#include <optional>
#include <string>

#include "observe/look_access.h"
#include "observe/look_arguments.h"
#include "observe/look_image_json.h"
#include "observe/look_observation.h"
#include "observe/look_root.h"
#include "observe/look_scope.h"
#include "observe/look_since.h"
#include "observe/outline.h"
#include "observe/shared_element_numbering.h"
#include "observe/window_commands.h"
#include "protocol/args.h"
#include "windows/window_json.h"
#include "windows/window_ref.h"

namespace winhelper {

namespace {

// The root record a look observes, and the window handle that the registry
// held for its ref when the record was found (none when the ref does not
// parse or is no longer numbered).
struct FoundRoot {
  WindowRecord record;
  std::optional<std::int64_t> handle;
};

bool root_matches(const WindowRecord& record, const LookArguments& args) {
  if (args.root_ref && record.ref == *args.root_ref) return true;
  return args.window_id && record.window_id == *args.window_id;
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
    Result<WindowListing> listing = list_and_observe_windows(std::nullopt, ctx);
    if (!listing) return listing.take_error();
  }
  auto state = ctx.shared.state.lock();
  if (!state) return state.take_error();
  for (const auto& [key, record] : (*state)->observed_roots) {
    if (!root_matches(record, args)) continue;
    FoundRoot found{record, std::nullopt};
    if (auto number = parse_window_ref(record.ref))
      found.handle = (*state)->windows.handle_for(*number);
    return found;
  }
  return target_not_found("Root not found");
}

std::int64_t elapsed_ms(Clock& clock, std::int64_t since) {
  return std::max<std::int64_t>(clock.now_ms() - since, 0);
}

// What the look observed, and where: the first step's product.
struct Observed {
  LookRoot root;
  Observation observation;
  std::optional<LookScope> scope;
  std::int64_t capture_ms = 0;
};

// What the look stored, and the outline it returns.
struct Described {
  std::string look_id;
  Json outline;
  std::int64_t describe_ms = 0;
  std::optional<SinceLook> since;
};

Result<Observed> observe(const LookArguments& args, CommandContext& ctx,
                         uia::ElementNumbering& numbering) {
  Clock& clock = ctx.platform.clock;
  Result<FoundRoot> found = find_root(args, ctx);
  if (!found) return found.take_error();
  Observed out{read_look_root(found->record), {}, std::nullopt, 0};
  const bool with_image = look_takes_image(out.root, args.include_image);

  const std::int64_t capture_started = clock.now_ms();
  Result<Observation> observed =
      observe_window(args, out.root, found->handle, with_image, ctx, numbering);
  if (!observed) return observed.take_error();
  out.observation = std::move(observed).value();
  out.capture_ms = elapsed_ms(clock, capture_started);

  if (args.scope_ref) {
    Result<LookScope> scope =
        find_look_scope(ctx.shared, ctx.session, *args.scope_ref, args.base_look_id, out.root.window_id);
    if (!scope) return scope.take_error();
    out.scope = std::move(scope).value();
    Result<uia::ElementList> subtree = extract_scope_elements(*out.scope, out.root, ctx, numbering);
    if (!subtree) return subtree.take_error();
    out.observation.elements = std::move(subtree).value();
  }
  return out;
}

Look look_of(const Observed& observed) {
  const LookRoot& root = observed.root;
  Look look;
  look.pid = root.pid;
  look.window_id = root.window_id;
  // A scoped look maps points like the look it refines; its rectangles are
  // drawn in the same units, so that every rectangle of a look's outline
  // maps back to the screen through that look.
  if (observed.scope) {
    inherit_scope(look, observed.scope->owner);
    look.scope = observed.scope->element.runtime_id;
    return look;
  }
  look.frame_x = root.frame_x;
  look.frame_y = root.frame_y;
  look.frame_width = root.frame_width;
  look.frame_height = root.frame_height;
  look.image_width = observed.observation.image_width;
  look.image_height = observed.observation.image_height;
  look.has_image = observed.observation.image_base64.has_value();
  return look;
}

// Builds the outline and stores the look with an element record for every
// ref the outline hands out.
Result<Described> describe(const LookArguments& args, const Observed& observed,
                           CommandContext& ctx) {
  Clock& clock = ctx.platform.clock;
  // Element refs embed the look id, so it is drawn before the outline; a
  // look that fails from here on leaves a gap in the numbers.
  Result<std::string> look_id = draw_look_id(ctx.shared);
  if (!look_id) return look_id.take_error();
  Look look = look_of(observed);

  const std::int64_t describe_started = clock.now_ms();
  OutlineContext outline_context{*look_id,
                                 look.frame_x,
                                 look.frame_y,
                                 look.image_width / look.frame_width,
                                 look.image_height / look.frame_height,
                                 look.image_width,
                                 look.image_height};
  std::map<std::string, ElementRecord> elements;
  Described out{*look_id, Json(), 0, std::nullopt};
  out.outline = build_outline(observed.observation.elements, outline_context, observed.root.record,
                              observed.root.root_ref, elements, &look.seen);
  if (observed.scope) {
    out.outline = scoped_outline(std::move(out.outline), observed.scope->scope_ref);
    // The scope element is named by the scope ref, as in the outline.
    if (!look.seen.empty() && look.seen.front().depth == 0)
      look.seen.front().ref = observed.scope->scope_ref;
  }
  out.describe_ms = elapsed_ms(clock, describe_started);
  // The new entries win over inherited ones.
  elements.merge(look.elements);
  look.elements = std::move(elements);
  if (args.since_look_id) {
    Result<SinceLook> since = compare_since(ctx.shared, *args.since_look_id, look, ctx.session);
    if (!since) return since.take_error();
    out.since = std::move(since).value();
  }
  Status stored = store_look(ctx.shared, *look_id, std::move(look), ctx.session);
  if (!stored) return stored.take_error();
  return out;
}

Json look_response(const LookArguments& args, Observed& observed, Described& described,
                   Clock& clock, std::int64_t started) {
  Json result = Json::object();
  result["capturedAt"] = std::max(clock.wall_seconds(), 0.0);
  Observation& observation = observed.observation;
  if (observation.image_base64) {
    result["image"] = look_image_json(observation, observed.root.frame_width);
  }
  result["lookId"] = described.look_id;
  result["outline"] = std::move(described.outline);
  Json read_text = Json::object();
  read_text["executed"] = false;
  read_text["requested"] = args.read_text;
  result["readText"] = std::move(read_text);
  result["window"] = describe_look_window(observed.root);
  if (described.since) write_since(result, *described.since);
  Json timings = Json::object();
  timings["captureMs"] = observed.capture_ms;
  timings["describeMs"] = described.describe_ms;
  timings["readTextMs"] = 0;
  timings["totalMs"] = elapsed_ms(clock, started);
  result["timings"] = std::move(timings);
  return result;
}

}  // namespace

Result<Json> look_command(const Json& raw_args, CommandContext& ctx) {
  const std::int64_t started = ctx.platform.clock.now_ms();
  Result<LookArguments> args = parse_look_arguments(raw_args);
  if (!args) return args.take_error();
  SharedElementNumbering numbering(ctx.shared);
  Result<Observed> observed = observe(*args, ctx, numbering);
  if (!observed) return observed.take_error();
  Result<Described> described = describe(*args, *observed, ctx);
  if (!described) return described.take_error();
  return look_response(*args, *observed, *described, ctx.platform.clock, started);
}

}  // namespace winhelper
