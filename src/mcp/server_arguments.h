#pragma once
// The MCP executable's command line: `--max-image-side N` (the longer side
// of a look's image, 1 to 16384, default 1568) and `--max-image-bytes N`
// (the most Base64 text of a look's image, 65536 to 1073741824, default
// 1048576), each at most once.

#include <string>
#include <string_view>
#include <vector>

#include "capture/image_encoding.h"
#include "common/result.h"

namespace winhelper::mcp {

inline constexpr std::size_t kMinImageBytes = std::size_t{1} << 16;
inline constexpr std::size_t kMaxImageBytes = std::size_t{1} << 30;

// `args` without the program name. The error is the line to print before
// the usage text.
Result<ImageBudget, std::string> parse_server_arguments(const std::vector<std::string_view>& args);

}  // namespace winhelper::mcp
