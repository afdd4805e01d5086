#pragma once
// What a command handler is given besides its arguments.

#include <atomic>

#include "capture/image_encoding.h"
#include "context/helper_state.h"
#include "context/platform.h"

namespace winhelper {

struct CommandContext {
  Platform& platform;
  SharedState& shared;
  // Raised by the front end when the caller withdrew this request (null when
  // it cannot be withdrawn). Commands that wait look at it between their
  // steps and stop early; the answer of a withdrawn request is not sent.
  const std::atomic<bool>* cancel = nullptr;
  // The limits of the front end that asked for the images of its looks;
  // null for the line protocol, whose looks keep the window's size.
  const ImageBudget* image_budget = nullptr;
  // Whose looks the command reads and keeps.
  ClientSession session = kDefaultSession;

  bool cancelled() const { return cancel != nullptr && cancel->load(std::memory_order_acquire); }
};

}  // namespace winhelper
