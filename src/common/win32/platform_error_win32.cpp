#include "common/win32/platform_error_win32.h"

#include <ole2.h>
#include <oleauto.h>

#include "common/platform_error.h"
#include "common/text.h"
#include "common/win32/com_owners.h"
#include "common/win32/unique_handle.h"

namespace winhelper {

std::string system_message(std::uint32_t hresult) {
  DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                FORMAT_MESSAGE_IGNORE_INSERTS;
  DWORD code = hresult;
  HMODULE source = nullptr;
  if (hresult & 0x10000000u) {
    source = GetModuleHandleW(L"ntdll.dll");
    if (source) flags |= FORMAT_MESSAGE_FROM_HMODULE;
    code = hresult & ~0x10000000u;
  }
  win32::UniqueLocal<wchar_t*> buffer;
  DWORD length =
      FormatMessageW(flags, source, code, 0, reinterpret_cast<LPWSTR>(buffer.put()), 0, nullptr);
  if (length == 0 || !buffer) return {};
  return utf16_to_utf8(
      std::u16string_view(reinterpret_cast<const char16_t*>(buffer.get()), length));
}

std::string hresult_text(HRESULT hr) {
  auto code = static_cast<std::uint32_t>(hr);
  return platform_error_text(code, system_message(code));
}

namespace {

// restrictederrorinfo.h is not part of mingw-w64; the interface as declared
// by the SDK. COM interfaces have no virtual destructor by design.
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
#endif
struct IRestrictedErrorInfo : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetErrorDetails(BSTR* description, HRESULT* error,
                                                    BSTR* restricted_description,
                                                    BSTR* capability_sid) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetReference(BSTR* reference) = 0;
};
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
constexpr IID kIidRestrictedErrorInfo = {
    0x82ba7092, 0x4c88, 0x427d, {0xa7, 0xbc, 0x16, 0xdd, 0x93, 0xfe, 0xb6, 0x7e}};

std::string bstr_text(const win32::UniqueBstr& text) {
  if (!text) return {};
  return utf16_to_utf8(
      std::u16string_view(reinterpret_cast<const char16_t*>(text.get()), SysStringLen(text.get())));
}

bool is_blank(const std::string& text) {
  return text.find_first_not_of(" \t\r\n\v\f") == std::string::npos;
}

// The description carried by the thread's error object, or empty.
std::string error_object_message() {
  win32::ComPtr<IErrorInfo> info;
  if (GetErrorInfo(0, info.put()) != S_OK || !info) return {};
  std::string message;
  win32::ComPtr<IRestrictedErrorInfo> restricted;
  if (SUCCEEDED(info->QueryInterface(kIidRestrictedErrorInfo, restricted.put_void())) &&
      restricted) {
    win32::UniqueBstr description;
    win32::UniqueBstr restricted_description;
    win32::UniqueBstr capability_sid;
    HRESULT code = S_OK;
    if (SUCCEEDED(restricted->GetErrorDetails(
            description.put(), &code, restricted_description.put(), capability_sid.put()))) {
      message = bstr_text(restricted_description);
      if (is_blank(message)) message = bstr_text(description);
    }
  }
  if (is_blank(message)) {
    win32::UniqueBstr description;
    if (SUCCEEDED(info->GetDescription(description.put()))) message = bstr_text(description);
  }
  return message;
}

}  // namespace

std::string com_error_text(HRESULT hr) {
  auto code = static_cast<std::uint32_t>(hr);
  if (code == 0) return platform_error_text(0, {});
  std::string message = error_object_message();
  if (is_blank(message)) message = system_message(code);
  return platform_error_text(code, message);
}

std::string last_error_text() {
  std::uint32_t code = hresult_from_win32(GetLastError());
  return platform_error_text(code, code == 0 ? std::string() : system_message(code));
}

}  // namespace winhelper
