#pragma once
// The adapter's COM calling conventions: failures as UiaError, the return-if-
// failed macros, and conversions between COM's strings, variants and arrays
// and the port's types. Private to src/uia/win32/.

#include <source_location>
#include <string>

#include "common/win32/com_owners.h"
#include "common/win32/unique_handle.h"
#include "uia/uia_port.h"
#include "uia/win32/uia_sdk.h"

namespace winhelper::uia::detail {

using win32::ComPtr;
using win32::UniqueBstr;
using win32::Variant;

UiaError com_failure(HRESULT hr);

// A call that succeeded without handing back an object.
UiaError null_failure();

// Where a COM call was made: its file, function and line. Helpers that are
// handed a call's result take their caller's place by default.
using Place = std::source_location;

// The failure of the COM call made at `call`. The place is never part of the
// message; debug builds write it to the debug output, so that a debugger or a
// trace viewer shows which call failed.
UiaError failed_call(HRESULT hr, const Place& call);

// Returns the failure of `call` (an expression giving an HRESULT) from the
// enclosing function when it fails, naming `where` as the call's place.
#define RETURN_IF_FAILED_AT(call, where)                       \
  do {                                                         \
    if (const HRESULT failed_hr = (call); FAILED(failed_hr)) { \
      return failed_call(failed_hr, where);                    \
    }                                                          \
  } while (false)

#define RETURN_IF_FAILED(call) RETURN_IF_FAILED_AT(call, Place::current())

std::string to_utf8(BSTR text);

// The empty text becomes the null BSTR, COM's empty string.
UniqueBstr to_bstr(const std::string& text);

template <typename Get>
Result<std::string> read_string(Get get, Place call = Place::current()) {
  UniqueBstr text;
  RETURN_IF_FAILED_AT(get(text.put()), call);
  return to_utf8(text.get());
}

template <typename Get>
Result<bool> read_bool(Get get, Place call = Place::current()) {
  BOOL value = FALSE;
  RETURN_IF_FAILED_AT(get(&value), call);
  return value != FALSE;
}

Status status_of(HRESULT hr, Place call = Place::current());

// A VT_BOOL as it is, other types through oleaut32's coercion: propsys's
// VariantToBoolean is missing from Wine, where calling it aborts the process.
Result<bool> variant_bool(Variant& value);

// A one-dimensional array of 32-bit integers, element by element.
Result<RuntimeId> int_array(SAFEARRAY* array);

// A cached value of an unexpected type (UI Automation's "not supported"
// marker among them) counts as a failed read.
UiaError type_failure();

}  // namespace winhelper::uia::detail
