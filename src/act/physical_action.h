#pragma once
// Turns one physical action into input events and builds the result that
// reports it. Reached only through the physical gate, which has already
// applied the policy; the caller holds the physical input lock.

#include <string_view>

#include "act/act_request.h"
#include "common/result.h"
#include "input/input_sink.h"
#include "protocol/request.h"

namespace winhelper {

inline constexpr std::string_view kGroundingCoordinates = "coordinates";
inline constexpr std::string_view kGroundingDescription = "description";

// `args` is the forwarded copy of the action's arguments: `resolvedPoint`
// and `resolvedPath` (screen pixels) are read from its top level; every
// other input comes from the request's params. `grounding` is reported for
// press/click, scroll and setText; the others always report "coordinates".
// The result: `outcome` "unknown", `performed` {`delivery` "hid",
// `grounding`}, and for setText `evidence` {`value`: the text typed}.
Result<Json> perform_physical_action(const ActRequest& request, const Json& args,
                                     std::string_view grounding, InputSink& sink);

}  // namespace winhelper
