#include "com_object.h"

#include "call_log.h"

namespace uia_server {

namespace {

struct LiveCounts {
  std::atomic<long> total{0};
  std::atomic<long> by_kind[kObjectKinds] = {};
};

LiveCounts& live() {
  static LiveCounts* counts = new LiveCounts();  // never destroyed: releases may come late
  return *counts;
}

}  // namespace

const char* object_kind_name(ObjectKind kind) {
  static const char* const names[kObjectKinds] = {
      "automation", "elements", "arrays", "conditions", "cache_requests", "patterns",
      "walkers"};
  return names[static_cast<int>(kind)];
}

long live_objects() { return live().total.load(); }

long live_objects(ObjectKind kind) { return live().by_kind[static_cast<int>(kind)].load(); }

void object_created(ObjectKind kind) {
  ++live().by_kind[static_cast<int>(kind)];
  ++live().total;
}

void object_destroyed(ObjectKind kind) {
  --live().by_kind[static_cast<int>(kind)];
  if (--live().total == 0) write_call_log();
}

HRESULT fail(HRESULT hr, const std::wstring& text) {
  winhelper::win32::ComPtr<ICreateErrorInfo> create;
  if (SUCCEEDED(CreateErrorInfo(create.put())) && create) {
    create->SetDescription(const_cast<LPOLESTR>(text.c_str()));
    winhelper::win32::ComPtr<IErrorInfo> info;
    if (SUCCEEDED(create->QueryInterface(IID_IErrorInfo, info.put_void())) && info) {
      SetErrorInfo(0, info.get());
    }
  }
  return hr;
}

HRESULT element_gone() {
  return fail(kElementNotAvailable, L"The window behind this element no longer exists");
}

BSTR make_bstr(const std::wstring& text) {
  if (text.empty()) return nullptr;
  return SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
}

}  // namespace uia_server
