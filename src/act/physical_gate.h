#pragma once
// Entry of every physical action, from both the point and the element
// routes. The caller holds the physical input lock and has already done the
// foreground step (and, for elements, the occlusion check).

#include "act/act_request.h"
#include "act/physical_target.h"
#include "common/result.h"
#include "input/input_sink.h"
#include "protocol/request.h"

namespace winhelper {

// Applies the physical policy check to drag, moveMouse, typeText and
// keypress always, and to other actions only when grounded on coordinates;
// then performs the action.
Result<Json> physical_gate(const ActRequest& request, const PhysicalTarget& target,
                           InputSink& sink);

}  // namespace winhelper
