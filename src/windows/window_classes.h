#pragma once
// Naming and classification rules for top-level windows, shared by the
// inventory and the window event watcher.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace winhelper {

inline constexpr char kMenuClass[] = "#32768";
inline constexpr char kDialogClass[] = "#32770";
inline constexpr std::uint32_t kExStyleDialogModalFrame = 0x1;

// "menu" for the menu class, "dialog" for the dialog class, otherwise
// "popover" when the window has an owner and "window" when it has none.
std::string window_kind(std::string_view class_name, bool owned);
// "Menu" for menus, "Window" for everything else.
std::string window_role(std::string_view kind);
bool window_is_modal(std::string_view class_name, std::uint32_t ex_style);

// The last path component of a process image path, or the whole path when
// it has none.
std::string process_name_from_path(std::string_view path);
// The process name without any trailing ".exe" (case-sensitive).
std::string app_name_of(std::string_view process_name);
// "chrome", "edge", "brave", "firefox", "vivaldi" or "opera" for the known
// browser executables (case-insensitive, one ".exe" removed); none otherwise.
std::optional<std::string> browser_family_of(std::string_view process_name);

}  // namespace winhelper
