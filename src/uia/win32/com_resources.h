#pragma once
// One owner per COM resource: interface pointers, BSTRs, VARIANTs, SAFEARRAYs
// and the thread's apartment membership. Move-only; `put()` releases what is
// held before handing out the slot for an out-parameter.

#include <windows.h>

#include <ole2.h>
#include <oleauto.h>

#include <utility>

namespace winhelper::uia::com {

template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  explicit ComPtr(T* owned) : p_(owned) {}
  ~ComPtr() { reset(); }
  ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) {
      reset();
      p_ = std::exchange(other.p_, nullptr);
    }
    return *this;
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;

  T* get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  T** put() {
    reset();
    return &p_;
  }
  // For calls whose out-parameter is typed void**.
  void** put_void() { return reinterpret_cast<void**>(put()); }
  void reset() {
    if (p_ != nullptr) std::exchange(p_, nullptr)->Release();
  }

 private:
  T* p_ = nullptr;
};

class Bstr {
 public:
  Bstr() = default;
  explicit Bstr(BSTR owned) : s_(owned) {}
  ~Bstr() { reset(); }
  Bstr(Bstr&& other) noexcept : s_(std::exchange(other.s_, nullptr)) {}
  Bstr& operator=(Bstr&& other) noexcept {
    if (this != &other) {
      reset();
      s_ = std::exchange(other.s_, nullptr);
    }
    return *this;
  }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;

  BSTR get() const { return s_; }
  BSTR* put() {
    reset();
    return &s_;
  }
  UINT length() const { return s_ == nullptr ? 0 : SysStringLen(s_); }
  // Hands the string to a new owner.
  BSTR release() { return std::exchange(s_, nullptr); }
  void reset() {
    if (s_ != nullptr) SysFreeString(std::exchange(s_, nullptr));
  }

 private:
  BSTR s_ = nullptr;
};

class Variant {
 public:
  Variant() { VariantInit(&v_); }
  ~Variant() { VariantClear(&v_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;

  VARIANT& get() { return v_; }
  VARIANT* put() {
    VariantClear(&v_);
    return &v_;
  }

 private:
  VARIANT v_;
};

class SafeArray {
 public:
  SafeArray() = default;
  ~SafeArray() { reset(); }
  SafeArray(const SafeArray&) = delete;
  SafeArray& operator=(const SafeArray&) = delete;

  SAFEARRAY* get() const { return a_; }
  SAFEARRAY** put() {
    reset();
    return &a_;
  }
  void reset() {
    if (a_ != nullptr) SafeArrayDestroy(std::exchange(a_, nullptr));
  }

 private:
  SAFEARRAY* a_ = nullptr;
};

// Membership of the calling thread in a single-threaded apartment. S_FALSE
// (already initialised here) is balanced like S_OK; a failed initialisation
// leaves nothing to undo.
class Apartment {
 public:
  Apartment() : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~Apartment() {
    if (SUCCEEDED(hr_)) CoUninitialize();
  }
  Apartment(const Apartment&) = delete;
  Apartment& operator=(const Apartment&) = delete;

  HRESULT result() const { return hr_; }

 private:
  HRESULT hr_;
};

}  // namespace winhelper::uia::com
