#pragma once
// Port for system window events (creation, destruction, showing, hiding,
// foreground switches of every process on the desktop).

#include <cstdint>
#include <functional>

#include "windows/window_system.h"

namespace winhelper {

inline constexpr std::uint32_t kEventSystemForeground = 0x0003;
inline constexpr std::uint32_t kEventObjectCreate = 0x8000;
inline constexpr std::uint32_t kEventObjectDestroy = 0x8001;
inline constexpr std::uint32_t kEventObjectShow = 0x8002;
inline constexpr std::uint32_t kEventObjectHide = 0x8003;

struct RawWindowEvent {
  std::uint32_t event = 0;
  WindowHandle window = 0;
  std::int32_t object_id = 0;
  std::int32_t child_id = 0;
};

class WindowEventSource {
 public:
  virtual ~WindowEventSource() = default;
  // Runs on the watcher thread until stopped: subscribes to the foreground
  // event and the create..hide object events, then hands each event to
  // `deliver` on this same thread. Returns at once when no subscription
  // could be made, or when stop() came first.
  virtual void run(const std::function<void(const RawWindowEvent&)>& deliver) = 0;
  // Makes run() return soon, whether it has started yet or not; callable from
  // any thread. A stopped source stays stopped.
  virtual void stop() = 0;
};

}  // namespace winhelper
