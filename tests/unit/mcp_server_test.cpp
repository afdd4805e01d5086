// Transcripts of the MCP server on the fake desktop: real JSON-RPC lines in,
// real lines out, through the real reader loop, worker pool and commands.

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <set>

#include "fakes/sleep_gate.h"
#include "mcp/argument_check.h"
#include "mcp/tools.h"
#include "mcp_harness.h"

namespace winhelper::mcp {
namespace {

Json error_of(const Json& answer) {
  return answer.value("error", Json());
}

// Text of a tool result's first content block.
std::string text_of(const Json& result) {
  return result["content"][0].value("text", "");
}

const Json* find_node(const Json& node, const std::function<bool(const Json&)>& wanted) {
  if (wanted(node)) return &node;
  for (const Json& child : node["children"]) {
    if (const Json* found = find_node(child, wanted)) return found;
  }
  return nullptr;
}

std::string ref_titled(const Json& look, const std::string& title) {
  const Json* node = find_node(look["structuredContent"]["outline"],
                               [&](const Json& n) { return n["title"] == title; });
  return node ? node->value("ref", "") : "";
}

TEST(McpServer, HandshakeNegotiatesTheVersionAndGuardsTheSession) {
  McpHarness h;
  EXPECT_EQ(h.request("early", "ping")["result"], Json::object());
  EXPECT_EQ(error_of(h.request(1, "tools/list")),
            Json({{"code", -32600}, {"message", "Server not initialized: send initialize first"}}));
  EXPECT_EQ(error_of(h.request(2, "initialize", {{"capabilities", Json::object()}}))["code"],
            -32602);

  Json answer = h.request("init", "initialize",
                          {{"protocolVersion", "2025-06-18"},
                           {"capabilities", Json::object()},
                           {"clientInfo", {{"name", "t"}, {"version", "1"}}}});
  EXPECT_EQ(answer["jsonrpc"], "2.0");
  EXPECT_EQ(answer["result"]["protocolVersion"], "2025-06-18");
  EXPECT_EQ(answer["result"]["capabilities"], Json::parse(R"({"tools":{"listChanged":false}})"));
  EXPECT_EQ(answer["result"]["serverInfo"]["name"], "winhelper-mcp");
  EXPECT_EQ(error_of(h.request(3, "initialize", {{"protocolVersion", "2025-11-25"}}))["code"],
            -32600);
  h.send({{"jsonrpc", "2.0"}, {"method", "notifications/initialized"}});
  // Ids come back exactly as sent, strings and numbers alike.
  EXPECT_EQ(h.request(-12345678901234, "ping")["id"], -12345678901234);
  EXPECT_EQ(h.request("7", "ping")["id"], "7");
  h.finish();
  EXPECT_EQ(h.output.lines().size(), 7u);  // the notification got no answer

  McpHarness other;
  EXPECT_EQ(other.request(1, "initialize",
                          {{"protocolVersion", "1999-01-01"}})["result"]["protocolVersion"],
            "2025-11-25");
}

TEST(McpServer, StatelessRequestsNeedNoHandshakeAndLeaveTheSessionAlone) {
  McpHarness h;
  auto meta = [](const char* version) {
    return Json{{"io.modelcontextprotocol/protocolVersion", version},
                {"io.modelcontextprotocol/clientCapabilities", Json::object()}};
  };
  // What a stateless request answers is the v2 client's scenario's to check;
  // here, that it needs no handshake beside a session that has none yet.
  Json called = h.request(3, "tools/call",
                          {{"name", "diagnostics"}, {"_meta", meta("2026-07-28")}});
  EXPECT_EQ(called["result"]["resultType"], "complete");
  EXPECT_EQ(error_of(h.request(4, "tools/list", {{"_meta", meta("2025-11-25")}}))["code"],
            -32022);
  // The legacy session still needs its handshake; then its own version in
  // `_meta` keeps a request in it, with results as that version has them.
  EXPECT_EQ(error_of(h.request(5, "tools/list"))["code"], -32600);
  h.initialize();
  Json legacy = h.request(6, "tools/list", {{"_meta", meta("2025-11-25")}});
  EXPECT_FALSE(legacy["result"].contains("resultType")) << legacy;
  EXPECT_TRUE(h.request(7, "tools/list", {{"_meta", meta("2026-07-28")}})["result"].contains(
      "ttlMs"));
}

TEST(McpServer, MalformedMessagesGetJsonRpcErrorsAndReadingGoesOn) {
  ServerOptions small;
  small.max_message_bytes = 1024;
  McpHarness h(small);
  h.initialize();
  struct Case {
    std::string line;
    Json id;
    int code;
  };
  const Case cases[] = {
      {"this is not json", nullptr, -32700},
      {"{\"jsonrpc\":\"2.0\",\"id\":1,\"method\":\"ping\"", nullptr, -32700},
      {"{\"jsonrpc\":\"2.0\",\"id\":\"bad\xff\",\"method\":\"ping\"}", nullptr, -32700},
      {std::string(200, '[') + std::string(200, ']'), nullptr, -32700},
      {R"({"jsonrpc":"2.0","id":2,"method":"ping","params":{"n":1e+9999}})", nullptr, -32700},
      {std::string(1100, ' ') + "{}", nullptr, -32600},
      {R"([{"jsonrpc":"2.0","id":1,"method":"ping"}])", nullptr, -32600},
      {R"("ping")", nullptr, -32600},
      {R"({"jsonrpc":"1.0","id":"v","method":"ping"})", "v", -32600},
      {R"({"jsonrpc":"2.0","id":{"x":1},"method":"ping"})", nullptr, -32600},
      {R"({"jsonrpc":"2.0","id":1.5,"method":"ping"})", nullptr, -32600},
      {R"({"jsonrpc":"2.0","id":"m","method":7})", "m", -32600},
      {R"({"jsonrpc":"2.0","id":"u","method":"resources/list"})", "u", -32601},
  };
  for (const Case& c : cases) {
    h.send_line(c.line);
    Json answer = h.next_answer();
    SCOPED_TRACE(c.line.substr(0, 60));
    EXPECT_EQ(answer["id"], c.id);
    EXPECT_EQ(error_of(answer)["code"], c.code);
    // In the server's own words, never a library's.
    EXPECT_EQ(answer.dump().find("exception"), std::string::npos) << answer.dump();
  }
  // A line that outgrows the limit before its end has arrived is dropped as
  // it comes, and answered once.
  h.input.feed(std::string(5000, 'x'));
  h.send_line("and its end");
  EXPECT_EQ(
      error_of(h.next_answer()),
      Json({{"code", -32600}, {"message", "Invalid Request: message longer than 1024 bytes"}}));
  // Nothing answers notifications (known or not) or the client's replies.
  h.send_line(R"({"jsonrpc":"2.0","method":"notifications/whatever"})");
  h.send_line(R"({"jsonrpc":"2.0","id":5,"result":{}})");
  h.send_line("   ");
  EXPECT_EQ(h.request("after", "ping")["result"], Json::object());
  h.finish();
  EXPECT_EQ(h.output.lines().size(), std::size(cases) + 3);
  EXPECT_EQ(h.log().size(), 1u);  // the ignored reply
}

TEST(McpServer, ToolsListDescribesEveryToolWithCheckableSchemas) {
  McpHarness h;
  h.initialize();
  Json tools = h.request(1, "tools/list")["result"]["tools"];
  std::vector<std::string> names;
  for (const Json& tool : tools) names.push_back(tool["name"]);
  EXPECT_EQ(names, (std::vector<std::string>{"list_windows", "focus_window", "look", "act",
                                             "act_batch", "read_text", "wait_for",
                                             "open_browser_location", "diagnostics",
                                             "launch_app", "run_command", "set_window_state",
                                             "clipboard_read",
                                             "clipboard_write"}));
  // Every keyword a schema uses is one the argument check understands, so
  // no constraint a schema states goes unchecked.
  std::set<std::string> known(kCheckedKeywords.begin(), kCheckedKeywords.end());
  known.insert(kAnnotationKeywords.begin(), kAnnotationKeywords.end());
  std::function<void(const Json&)> walk = [&](const Json& schema) {
    for (const auto& [key, value] : schema.items()) {
      EXPECT_TRUE(known.count(key)) << key;
      if (key == "properties") {
        for (const auto& [name, member] : value.items()) walk(member);
      } else if (key == "items") {
        walk(value);
      } else if (key == "anyOf") {
        for (const Json& branch : value) walk(branch);
      }
    }
  };
  // Model APIs refuse a whole request when one tool's input schema has a
  // composition or condition at its root: only a plain object is listed.
  const std::set<std::string> root_keys = {"type", "properties", "required",
                                           "additionalProperties"};
  for (const Json& tool : tools) {
    SCOPED_TRACE(tool["name"].get<std::string>());
    const Json& input = tool["inputSchema"];
    walk(input);
    EXPECT_EQ(input["type"], "object");
    EXPECT_TRUE(input["properties"].is_object());
    for (const auto& [key, value] : input.items()) EXPECT_TRUE(root_keys.count(key)) << key;
    if (tool.contains("outputSchema")) {
      walk(tool["outputSchema"]);
      EXPECT_EQ(tool["outputSchema"]["type"], "object");
    }
  }
}

TEST(McpServer, EveryToolRunsItsCommandOnTheFakeDesktop) {
  McpHarness h;
  h.initialize();
  Json listed = h.call("list_windows", Json::object());
  EXPECT_EQ(listed["structuredContent"]["windows"].size(), 3u);
  EXPECT_NE(text_of(listed).find("@w1 \"notes.txt - Editor\" app \"editor\" pid 4242 window"),
            std::string::npos)
      << text_of(listed);

  EXPECT_EQ(h.call("focus_window", {{"rootRef", "@w1"}})["structuredContent"],
            Json::parse(R"({"alreadyFocused":true,"focused":true})"));

  Json look = h.call("look", {{"rootRef", "@w1"}});
  ASSERT_EQ(look["content"].size(), 2u);
  EXPECT_EQ(look["content"][0]["type"], "image");
  EXPECT_EQ(look["content"][0]["mimeType"], "image/png");
  EXPECT_EQ(look["content"][0]["data"].get<std::string>().substr(0, 8), "iVBORw0K");  // PNG
  const Json& structured = look["structuredContent"];
  EXPECT_FALSE(structured["image"].contains("jpegBase64"));  // the image travels once
  EXPECT_EQ(structured["image"]["width"], 160);
  std::string outline_text = look["content"][1]["text"];
  find_node(structured["outline"], [&](const Json& n) {
    EXPECT_NE(outline_text.find(n["ref"].get<std::string>()), std::string::npos) << n["ref"];
    return false;
  });
  EXPECT_NE(outline_text.find("edit \"File name\" " + ref_titled(look, "File name") +
                              " =\"notes.txt\" [setvalue"),
            std::string::npos)
      << outline_text;

  std::string look_id = structured["lookId"];
  std::string save = ref_titled(look, "Save");
  Json pressed =
      h.call("act", {{"lookId", look_id}, {"action", "press"}, {"target", {{"ref", save}}}});
  EXPECT_EQ(pressed["structuredContent"]["outcome"], "worked");
  EXPECT_FALSE(pressed.contains("isError"));

  Json step = {
      {"lookId", look_id}, {"action", "click"}, {"pid", 4242}, {"target", {{"ref", save}}}};
  Json stale = step;
  stale["target"]["ref"] = "win:look_99:@e1";
  Json batch = h.call("act_batch", {{"actions", {step, step, stale, step}}});
  EXPECT_EQ(batch["structuredContent"]["performed"]["actionCount"], 3);
  EXPECT_EQ(batch["structuredContent"]["steps"][2]["error"]["code"], "stale_ref");

  const Json* document =
      find_node(structured["outline"], [](const Json& n) { return n["role"] == "document"; });
  ASSERT_NE(document, nullptr);
  Json read =
      h.call("read_text", {{"lookId", look_id}, {"elementRef", (*document)["ref"]}, {"limit", 9}});
  EXPECT_EQ(read["structuredContent"]["text"], "The quick");
  EXPECT_EQ(read["structuredContent"]["hasMore"], true);

  Json waited = h.call("wait_for", {{"rootRef", "@w1"}, {"text", "file name"}});
  EXPECT_EQ(waited["structuredContent"]["found"], true);

  Json opened = h.call("open_browser_location", {{"appName", "MSEDGE"}, {"url", "example.org"}});
  EXPECT_EQ(opened["structuredContent"], Json::parse(R"({"opened":true})"));

  Json diagnostics = h.call("diagnostics", Json::object());
  EXPECT_EQ(diagnostics["structuredContent"]["pid"], 4242);
  EXPECT_EQ(Json::parse(text_of(diagnostics)), diagnostics["structuredContent"]);
}

TEST(McpServer, PasswordFieldsAreNamedInTheOutlineTextOnly) {
  McpHarness h({}, [](fuzz::FuzzPlatform& desk) {
    for (auto& [handle, root] : desk.desk().uia.windows()) {
      for (fakes::FakeElement* child : root->children) {
        if (child->name == "File name") child->password = true;
      }
    }
  });
  h.initialize();
  h.call("list_windows", Json::object());
  Json look = h.call("look", {{"rootRef", "@w1"}});
  std::string field = ref_titled(look, "File name");
  std::string text = look["content"][1]["text"];
  std::size_t line = text.find(field);
  ASSERT_NE(line, std::string::npos) << text;
  EXPECT_NE(text.substr(line, text.find('\n', line) - line).find(",password]"), std::string::npos)
      << text;
  EXPECT_EQ(look["structuredContent"].dump().find("assword"), std::string::npos);
}

TEST(McpServer, FailuresAreToolErrorsOrInvalidParams) {
  McpHarness h;
  h.initialize();
  h.call("list_windows", Json::object());
  // Each tool once with arguments its schema refuses or its command fails on.
  struct Case {
    const char* tool;
    const char* arguments;
    const char* text;
  };
  const Case cases[] = {
      {"list_windows", R"({"pid":"4242"})",
       "invalid_request: Invalid arguments for list_windows: arguments.pid must be an integer"},
      {"focus_window", R"({"rootRef":"@w99"})", "target_not_found: Window ref '@w99' not found"},
      {"look", R"({"rootRef":"@w99"})", "target_not_found: Root not found"},
      {"act", R"({"lookId":"look_99","action":"press","target":{"ref":"win:look_99:@e1"}})",
       "stale_look: Look id 'look_99' is no longer available"},
      {"act_batch", R"({"actions":[]})",
       "invalid_request: Invalid arguments for act_batch: arguments.actions must have at least 1 "
       "items"},
      {"read_text", R"({"lookId":"look_1","elementRef":"x","offset":5.0})",
       "invalid_request: Invalid arguments for read_text: arguments.offset must be an integer"},
      {"wait_for", R"({"rootRef":"@w1","timeoutMs":100})",
       "invalid_request: Invalid arguments for wait_for: arguments must have text, role or "
       "value"},
      {"open_browser_location", R"({"appName":"no such browser","url":"x"})",
       "target_not_found: Target browser window was not found; refusing to type into the "
       "currently focused window"},
      {"diagnostics", R"({"verbose":true})",
       "invalid_request: Invalid arguments for diagnostics: arguments.verbose is not a known "
       "argument"},
  };
  for (const Case& c : cases) {
    Json result = h.call(c.tool, Json::parse(c.arguments));
    EXPECT_EQ(result["isError"], true) << c.tool;
    EXPECT_EQ(text_of(result), c.text);
    EXPECT_FALSE(result.contains("structuredContent"));
  }
  EXPECT_EQ(text_of(h.call("act", Json::parse(R"({"lookId":"l","action":"press","target":{}})"))),
            "invalid_request: Invalid arguments for act: arguments.target must have ref, or x and "
            "y");
  EXPECT_EQ(text_of(h.call("look", Json::parse(R"({"includeImage":false})"))),
            "invalid_request: Invalid arguments for look: arguments must have rootRef or windowId");

  EXPECT_EQ(error_of(h.call("nope", Json::object())),
            Json({{"code", -32602}, {"message", "Unknown tool: nope"}}));
  EXPECT_EQ(error_of(h.request(1, "tools/call", {{"arguments", Json::object()}}))["code"], -32602);
  EXPECT_EQ(error_of(h.request(2, "tools/call",
                               {{"name", "diagnostics"}, {"arguments", {1, 2}}}))["code"],
            -32602);
  EXPECT_EQ(error_of(h.request(3, "tools/call"))["code"], -32602);
}

using fakes::SleepGate;

Json call_message(const Json& id, const std::string& tool, const Json& arguments) {
  return {{"jsonrpc", "2.0"},
          {"id", id},
          {"method", "tools/call"},
          {"params", {{"name", tool}, {"arguments", arguments}}}};
}

const Json kEndlessWait = {{"windowId", 65552}, {"text", "never there"}, {"timeoutMs", 60000}};

TEST(McpServer, CancelledWaitStopsAndIsNotAnswered) {
  SleepGate gate;  // holds the pending wait between its polls
  SleepGate busy;  // holds the only worker
  ServerOptions one_worker;
  one_worker.workers = 1;
  McpHarness h(one_worker, [&](fuzz::FuzzPlatform& desk) {
    desk.clock().on_sleep = [&] { gate.hold(); };
    desk.dispatcher().add("uiaReadText", [&](const Json&, CommandContext&) -> Result<Json> {
      busy.hold();
      return Json{{"text", ""}, {"offset", 0}, {"limit", 0}, {"totalChars", 0},
                  {"hasMore", false}};
    });
  });
  h.initialize();
  h.send(call_message(1, "wait_for", kEndlessWait));
  ASSERT_TRUE(gate.wait_sleeping(1));
  // The pending wait leaves the worker free; this call takes it.
  h.send(call_message("busy", "read_text", {{"lookId", "l1"}, {"elementRef", "e1"}}));
  ASSERT_TRUE(busy.wait_sleeping(1));
  // Queued behind it, then cancelled: never runs.
  h.send(call_message("queued", "look", {{"rootRef", "@w1"}}));
  h.send({{"jsonrpc", "2.0"},
          {"method", "notifications/cancelled"},
          {"params", {{"requestId", 1}, {"reason", "user"}}}});
  h.send({{"jsonrpc", "2.0"},
          {"method", "notifications/cancelled"},
          {"params", {{"requestId", "queued"}}}});
  h.send({{"jsonrpc", "2.0"},
          {"method", "notifications/cancelled"},
          {"params", {{"requestId", "unknown"}}}});
  // Answered once the reader has taken in the cancellations before it.
  EXPECT_EQ(h.request("sync", "ping")["result"], Json::object());
  busy.release();
  EXPECT_EQ(h.next_answer()["id"], "busy");
  gate.release();
  Json after = h.request("after", "tools/call", {{"name", "diagnostics"}});
  EXPECT_EQ(after["result"]["structuredContent"]["pid"], 4242);
  h.finish();
  EXPECT_EQ(h.output.lines().size(), 4u);  // initialize, "sync", "busy" and "after" only
  EXPECT_EQ(h.desk.clock().sleeps(), 1);   // the wait stopped before its second poll
  EXPECT_EQ(h.desk.shared().state.lock().value()->looks.size(), 0u);  // the look never ran
}

TEST(McpServer, AWaitWithAProgressTokenIsHeardFromBeforeItsAnswer) {
  McpHarness h;
  h.initialize();
  Json call = call_message(
      9, "wait_for", {{"windowId", 65552}, {"text", "never there"}, {"timeoutMs", 2500}});
  call["params"]["_meta"] = {{"progressToken", 7}};
  h.send(call);
  std::vector<Json> progress;
  Json answer;
  for (Json line = h.next_answer(); !line.is_null(); line = h.next_answer()) {
    if (line.contains("id")) {
      answer = line;
      break;
    }
    progress.push_back(line);
  }
  EXPECT_EQ(answer["result"]["structuredContent"]["timedOut"], true) << answer;
  // One each second waited, from the first poll on, none after the answer.
  ASSERT_EQ(progress.size(), 3u);
  for (std::size_t i = 0; i < progress.size(); ++i) {
    EXPECT_EQ(progress[i]["method"], "notifications/progress");
    EXPECT_EQ(progress[i]["params"]["progressToken"], 7);
    EXPECT_EQ(progress[i]["params"]["total"], 2500);
    EXPECT_GE(progress[i]["params"]["progress"], 1000 * static_cast<int>(i));
  }
  // Without a token, nothing but the answer.
  h.send(call_message(10, "wait_for", {{"windowId", 65552}, {"text", "x"}, {"timeoutMs", 2500}}));
  EXPECT_EQ(h.next_answer()["id"], 10);
}

TEST(McpServer, CallsRunConcurrentlyAndIdsInUseAreRefused) {
  SleepGate gate;
  McpHarness h({}, [&](fuzz::FuzzPlatform& desk) { desk.clock().on_sleep = [&] { gate.hold(); }; });
  h.initialize();
  h.send(call_message("a", "wait_for", kEndlessWait));
  h.send(call_message(7, "wait_for", kEndlessWait));
  ASSERT_TRUE(gate.wait_sleeping(1));  // the waits are pending between their polls
  h.send(call_message("a", "diagnostics", Json::object()));
  EXPECT_EQ(error_of(h.next_answer())["code"], -32600);
  EXPECT_EQ(h.call("diagnostics", Json::object(), "quick")["structuredContent"]["pid"], 4242);
  gate.release();
  std::set<Json> ids;
  for (int i = 0; i < 2; ++i) {
    Json answer = h.next_answer();
    EXPECT_EQ(answer["result"]["structuredContent"]["timedOut"], true);
    ids.insert(answer["id"]);
  }
  EXPECT_EQ(ids, (std::set<Json>{"a", 7}));
}

}  // namespace
}  // namespace winhelper::mcp
