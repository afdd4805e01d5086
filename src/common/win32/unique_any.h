#pragma once
// A move-only owner of one resource, described by a traits type:
//
//   struct Traits {
//     using type = ...;               // the handle, compared with ==
//     static type invalid();          // the value that owns nothing
//     static void close(type value);  // frees a value other than invalid()
//   };
//
// The owner closes what it holds exactly once: on destruction, on reset, on
// move-assignment over it and when put() hands out its slot. Free of any
// platform header so that its rules can be checked anywhere.

#include <utility>

namespace winhelper::win32 {

template <typename Traits>
class UniqueAny {
 public:
  using type = typename Traits::type;

  UniqueAny() noexcept = default;
  explicit UniqueAny(type owned) noexcept : value_(owned) {}
  ~UniqueAny() { reset(); }
  UniqueAny(UniqueAny&& other) noexcept : value_(other.release()) {}
  UniqueAny& operator=(UniqueAny&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  UniqueAny(const UniqueAny&) = delete;
  UniqueAny& operator=(const UniqueAny&) = delete;

  type get() const noexcept { return value_; }
  explicit operator bool() const noexcept { return !(value_ == Traits::invalid()); }

  // Hands the value to a new owner; this one then holds nothing.
  type release() noexcept { return std::exchange(value_, Traits::invalid()); }

  void reset(type value = Traits::invalid()) noexcept {
    type old = std::exchange(value_, value);
    if (!(old == Traits::invalid())) Traits::close(old);
  }

  // The slot for a call's out-parameter, emptied first so that nothing held
  // is overwritten without being closed.
  type* put() noexcept {
    reset();
    return &value_;
  }

 private:
  type value_ = Traits::invalid();
};

// Traits of a pointer-like handle that is null when it owns nothing and is
// freed by passing it to `Close`.
template <typename T, auto Close>
struct NullInvalid {
  using type = T;
  static constexpr T invalid() noexcept { return nullptr; }
  static void close(T value) noexcept { Close(value); }
};

template <typename T, auto Close>
using UniqueNullable = UniqueAny<NullInvalid<T, Close>>;

}  // namespace winhelper::win32
