#pragma once
// Result<T, E>: a value or an error, HelperError unless a module names its
// own error type. Handlers and core operations return it instead of throwing.

#include <utility>
#include <variant>

#include "common/error.h"

namespace winhelper {

template <typename T, typename E = HelperError>
class [[nodiscard]] Result {
 public:
  Result(T value) : v_(std::in_place_index<0>, std::move(value)) {}
  Result(E error) : v_(std::in_place_index<1>, std::move(error)) {}

  bool ok() const { return v_.index() == 0; }
  explicit operator bool() const { return ok(); }

  T& value() & { return std::get<0>(v_); }
  const T& value() const& { return std::get<0>(v_); }
  T&& value() && { return std::get<0>(std::move(v_)); }
  T* operator->() { return &value(); }
  const T* operator->() const { return &value(); }
  T& operator*() & { return value(); }
  const T& operator*() const& { return value(); }

  // The value, or `fallback` when there is none.
  T value_or(T fallback) && { return ok() ? std::move(value()) : std::move(fallback); }

  const E& error() const { return std::get<1>(v_); }
  E&& take_error() { return std::get<1>(std::move(v_)); }

 private:
  std::variant<T, E> v_;
};

// For operations that yield nothing but may fail.
struct Unit {
  bool operator==(const Unit&) const = default;
};
using Status = Result<Unit>;
// Success for a Status of any error type.
inline Unit ok_status() { return Unit{}; }

}  // namespace winhelper
