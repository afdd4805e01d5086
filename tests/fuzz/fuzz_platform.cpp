#include "fuzz/fuzz_platform.h"

#include "app/commands.h"

namespace winhelper::fuzz {

FuzzPlatform::FuzzPlatform() : dispatcher_(desk_.context()) {
  build_scene();
  register_commands(dispatcher_);
}

void FuzzPlatform::build_scene() {
  struct Shown {
    const char* title;
    const char* class_name;
    std::uint32_t pid;
    ScreenRect rect;
  };
  const Shown shown[] = {
      // Small, so that building the scene for every fuzz input stays cheap.
      {"notes.txt - Editor", "EditorFrame", kProcessId, {100, 80, 260, 200}},
      {"Save As", "#32770", kProcessId, {140, 110, 240, 170}},
      {"Example - Browser", "Chrome_WidgetWin_1", 5151, {0, 0, 320, 240}},
  };
  desk_.windows.set_process_path(kProcessId, "C:\\Program Files\\Editor\\editor.exe");
  desk_.windows.set_process_path(5151, "C:\\Program Files\\Browser\\msedge.exe");

  for (const Shown& s : shown) {
    fakes::FakeWindow window;
    window.title = s.title;
    window.class_name = s.class_name;
    window.pid = s.pid;
    window.rect = s.rect;
    WindowHandle handle = desk_.windows.add(window);
    auto w = static_cast<std::int32_t>(s.rect.right - s.rect.left);
    auto h = static_cast<std::int32_t>(s.rect.bottom - s.rect.top);
    fakes::FakeCaptureWindow capture;
    capture.rect = {static_cast<std::int32_t>(s.rect.left), static_cast<std::int32_t>(s.rect.top),
                    static_cast<std::int32_t>(s.rect.right),
                    static_cast<std::int32_t>(s.rect.bottom)};
    capture.printed = fakes::FakeScreen::solid(w, h, 40, 120, 200);
    desk_.screen.windows[static_cast<std::int64_t>(handle)] = std::move(capture);

    auto left = s.rect.left;
    auto top = s.rect.top;
    fakes::FakeElement& root = desk_.uia.add_window(static_cast<std::int64_t>(handle), s.title);
    root.rect = ScreenRect{left, top, s.rect.right, s.rect.bottom};
    fakes::FakeElement& button = desk_.uia.add_child(root, "Save");
    button.control_type = 50000;
    button.name = "Save";
    button.automation_id = "save";
    button.invoke = true;
    button.rect = ScreenRect{left + 10, top + 10, left + 90, top + 40};
    fakes::FakeElement& edit = desk_.uia.add_child(root, "Name");
    edit.control_type = 50004;
    edit.name = "File name";
    edit.value_pattern = true;
    edit.value = "notes.txt";
    edit.keyboard_focusable = true;
    edit.rect = ScreenRect{left + 10, top + 50, left + 90, top + 75};
    fakes::FakeElement& document = desk_.uia.add_child(root, "Document");
    document.control_type = 50030;
    document.text_pattern = true;
    document.document_text = "The quick brown fox jumps over the lazy dog.";
    document.scroll = true;
    document.rect = ScreenRect{left + 10, top + 80, left + 90, top + 110};
    fakes::FakeElement& list = desk_.uia.add_child(root, "List");
    list.control_type = 50008;
    fakes::FakeElement& item = desk_.uia.add_child(list, "Item");
    item.control_type = 50007;
    item.name = "First";
    item.selection_item = true;
  }
  desk_.windows.set_foreground_window(static_cast<WindowHandle>(0x10010));
}

}  // namespace winhelper::fuzz
