#include "com_object.h"

namespace uia_server {

std::atomic<long>& live_objects() {
  static std::atomic<long> count{0};
  return count;
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
