#pragma once
// The two routes of one action once its look is copied out: a point of the
// look's image (always physical input) and an element of the look (a UI
// Automation pattern first where one fits, physical input otherwise). Both
// return the action's result object without root deltas.

#include <string_view>

#include "act/act_request.h"
#include "common/result.h"
#include "context/look.h"
#include "protocol/request.h"
#include "context/command_context.h"

namespace winhelper {

// Both hand the physical gate the screen point they resolved (the point
// route also the drag path), grounded on coordinates.
Result<Json> act_on_point(const ActRequest& request, const Look& look, CommandContext& ctx);
Result<Json> act_on_ref(const ActRequest& request, const Look& look, CommandContext& ctx);

// Elements of browser-like windows (Chrome, Chromium, WebView, Electron)
// often accept pattern calls without effect, so presses and text writes go
// to them as real input when the policy allows it.
bool is_browser_like(std::string_view class_descriptor);

}  // namespace winhelper
