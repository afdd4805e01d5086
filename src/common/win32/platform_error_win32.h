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

// Text for the calling thread's last error.
std::string last_error_text();

}  // namespace winhelper
