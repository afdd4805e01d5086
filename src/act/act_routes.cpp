#include "act/act_routes.h"

#include <algorithm>
#include <array>
#include <string>

#include "act/input_admission.h"
#include "act/look_mapping.h"
#include "act/physical_gate.h"
#include "act/physical_action.h"
#include "act/policy.h"
#include "common/lowercase.h"
#include "context/refs.h"
#include "context/uia_errors.h"
#include "protocol/args.h"
#include "uia/element_access.h"
#include "uia/element_actions.h"

namespace winhelper {

namespace {

// Hit tests of the occlusion check, 20 ms apart after a miss.
constexpr int kOcclusionTries = 3;
constexpr std::int64_t kOcclusionRetryMs = 20;

Json semantic_result(std::string_view outcome) {
  return Json{{"outcome", outcome},
              {"performed", Json{{"delivery", "ax"}, {"grounding", kGroundingDescription}}}};
}

Json semantic_result(std::string_view outcome, std::string_view evidence_key, Json evidence) {
  Json result = semantic_result(outcome);
  result["evidence"] = Json{{evidence_key, std::move(evidence)}};
  return result;
}

// A pattern call that had not returned within its grace period: delivered,
// outcome unknown. Never an error, so that the caller does not act again.
Json pending_result(std::string_view action) {
  return semantic_result("unknown", "pending",
                         std::string("The ") + std::string(action) +
                             " has not returned yet: a modal dialog it opened may be waiting");
}

uia::ElementLocator locator_of(const ElementRecord& record) {
  return uia::ElementLocator{record.window_id, record.runtime_id, record.automation_id,
                             record.control_type, record.name};
}

Result<InputSink*> input_port(CommandContext& ctx) {
  if (!ctx.platform.input) return port_unavailable(PlatformPort::Input);
  return ctx.platform.input;
}

Result<WindowSystem*> window_port(CommandContext& ctx) {
  if (!ctx.platform.windows) return port_unavailable(PlatformPort::Windows);
  return ctx.platform.windows;
}

Result<uia::UiaClient*> uia_port(CommandContext& ctx) {
  if (!ctx.platform.uia) return port_unavailable(PlatformPort::Uia);
  return ctx.platform.uia;
}

bool preserve_focus(const ActRequest& request) {
  const Json* value = arg_member(request.params, "preserveFocus");
  return value && value->is_boolean() && value->get<bool>();
}

enum class Occlusion { Clear, Covered, Unverified };

// Up to three hit tests at the point; a hit test that fails with an error
// ends the check without a verdict, so the action still runs.
Occlusion check_occlusion(uia::UiaClient* client, Clock& clock, const uia::ElementLocator& locator,
                          double x, double y) {
  if (!client) return Occlusion::Unverified;
  for (int attempt = 1; attempt <= kOcclusionTries; ++attempt) {
    auto hit = uia::hit_test(*client, locator, x, y);
    if (!hit) return Occlusion::Unverified;
    if (hit.value()) return Occlusion::Clear;
    if (attempt < kOcclusionTries) clock.sleep_ms(kOcclusionRetryMs);
  }
  return Occlusion::Covered;
}

// Foreground, fresh bounds, occlusion check, then the physical gate at the
// element's centre. Runs inside the caller's hold of the physical input lock.
Result<Json> physical_from_element(const ActRequest& request, const ElementRecord& record,
                                   CommandContext& ctx) {
  auto windows = window_port(ctx);
  if (!windows) return windows.take_error();
  auto sink = input_port(ctx);
  if (!sink) return sink.take_error();
  Clock& clock = ctx.platform.clock;
  if (auto s = prepare_input_target(**windows, clock, record.window_id, true); !s) {
    return s.take_error();
  }

  uia::ElementLocator locator = locator_of(record);
  double left = record.x, top = record.y, width = record.width, height = record.height;
  if (ctx.platform.uia) {
    if (auto bounds = uia::element_bounds(*ctx.platform.uia, locator)) {
      locator.runtime_id = bounds->runtime_id;
      left = bounds->x;
      top = bounds->y;
      width = bounds->width;
      height = bounds->height;
    }
  }
  const double x = left + width * 0.5;
  const double y = top + height * 0.5;

  Occlusion occlusion = check_occlusion(ctx.platform.uia, clock, locator, x, y);
  if (occlusion == Occlusion::Covered) {
    return HelperError{ErrorCode::OccludedTarget, "Target is occluded"};
  }

  PhysicalTarget target{ScreenPosition{x, y}, std::nullopt, Grounding::Coordinates};
  auto result = physical_gate(request, target, **sink);
  if (!result) return result;
  if (occlusion == Occlusion::Unverified) {
    Json& out = *result;
    out["outcome"] = "unknown";
    if (!out.contains("evidence") || !out["evidence"].is_object()) out["evidence"] = Json::object();
    out["evidence"]["preflight"] = "unknown";
  }
  return result;
}

// The policy check comes first, so a refusal leaves the foreground alone and
// never waits for the lock.
Result<Json> physical_route(const ActRequest& request, const ElementRecord& record,
                            CommandContext& ctx) {
  if (auto s = require_physical_policy(request.policy); !s) return s.take_error();
  auto hold = ctx.shared.input.acquire();
  if (!hold) return hold.take_error();
  return physical_from_element(request, record, ctx);
}

Result<Json> press_semantically(const ActRequest& request, const ElementRecord& record,
                                CommandContext& ctx, uia::UiaClient& client) {
  using Kind = uia::PressResult::Kind;
  auto pressed = uia::press_element_within(client, locator_of(record));
  if (!pressed) return uia_protocol_error(pressed.error());
  switch (pressed->kind) {
    case Kind::Pending:
      return pending_result("press");
    case Kind::Invoked:
    case Kind::Expanded:
    case Kind::DefaultAction:
      return semantic_result("worked");
    case Kind::Toggled:
      return semantic_result("worked", "toggleState", pressed->state);
    case Kind::Selected:
      return semantic_result(pressed->state ? "worked" : "didnt", "selected", pressed->state);
    case Kind::NoSupportedPattern:
      break;
  }
  return physical_route(request, record, ctx);
}

Result<Json> scroll_semantically(const ActRequest& request, const ElementRecord& record,
                                 CommandContext& ctx, uia::UiaClient& client) {
  double scroll_x = arg_f64(request.params, "scrollX").value_or(0.0);
  double scroll_y = arg_f64(request.params, "scrollY").value_or(0.0);
  auto scrolled = uia::scroll_element(client, locator_of(record), scroll_x, scroll_y);
  if (!scrolled) return uia_protocol_error(scrolled.error());
  if (*scrolled == uia::ScrollResult::Scrolled) return semantic_result("unknown");
  return physical_route(request, record, ctx);
}

Result<Json> set_text_semantically(const ActRequest& request, const ElementRecord& record,
                                   CommandContext& ctx, uia::UiaClient& client) {
  std::string text = arg_string(request.params, "text").value_or(std::string());
  auto attempt = uia::set_element_value_within(client, locator_of(record), text);
  if (!attempt) return uia_protocol_error(attempt.error());
  if (!attempt->has_value()) return pending_result("value write");
  const std::optional<uia::ValueWrite>& written = **attempt;
  if (written.has_value() && !written->read_back) {
    // A password field's value is never read, so nothing tells whether the
    // write took effect: the outcome is unknown, not a failure.
    return semantic_result("unknown", "unverified",
                           "A password field's value cannot be read back: whether the write "
                           "took effect is unknown");
  }
  if (written.has_value()) {
    const std::string& read_back = *written->read_back;
    if (read_back == text) return semantic_result("worked", "value", read_back);
    if (request.policy == ActPolicy::Foreground)
      return semantic_result("didnt", "value", read_back);
    return HelperError{ErrorCode::ForegroundRequired,
                       "The background UIA value write was accepted but did not take effect"};
  }
  if (auto s = require_physical_policy(request.policy); !s) return s.take_error();
  // Typing needs the keyboard focus on the element; if focusing fails, the
  // click of the physical route still puts it there.
  (void)uia::focus_element(client, locator_of(record));
  return physical_route(request, record, ctx);
}

// Press, scroll and setText try a pattern first, except that presses and
// text writes into browser-like elements go as real input unless the policy
// is ax_only. Every other action is physical input.
bool takes_pattern_first(const ActRequest& request, const ElementRecord& record) {
  switch (request.action) {
    case ActAction::Scroll:
      return true;
    case ActAction::Press:
    case ActAction::Click:
    case ActAction::SetText:
      return request.policy == ActPolicy::AxOnly || !is_browser_like(record.class_descriptor);
    default:
      return false;
  }
}

}  // namespace

bool is_browser_like(std::string_view class_descriptor) {
  const std::string lowered = to_lower_ascii(class_descriptor);
  static constexpr std::array<std::string_view, 4> kWords{"chrome", "chromium", "webview",
                                                          "electron"};
  return std::any_of(kWords.begin(), kWords.end(), [&](std::string_view word) {
    return lowered.find(word) != std::string::npos;
  });
}

Result<Json> act_on_point(const ActRequest& request, const Look& look, CommandContext& ctx) {
  if (!look.has_image) {
    return HelperError{ErrorCode::CoordinateUnavailableForRoot,
                       "Coordinate targeting is unavailable for this outline-only root"};
  }
  const PointTarget& point = *request.point_target();
  PhysicalTarget target{resolve_look_point(look, point.x, point.y), std::nullopt,
                        Grounding::Coordinates};
  if (request.action == ActAction::Drag) {
    if (const Json* path = arg_array(request.params, "path")) {
      target.path = resolve_look_path(look, *path);
    }
  }

  auto sink = input_port(ctx);
  if (!sink) return sink.take_error();
  auto windows = window_port(ctx);
  if (!windows) return windows.take_error();
  auto hold = ctx.shared.input.acquire();
  if (!hold) return hold.take_error();
  // With preserveFocus the input still goes to the look's window, so only the
  // foreground step is left out.
  if (auto s = prepare_input_target(**windows, ctx.platform.clock, look.window_id,
                                    !preserve_focus(request));
      !s) {
    return s.take_error();
  }
  return physical_gate(request, target, **sink);
}

Result<Json> act_on_ref(const ActRequest& request, const Look& look, CommandContext& ctx) {
  auto found = look.elements.find(request.ref_target()->ref);
  if (found == look.elements.end()) return stale_ref_error();
  const ElementRecord& record = found->second;
  if (!takes_pattern_first(request, record)) return physical_route(request, record, ctx);

  auto client = uia_port(ctx);
  if (!client) return client.take_error();
  if (request.is_press()) return press_semantically(request, record, ctx, **client);
  if (request.action == ActAction::Scroll) {
    return scroll_semantically(request, record, ctx, **client);
  }
  return set_text_semantically(request, record, ctx, **client);
}

}  // namespace winhelper
