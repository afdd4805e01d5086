#include "options.h"

#include <cerrno>
#include <climits>
#include <cwchar>

namespace testapp {
namespace {

bool parse_int(const std::wstring& text, int& out) {
  if (text.empty()) return false;
  wchar_t* end = nullptr;
  errno = 0;
  const long value = std::wcstol(text.c_str(), &end, 10);
  if (errno != 0 || end == nullptr || *end != L'\0' || value < INT_MIN || value > INT_MAX) {
    return false;
  }
  out = static_cast<int>(value);
  return true;
}

}  // namespace

std::optional<Options> parse_options(const std::vector<std::wstring>& args, std::wstring& error) {
  Options options;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::wstring& name = args[i];
    if (name == L"--browser-class") {
      options.browser_class = true;
      continue;
    }
    if (name == L"--topmost") {
      options.topmost = true;
      continue;
    }
    if (name == L"--photo") {
      options.photo = true;
      continue;
    }
    if (name == L"--steady-title") {
      options.steady_title = true;
      continue;
    }
    if (name == L"--message-box") {
      options.message_box = true;
      continue;
    }
    if (name == L"--dpi-unaware") {
      options.dpi_unaware = true;
      continue;
    }
    if (name == L"--hold-clipboard") {
      options.hold_clipboard = true;
      continue;
    }
    if (name != L"--title" && name != L"--log" && name != L"--x" && name != L"--y" &&
        name != L"--w" && name != L"--h" && name != L"--hang-ms" && name != L"--long-list") {
      error = L"unknown option '" + name + L"'";
      return std::nullopt;
    }
    if (i + 1 >= args.size()) {
      error = L"option " + name + L" needs a value";
      return std::nullopt;
    }
    const std::wstring& value = args[++i];
    if (name == L"--title") {
      options.title = value;
    } else if (name == L"--log") {
      options.log_path = value;
    } else {
      int number = 0;
      if (!parse_int(value, number)) {
        error = L"option " + name + L" needs a whole number, got '" + value + L"'";
        return std::nullopt;
      }
      if (name == L"--long-list") {
        if (number < 0) {
          error = L"option --long-list needs a count, got '" + value + L"'";
          return std::nullopt;
        }
        options.long_list_entries = number;
        continue;
      }
      if ((name == L"--w" || name == L"--h") && number <= 0) {
        error = L"option " + name + L" needs a positive size, got '" + value + L"'";
        return std::nullopt;
      }
      if (name == L"--hang-ms" && number < 0) {
        error = L"option " + name + L" needs a duration of 0 or more, got '" + value + L"'";
        return std::nullopt;
      }
      int& target = name == L"--x"   ? options.x
                    : name == L"--y" ? options.y
                    : name == L"--w" ? options.width
                    : name == L"--h" ? options.height
                                     : options.hang_ms;
      target = number;
    }
  }
  return options;
}

}  // namespace testapp
