#pragma once
// The operating system's cryptographic random source, and what the MCP
// server draws from it: session ids and generated tokens.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace winhelper {

// Fills `out`; false when the source failed (nothing drawn may then be used).
// Windows: BCryptGenRandom; elsewhere getrandom.
bool os_random_bytes(std::span<std::uint8_t> out);

// `bytes` random bytes as lowercase hex, or nothing when the source failed.
std::optional<std::string> random_hex(std::size_t bytes);

// Writes `content` to a new or truncated file only the current user can
// read and write; false when that could not be done (no file is then left
// readable by others).
bool write_private_file(const std::string& path, const std::string& content);

}  // namespace winhelper
