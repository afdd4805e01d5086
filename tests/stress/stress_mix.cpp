#include "stress/stress_mix.h"

#include <array>
#include <string_view>

namespace winhelper::stress {

namespace {

struct Template {
  const char* cmd;
  const char* args;
};

// Plausible arguments for every command of the protocol. Commands that are
// not on the fake desktop yet answer unsupported_command; once they land,
// these lines reach them unchanged, on the same windows and looks.
constexpr std::array<Template, 22> kValid = {{
    {"diagnostics", "{}"},
    {"diagnostics", "null"},
    {"listWindows", "{}"},
    {"listRoots", R"({"pid":4242})"},
    {"focusWindow", R"({"rootRef":"@w1"})"},
    {"focusWindow", R"({"windowRef":"@w2"})"},
    {"openBrowserLocation", R"({"appName":"edge","url":"https://example.com/"})"},
    {"uiaReadText", R"({"lookId":"look_1","elementRef":"win:look_1:@e3","offset":0,"limit":64})"},
    {"axReadText", R"({"lookId":"look_2","elementRef":"win:look_2:@e1"})"},
    {"uiaWaitFor", R"({"rootRef":"@w1","text":"save","timeoutMs":100})"},
    {"axWaitFor", R"({"pid":4242,"role":"button","gone":true,"timeoutMs":100})"},
    {"look", R"({"rootRef":"@w1","includeImage":true,"maxDimension":640,"readText":"auto"})"},
    {"look", R"({"rootRef":"@w2","scopeRef":"win:look_1:@e2","baseLookId":"look_1"})"},
    {"screenshot", R"({"windowRef":"@w1","includeImage":false})"},
    {"act", R"({"lookId":"look_1","action":"click","policy":"ax_only","target":{"ref":"win:look_1:@e2"},"pid":4242})"},
    {"act", R"({"lookId":"look_1","action":"click","policy":"foreground","target":{"x":12,"y":30},"pid":4242,"params":{"button":"left"}})"},
    {"act", R"({"lookId":"look_2","action":"setText","policy":"foreground","target":{"ref":"win:look_2:@e4"},"params":{"text":"hello"}})"},
    {"act", R"({"lookId":"look_1","action":"keypress","policy":"foreground","target":{"x":5,"y":5},"params":{"keys":["ctrl","a"]}})"},
    {"act", R"({"lookId":"look_1","action":"drag","policy":"foreground","target":{"x":1,"y":1},"params":{"path":[{"x":1,"y":1},{"x":40,"y":9}]}})"},
    {"actBatch", R"({"actions":[{"lookId":"look_1","action":"click","policy":"foreground","target":{"ref":"win:look_1:@e2"},"pid":4242},{"lookId":"look_1","action":"typeText","policy":"foreground","target":{"x":3,"y":4},"pid":4242,"params":{"text":"abc"}}]})"},
    {"actBatch", R"({"actions":[{"lookId":"look_3","action":"scroll","policy":"ax_only","target":{"ref":"win:look_3:@e7"},"pid":4242,"params":{"scrollY":-3}}]})"},
    {"act", R"({"lookId":"look_1","action":"moveMouse","policy":"foreground","target":{"x":100.5,"y":7},"pid":4242})"},
}};

std::string request(const std::string& id, std::string_view cmd, std::string_view args,
                    int version = 4) {
  std::string out = R"({"protocolVersion":)" + std::to_string(version) + R"(,"id":")" + id +
                    R"(","cmd":")";
  out += cmd;
  out += R"(","args":)";
  out += args;
  out += '}';
  return out;
}

StressLine answer(std::string text, std::string id, std::optional<std::string> code,
                  std::string message_part = {}) {
  StressLine line;
  line.text = std::move(text);
  line.id = std::move(id);
  line.code = std::move(code);
  line.message_part = std::move(message_part);
  return line;
}

StressLine success(std::string text, std::string id) {
  StressLine line = answer(std::move(text), std::move(id), std::nullopt);
  line.must_succeed = true;
  return line;
}

}  // namespace

StressLine StressMix::line(std::size_t index) {
  if (index + 1 == count_) {
    return answer("{\"id\":\"tail\",\xFF\xFE}", "unknown", "internal_error",
                  "Failed to read input line: stream did not contain valid UTF-8");
  }
  for (std::size_t k = 1; k <= 7; ++k) {
    if (index == count_ * k / 8) return special(k);
  }
  std::uint32_t roll = random_() % 100;
  if (roll < 5) {
    static constexpr std::array<const char*, 3> kBlank = {"", " \t ", "\xC2\xA0\xE3\x80\x80"};
    StressLine blank;
    blank.text = kBlank[index % kBlank.size()];
    blank.answered = false;
    return blank;
  }
  if (roll < 65) return valid_request(index);
  return malformed(index);
}

StressLine StressMix::valid_request(std::size_t index) {
  const Template& t = kValid[random_() % kValid.size()];
  std::string id = "v" + std::to_string(index);
  StressLine line = answer(request(id, t.cmd, t.args), id, std::nullopt);
  line.must_succeed = std::string_view(t.cmd) == "diagnostics";
  return line;
}

StressLine StressMix::malformed(std::size_t index) {
  std::string id = "m" + std::to_string(index);
  switch (index % 10) {
    case 0:
      return answer("hello " + id, "unknown", "invalid_request", "expected value");
    case 1:
      return answer(R"({"protocolVersion":4,"id":")" + id + R"(","cmd":"diagnostics"})", id,
                    "invalid_request", "missing field `args`");
    case 2:
      return answer(R"({"protocolVersion":4,"id":)" + std::to_string(index) +
                        R"(,"cmd":"diagnostics","args":{}})",
                    "unknown", "invalid_request", "invalid type: integer");
    case 3:
      return answer(request(id, "nonsense", "{}", 3), id, "invalid_request",
                    "Unsupported Windows helper protocol 3; expected 4.");
    case 4:
      return answer(request(id, "Diagnostics", "{}"), id, "unsupported_command",
                    "Unknown command 'Diagnostics'");
    case 5:
      return answer(request(id, "diagnostics", "{}") + " {}", "unknown", "invalid_request",
                    "trailing characters");
    case 6:
      return answer(R"({"protocolVersion":4,"id":")" + id + R"(","cmd":"look","cmd":"act","args":{}})",
                    id, "invalid_request", "duplicate field `cmd`");
    case 7:
      return success("[4,\"" + id + "\",\"diagnostics\",{}]", id);
    case 8:
      return answer(R"({"protocolVersion":4,"id":")" + id + R"(","cmd":"look","args":{"rootRef":)",
                    "unknown", "invalid_request", "EOF while parsing");
    default:
      return answer(request(id, "look", R"("not an object")"), id, std::nullopt);
  }
}

StressLine StressMix::special(std::size_t k) {
  std::string id = "s" + std::to_string(k);
  switch (k) {
    case 1:
      return success(request(id, "diagnostics",
                             R"({"blob":")" + std::string(kHugeString, 'x') + "\"}"),
                     id);
    case 2:
      return answer(request(id, "act",
                            R"({"lookId":"look_1","action":"typeText","target":{"x":1,"y":1},"pid":4242,"params":{"text":")" +
                                std::string(kHugeString, 'y') + "\"}}"),
                    id, std::nullopt);
    case 3:
      return answer(R"({"protocolVersion":4,"id":")" + id + R"(","cmd":"look","args":{"rootRef":")" +
                        std::string(kHugeString, 'z'),
                    "unknown", "invalid_request", "EOF while parsing a string");
    case 4:
      return answer(request(id, std::string(kHugeString, 'c'), "{}"), id, "unsupported_command",
                    "Unknown command 'ccc");
    case 5:
      return answer(request(id, "diagnostics",
                            std::string(kDeepNesting, '[') + std::string(kDeepNesting, ']')),
                    "unknown", "invalid_request", "recursion limit exceeded");
    case 6: {
      std::string deep;
      for (std::size_t i = 0; i < kDeepNesting; ++i) deep += R"({"a":)";
      return answer(request(id, "look", deep), "unknown", "invalid_request",
                    "recursion limit exceeded");
    }
    default:
      // The deepest nesting still accepted: 127 levels counting the request.
      return success(request(id, "diagnostics", std::string(126, '[') + std::string(126, ']')),
                     id);
  }
}

}  // namespace winhelper::stress
