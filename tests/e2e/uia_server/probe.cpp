// uia_probe.exe: runs the helper's own UI Automation code (its COM client and the core
// algorithms, exactly as linked into the helper) against a window, for the end-to-end tests
// to check that code through the test server before every command exists on the protocol.
//
// <title> is a top-level window's title, the test application's base title, or "#<handle>"
// (decimal) for a window that may no longer exist.
//
//   uia_probe outline <title>                     the extracted element records
//   uia_probe press   <title> <automationId>      the press chain
//   uia_probe set     <title> <automationId> <text>
//   uia_probe scroll  <title> <automationId> <dy>
//   uia_probe hit     <title> <automationId> <x> <y>
//   uia_probe text    <title> <automationId>      the text pattern's document text
//
// Prints one JSON object: {"ok": true, ...} or {"ok": false, "error": "<failure text>"};
// exits 2 on a bad command line.

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "common/text.h"
#include "uia/element_actions.h"
#include "uia/element_numbering.h"
#include "uia/extraction.h"
#include "uia/element_access.h"
#include "uia/win32/com_uia_client.h"

namespace {

using nlohmann::json;
namespace uia = winhelper::uia;

std::string narrow(const wchar_t* text) {
  std::u16string wide(reinterpret_cast<const char16_t*>(text));
  return winhelper::utf16_to_utf8(wide);
}

int print(const json& answer) {
  std::string line = answer.dump() + "\n";
  std::fwrite(line.data(), 1, line.size(), stdout);
  return 0;
}

// An element record as the end-to-end checks read it.
json record_json(const uia::ExtractedElement& e) {
  json record = {
      {"role", e.role},
      {"label", e.label},
      {"automationId", e.automation_id},
      {"runtimeId", e.runtime_id},
      {"parentRuntimeId", e.parent_runtime_id},
      {"className", e.class_name},
      {"bounds",
       {{"x", e.bounds.left},
        {"y", e.bounds.top},
        {"width", e.bounds.right - e.bounds.left},
        {"height", e.bounds.bottom - e.bounds.top}}},
      {"isPassword", e.is_password},
      {"value", e.value},
      {"ref", e.ref},
      {"capabilities",
       {{"canInvoke", e.can_invoke},
        {"canPress", e.can_press},
        {"canScroll", e.can_scroll},
        {"canSetValue", e.can_set_value},
        {"isEnabled", e.enabled},
        {"isKeyboardFocusable", e.keyboard_focusable},
        {"isOffscreen", false}}},
  };
  if (e.truncated) record["truncated"] = true;
  return record;
}

template <typename T>
int print_failure(const uia::Result<T>& result) {
  return print({{"ok", false}, {"error", result.error().message}});
}

const char* press_kind(uia::PressResult::Kind kind) {
  switch (kind) {
    case uia::PressResult::Kind::Invoked: return "invoked";
    case uia::PressResult::Kind::Toggled: return "toggled";
    case uia::PressResult::Kind::Selected: return "selected";
    case uia::PressResult::Kind::Expanded: return "expanded";
    case uia::PressResult::Kind::DefaultAction: return "defaultAction";
    case uia::PressResult::Kind::NoSupportedPattern: return "noSupportedPattern";
    case uia::PressResult::Kind::Pending: return "pending";
  }
  return "unknown";
}

struct TitleSearch {
  std::u16string title;
  HWND found = nullptr;
};

// The test application appends " - <event>" to its title; either form names it.
BOOL CALLBACK match_title(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<TitleSearch*>(context);
  wchar_t buffer[512];
  int length = GetWindowTextW(window, buffer, 512);
  std::u16string text(reinterpret_cast<const char16_t*>(buffer), length > 0 ? length : 0);
  if (text == search->title || text.rfind(search->title + u" - ", 0) == 0) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

int run(const std::vector<std::string>& args) {
  if (args.size() < 2) return 2;
  const std::string& command = args[0];
  HWND window = nullptr;
  if (args[1].rfind('#', 0) == 0) {
    window = reinterpret_cast<HWND>(static_cast<INT_PTR>(std::stoll(args[1].substr(1))));
  } else {
    TitleSearch search{winhelper::utf8_to_utf16(args[1])};
    EnumWindows(match_title, reinterpret_cast<LPARAM>(&search));
    window = search.found;
  }
  if (window == nullptr) return print({{"ok", false}, {"error", "no window titled " + args[1]}});
  std::int64_t handle = reinterpret_cast<INT_PTR>(window);
  uia::ComUiaClient client;

  if (command == "outline" && args.size() == 2) {
    uia::FreshElementNumbering numbering;
    auto records = uia::extract_window(client, handle, numbering);
    if (!records) return print_failure(records);
    json elements = json::array();
    for (const uia::ExtractedElement& record : records.value()) {
      elements.push_back(record_json(record));
    }
    return print({{"ok", true}, {"elements", elements}, {"window", handle}});
  }
  if (args.size() < 3) return 2;
  uia::ElementLocator locator{handle, {}, args[2]};
  if (command == "press" && args.size() == 3) {
    auto pressed = uia::press_element(client, locator);
    if (!pressed) return print_failure(pressed);
    return print({{"ok", true}, {"kind", press_kind(pressed->kind)}, {"state", pressed->state}});
  }
  if (command == "set" && args.size() == 4) {
    auto read_back = uia::set_element_value(client, locator, args[3]);
    if (!read_back) return print_failure(read_back);
    json answer = {{"ok", true}, {"value", nullptr}};
    if (read_back.value() && read_back.value()->read_back) {
      answer["value"] = *read_back.value()->read_back;
    }
    return print(answer);
  }
  if (command == "scroll" && args.size() == 4) {
    auto scrolled = uia::scroll_element(client, locator, 0.0, std::stod(args[3]));
    if (!scrolled) return print_failure(scrolled);
    return print({{"ok", true}, {"scrolled", scrolled.value() == uia::ScrollResult::Scrolled}});
  }
  if (command == "text" && args.size() == 3) {
    auto resolved = uia::resolve_element(client, locator);
    if (!resolved) return print_failure(resolved);
    auto pattern = resolved->element->text_pattern();
    if (!pattern) return print({{"ok", true}, {"text", nullptr}});
    auto text = pattern->document_text(-1);
    if (!text) return print_failure(text);
    return print({{"ok", true}, {"text", text.value()}});
  }
  if (command == "hit" && args.size() == 5) {
    auto hit = uia::hit_test(client, locator, std::stod(args[3]), std::stod(args[4]));
    if (!hit) return print_failure(hit);
    return print({{"ok", true}, {"hit", hit.value()}});
  }
  return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.push_back(narrow(argv[i]));
  int code = 2;
  try {
    code = run(args);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "uia_probe: %s\n", error.what());
    return 2;
  }
  if (code == 2) std::fprintf(stderr, "uia_probe: bad command line (see probe.cpp)\n");
  return code;
}
