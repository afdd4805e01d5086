#include <gtest/gtest.h>

#include <limits>

#include "fakes/service_harness.h"
#include "uia/session.h"
#include "uia/text_reading.h"

namespace winhelper {
namespace {

using fakes::FakeElement;
using fakes::ServiceHarness;
using uia::page_text;

constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();

TEST(TextPaging, PagesByCharactersWithASaturatingEnd) {
  const std::string ten = "abcdefghij";
  struct Case {
    std::uint64_t offset, limit;
    std::string text;
    bool has_more;
  } cases[] = {
      {0, 4, "abcd", true},  {8, 4, "ij", false},     {10, 4, "", false},
      {25, 4, "", false},    {3, 0, "", true},        {0, 10, "abcdefghij", false},
      {2, kMax, "cdefghij", false},  {kMax, kMax, "", false},
  };
  for (const Case& c : cases) {
    auto page = page_text(ten, c.offset, c.limit);
    EXPECT_EQ(page.text, c.text) << c.offset << "+" << c.limit;
    EXPECT_EQ(page.has_more, c.has_more) << c.offset << "+" << c.limit;
    EXPECT_EQ(page.total_chars, 10u);
  }
}

TEST(TextPaging, CountsScalarValuesNotBytesOrUtf16Units) {
  const std::string emoji = "\xF0\x9F\x98\x80\xF0\x9F\x8E\x89\xF0\x9F\x9A\x80";  // 3 outside the BMP
  auto page = page_text(emoji, 1, 1);
  EXPECT_EQ(page.total_chars, 3u);
  EXPECT_EQ(page.text, "\xF0\x9F\x8E\x89");
  EXPECT_TRUE(page.has_more);

  auto mixed = page_text("a\xC3\xA9\xE2\x82\xAC" "b", 1, 2);  // a é € b
  EXPECT_EQ(mixed.total_chars, 4u);
  EXPECT_EQ(mixed.text, "\xC3\xA9\xE2\x82\xAC");
  EXPECT_EQ(page_text("", 0, 5).total_chars, 0u);
}

TEST(TextSources, DocumentThenValueThenNameAndFailuresAreErrors) {
  fakes::FakeUia client;
  FakeElement& root = client.add_window(1);
  root.name = "Editor";
  root.text_pattern = true;
  root.document_text = "document";
  root.value_pattern = true;
  root.value = "value";

  auto read = [&]() -> std::string {
    auto session = uia::open_session(client);
    auto element = session.value()->element_from_handle(1);
    auto text = uia::read_element_text(*element.value(), 4096);
    return text ? text->text : "error " + text.error().message;
  };
  EXPECT_EQ(read(), "document");
  root.document_text = "";
  EXPECT_EQ(read(), "value");
  // A document that cannot be read is an error, never the value or the name.
  root.document_text = std::nullopt;
  EXPECT_EQ(read(), "error TextPattern.GetText: read failed (0x80004005)");
  root.document_text = "";
  root.value = std::nullopt;
  EXPECT_EQ(read(), "error CurrentValue: read failed (0x80004005)");
  root.value = "";
  EXPECT_EQ(read(), "Editor");
  root.text_pattern = false;
  root.value_pattern = false;
  EXPECT_EQ(read(), "Editor");
  root.name = std::nullopt;
  EXPECT_EQ(read(), "error CurrentName: read failed (0x80004005)");
  EXPECT_EQ(client.sessions_open(), 0);
  EXPECT_EQ(client.objects_alive_at_close(), 0);
}

// A page reads the document only up to its end and one character more; the
// total then comes from the provider's count, in its characters (UTF-16 units
// here), never below what was read.
TEST(TextSources, DocumentsAreReadOnlyAsFarAsThePageNeeds) {
  fakes::FakeUia client;
  FakeElement& root = client.add_window(1);
  root.text_pattern = true;
  root.document_text = std::string(10000, 'x') + "\xF0\x9F\x98\x80";
  struct Case {
    std::uint64_t offset, limit;
    int bound;
    std::uint64_t total;
    bool has_more;
    std::size_t page_bytes;
  } cases[] = {
      {0, 4, 10, 10002, true, 4},          // the provider counts the emoji's two units
      {9998, 2, 20002, 10001, true, 2},    // read to the end: exact
      {9999, 4096, 28192, 10001, false, 5},
      {0, kMax, -1, 10001, false, 10004},  // no bound that fits: all of it
  };
  for (const Case& c : cases) {
    root.document_reads.clear();
    auto session = uia::open_session(client);
    auto element = session.value()->element_from_handle(1);
    auto read = uia::read_element_text(*element.value(), uia::page_end(c.offset, c.limit));
    ASSERT_TRUE(read);
    auto page = uia::page_element_text(read.value(), c.offset, c.limit);
    EXPECT_EQ(root.document_reads, std::vector<int>{c.bound}) << c.offset;
    EXPECT_EQ(page.total_chars, c.total) << c.offset;
    EXPECT_EQ(page.has_more, c.has_more) << c.offset;
    EXPECT_EQ(page.text.size(), c.page_bytes) << c.offset;
  }
}

std::string outcome(const Json& response) {
  return fakes::error_of(response);
}

class ReadTextCommand : public ::testing::Test {
 protected:
  ReadTextCommand() {
    FakeElement& root = h.uia.add_window(0x500);
    field = &h.uia.add_child(root, "field");
    field->automation_id = "body";
    field->value_pattern = true;
    field->value = "0123456789";
    Look look;
    look.window_id = 0x500;
    look.elements["win:look_1:@e1"] = ElementRecord{
        .automation_id = "body", .runtime_id = *field->runtime_id, .window_id = 0x500};
    look.elements["win:look_1:@e2"] = ElementRecord{
        .runtime_id = {7, 999}, .window_id = 0x501, .is_password = true};
    auto state = h.shared.state.lock();
    (*state)->looks.store("look_1", look);
  }

  Json read(Json args) {
    if (!args.contains("lookId")) args["lookId"] = "look_1";
    return ask(h, "uiaReadText", args);
  }

  ServiceHarness h;
  FakeElement* field = nullptr;
};

TEST_F(ReadTextCommand, ReadsTheLiveTextInPages) {
  Json first = read({{"elementRef", "win:look_1:@e1"}, {"limit", 4}});
  ASSERT_EQ(outcome(first), "ok") << first;
  EXPECT_EQ(first["result"], Json::parse(R"({"hasMore":true,"limit":4,"offset":0,"text":"0123","totalChars":10})"));

  field->value = "changed";  // each call reads afresh
  Json second = ask(h, "axReadText", {{"lookId", "look_1"}, {"elementRef", "win:look_1:@e1"},
                                      {"offset", -3}, {"limit", 2.5}});
  EXPECT_EQ(second["result"], Json::parse(R"({"hasMore":false,"limit":4096,"offset":0,"text":"changed","totalChars":7})"));
  EXPECT_EQ(h.uia.sessions_open(), 0);
  EXPECT_EQ(h.uia.objects_alive_at_close(), 0);
}

TEST_F(ReadTextCommand, RefusesPasswordFieldsWithoutTouchingTheApplication) {
  // @e2's window does not exist any more; the refusal still comes first.
  Json refused = read({{"elementRef", "win:look_1:@e2"}});
  EXPECT_EQ(outcome(refused),
            "secure_text_unreadable: Refers to a secure text field; refusing to read its value");
  EXPECT_EQ(h.uia.sessions_opened(), 0);
}

// The element found now decides too: a field that became a password field
// since the look is refused, and a failing document is an error, not the name.
TEST_F(ReadTextCommand, TheLiveElementIsCheckedAndItsFailuresReported) {
  field->password = true;
  EXPECT_EQ(outcome(read({{"elementRef", "win:look_1:@e1"}})),
            "secure_text_unreadable: Refers to a secure text field; refusing to read its value");
  field->password = std::nullopt;
  EXPECT_EQ(outcome(read({{"elementRef", "win:look_1:@e1"}})),
            "internal_error: CurrentIsPassword: read failed (0x80004005)");
  EXPECT_EQ(h.uia.password_value_reads(), 0);

  field->password = false;
  field->name = "Body";
  field->text_pattern = true;
  field->document_text = std::nullopt;
  EXPECT_EQ(outcome(read({{"elementRef", "win:look_1:@e1"}})),
            "internal_error: TextPattern.GetText: read failed (0x80004005)");
  EXPECT_EQ(h.uia.sessions_open(), 0);
}

TEST_F(ReadTextCommand, ArgumentAndReferenceErrors) {
  EXPECT_EQ(outcome(ask(h, "axReadText", {{"elementRef", "win:look_1:@e1"}})),
            "invalid_request: uiaReadText requires lookId");
  EXPECT_EQ(outcome(read({{"elementRef", 5}})), "invalid_request: uiaReadText requires elementRef");
  EXPECT_EQ(outcome(read({{"lookId", "look_9"}, {"elementRef", "win:look_9:@e1"}})),
            "stale_look: Owning look is no longer available");
  EXPECT_EQ(outcome(read({{"elementRef", "win:look_1:@e7"}})),
            "stale_ref: Element reference is stale");
}

TEST_F(ReadTextCommand, LiveResolutionFailuresMapToStaleOrInternal) {
  field->automation_id = "renamed";
  field->runtime_id = uia::RuntimeId{7, 12345};
  EXPECT_EQ(outcome(read({{"elementRef", "win:look_1:@e1"}})),
            "stale_ref: Element reference is stale");

  h.uia.open_failure = uia::OpenFailure{uia::OpenFailure::Stage::CreateAutomation, 0,
                                        "Class not registered (0x80040154)"};
  EXPECT_EQ(outcome(read({{"elementRef", "win:look_1:@e1"}})),
            "internal_error: CoCreateInstance IUIAutomation: Class not registered (0x80040154)");

  // A provider's wording never decides the code.
  h.uia.open_failure.reset();
  h.uia.element_from_handle_failure = "The element is stale (0x80004005)";
  EXPECT_EQ(outcome(read({{"elementRef", "win:look_1:@e1"}})),
            "internal_error: ElementFromHandle: The element is stale (0x80004005)");
}

}  // namespace
}  // namespace winhelper
