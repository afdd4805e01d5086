#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <stdexcept>

#include "fakes/service_harness.h"
#include "observe/look_access.h"
#include "png_decode.h"
#include "windows/window_classes.h"

namespace winhelper {
namespace {

using fakes::error_of;
using fakes::FakeCaptureWindow;
using fakes::FakeElement;
using fakes::FakeScreen;
using fakes::FakeWindow;
using fakes::ServiceHarness;

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

class LookCommandTest : public ::testing::Test {
 protected:
  Json ask(const std::string& cmd, const std::string& args) { return fakes::ask(h, cmd, args); }
  Json look(const std::string& args) { return ask("look", args); }

  // A 400 x 300 window at (10, 20) that prints a solid colour, with a UI
  // tree of its root element and one button.
  WindowHandle add_window(const std::string& title, std::string class_name = "AppWindow") {
    WindowHandle handle = h.windows.add(
        {.title = title, .class_name = std::move(class_name), .rect = ScreenRect{10, 20, 410, 320}});
    FakeCaptureWindow capture;
    capture.rect = ScreenRect{10, 20, 410, 320};
    capture.printed = FakeScreen::solid(400, 300, 30, 120, 200);
    h.screen.windows[handle] = capture;
    FakeElement& root = h.uia.add_window(handle, title);
    root.rect = ScreenRect{10, 20, 410, 320};
    FakeElement& button = h.uia.add_child(root, title + " button");
    button.control_type = 50000;
    button.name = "OK";
    button.rect = ScreenRect{110, 70, 210, 100};
    button.invoke = true;
    return handle;
  }

  Look stored(const std::string& look_id) {
    auto look = find_look(h.shared, look_id, kDefaultSession);
    EXPECT_TRUE(look.ok());
    EXPECT_TRUE(look.ok() && look->has_value()) << look_id << " not kept";
    return look.ok() && look->has_value() ? **look : Look{};
  }

  ServiceHarness h;
};

TEST_F(LookCommandTest, ArgumentsFallBackAndBadOnesAreRefused) {
  add_window("Editor");
  EXPECT_EQ(error_of(look(R"({"rootRef":"@w1","readText":"Auto"})")),
            "invalid_request: readText must be auto, always, or never");
  EXPECT_EQ(error_of(look("{}")), "invalid_request: look requires rootRef or windowId");
  EXPECT_EQ(error_of(look("null")), "invalid_request: look requires rootRef or windowId");
  // A present rootRef hides windowRef even when it is no string.
  EXPECT_EQ(error_of(look(R"({"rootRef":7,"windowRef":"@w1"})")),
            "invalid_request: look requires rootRef or windowId");
  EXPECT_EQ(error_of(look(R"({"windowId":1.5})")),
            "invalid_request: look requires rootRef or windowId");
  EXPECT_EQ(error_of(look(R"({"rootRef":"@w9"})")), "target_not_found: Root not found");
  EXPECT_EQ(error_of(look(R"({"rootRef":" @w1"})")), "target_not_found: Root not found");

  Json by_window_ref = look(R"({"windowRef":"@w1","readText":"never"})");
  ASSERT_EQ(error_of(by_window_ref), "ok");
  EXPECT_EQ(by_window_ref["result"]["window"]["rootRef"], "@w1");
  EXPECT_EQ(by_window_ref["result"]["readText"], Json::parse(R"({"executed":false,"requested":"never"})"));
  auto handle = by_window_ref["result"]["window"]["windowId"].get<WindowHandle>();
  Json by_id = look(R"({"windowId":)" + std::to_string(handle) + "}");
  ASSERT_EQ(error_of(by_id), "ok");
  EXPECT_EQ(by_id["result"]["readText"]["requested"], "auto");
}

TEST_F(LookCommandTest, MaxDimensionIsClampedAndOddValuesCountAsAbsent) {
  add_window("Editor");
  auto size = [&](const std::string& max) {
    Json r = look(R"({"rootRef":"@w1","maxDimension":)" + max + "}");
    EXPECT_EQ(error_of(r), "ok") << max;
    return std::make_pair(r["result"]["image"]["width"].get<int>(),
                          r["result"]["image"]["height"].get<int>());
  };
  EXPECT_EQ(size("100"), std::make_pair(100, 75));
  EXPECT_EQ(size("0"), std::make_pair(1, 1));
  EXPECT_EQ(size("99999"), std::make_pair(400, 300));
  EXPECT_EQ(size("-5"), std::make_pair(400, 300));
  EXPECT_EQ(size("50.5"), std::make_pair(400, 300));
  EXPECT_EQ(size(R"("100")"), std::make_pair(400, 300));
}

TEST_F(LookCommandTest, FirstLookListsTheRootsAndReturnsImageOutlineAndWindow) {
  add_window("Editor");
  // Time spent listing counts in the total but not in the capture.
  h.windows.on_enumerate([&](int) { h.clock.advance(25); });
  Json r = look(R"({"rootRef":"@w1"})");
  ASSERT_EQ(error_of(r), "ok");
  const Json& result = r["result"];
  EXPECT_EQ(result["lookId"], "look_1");

  const Json& image = result["image"];
  EXPECT_EQ(image["mimeType"], "image/png");
  auto decoded = testing_png::decode_base64(image["jpegBase64"].get<std::string>());
  EXPECT_EQ(decoded.width, 400);
  EXPECT_EQ(decoded.height, 300);
  EXPECT_EQ(image["width"], 400);
  EXPECT_EQ(image["height"], 300);
  EXPECT_EQ(decoded.rgba[0], 200);  // red, swapped from the window's blue-first bytes

  const Json& window = result["window"];
  EXPECT_EQ(window["framePoints"], Json::parse(R"({"h":300,"w":400,"x":10,"y":20})"));
  EXPECT_EQ(window["kind"], "window");
  EXPECT_EQ(window["role"], "Window");
  EXPECT_EQ(window["subrole"], "AppWindow");
  EXPECT_EQ(window["isModal"], false);
  EXPECT_EQ(window["scaleFactor"], 1.0);
  EXPECT_EQ(window["metadata"]["className"], "AppWindow");

  const Json& outline = result["outline"];
  EXPECT_EQ(outline["ref"], "@w1");
  EXPECT_EQ(outline["title"], "Editor");
  EXPECT_EQ(outline["rect"], Json::parse(R"({"h":300.0,"w":400.0,"x":0.0,"y":0.0})"));
  ASSERT_EQ(outline["children"].size(), 1u);
  const Json& root_element = outline["children"][0];
  EXPECT_EQ(root_element["ref"], "win:look_1:@e1");
  ASSERT_EQ(root_element["children"].size(), 1u);
  const Json& button = root_element["children"][0];
  EXPECT_EQ(button["ref"], "win:look_1:@e2");
  EXPECT_EQ(button["title"], "OK");
  EXPECT_EQ(button["rect"], Json::parse(R"({"h":30.0,"w":100.0,"x":100.0,"y":50.0})"));

  const Json& timings = result["timings"];
  EXPECT_EQ(timings.size(), 4u);
  for (const char* key : {"captureMs", "describeMs", "readTextMs", "totalMs"})
    EXPECT_TRUE(timings[key].is_number_integer()) << key;
  EXPECT_EQ(timings["readTextMs"], 0);
  EXPECT_EQ(timings["captureMs"], 0);
  EXPECT_GE(timings["totalMs"].get<int>(), 25);
  EXPECT_DOUBLE_EQ(result["capturedAt"].get<double>(), h.clock.wall_seconds());

  Look kept = stored("look_1");
  EXPECT_TRUE(kept.has_image);
  EXPECT_EQ(kept.image_width, 400);
  EXPECT_EQ(kept.elements.count("win:look_1:@e2"), 1u);
  EXPECT_EQ(kept.pid, 100u);
  // The listing was recorded: a second look needs none.
  EXPECT_EQ(error_of(look(R"({"rootRef":"@w1"})")), "ok");
}

TEST_F(LookCommandTest, ScaledImageScalesTheOutlineAndNoImageKeepsFrameUnits) {
  add_window("Editor");
  Json scaled = look(R"({"rootRef":"@w1","maxDimension":200})");
  ASSERT_EQ(error_of(scaled), "ok");
  EXPECT_EQ(scaled["result"]["outline"]["children"][0]["children"][0]["rect"],
            Json::parse(R"({"h":15.0,"w":50.0,"x":50.0,"y":25.0})"));

  Json plain = look(R"({"rootRef":"@w1","includeImage":false,"maxDimension":200})");
  ASSERT_EQ(error_of(plain), "ok");
  EXPECT_FALSE(plain["result"].contains("image"));
  EXPECT_EQ(plain["result"]["outline"]["children"][0]["children"][0]["rect"],
            Json::parse(R"({"h":30.0,"w":100.0,"x":100.0,"y":50.0})"));
  Look kept = stored(plain["result"]["lookId"]);
  EXPECT_FALSE(kept.has_image);
  EXPECT_EQ(kept.image_width, kept.frame_width);
  // Refs of every look are numbered from the one shared counter.
  EXPECT_EQ(plain["result"]["outline"]["children"][0]["ref"], "win:look_2:@e3");
}

TEST_F(LookCommandTest, MenusAreObservedWithoutAnImage) {
  add_window("Context", kMenuClass);
  h.screen.calls.clear();
  Json r = look(R"({"rootRef":"@w1","includeImage":true})");
  ASSERT_EQ(error_of(r), "ok");
  EXPECT_FALSE(r["result"].contains("image"));
  EXPECT_EQ(r["result"]["window"]["kind"], "menu");
  EXPECT_TRUE(h.screen.calls.empty());
  EXPECT_FALSE(stored("look_1").has_image);
  EXPECT_EQ(r["result"]["outline"]["children"].size(), 1u);
}

TEST_F(LookCommandTest, CaptureFailuresPassThroughAndDrawNoLookId) {
  add_window("Editor");
  h.screen.fail.window_dc = true;
  EXPECT_EQ(error_of(look(R"({"rootRef":"@w1"})")), "capture_failed: GetDC failed");
  EXPECT_EQ(h.screen.held, 0);
  h.screen.fail.window_dc = false;
  EXPECT_EQ(error_of(look(R"({"rootRef":"@w1","scopeRef":"win:look_7:@e1"})")),
            "stale_ref: Scope ref is stale or outside the target root");
  Json r = look(R"({"rootRef":"@w1"})");
  EXPECT_EQ(r["result"]["lookId"], "look_1");
  EXPECT_EQ(h.shared.state.lock().value()->looks.size(), 1u);
}

TEST_F(LookCommandTest, AWindowWithoutAPictureIsLookedAtWithoutItsElements) {
  WindowHandle handle = add_window("Editor");
  h.screen.windows[handle].rect = ScreenRect{10, 20, 10, 320};
  Json r = look(R"({"rootRef":"@w1"})");
  ASSERT_EQ(error_of(r), "ok");
  EXPECT_FALSE(r["result"].contains("image"));
  EXPECT_TRUE(r["result"]["outline"]["children"].empty());
  EXPECT_EQ(h.uia.sessions_opened(), 0);
}

TEST_F(LookCommandTest, PoisonedStateLockFailsTheLook) {
  add_window("Editor");
  ASSERT_EQ(error_of(ask("listWindows", "{}")), "ok");
  try {
    auto state = h.shared.state.lock();
    throw std::runtime_error("holder died");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(error_of(look(R"({"rootRef":"@w1"})")), "internal_error: helper state lock poisoned");
}

TEST_F(LookCommandTest, RootsAreOnlyThoseOfTheLastListing) {
  WindowHandle handle = add_window("Editor");
  ASSERT_EQ(error_of(ask("listWindows", "{}")), "ok");
  // Closed after the listing: the record is still observed, the grab fails.
  h.screen.windows.erase(handle);
  EXPECT_EQ(error_of(look(R"({"rootRef":"@w1"})")), "capture_failed: Failed to get window bounds");
  // Opened after the listing: not observed until the next listing.
  add_window("Other");
  EXPECT_EQ(error_of(look(R"({"rootRef":"@w2"})")), "target_not_found: Root not found");
  h.windows.remove(handle);
  ASSERT_EQ(error_of(ask("listWindows", "{}")), "ok");
  EXPECT_EQ(error_of(look(R"({"rootRef":"@w1"})")), "target_not_found: Root not found");
  EXPECT_EQ(error_of(look(R"({"rootRef":"@w2"})")), "ok");
}

TEST_F(LookCommandTest, EvictedLooksGoStaleAfterEightNewerOnes) {
  add_window("Editor");
  for (int i = 1; i <= 10; ++i) {
    Json r = look(R"({"rootRef":"@w1","includeImage":false})");
    EXPECT_EQ(r["result"]["lookId"], "look_" + std::to_string(i));
  }
  EXPECT_FALSE(find_look(h.shared, "look_2", kDefaultSession).value().has_value());
  EXPECT_TRUE(find_look(h.shared, "look_3", kDefaultSession).value().has_value());
}

TEST_F(LookCommandTest, ScopedLookShowsTheSubtreeAndInheritsTheOwnersRefs) {
  add_window("Editor");
  Json first = look(R"({"rootRef":"@w1","maxDimension":200})");
  ASSERT_EQ(error_of(first), "ok");
  const std::string scope = "win:look_1:@e2";

  Json scoped = look(R"({"rootRef":"@w1","includeImage":false,"scopeRef":")" + scope + R"("})");
  ASSERT_EQ(error_of(scoped), "ok");
  const Json& outline = scoped["result"]["outline"];
  EXPECT_EQ(outline["ref"], scope);
  EXPECT_EQ(outline["title"], "OK");
  EXPECT_TRUE(outline["children"].empty());
  // Drawn in the units of the refined look's half-size image, which the new
  // look maps points through.
  EXPECT_EQ(outline["rect"], Json::parse(R"({"h":15.0,"w":50.0,"x":50.0,"y":25.0})"));

  Look kept = stored("look_2");
  EXPECT_EQ(kept.elements.count(scope), 1u);
  EXPECT_EQ(kept.elements.count("win:look_1:@e1"), 1u);
  EXPECT_EQ(kept.elements.count("win:look_2:@e3"), 1u);
  // Frame, image size and image flag come from the owning look.
  EXPECT_TRUE(kept.has_image);
  EXPECT_EQ(kept.image_width, 200);

  // Found again through the scoped look, and through an explicit base look.
  EXPECT_EQ(error_of(look(R"({"rootRef":"@w1","scopeRef":")" + scope +
                          R"(","baseLookId":"look_2","includeImage":false})")),
            "ok");
  EXPECT_EQ(error_of(look(R"({"rootRef":"@w1","scopeRef":")" + scope +
                          R"(","baseLookId":"look_99"})")),
            "stale_ref: Scope ref is stale or outside the target root");
  EXPECT_EQ(error_of(look(R"({"rootRef":"@w1","scopeRef":"win:look_1:@E2"})")),
            "stale_ref: Scope ref is stale or outside the target root");
}

TEST_F(LookCommandTest, ScopeRefOfAnotherRootIsRefusedAndAVanishedScopeIsStale) {
  add_window("Editor");
  WindowHandle other = add_window("Other");
  ASSERT_EQ(error_of(look(R"({"rootRef":"@w2","includeImage":false})")), "ok");
  EXPECT_EQ(error_of(look(R"({"rootRef":"@w1","scopeRef":"win:look_1:@e2"})")),
            "stale_ref: Scope ref is stale or outside the target root");

  // The element has gone from the live tree since the look was taken.
  h.uia.windows()[other]->children.clear();
  EXPECT_EQ(error_of(look(R"({"rootRef":"@w2","scopeRef":"win:look_1:@e2","includeImage":false})")),
            "stale_ref: Element reference is stale");
  h.uia.element_from_handle_failure = "Invalid window handle. (0x80070578)";
  EXPECT_EQ(error_of(look(R"({"rootRef":"@w2","scopeRef":"win:look_1:@e2","includeImage":false})")),
            "internal_error: ElementFromHandle: Invalid window handle. (0x80070578)");
  EXPECT_EQ(h.shared.state.lock().value()->looks.size(), 1u);
}

TEST_F(LookCommandTest, UnavailableAutomationWarnsOncePerLookAndLooksGoOn) {
  add_window("Editor");
  h.uia.open_failure = uia::OpenFailure{uia::OpenFailure::Stage::CreateAutomation, 0x80040154,
                                        "0x80040154"};
  ::testing::internal::CaptureStderr();
  Json with_image = look(R"({"rootRef":"@w1"})");
  Json without_image = look(R"({"rootRef":"@w1","includeImage":false})");
  std::string err = ::testing::internal::GetCapturedStderr();
  ASSERT_EQ(error_of(with_image), "ok");
  ASSERT_EQ(error_of(without_image), "ok");
  EXPECT_TRUE(with_image["result"].contains("image"));
  EXPECT_TRUE(with_image["result"]["outline"]["children"].empty());
  const std::string line = "[uia] WARN extraction skipped: CoCreateInstance IUIAutomation: 0x80040154";
  EXPECT_EQ(lines_of(err), (std::vector<std::string>{line, line}));
}

TEST_F(LookCommandTest, UnreachableWindowsAreCopiedFromTheScreenWithoutTheirElements) {
  WindowHandle hung = add_window("Hung");
  WindowHandle elevated = add_window("Elevated");
  WindowHandle slow = add_window("Slow");
  for (WindowHandle w : {hung, elevated, slow}) {
    h.screen.windows[w].on_screen = FakeScreen::solid(400, 300, 90, 90, 90);
  }
  h.windows.edit(hung, [](FakeWindow& w) { w.hung = true; });
  h.windows.edit(slow, [](FakeWindow& w) { w.slow = true; });
  h.windows.edit(elevated, [](FakeWindow& w) { w.pid = 300; });
  h.windows.set_own_privilege({0x2000, false});
  h.windows.set_integrity(300, 0x3000);

  ::testing::internal::CaptureStderr();
  Json hung_look = look(R"({"rootRef":"@w1"})");
  Json elevated_look = look(R"({"rootRef":"@w2","includeImage":false})");
  Json slow_look = look(R"({"rootRef":"@w3"})");
  std::string err = ::testing::internal::GetCapturedStderr();

  ASSERT_EQ(error_of(hung_look), "ok");
  ASSERT_EQ(error_of(elevated_look), "ok");
  ASSERT_EQ(error_of(slow_look), "ok");
  EXPECT_TRUE(hung_look["result"].contains("image"));
  EXPECT_TRUE(hung_look["result"]["outline"]["children"].empty());
  EXPECT_TRUE(elevated_look["result"]["outline"]["children"].empty());
  // A window that is merely slow to answer keeps its elements.
  EXPECT_EQ(slow_look["result"]["outline"]["children"].size(), 1u);
  EXPECT_EQ(std::count(h.screen.calls.begin(), h.screen.calls.end(), "PrintWindow"), 0);
  EXPECT_EQ(std::count(h.screen.calls.begin(), h.screen.calls.end(), "BitBlt(10,20)"), 2);
  EXPECT_EQ(h.uia.sessions_opened(), 1);
  // Only the picture asks whether the window answers.
  EXPECT_EQ(h.windows.answer_probes(), 1);
  const std::string skipped = "[uia] WARN extraction skipped: ";
  EXPECT_EQ(lines_of(err),
            (std::vector<std::string>{
                skipped + "the window is not responding",
                skipped + "the window belongs to a process running with higher privileges than "
                          "the helper, and Windows keeps UI Automation from reading it"}));
}

}  // namespace
}  // namespace winhelper
