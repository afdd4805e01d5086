// Whole `look` response lines on the fake desktop, compared byte for byte
// with tests/unit/golden/look_lines.txt, so that arguments added to `look`
// cannot change what hosts that never send them receive. Run with
// WINHELPER_UPDATE_GOLDEN=1 to rewrite the file after a deliberate change.

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "fakes/service_harness.h"

namespace winhelper {
namespace {

using fakes::FakeCaptureWindow;
using fakes::FakeElement;
using fakes::FakeScreen;

const std::string kGoldenFile = std::string(WINHELPER_TEST_SOURCE_DIR) + "/unit/golden/look_lines.txt";

// A 48 x 32 window with a button, a check box, an edit with a value, a
// password edit and a list of two items.
void build_scene(fakes::ServiceHarness& h) {
  const ScreenRect frame{100, 50, 148, 82};
  WindowHandle handle = h.windows.add({.title = "Form", .class_name = "FormWindow", .rect = frame});
  FakeCaptureWindow capture;
  capture.rect = frame;
  capture.printed = FakeScreen::solid(48, 32, 10, 20, 30);
  h.screen.windows[handle] = capture;
  FakeElement& root = h.uia.add_window(handle, "Form");
  root.rect = frame;
  auto child = [&](FakeElement& parent, int type, const char* name, ScreenRect rect) -> FakeElement& {
    FakeElement& e = h.uia.add_child(parent, name);
    e.control_type = type;
    e.name = name;
    e.rect = rect;
    return e;
  };
  child(root, 50000, "OK", {104, 54, 124, 62}).invoke = true;
  child(root, 50002, "Wrap", {126, 54, 146, 62}).toggle = true;
  FakeElement& edit = child(root, 50004, "Name:", {104, 64, 146, 70});
  edit.value_pattern = true;
  edit.value = "Ada \"L\"";
  edit.keyboard_focusable = true;
  edit.automation_id = "1003";
  FakeElement& password = child(root, 50004, "Password:", {104, 71, 146, 76});
  password.value_pattern = true;
  password.password = true;
  password.value = "secret";
  FakeElement& list = child(root, 50008, "Fruit:", {104, 77, 146, 82});
  list.scroll = true;
  child(list, 50007, "Apple", {105, 77, 145, 79}).selection_item = true;
  child(list, 50007, "Pear", {105, 79, 145, 81}).selection_item = true;
}

const std::vector<std::string> kRequests = {
    R"({"protocolVersion":4,"id":"g1","cmd":"look","args":{"rootRef":"@w1"}})",
    R"({"protocolVersion":4,"id":"g2","cmd":"look","args":{"rootRef":"@w1","maxDimension":24,"readText":"never"}})",
    R"({"protocolVersion":4,"id":"g3","cmd":"screenshot","args":{"windowRef":"@w1","includeImage":false}})",
    R"({"protocolVersion":4,"id":"g4","cmd":"look","args":{"rootRef":"@w1","scopeRef":"win:look_2:@e14","includeImage":false}})",
    R"({"protocolVersion":4,"id":"g5","cmd":"look","args":{"rootRef":"@w1","scopeRef":"win:look_2:@e14","baseLookId":"look_1"}})",
    R"({"protocolVersion":4,"id":"g6","cmd":"look","args":{"rootRef":"@w1","scopeRef":"win:look_2:@e14","baseLookId":"look_4"}})",
};

TEST(LookGolden, ResponsesWithoutNewerArgumentsStayByteForByte) {
  fakes::ServiceHarness h;
  build_scene(h);
  std::vector<std::string> responses;
  for (const std::string& request : kRequests) {
    const std::size_t before = h.output.lines().size();
    h.send(request);
    ASSERT_TRUE(h.output.wait_for_lines(before + 1)) << request;
    responses.push_back(h.output.lines()[before]);
  }

  if (std::getenv("WINHELPER_UPDATE_GOLDEN") != nullptr) {
    std::ofstream out(kGoldenFile, std::ios::binary | std::ios::trunc);
    for (std::size_t i = 0; i < kRequests.size(); ++i) out << kRequests[i] << '\n' << responses[i] << '\n';
    GTEST_SKIP() << "rewrote " << kGoldenFile;
  }
  std::ifstream in(kGoldenFile, std::ios::binary);
  ASSERT_TRUE(in) << "missing " << kGoldenFile;
  for (std::size_t i = 0; i < kRequests.size(); ++i) {
    std::string request;
    std::string response;
    ASSERT_TRUE(std::getline(in, request) && std::getline(in, response)) << "golden file too short";
    EXPECT_EQ(request, kRequests[i]);
    EXPECT_EQ(responses[i], response) << "response to " << kRequests[i];
  }
}

}  // namespace
}  // namespace winhelper
