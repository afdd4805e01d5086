#pragma once
// Key names accepted by the keypress action and their virtual-key codes.

#include <cstdint>
#include <optional>
#include <string_view>

namespace winhelper {

// Case-insensitive (ASCII). Nothing for an unknown name.
std::optional<std::uint16_t> key_name_to_virtual_key(std::string_view name);

}  // namespace winhelper
