#pragma once
// The self-test's checks of UI Automation, run through the helper's own
// client (the COM adapter on Windows) against the test application.

#include <cstdint>

#include "selftest/probes.h"
#include "uia/element_actions.h"
#include "selftest/self_test.h"

namespace winhelper::selftest {

// How long the test application hangs for the provider timeouts, and the
// most a look at it may take meanwhile: the connection timeout, then the
// transaction timeout for the cached walk and again for the walk element by
// element that follows it, and a second for the rest.
inline constexpr int kProviderHangMs = 30000;
inline constexpr std::int64_t kHungLookBoundMs = 13000;
// How long a press may take before its Invoke counts as unbounded: the
// transaction timeout and three seconds.
inline constexpr std::int64_t kInvokeBoundMs = 8000;

// The cached walk gives the records the element-by-element walk gives.
Answer cached_walk(Probes& probes);
// A subtree search in the control view lists the elements in the pre-order
// of the control-view tree that a cache request builds.
Answer search_order(Probes& probes);
// The control-view walker's parent of each element is its parent in that
// cached tree.
Answer control_parents(Probes& probes);
// A look at a window hung for less than 5 s ends within the provider
// timeouts.
Answer provider_timeouts(Probes& probes);
// A press whose Invoke opens a modal dialog returns, or times out, within
// the transaction timeout.
Answer blocking_invoke(Probes& probes);
// The press's answer (null while it has not returned) after `took_ms`, and
// whether the dialog showed meanwhile.
Answer judge_invoke(const uia::Result<uia::PressResult>* pressed, std::int64_t took_ms,
                    bool dialog_shown);

}  // namespace winhelper::selftest
