#pragma once
// Fake UI Automation: element trees with patterns, injectable failures,
// scripted reactions to actions and a log of the calls that matter. It also
// counts open sessions and, per session, the objects still alive when it
// closes, so tests can check that everything is released before the scope
// ends. Build the trees and set the knobs before sessions run; sessions may
// then run on several threads.

#include <atomic>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "uia/uia_port.h"

namespace winhelper::fakes {

struct FakeElement {
  std::string debug_name;
  std::optional<uia::RuntimeId> runtime_id;  // nullopt: unreadable
  std::optional<int> control_type = 50000;
  std::optional<std::string> name = std::string();
  std::optional<std::string> automation_id = std::string();
  std::optional<std::string> class_name = std::string();
  std::optional<uia::ScreenRect> rect = uia::ScreenRect{0, 0, 10, 10};
  std::optional<bool> offscreen = false;
  std::optional<bool> enabled = true;
  std::optional<bool> keyboard_focusable = false;
  std::optional<bool> password = false;

  // Patterns offered; each also sets its availability property.
  bool invoke = false;
  bool toggle = false;
  bool selection_item = false;
  bool expand_collapse = false;
  bool legacy = false;
  bool value_pattern = false;
  bool text_pattern = false;
  bool scroll = false;

  std::optional<std::string> value = std::string();  // nullopt: unreadable
  std::optional<std::string> document_text = std::string();  // nullopt: unreadable
  std::optional<bool> read_only = false;
  std::optional<std::string> default_action = std::string();
  std::optional<int> toggle_state = 0;
  std::optional<bool> selected = false;
  // When false, set_value is accepted but leaves the value as it was.
  bool value_write_takes_effect = true;

  // Platform error texts for failing calls, keyed by step ("Invoke",
  // "Toggle", "SetValue", "SetFocus", ...).
  std::map<std::string, std::string> failures;
  // Called after a successful action, keyed like `failures`.
  std::map<std::string, std::function<void(FakeElement&)>> reactions;

  FakeElement* parent = nullptr;
  // Overrides the parent that the control-view walker reports.
  std::optional<FakeElement*> walker_parent;
  std::vector<FakeElement*> children;
};

class FakeUia final : public uia::UiaClient {
 public:
  FakeElement& add_window(std::int64_t handle, std::string name = "window");
  FakeElement& add_child(FakeElement& parent, std::string name = "element");

  uia::OpenResult open() override;

  // Knobs.
  std::optional<uia::OpenFailure> open_failure;
  std::optional<std::string> element_from_handle_failure;
  std::optional<std::string> true_condition_failure;
  std::optional<std::string> find_all_failure;
  std::optional<std::string> length_failure;
  std::optional<int> length_override;
  std::map<int, std::string> get_element_failures;
  std::optional<std::string> walker_failure;
  std::optional<std::string> element_from_point_failure;
  std::map<std::pair<int, int>, FakeElement*> elements_at_points;

  // Observations.
  std::vector<std::string> calls() const;
  void log(std::string call);
  int sessions_opened() const { return opened_; }
  int sessions_open() const { return opened_ - closed_; }
  // Objects of a session still alive when it closed, summed over all
  // sessions (should stay 0).
  int objects_alive_at_close() const { return leaked_at_close_; }
  // The last point asked for, after rounding.
  std::optional<std::pair<int, int>> last_point() const;

  // Internal bookkeeping used by the fake objects.
  void session_closed(int objects_alive);
  void record_point(int x, int y);
  std::map<std::int64_t, FakeElement*>& windows() { return windows_; }

 private:
  std::deque<FakeElement> elements_;
  std::map<std::int64_t, FakeElement*> windows_;
  mutable std::mutex log_mutex_;
  std::vector<std::string> calls_;
  std::optional<std::pair<int, int>> last_point_;
  std::atomic<int> opened_{0};
  std::atomic<int> closed_{0};
  std::atomic<int> leaked_at_close_{0};
};

// Pre-order list of the subtree, the element itself first.
std::vector<FakeElement*> fake_subtree(FakeElement& root);

}  // namespace winhelper::fakes
