#include "desktop/run_lines.h"

#include <algorithm>
#include <cstdint>
#include <span>

#include "capture/base64.h"
#include "common/lowercase.h"
#include "common/text.h"
#include "process/launch_request.h"

namespace winhelper {

namespace {

// Set before the caller's statements: output through the console streams
// and through PowerShell's own pipeline to native programs, both as UTF-8
// without a byte order mark.
constexpr std::string_view kPowerShellPrelude =
    "$OutputEncoding = [Console]::OutputEncoding = New-Object System.Text.UTF8Encoding "
    "$false\n";

std::string encoded_command(const std::string& script) {
  std::u16string units = utf8_to_utf16(script);
  std::string bytes;
  bytes.reserve(units.size() * 2);
  for (char16_t unit : units) {
    bytes.push_back(static_cast<char>(unit & 0xFF));
    bytes.push_back(static_cast<char>(unit >> 8));
  }
  return base64_encode(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

// The variable's name in an "NAME=value" entry; entries of the per-drive
// folders ("=C:=C:\x") have names that start with "=".
std::string_view name_of(std::string_view entry) {
  std::size_t eq = entry.find('=', 1);
  return entry.substr(0, eq == std::string_view::npos ? entry.size() : eq);
}

}  // namespace

std::optional<Shell> shell_named(std::string_view name) {
  if (name == "cmd") return Shell::Cmd;
  if (name == "powershell") return Shell::PowerShell;
  return std::nullopt;
}

Invocation direct_invocation(const std::string& program, const std::vector<std::string>& args) {
  std::vector<std::string> argv{program};
  argv.insert(argv.end(), args.begin(), args.end());
  return {program, join_command_line(argv), StreamForm::Bytes};
}

Invocation shell_invocation(Shell shell, const std::string& line) {
  if (shell == Shell::Cmd) {
    return {"cmd.exe", "cmd.exe /d /u /s /c \"" + line + "\"", StreamForm::Utf16Preferred};
  }
  std::string script = std::string(kPowerShellPrelude) + line;
  return {"powershell.exe",
          "powershell.exe -NoLogo -NoProfile -NonInteractive -ExecutionPolicy Bypass "
          "-EncodedCommand " +
              encoded_command(script),
          StreamForm::Bytes};
}

std::vector<std::string> merged_environment(
    const std::vector<std::string>& current,
    const std::vector<std::pair<std::string, std::string>>& additions) {
  std::vector<std::string> out;
  for (const std::string& entry : current) {
    std::string name = to_lower_ascii(name_of(entry));
    bool replaced = false;
    for (const auto& [added, value] : additions) replaced |= to_lower_ascii(added) == name;
    if (!replaced) out.push_back(entry);
  }
  for (const auto& [name, value] : additions) out.push_back(name + "=" + value);
  // CreateProcessW wants the block sorted by name without regard to case.
  std::stable_sort(out.begin(), out.end(), [](const std::string& a, const std::string& b) {
    return to_lower_ascii(name_of(a)) < to_lower_ascii(name_of(b));
  });
  return out;
}

}  // namespace winhelper
