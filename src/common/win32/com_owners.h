#pragma once
// Owners of COM state: interface pointers, VARIANTs and the calling thread's
// membership of an apartment.

#include <windows.h>

#include <ole2.h>
#include <oleauto.h>

#include "common/win32/unique_any.h"

namespace winhelper::win32 {

template <typename T>
struct ComReleaseTraits {
  using type = T*;
  static constexpr type invalid() noexcept { return nullptr; }
  static void close(type value) noexcept { value->Release(); }
};

// One reference to an interface.
template <typename T>
class ComPtr : public UniqueAny<ComReleaseTraits<T>> {
 public:
  using UniqueAny<ComReleaseTraits<T>>::UniqueAny;

  T* operator->() const noexcept { return this->get(); }
  // For calls whose out-parameter is typed void**.
  void** put_void() noexcept { return reinterpret_cast<void**>(this->put()); }
};

// A VARIANT, cleared on destruction and before put() hands it out. It lives
// in place: neither copied nor moved.
class Variant {
 public:
  Variant() noexcept { VariantInit(&v_); }
  ~Variant() { VariantClear(&v_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;

  VARIANT& get() noexcept { return v_; }
  VARIANT* put() noexcept {
    VariantClear(&v_);
    return &v_;
  }

 private:
  VARIANT v_;
};

struct CoUninitializeTraits {
  using type = bool;
  static constexpr type invalid() noexcept { return false; }
  static void close(type) noexcept { CoUninitialize(); }
};
// One successful CoInitializeEx of the calling thread, S_FALSE (already
// initialised here) included, since that must be balanced too. Destroy it on
// the thread that entered, after every interface obtained there.
using UniqueCoUninitialize = UniqueAny<CoUninitializeTraits>;

}  // namespace winhelper::win32
