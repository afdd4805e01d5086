#pragma once
// Reference counting, QueryInterface and error info shared by every object of the server.

#include <windows.h>

#include <ole2.h>
#include <oleauto.h>

#include <atomic>
#include <string>
#include <utility>

#include "common/win32/com_owners.h"

namespace uia_server {

// The kinds of object the server hands out, counted while alive. The class factory is a
// static object and is not counted.
enum class ObjectKind { Automation, Element, ElementArray, Condition, CacheRequest, Pattern,
                        TreeWalker };
inline constexpr int kObjectKinds = 7;
const char* object_kind_name(ObjectKind kind);

// Objects alive in the process, in all; DllCanUnloadNow answers S_OK only at zero.
long live_objects();
long live_objects(ObjectKind kind);

// Counts an object in or out. When the last object of the process goes, the call log is
// written, so that it shows every session's objects released once the helper is done.
void object_created(ObjectKind kind);
void object_destroyed(ObjectKind kind);

// Sets the thread's error info to `text` and returns `hr`, so the caller's error texts carry
// the reason.
HRESULT fail(HRESULT hr, const std::wstring& text);

// UI Automation's "element not available": the window behind an element is gone.
inline constexpr HRESULT kElementNotAvailable = static_cast<HRESULT>(0x80040201L);
HRESULT element_gone();

// Implements IUnknown for `Base` (one of the counted bases), answering for IUnknown and
// `Iid` only. Objects start with one reference, owned by whoever created them.
template <typename Base, const IID& Iid, ObjectKind Kind = ObjectKind::Pattern>
class ComObject : public Base {
 public:
  ComObject() { object_created(Kind); }
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, Iid)) return E_NOINTERFACE;
    AddRef();
    *out = static_cast<Base*>(this);
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

 protected:
  virtual ~ComObject() { object_destroyed(Kind); }

 private:
  std::atomic<ULONG> refs_{1};
};

// Owns one reference to an interface; a copy takes another.
template <typename T>
class Ref : public winhelper::win32::ComPtr<T> {
  using Owner = winhelper::win32::ComPtr<T>;

 public:
  Ref() = default;
  explicit Ref(T* adopted) : Owner(adopted) {}
  Ref(const Ref& other) : Owner(other.get()) {
    if (*this) this->get()->AddRef();
  }
  Ref(Ref&& other) noexcept = default;
  Ref& operator=(Ref other) noexcept {
    Owner::operator=(std::move(other));
    return *this;
  }
};

// A BSTR copy of `text` (the null BSTR for an empty text, COM's empty string).
BSTR make_bstr(const std::wstring& text);

}  // namespace uia_server
