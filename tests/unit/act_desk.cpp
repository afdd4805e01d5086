#include "act_desk.h"

#include <gtest/gtest.h>

#include <cmath>

namespace winhelper::act_test {

ActDesk::ActDesk() {
  other = h.windows.add({.title = "Other", .pid = 5});
  app = h.windows.add({.title = "App", .class_name = "AppWindow", .pid = kAppPid,
                       .rect = ScreenRect{100, 200, 500, 500}});
  h.windows.set_foreground_window(other);
  root = &h.uia.add_window(app, "root");
  root->rect = ScreenRect{100, 200, 500, 500};
  look.pid = kAppPid;
  look.window_id = app;
  look.frame_x = 100;
  look.frame_y = 200;
  look.frame_width = 400;
  look.frame_height = 300;
  look.image_width = 200;
  look.image_height = 150;
  look.has_image = true;
}

fakes::FakeElement& ActDesk::element(int n, ScreenRect rect, std::string class_name) {
  fakes::FakeElement& e = h.uia.add_child(*root, "e" + std::to_string(n));
  e.rect = rect;
  e.class_name = class_name;
  ElementRecord record;
  record.class_descriptor = class_name + " AppWindow";
  record.runtime_id = *e.runtime_id;
  record.window_id = app;
  record.x = static_cast<double>(rect.left);
  record.y = static_cast<double>(rect.top);
  record.width = static_cast<double>(rect.right - rect.left);
  record.height = static_cast<double>(rect.bottom - rect.top);
  look.elements["win:look_1:@e" + std::to_string(n)] = record;
  return e;
}

void ActDesk::hit_at_centre(fakes::FakeElement& element, fakes::FakeElement* hit) {
  const ScreenRect& r = *element.rect;
  // Rounded as the hit test rounds the unrounded centre.
  int x = static_cast<int>(std::lround(static_cast<double>(r.left + r.right) / 2.0));
  int y = static_cast<int>(std::lround(static_cast<double>(r.top + r.bottom) / 2.0));
  h.uia.elements_at_points[{x, y}] = hit ? hit : &element;
}

void ActDesk::store() { ASSERT_TRUE(store_look(h.shared, "look_1", look, kDefaultSession).ok()); }

void ActDesk::open_dialog_after_input() {
  h.windows.on_enumerate([this](int) {
    if (h.input_sink.calls().empty()) return;
    static thread_local bool busy = false;
    if (busy) return;
    busy = true;
    bool exists = false;
    for (WindowHandle w : h.windows.enumerate_top_level().handles) {
      if (h.windows.title(w) == "Confirm") exists = true;
    }
    if (!exists) {
      WindowHandle dialog = h.windows.add({.title = "Confirm", .class_name = "#32770",
                                           .pid = kAppPid, .owner = app});
      h.shared.window_event_log.on_raw_event({kEventObjectShow, dialog, 0, 0}, h.windows);
    }
    busy = false;
  });
}

}  // namespace winhelper::act_test
