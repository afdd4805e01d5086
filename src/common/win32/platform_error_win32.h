#pragma once
// Platform error texts for failed Win32 calls: "<message> (0x8007XXXX)".

#include <windows.h>

#include <cstdint>
#include <string>

namespace winhelper {

// The system message for an HRESULT (FormatMessageW; codes with bit
// 0x10000000 set are looked up in ntdll's message table without that bit).
std::string system_message(std::uint32_t hresult);

// Text for an HRESULT with no error object.
std::string hresult_text(HRESULT hr);

// Text for a failed COM call: the message of the thread's error object
// (IRestrictedErrorInfo when offered, else IErrorInfo), or the system
// message for the code when there is none. Takes (and so clears) the
// thread's error object; call it right after the failing call. A code of 0
// (a call that succeeded without handing back an object) gives "0x00000000".
std::string com_error_text(HRESULT hr);

// Text for the calling thread's last error.
std::string last_error_text();

}  // namespace winhelper
