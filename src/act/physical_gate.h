#pragma once
// Entry of every physical action, from both the point and the element
// routes. The caller holds the physical input lock and has already done the
// foreground step (and, for elements, the occlusion check).

#include "common/result.h"
#include "input/input_sink.h"
#include "protocol/request.h"

namespace winhelper {

// `args` is the forwarded copy of the action's arguments. Parses it again;
// chooses the grounding ("coordinates" when it holds a `resolvedPoint` key,
// whatever its value, else "description"); applies the physical policy check
// to drag, moveMouse, typeText and keypress always, and to other actions
// only when grounded on coordinates; then performs the action.
Result<Json> physical_gate(const Json& args, InputSink& sink);

}  // namespace winhelper
