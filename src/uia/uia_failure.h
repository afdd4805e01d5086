#pragma once
// UI Automation failures travel as text ("<step>: <platform error text>") up
// to the command, which decides the protocol error code (the stale-ref
// mapping reads the text). Until then they are internal errors carrying that
// text. The port's own calls fail with the platform error text alone and the
// core adds the step.

#include <string>

#include "common/result.h"

namespace winhelper::uia {

inline HelperError uia_failure(std::string text) {
  return internal_error(std::move(text));
}

// "<step>: <platform error text>".
inline HelperError step_failure(const std::string& step, const std::string& platform_text) {
  return uia_failure(step + ": " + platform_text);
}
inline HelperError step_failure(const std::string& step, const HelperError& platform) {
  return step_failure(step, platform.message);
}

}  // namespace winhelper::uia
