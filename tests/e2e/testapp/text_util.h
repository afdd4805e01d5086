#pragma once
// Small text helpers shared by the test application's files.

#include <windows.h>

#include <string>

namespace testapp {

std::string to_utf8(const std::wstring& text);

// Writes one line to standard error when the process has one (a GUI process started from
// a console under Wine does; one started by Explorer does not, and then this does nothing).
void write_stderr(const std::wstring& line);

// The text of a window or control (GetWindowTextW), any length.
std::wstring window_text(HWND window);

// "0x" and at least two upper-case hexadecimal digits.
std::wstring hex_byte(unsigned value);

}  // namespace testapp
