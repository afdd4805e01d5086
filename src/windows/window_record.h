#pragma once
// Top-level windows as the inventory lists them, and the changes to them
// that root deltas and window events report.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "windows/window_system.h"

namespace winhelper {

// Screen pixels; all zero when the window's rectangle cannot be read.
struct WindowBounds {
  std::int64_t x = 0;
  std::int64_t y = 0;
  std::int64_t width = 0;
  std::int64_t height = 0;
  bool operator==(const WindowBounds&) const = default;
};

struct BrowserFacts {
  // "chrome", "edge", ...; none when the window is no browser's.
  std::optional<std::string> family;
  bool operator==(const BrowserFacts&) const = default;
};

// What a change says about the window's class. Window events leave out the
// browser facts: they do not look at the process.
struct WindowMetadata {
  std::string class_name;
  std::uint32_t ex_style = 0;
  std::optional<BrowserFacts> browser;
  bool operator==(const WindowMetadata&) const = default;
};

struct WindowRecord {
  WindowHandle window_id = 0;
  std::uint32_t pid = 0;
  std::string title;
  // "@w<n>" of the registry that numbered the listing.
  std::string ref;
  // "window", "dialog", "menu" or "popover".
  std::string kind = "window";
  std::string class_name;
  std::uint32_t ex_style = 0;
  // The last component of the process image path; empty when unreadable.
  std::string process_name;
  std::string app_name;
  std::optional<std::string> browser_family;
  WindowBounds bounds;
  // Dots per inch over 96; 1 when unknown.
  double scale_factor = 1.0;
  bool is_focused = false;
  bool is_minimized = false;
  bool is_modal = false;
  // Position in the listing, top of the Z order first.
  std::size_t z_order = 0;
  bool operator==(const WindowRecord&) const = default;
};

// "window:<windowId>": the key of the observed roots and of root snapshots.
std::string root_key(const WindowRecord& record);

WindowMetadata metadata_of(const WindowRecord& record);

enum class WindowChangeType { Appeared, Closed, Focused };

// One entry of a root delta: a listed root that appeared, closed or took the
// focus, the foreground switching to another application, or a window event.
struct WindowChange {
  WindowChangeType change = WindowChangeType::Appeared;
  // A window kind, or "app" for a foreground application switch.
  std::string kind = "window";
  std::string title;
  std::uint32_t pid = 0;
  // The root's ref, for changes of listed roots.
  std::optional<std::string> ref;
  // The window's handle, for window events.
  std::optional<WindowHandle> window_id;
  std::optional<bool> is_modal;
  std::optional<WindowMetadata> metadata;
  bool operator==(const WindowChange&) const = default;
};

// The change of a listed root: its kind, ref, title, pid, modality and
// metadata.
WindowChange root_change(const WindowRecord& record, WindowChangeType change);

}  // namespace winhelper
