#include "mcp/server_arguments.h"

#include <charconv>
#include <cstdint>
#include <optional>
#include <set>

#include "capture/scaling.h"
#include "mcp/tools.h"

namespace winhelper::mcp {

namespace {

std::optional<std::uint64_t> number_within(std::string_view text, std::uint64_t low,
                                           std::uint64_t high) {
  std::uint64_t value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || value < low || value > high)
    return std::nullopt;
  return value;
}

constexpr std::string_view kDisableTool = "--disable-tool";

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// Adds each name of a comma-separated list; blank entries are skipped, so a
// bundle's empty setting disables nothing.
std::optional<std::string> disable_tools(std::string_view list, std::set<std::string>& disabled) {
  while (true) {
    const std::size_t comma = list.find(',');
    const std::string name(trimmed(list.substr(0, comma)));
    if (!name.empty()) {
      if (find_tool(name) == nullptr) return "--disable-tool: no tool is named '" + name + "'";
      disabled.insert(name);
    }
    if (comma == std::string_view::npos) return std::nullopt;
    list.remove_prefix(comma + 1);
  }
}

}  // namespace

Result<ServerOptions, std::string> parse_server_arguments(const std::vector<std::string_view>& args) {
  ServerOptions options;
  bool side_given = false;
  bool bytes_given = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view option = args[i];
    if (option == "--disable-tool" || option.starts_with("--disable-tool=")) {
      std::string_view list;
      if (option.size() > kDisableTool.size()) {
        list = option.substr(kDisableTool.size() + 1);  // "" after '=' disables nothing
      } else {
        if (i + 1 == args.size()) return std::string("--disable-tool needs a tool name");
        list = args[++i];
      }
      if (auto refused = disable_tools(list, options.disabled_tools)) return *refused;
      continue;
    }
    const bool side = option == "--max-image-side";
    if (!side && option != "--max-image-bytes")
      return "unknown argument '" + std::string(option) + "'";
    bool& given = side ? side_given : bytes_given;
    if (given) return std::string(option) + " is given twice";
    given = true;
    const std::uint64_t low = side ? 1 : kMinImageBytes;
    const std::uint64_t high = side ? kMaxImageSide : kMaxImageBytes;
    const std::optional<std::uint64_t> value =
        i + 1 < args.size() ? number_within(args[++i], low, high) : std::nullopt;
    if (!value)
      return std::string(option) + " needs a whole number from " + std::to_string(low) + " to " +
             std::to_string(high);
    if (side) {
      options.image_budget.max_side = static_cast<std::uint32_t>(*value);
    } else {
      options.image_budget.max_base64_bytes = static_cast<std::size_t>(*value);
    }
  }
  return options;
}

}  // namespace winhelper::mcp
