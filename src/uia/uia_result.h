#pragma once
// UiaResult<T>: a value or a failure text. UI Automation failures travel as
// text ("<step>: <platform error text>") up to the command, which decides the
// protocol error code; the port's own calls fail with the platform error text
// alone and the core adds the step.

#include <string>
#include <utility>
#include <variant>

#include "common/result.h"

namespace winhelper::uia {

struct Failure {
  std::string text;
};

template <typename T>
class [[nodiscard]] UiaResult {
 public:
  UiaResult(T value) : v_(std::in_place_index<0>, std::move(value)) {}
  UiaResult(Failure failure) : v_(std::in_place_index<1>, std::move(failure)) {}

  bool ok() const { return v_.index() == 0; }
  explicit operator bool() const { return ok(); }

  T& value() & { return std::get<0>(v_); }
  const T& value() const& { return std::get<0>(v_); }
  T&& value() && { return std::get<0>(std::move(v_)); }
  T* operator->() { return &value(); }
  T& operator*() & { return value(); }

  const std::string& error() const { return std::get<1>(v_).text; }
  Failure take_failure() && { return std::get<1>(std::move(v_)); }

 private:
  std::variant<T, Failure> v_;
};

using UiaStatus = UiaResult<Unit>;
inline UiaStatus uia_ok() { return Unit{}; }

// "<step>: <platform error text>".
inline Failure step_failure(const std::string& step, const std::string& platform_text) {
  return Failure{step + ": " + platform_text};
}

}  // namespace winhelper::uia
