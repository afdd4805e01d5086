#pragma once
// Fake UI Automation: element trees with patterns, injectable failures,
// scripted reactions to actions and a log of the calls that matter. It also
// counts open sessions and, per session, the objects still alive when it
// closes, so tests can check that everything is released before the scope
// ends. Build the trees and set the knobs before sessions run; sessions may
// then run on several threads.
//
// Caching follows UI Automation's documented model: a cache request names
// properties, a tree scope, a tree filter and an element mode; the values
// are a snapshot taken when the request runs; a cached read of a property
// the request did not name fails; cached children exist only where the
// scope reached, in the view the filter defines (non-matching elements are
// skipped and their matching descendants move up); elements of mode None
// answer cached reads only. The control view is the elements whose
// IsControlElement is true, and the control-view walker's parent is the
// nearest such ancestor.
//
// Round trips are counted as they would cross into the target process on
// Windows: live reads, searches, navigation, ElementFromHandle/Point, the
// cache-building calls and pattern calls. Cached reads, array access and
// building conditions and cache requests are local calls.

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
  std::optional<ScreenRect> rect = ScreenRect{0, 0, 10, 10};
  std::optional<bool> offscreen = false;
  std::optional<bool> enabled = true;
  std::optional<bool> keyboard_focusable = false;
  std::optional<bool> password = false;
  std::optional<bool> control_element = true;

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
  // The max_length of every GetText of the document, in order.
  std::vector<int> document_reads;
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
  // Fails the property condition on IsControlElement: the control view.
  std::optional<std::string> control_view_condition_failure;
  std::optional<std::string> find_all_failure;
  std::optional<std::string> length_failure;
  std::optional<int> length_override;
  std::map<int, std::string> get_element_failures;
  std::optional<std::string> walker_failure;
  std::optional<std::string> element_from_point_failure;
  std::map<std::pair<int, int>, FakeElement*> elements_at_points;
  // What sessions report of the provider timeouts (by default: applied).
  uia::ProviderBounds bounds{true, {}};
  // Every cache-building call fails, as with a provider that cannot cache.
  std::optional<std::string> cache_failure;

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
  long round_trips() const { return round_trips_; }
  long local_calls() const { return local_calls_; }
  // Values of password fields read, live or into a cache (should stay 0).
  long password_value_reads() const { return password_value_reads_; }
  // Properties the provider worked out for cache requests, conditions and
  // live pattern-availability reads, by property id: how much of the window
  // the client made it read.
  long provider_reads(int property_id) const;
  void reset_counts() {
    round_trips_ = 0;
    local_calls_ = 0;
    std::lock_guard<std::mutex> lock(log_mutex_);
    provider_reads_.clear();
  }

  // Internal bookkeeping used by the fake objects.
  void session_closed(int objects_alive);
  void record_point(int x, int y);
  void count_round_trip() { ++round_trips_; }
  void count_local_call() { ++local_calls_; }
  void count_password_value_read() { ++password_value_reads_; }
  void count_provider_read(int property_id);
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
  std::atomic<long> round_trips_{0};
  std::atomic<long> local_calls_{0};
  std::atomic<long> password_value_reads_{0};
  std::map<int, long> provider_reads_;  // guarded by log_mutex_
};

// Pre-order list of the subtree, the element itself first.
std::vector<FakeElement*> fake_subtree(FakeElement& root);

// The control-view walker's parent: the nearest ancestor that is a control
// element (an unreadable IsControlElement counts as not one), or null.
FakeElement* control_view_parent(const FakeElement& element);

}  // namespace winhelper::fakes
