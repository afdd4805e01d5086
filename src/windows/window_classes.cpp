#include "windows/window_classes.h"

#include <array>
#include <utility>

#include "common/lowercase.h"

namespace winhelper {

std::string window_kind(std::string_view class_name, bool owned) {
  if (class_name == kMenuClass) return "menu";
  if (class_name == kDialogClass) return "dialog";
  return owned ? "popover" : "window";
}

std::string window_role(std::string_view kind) { return kind == "menu" ? "Menu" : "Window"; }

bool window_is_modal(std::string_view class_name, std::uint32_t ex_style) {
  return class_name == kDialogClass || (ex_style & kExStyleDialogModalFrame) != 0;
}

std::string process_name_from_path(std::string_view path) {
  std::size_t cut = path.find_last_of("\\/");
  std::string_view last = cut == std::string_view::npos ? path : path.substr(cut + 1);
  if (last.empty() || last == "." || last == "..") return std::string(path);
  return std::string(last);
}

std::string app_name_of(std::string_view process_name) {
  constexpr std::string_view kExe = ".exe";
  while (process_name.size() >= kExe.size() &&
         process_name.substr(process_name.size() - kExe.size()) == kExe) {
    process_name.remove_suffix(kExe.size());
  }
  return std::string(process_name);
}

std::optional<std::string> browser_family_of(std::string_view process_name) {
  std::string name = to_lower_ascii(process_name);
  constexpr std::string_view kExe = ".exe";
  if (name.size() > 3 && name.ends_with(kExe)) name.resize(name.size() - kExe.size());

  static constexpr std::array<std::pair<std::string_view, std::string_view>, 10> kTable{{
      {"chrome", "chrome"},
      {"chromium", "chrome"},
      {"msedge", "edge"},
      {"edge", "edge"},
      {"brave", "brave"},
      {"brave-browser", "brave"},
      {"firefox", "firefox"},
      {"vivaldi", "vivaldi"},
      {"opera", "opera"},
      {"opera_gx", "opera"},
  }};
  for (const auto& [executable, family] : kTable) {
    if (name == executable) return std::string(family);
  }
  return std::nullopt;
}

}  // namespace winhelper
