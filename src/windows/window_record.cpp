#include "windows/window_record.h"

namespace winhelper {

std::string root_key(const WindowRecord& record) {
  return "window:" + std::to_string(record.window_id);
}

WindowMetadata metadata_of(const WindowRecord& record) {
  return WindowMetadata{record.class_name, record.ex_style, BrowserFacts{record.browser_family}};
}

WindowChange root_change(const WindowRecord& record, WindowChangeType change) {
  WindowChange out;
  out.change = change;
  out.kind = record.kind;
  out.title = record.title;
  out.pid = record.pid;
  out.ref = record.ref;
  out.is_modal = record.is_modal;
  out.metadata = metadata_of(record);
  return out;
}

}  // namespace winhelper
