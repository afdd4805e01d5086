#pragma once
// Semantic actions on an element found again from its locator: focus, press
// (through the first pattern the element offers), scroll and set value. Each
// runs in its own session, closed before it returns. A missing pattern is a
// normal result, so the caller can fall back to physical input.

#include <optional>
#include <string>

#include "uia/element_locator.h"
#include "uia/pattern_grace.h"
#include "uia/uia_port.h"

namespace winhelper::uia {

Status focus_element(UiaClient& client, const ElementLocator& locator);

struct PressResult {
  // Pending: the pattern call had not returned within the grace period (or
  // timed out once made); the press was delivered and its outcome is unknown.
  // A modal window it opened may be waiting for a person.
  enum class Kind { Invoked, Toggled, Selected, Expanded, DefaultAction, NoSupportedPattern,
                    Pending };
  Kind kind = Kind::NoSupportedPattern;
  // Toggled: the state read after the toggle is not Off. Selected: the
  // element reports itself selected. False when the read fails.
  bool state = false;
};

// Invoke, toggle, select, expand, then the legacy default action (when it is
// not blank); the first pattern present decides.
Result<PressResult> press_element(UiaClient& client, const ElementLocator& locator);

// The same with the pattern call under the grace period (pattern_grace.h):
// Pending when it has not returned in time.
Result<PressResult> press_element_within(UiaClient& client, const ElementLocator& locator,
                                         GracePeriods periods = {});

// The sign of each delta decides one small step on that axis (zero or NaN:
// none).
ScrollAmount scroll_amount(double delta);

enum class ScrollResult { Scrolled, NoScrollPattern };
Result<ScrollResult> scroll_element(UiaClient& client, const ElementLocator& locator,
                                    double horizontal_delta, double vertical_delta);

// A value write that was accepted.
struct ValueWrite {
  // The value read back after the write (empty when unreadable); nothing for
  // a password field (or one that cannot tell), whose value is never read.
  std::optional<std::string> read_back;

  bool operator==(const ValueWrite&) const = default;
};

// The write, or nothing when the element has no value pattern.
Result<std::optional<ValueWrite>> set_element_value(UiaClient& client,
                                                    const ElementLocator& locator,
                                                    const std::string& text);

// The same with the write under the grace period: nothing (the outer
// optional) when it has not returned in time.
Result<std::optional<std::optional<ValueWrite>>> set_element_value_within(
    UiaClient& client, const ElementLocator& locator, const std::string& text,
    GracePeriods periods = {});

}  // namespace winhelper::uia
