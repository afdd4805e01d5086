#include "service/win32/std_streams.h"

#include "common/win32/platform_error_win32.h"

namespace winhelper {

StdInput::StdInput() : handle_(GetStdHandle(STD_INPUT_HANDLE)) {}

ByteInput::Chunk StdInput::read(char* buffer, std::size_t capacity) {
  if (handle_ == nullptr || handle_ == INVALID_HANDLE_VALUE) return {};
  DWORD got = 0;
  if (!ReadFile(handle_, buffer, static_cast<DWORD>(capacity), &got, nullptr)) {
    DWORD error = GetLastError();
    // A pipe whose writer has gone is the end of input.
    if (error == ERROR_BROKEN_PIPE || error == ERROR_HANDLE_EOF) return {};
    SetLastError(error);
    return {0, true, last_error_text()};
  }
  return {got, false, {}};
}

StdOutput::StdOutput() : handle_(GetStdHandle(STD_OUTPUT_HANDLE)) {}

bool StdOutput::write(std::string_view bytes) {
  if (handle_ == nullptr || handle_ == INVALID_HANDLE_VALUE) return false;
  while (!bytes.empty()) {
    DWORD wrote = 0;
    if (!WriteFile(handle_, bytes.data(), static_cast<DWORD>(bytes.size()), &wrote, nullptr)) {
      return false;
    }
    bytes.remove_prefix(wrote);
  }
  return true;
}

}  // namespace winhelper
