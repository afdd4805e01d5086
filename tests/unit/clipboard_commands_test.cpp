#include <gtest/gtest.h>

#include "clipboard/clipboard_access.h"
#include "fakes/service_harness.h"

namespace winhelper {
namespace {

using fakes::error_of;
using fakes::ServiceHarness;

TEST(Clipboard, TextRoundTripsAndIsReadInPagesOfCharacters) {
  ServiceHarness h;
  // Accents, CJK and an emoji outside the Basic Multilingual Plane.
  const std::string text = "Grüße 你好 😀!";
  Json written = ask(h, "clipboardWrite", Json{{"text", text}});
  EXPECT_EQ(written["result"], Json::parse(R"({"totalChars":11})"));
  EXPECT_EQ(h.clipboard.text(), text);

  const std::pair<const char*, const char*> pages[] = {
      {R"({})", R"({"hasMore":false,"hasText":true,"limit":4096,"offset":0,"text":"Grüße 你好 😀!","totalChars":11})"},
      {R"({"offset":6,"limit":4})", R"({"hasMore":true,"hasText":true,"limit":4,"offset":6,"text":"你好 😀","totalChars":11})"},
      {R"({"offset":20,"limit":-1})", R"({"hasMore":false,"hasText":true,"limit":4096,"offset":20,"text":"","totalChars":11})"},
  };
  for (const auto& [args, page] : pages) {
    EXPECT_EQ(ask(h, "clipboardRead", args)["result"], Json::parse(page)) << args;
  }
}

TEST(Clipboard, NoTextSaysSo) {
  ServiceHarness h;
  EXPECT_EQ(ask(h, "clipboardRead")["result"],
            Json::parse(R"({"hasMore":false,"hasText":false,"limit":4096,"offset":0,"text":"","totalChars":0})"));
}

TEST(Clipboard, WritesThatWouldLoseTextAreRefused) {
  ServiceHarness h;
  EXPECT_EQ(error_of(ask(h, "clipboardWrite", R"({"text":5})")),
            "invalid_request: clipboardWrite requires text");
  EXPECT_EQ(error_of(ask(h, "clipboardWrite", R"({"text":"a\u0000b"})")),
            "invalid_request: clipboardWrite text must not contain NUL characters");
  EXPECT_EQ(h.clipboard.attempts(), 0);
}

TEST(Clipboard, ABusyClipboardIsWaitedOutForABoundedTime) {
  fakes::FakeDesktop desk;
  desk.clipboard.set_text("held");
  desk.clipboard.hold_for(5);
  auto read = read_clipboard_text(desk.clipboard, desk.clock);
  ASSERT_TRUE(read.ok());
  EXPECT_EQ(*read, std::optional<std::string>("held"));
  EXPECT_EQ(desk.clipboard.attempts(), 6);

  desk.clipboard.hold_for(1'000'000);
  const std::int64_t start = desk.clock.now_ms();
  Status written = write_clipboard_text(desk.clipboard, desk.clock, "x");
  ASSERT_FALSE(written.ok());
  EXPECT_EQ(written.error(), internal_error(kClipboardBusyMessage));
  EXPECT_EQ(desk.clock.now_ms() - start, kClipboardRetryMs);
  EXPECT_EQ(desk.clipboard.text(), std::optional<std::string>("held"));

  desk.clipboard.hold_for(0);
  desk.clipboard.fail_with("Out of memory (0x8007000E)");
  auto failed = read_clipboard_text(desk.clipboard, desk.clock);
  ASSERT_FALSE(failed.ok());
  EXPECT_EQ(failed.error(), internal_error("Clipboard failed: Out of memory (0x8007000E)"));
}

}  // namespace
}  // namespace winhelper
