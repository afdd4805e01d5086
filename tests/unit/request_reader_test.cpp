#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "protocol/request_reader.h"
#include "protocol/response_writer.h"

namespace winhelper {
namespace {

std::string fault(std::string_view text) {
  auto parsed = parse_request_record(text);
  if (auto* message = std::get_if<std::string>(&parsed)) return *message;
  return "<parsed>";
}

TEST(RequestReader, AcceptsObjectAndArrayForms) {
  auto parsed = parse_request_record(
      R"({"protocolVersion":4,"id":"r1","cmd":"look","args":{"b":[1,{"c":null}],"a":2.5},"extra":[[1]]})");
  ASSERT_TRUE(std::holds_alternative<Request>(parsed));
  const Request& r = std::get<Request>(parsed);
  EXPECT_EQ(r.protocol_version, 4u);
  EXPECT_EQ(r.id, "r1");
  EXPECT_EQ(r.cmd, "look");
  EXPECT_EQ(r.args.dump(), R"({"a":2.5,"b":[1,{"c":null}]})");

  auto array = parse_request_record(R"([4,"r2","diagnostics",{}])");
  ASSERT_TRUE(std::holds_alternative<Request>(array));
  EXPECT_EQ(std::get<Request>(array).cmd, "diagnostics");
  EXPECT_TRUE(std::get<Request>(array).args.is_object());

  auto scalar_args = parse_request_record(R"({"args":null,"cmd":"x","id":"a","protocolVersion":7})");
  ASSERT_TRUE(std::holds_alternative<Request>(scalar_args));
  EXPECT_TRUE(std::get<Request>(scalar_args).args.is_null());
  EXPECT_EQ(std::get<Request>(scalar_args).protocol_version, 7u);
}

TEST(RequestReader, FieldFaultsNameTheFieldAndPosition) {
  EXPECT_EQ(fault(R"({"protocolVersion":4,"id":"a","cmd":"x"})"),
            "missing field `args` at line 1 column 40");
  EXPECT_EQ(fault(R"({"id":"a","cmd":"x","args":{}})"),
            "missing field `protocolVersion` at line 1 column 30");
  EXPECT_EQ(fault(R"({"protocolVersion":4,"id":"a","id":"b","cmd":"x","args":{}})"),
            "duplicate field `id` at line 1 column 34");
  EXPECT_EQ(fault(R"({"protocolVersion":4,"id":5,"cmd":"x","args":{}})"),
            "invalid type: integer `5`, expected a string at line 1 column 27");
  EXPECT_EQ(fault(R"({"protocolVersion":4,"id":{"a":1},"cmd":"x","args":{}})"),
            "invalid type: map, expected a string at line 1 column 26");
  EXPECT_EQ(fault(R"({"protocolVersion":4,"id":"a","cmd":null,"args":{}})"),
            "invalid type: null, expected a string at line 1 column 40");
  EXPECT_EQ(fault(R"({"protocolVersion":4,"id":"a","cmd":true,"args":{}})"),
            "invalid type: boolean `true`, expected a string at line 1 column 40");
}

TEST(RequestReader, VersionMustBeUnsigned32) {
  EXPECT_EQ(fault(R"({"protocolVersion":-1,"id":"a","cmd":"x","args":{}})"),
            "invalid value: integer `-1`, expected u32 at line 1 column 21");
  EXPECT_EQ(fault(R"({"protocolVersion":4294967296,"id":"a","cmd":"x","args":{}})"),
            "invalid value: integer `4294967296`, expected u32 at line 1 column 29");
  EXPECT_EQ(fault(R"({"protocolVersion":4.0,"id":"a","cmd":"x","args":{}})"),
            "invalid type: floating point `4.0`, expected u32 at line 1 column 22");
  EXPECT_EQ(fault(R"({"protocolVersion":"4\n","id":"a","cmd":"x","args":{}})"),
            "invalid type: string \"4\\n\", expected u32 at line 1 column 24");
  EXPECT_EQ(fault(R"({"protocolVersion":-0,"id":"a","cmd":"x","args":{}})"),
            "invalid type: floating point `-0.0`, expected u32 at line 1 column 21");
  auto negative_zero = parse_request_record(R"([4,"a","x",{"n":-0,"i":-7}])");
  ASSERT_TRUE(std::holds_alternative<Request>(negative_zero));
  EXPECT_EQ(std::get<Request>(negative_zero).args.dump(), R"({"i":-7,"n":-0.0})");
  auto max = parse_request_record(R"({"protocolVersion":4294967295,"id":"a","cmd":"x","args":1})");
  ASSERT_TRUE(std::holds_alternative<Request>(max));
  EXPECT_EQ(std::get<Request>(max).protocol_version, 4294967295u);
}

TEST(RequestReader, StructuralFaults) {
  EXPECT_EQ(fault(R"({"protocolVersion":4,"id":"a","cmd":"x","args":{}} {})"),
            "trailing characters at line 1 column 52");
  EXPECT_EQ(fault(R"([4,"a","x"])"),
            "invalid length 3, expected struct Request with 4 elements at line 1 column 11");
  EXPECT_EQ(fault(R"([4,"a","x",{},5])"),
            "invalid length 5, expected struct Request with 4 elements at line 1 column 16");
  EXPECT_EQ(fault("5"), "invalid type: integer `5`, expected struct Request at line 1 column 1");
}

// The JSON library reports every syntax error alike (one exception id, no
// token type), so the reader words its faults from the library's text: one
// line per kind of syntax error pins that reading.
TEST(RequestReader, SyntaxFaultsOfTheJsonLibrary) {
  const std::pair<std::string, std::string> cases[] = {
      {R"({"id":"abc)", "EOF while parsing a string at line 1 column 10"},
      {"{\"id\":\"a\tb\"}",
       "control character (\\u0000-\\u001F) found while parsing a string at line 1 column 9"},
      {R"({"id":"\ud800"})", "lone leading surrogate in hex escape at line 1 column 14"},
      {R"({"id":"\udc00"})", "lone leading surrogate in hex escape at line 1 column 13"},
      {R"({"id":"\u12x4"})", "invalid escape at line 1 column 12"},
      {R"({"id":"\x"})", "invalid escape at line 1 column 9"},
      {"{\"id\":\"\xff\"}", "expected value at line 1 column 8"},
      {"[4,-]", "invalid number at line 1 column 5"},
      {"[4,1.]", "invalid number at line 1 column 6"},
      {"[4,1e+9999]", "number out of range at line 1 column 10"},
      {"[4,", "EOF while parsing a value at line 1 column 3"},
      {"[4", "EOF while parsing a list at line 1 column 2"},
      {R"({"protocolVersion":4,"id":"a")", "EOF while parsing an object at line 1 column 29"},
      {R"({"a")", "EOF while parsing an object at line 1 column 4"},
      {"{", "EOF while parsing an object at line 1 column 1"},
      {"not json", "expected ident at line 1 column 2"},
      // Past other tokens the library's last token starts with them: a bad value.
      {R"([4,"a",tru])", "expected value at line 1 column 11"},
      {"hello", "expected value at line 1 column 1"},
      {"{5:1}", "key must be a string at line 1 column 2"},
      {R"({"a" 1})", "expected `:` at line 1 column 6"},
      {R"({"a":1 "b":2})", "expected `,` or `}` at line 1 column 10"},
      {"[4 5]", "expected `,` or `]` at line 1 column 4"},
      {"]", "expected value at line 1 column 1"},
  };
  for (const auto& [line, message] : cases) EXPECT_EQ(fault(line), message) << line;
}

TEST(RequestReader, NulByteIsAnUnexpectedCharacterNotTheEndOfTheLine) {
  using namespace std::string_literals;
  EXPECT_EQ(fault("\0"s), "expected value at line 1 column 1");
  EXPECT_EQ(fault("[4,\0"s), "expected value at line 1 column 4");
  EXPECT_EQ(fault("{\0}"s), "key must be a string at line 1 column 2");
  EXPECT_EQ(fault("{\"id\"\0:1}"s), "expected `:` at line 1 column 6");
  EXPECT_EQ(fault(R"({"protocolVersion":4,"id":"a")" + "\0"s), "expected `,` or `}` at line 1 column 30");
  EXPECT_EQ(fault(R"({"protocolVersion":4,"id":"a")"), "EOF while parsing an object at line 1 column 29");
  auto nul_tail = read_request(R"({"protocolVersion":4,"id":"a","cmd":"x","args":{}})" + "\0"s);
  ASSERT_TRUE(std::holds_alternative<RejectedLine>(nul_tail));
  EXPECT_EQ(std::get<RejectedLine>(nul_tail).id, "unknown");
  EXPECT_EQ(std::get<RejectedLine>(nul_tail).error.message,
            "Invalid request: trailing characters at line 1 column 51");
}

TEST(RequestReader, NestingLimitIs128Levels) {
  auto nested = [](int depth) {
    return R"({"protocolVersion":4,"id":"a","cmd":"x","args":)" + std::string(depth, '[') +
           std::string(depth, ']') + "}";
  };
  EXPECT_TRUE(std::holds_alternative<Request>(parse_request_record(nested(126))));
  std::string deep = nested(127);
  EXPECT_EQ(fault(deep), "recursion limit exceeded at line 1 column " + std::to_string(47 + 127));
  // Far beyond the limit: fails at the same place, without exhausting the stack.
  EXPECT_EQ(fault(nested(200000)), "recursion limit exceeded at line 1 column 174");
}

TEST(RequestReader, ReadRequestTrimsProbesIdAndSkipsBlankLines) {
  EXPECT_TRUE(std::holds_alternative<BlankLine>(read_request("")));
  EXPECT_TRUE(std::holds_alternative<BlankLine>(read_request(" \t \xC2\xA0\xE3\x80\x80")));

  auto ok = read_request("\xE2\x80\xA8 [4,\"a\",\"diagnostics\",{}] \t");
  ASSERT_TRUE(std::holds_alternative<Request>(ok));

  auto numeric_id = read_request(R"({"protocolVersion":4,"id":7,"cmd":"x","args":{}})");
  ASSERT_TRUE(std::holds_alternative<RejectedLine>(numeric_id));
  EXPECT_EQ(std::get<RejectedLine>(numeric_id).id, "unknown");
  EXPECT_EQ(std::get<RejectedLine>(numeric_id).error,
            invalid_request("Invalid request: invalid type: integer `7`, expected a string at "
                            "line 1 column 27"));

  auto no_args = read_request(R"({"protocolVersion":4,"id":"q","cmd":"x"})");
  ASSERT_TRUE(std::holds_alternative<RejectedLine>(no_args));
  EXPECT_EQ(std::get<RejectedLine>(no_args).id, "q");

  EXPECT_EQ(probe_request_id(R"({"id":"a","id":"b"})"), "b");
  EXPECT_EQ(probe_request_id(R"({"id":"a","id":["b"]})"), "unknown");
  EXPECT_EQ(probe_request_id(R"({"x":{"id":"inner"}})"), "unknown");
  EXPECT_EQ(probe_request_id(R"({"id":"a"} x)"), "unknown");
  EXPECT_EQ(probe_request_id(R"(["id","a"])"), "unknown");
}

TEST(ResponseWriter, EnvelopeOrderAndSortedResultKeys) {
  Json result = {{"zeta", 1}, {"alpha", {{"b", true}, {"a", "\xC3\xA9"}}}};
  EXPECT_EQ(serialize_response(Response::success("id\"1", result)),
            R"({"protocolVersion":4,"id":"id\"1","ok":true,"result":{"alpha":{"a":"é","b":true},"zeta":1}})");
  EXPECT_EQ(serialize_response(Response::failure("x", {ErrorCode::StaleRef, "gone"})),
            R"({"protocolVersion":4,"id":"x","ok":false,"error":{"message":"gone","code":"stale_ref"}})");
}

}  // namespace
}  // namespace winhelper
