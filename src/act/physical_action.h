#pragma once
// Turns one physical action into input events and builds the result that
// reports it. Reached only through the physical gate, which has already
// applied the policy; the caller holds the physical input lock.

#include <string_view>

#include "act/act_request.h"
#include "act/physical_target.h"
#include "common/result.h"
#include "input/input_sink.h"
#include "protocol/request.h"

namespace winhelper {

// Points are rounded to whole pixels (halves away from zero) and saturate to
// the 32-bit range; every input other than the target comes from the
// request's params. The target's grounding is reported for press/click,
// scroll and setText; the others always report "coordinates". The result:
// `outcome` "unknown", `performed` {`delivery` "hid", `grounding`}, and for
// setText `evidence` {`value`: the text typed}.
Result<Json> perform_physical_action(const ActRequest& request, const PhysicalTarget& target,
                                     InputSink& sink);

}  // namespace winhelper
