#include "com_object.h"

namespace uia_server {

std::atomic<long>& live_objects() {
  static std::atomic<long> count{0};
  return count;
}

HRESULT fail(HRESULT hr, const std::wstring& text) {
  ICreateErrorInfo* create = nullptr;
  if (SUCCEEDED(CreateErrorInfo(&create)) && create != nullptr) {
    create->SetDescription(const_cast<LPOLESTR>(text.c_str()));
    IErrorInfo* info = nullptr;
    if (SUCCEEDED(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info))) &&
        info != nullptr) {
      SetErrorInfo(0, info);
      info->Release();
    }
    create->Release();
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
