#include "uia/win32/com_calls.h"

#include <cstdio>
#include <string_view>

#include "common/text.h"
#include "common/win32/platform_error_win32.h"

namespace winhelper::uia::detail {

UiaError com_failure(HRESULT hr) {
  return platform_failure(static_cast<std::uint32_t>(hr), com_error_text(hr));
}

UiaError null_failure() {
  return uia_failure(com_error_text(S_OK));
}

UiaError failed_call(HRESULT hr, const Place& call) {
  auto failure = com_failure(hr);
#ifndef NDEBUG
  char line[512];
  std::snprintf(line, sizeof line, "%s:%u %s: 0x%08lX\n", call.file_name(),
                static_cast<unsigned>(call.line()), call.function_name(),
                static_cast<unsigned long>(hr));
  OutputDebugStringA(line);
#else
  static_cast<void>(call);
#endif
  return failure;
}

std::string to_utf8(BSTR text) {
  if (text == nullptr) return {};
  return utf16_to_utf8(
      std::u16string_view(reinterpret_cast<const char16_t*>(text), SysStringLen(text)));
}

UniqueBstr to_bstr(const std::string& text) {
  if (text.empty()) return UniqueBstr();
  std::u16string wide = utf8_to_utf16(text);
  return UniqueBstr(SysAllocStringLen(reinterpret_cast<const OLECHAR*>(wide.data()),
                                      static_cast<UINT>(wide.size())));
}

Status status_of(HRESULT hr, Place call) {
  RETURN_IF_FAILED_AT(hr, call);
  return ok_status();
}

Result<bool> variant_bool(Variant& value) {
  if (value.get().vt == VT_BOOL) return value.get().boolVal != VARIANT_FALSE;
  Variant converted;
  RETURN_IF_FAILED(VariantChangeType(converted.put(), &value.get(), 0, VT_BOOL));
  return converted.get().boolVal != VARIANT_FALSE;
}

Result<RuntimeId> int_array(SAFEARRAY* array) {
  if (array == nullptr) return null_failure();
  LONG lower = 0;
  LONG upper = -1;
  RETURN_IF_FAILED(SafeArrayGetLBound(array, 1, &lower));
  RETURN_IF_FAILED(SafeArrayGetUBound(array, 1, &upper));
  RuntimeId id;
  for (LONG i = lower; i <= upper; ++i) {
    LONG part = 0;
    RETURN_IF_FAILED(SafeArrayGetElement(array, &i, &part));
    id.push_back(static_cast<std::int32_t>(part));
  }
  return id;
}

UiaError type_failure() {
  return com_failure(DISP_E_TYPEMISMATCH);
}

}  // namespace winhelper::uia::detail
