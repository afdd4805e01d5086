#include "act/physical_action.h"

#include <optional>
#include <vector>

#include "input/input_actions.h"
#include "input/key_names.h"
#include "input/screen_coordinates.h"
#include "protocol/args.h"

namespace winhelper {

namespace {

Json physical_result(std::string_view grounding) {
  return Json{{"outcome", "unknown"},
              {"performed", Json{{"delivery", "hid"}, {"grounding", grounding}}}};
}

Result<Json> finish(const Status& status, std::string_view grounding) {
  if (!status) return status.error();
  return physical_result(grounding);
}

std::string text_param(const ActRequest& request) {
  return arg_string(request.params, "text").value_or(std::string());
}

double number_param(const ActRequest& request, std::string_view key) {
  return arg_f64(request.params, key).value_or(0.0);
}

ScreenPoint rounded(const ScreenPosition& position) {
  return ScreenPoint{saturate_to_i32(position.x), saturate_to_i32(position.y)};
}

std::vector<ScreenPoint> rounded(const std::vector<ScreenPosition>& path) {
  std::vector<ScreenPoint> points;
  points.reserve(path.size());
  for (const ScreenPosition& position : path) points.push_back(rounded(position));
  return points;
}

// Every name is mapped before any key goes down, so an unknown name presses
// nothing.
Result<std::vector<std::uint16_t>> key_codes(const ActRequest& request) {
  const Json* keys = arg_array(request.params, "keys");
  if (!keys) return invalid_request("keypress requires keys");
  std::vector<std::uint16_t> codes;
  for (const Json& entry : *keys) {
    if (!entry.is_string()) continue;
    const auto& name = entry.get_ref<const std::string&>();
    auto code = key_name_to_virtual_key(name);
    if (!code) return invalid_request("Unsupported key '" + name + "'");
    codes.push_back(*code);
  }
  if (codes.empty()) return invalid_request("keypress requires at least one key");
  return codes;
}

Result<Json> set_text(const ActRequest& request, std::optional<ScreenPoint> point,
                      std::string_view grounding, InputSink& sink) {
  if (point) {
    if (auto s = click_at(sink, *point, "left"); !s) return s.error();
  }
  if (auto s = press_chord(sink, 0x41); !s) return s.error();
  std::string text = text_param(request);
  if (auto s = type_unicode_text(sink, text); !s) return s.error();
  Json result = physical_result(grounding);
  result["evidence"] = Json{{"value", std::move(text)}};
  return result;
}

}  // namespace

Result<Json> perform_physical_action(const ActRequest& request, const PhysicalTarget& target,
                                     InputSink& sink) {
  std::optional<ScreenPoint> point;
  if (target.point) point = rounded(*target.point);
  const std::string_view grounding = grounding_name(target.grounding);

  switch (request.action) {
    case ActAction::Drag:
      if (!target.path) return invalid_request("drag requires resolvedPath");
      return finish(drag_along(sink, rounded(*target.path)), kGroundingCoordinates);
    case ActAction::Press:
    case ActAction::Click: {
      if (!point) return invalid_request("click requires resolvedPoint");
      std::string button = arg_string(request.params, "button").value_or("left");
      return finish(click_at(sink, *point, button), grounding);
    }
    case ActAction::Scroll:
      if (!point) return invalid_request("scroll requires resolvedPoint");
      return finish(scroll_at(sink, *point, number_param(request, "scrollX"),
                              number_param(request, "scrollY")),
                    grounding);
    case ActAction::SetText:
      return set_text(request, point, grounding, sink);
    case ActAction::TypeText:
      return finish(type_unicode_text(sink, text_param(request)), kGroundingCoordinates);
    case ActAction::Keypress: {
      auto codes = key_codes(request);
      if (!codes) return codes.error();
      return finish(press_keys(sink, *codes), kGroundingCoordinates);
    }
    case ActAction::MoveMouse:
      if (!point) return invalid_request("moveMouse requires resolvedPoint");
      return finish(move_cursor_to(sink, *point), kGroundingCoordinates);
    case ActAction::Unsupported:
      break;
  }
  return HelperError{ErrorCode::UnsupportedCommand,
                     "Unsupported Windows action '" + request.action_name + "'"};
}

}  // namespace winhelper
