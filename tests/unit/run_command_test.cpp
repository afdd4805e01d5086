#include <gtest/gtest.h>

#include <set>

#include "common/text.h"
#include "desktop/run_lines.h"
#include "fakes/service_harness.h"
#include "process/output_capture.h"

namespace winhelper {
namespace {

using fakes::error_of;
using fakes::FakeRun;
using fakes::ServiceHarness;

TEST(RunLines, ShellsGetTheLineAsTheirCommandArgument) {
  Invocation cmd = shell_invocation(Shell::Cmd, R"(echo "a b" & dir)");
  EXPECT_EQ(cmd.program, "cmd.exe");
  EXPECT_EQ(cmd.command_line, R"(cmd.exe /d /u /s /c "echo "a b" & dir")");
  EXPECT_EQ(cmd.output, StreamForm::Utf16Preferred);

  // The prelude and the line as UTF-16LE in Base64: no quoting for PowerShell to undo.
  Invocation ps = shell_invocation(Shell::PowerShell, "write \"ü\"");
  EXPECT_EQ(ps.command_line,
            "powershell.exe -NoLogo -NoProfile -NonInteractive -ExecutionPolicy Bypass "
            "-EncodedCommand "
            "JABPAHUAdABwAHUAdABFAG4AYwBvAGQAaQBuAGcAIAA9ACAAWwBDAG8AbgBzAG8AbABlAF0AOgA6AE8AdQB0AH"
            "AAdQB0AEUAbgBjAG8AZABpAG4AZwAgAD0AIABOAGUAdwAtAE8AYgBqAGUAYwB0ACAAUwB5AHMAdABlAG0ALgBU"
            "AGUAeAB0AC4AVQBUAEYAOABFAG4AYwBvAGQAaQBuAGcAIAAkAGYAYQBsAHMAZQAKAHcAcgBpAHQAZQAgACIA/"
            "AAiAA==");
  EXPECT_EQ(ps.output, StreamForm::Bytes);
}

TEST(RunLines, EnvironmentAdditionsReplaceNamesWithoutRegardToCase) {
  EXPECT_EQ(merged_environment({"=C:=C:\\w", "Path=C:\\x", "TEMP=C:\\t", "b=1"},
                               {{"PATH", "D:\\y"}, {"A", "2"}}),
            (std::vector<std::string>{"=C:=C:\\w", "A=2", "b=1", "PATH=D:\\y", "TEMP=C:\\t"}));
}

TEST(OutputDecoding, EachStreamTakesTheFirstReadingThatFits) {
  const CodePages pages{850, 437};
  auto decode = [](std::set<std::uint32_t> rejected) -> CodePageDecoder {
    return [rejected](std::string_view bytes, std::uint32_t page) -> std::optional<std::string> {
      if (rejected.count(page)) return std::nullopt;
      std::string out = std::to_string(page) + ":";
      for (char c : bytes) append_utf8(out, static_cast<unsigned char>(c));
      return out;
    };
  };
  struct Case {
    std::string bytes;
    StreamForm form;
    std::set<std::uint32_t> rejected;
    std::string expected;
  };
  const Case cases[] = {
      {"caf\xC3\xA9", StreamForm::Bytes, {}, "café"},
      {"caf\xE9", StreamForm::Bytes, {}, "850:café"},
      {"caf\xE9", StreamForm::Bytes, {850}, "437:café"},
      // No code page reads them: each invalid sequence becomes U+FFFD.
      {"a\xE9z\xF0\x9F\x98" "b\xC0\xAF", StreamForm::Bytes, {850, 437}, "a\uFFFDz\uFFFDb\uFFFD\uFFFD"},
      {std::string("-N\x87" "e\r\0\n\0", 8), StreamForm::Utf16Preferred, {}, "中文\r\n"},
      // A lone surrogate never breaks the text.
      {std::string("a\0\x00\xD8z\0", 6), StreamForm::Utf16Preferred, {}, "a\uFFFDz"},
      {std::string("\nN\r\0\n\0", 6), StreamForm::Utf16Preferred, {}, "上\r\n"},
      // The interpreter's own lines, and those of programs it started, line by line.
      {"ok\r\n", StreamForm::Utf16Preferred, {}, "ok\r\n"},
      {std::string("h\0i\0\r\0\n\0ok\xE9\r\ngit\n!\0\r\0\n\0", 23), StreamForm::Utf16Preferred,
       {}, "hi\r\n850:oké\r\ngit\n!\r\n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(decode_output(c.bytes, c.form, pages, decode(c.rejected)), c.expected) << c.bytes;
  }
}

// The capture's answer for `bytes` appended in pieces of `piece` bytes.
CapturedText capture(const std::string& bytes, std::uint64_t max_chars, std::size_t piece,
                     StreamForm form = StreamForm::Bytes) {
  OutputCapture out(max_chars);
  for (std::size_t at = 0; at < bytes.size(); at += piece) out.append(bytes.substr(at, piece));
  EXPECT_EQ(out.total_bytes(), bytes.size());
  return out.finish(form, {0, 437}, [](std::string_view, std::uint32_t) { return std::nullopt; });
}

TEST(OutputCapture, KeepsTheHeadAndTailAndCountsEverything) {
  CapturedText small = capture("0123456789", 10, 3);
  EXPECT_EQ(small.text, "0123456789");
  EXPECT_FALSE(small.truncated);

  CapturedText cut = capture("0123456789AB", 5, 4);
  EXPECT_EQ(cut.text, "012\n[... 7 characters omitted ...]\nAB");
  EXPECT_EQ(cut.total_chars, 12u);
  EXPECT_TRUE(cut.truncated);

  // Far beyond what is kept: the middle is dropped as it comes and counted,
  // characters cut at its edges included, whichever way the bytes arrive.
  std::string text;
  for (int i = 0; i < 5000; ++i) text += "ü中😀" + std::to_string(i % 10);
  for (std::size_t piece : {std::size_t{1}, std::size_t{7}, text.size()}) {
    CapturedText big = capture(text, 8, piece);
    EXPECT_EQ(big.total_chars, 20000u) << piece;
    EXPECT_EQ(big.text, "ü中😀0\n[... 19992 characters omitted ...]\nü中😀9") << piece;
  }

  std::u16string units = utf8_to_utf16(text);
  std::string utf16;
  for (char16_t u : units) utf16 += {static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)};
  CapturedText wide = capture(utf16, 6, 5, StreamForm::Utf16Preferred);
  EXPECT_EQ(wide.total_chars, 20000u);
  EXPECT_EQ(wide.text, "ü中😀\n[... 19994 characters omitted ...]\n中😀9");
  EXPECT_EQ(capture(utf16, 0, 4096, StreamForm::Utf16Preferred).text,
            "\n[... 20000 characters omitted ...]\n");
}

Json run(ServiceHarness& h, Json args) { return ask(h, "runCommand", args); }

TEST(RunCommand, RefusalsStartNothing) {
  ServiceHarness h;
  h.commands.remove_program("missing.exe");
  const std::string nul("a\0b", 3);
  struct Case {
    Json args;
    std::string expected;
  };
  const Case cases[] = {
      {Json::object(), "invalid_request: runCommand requires program or command"},
      {{{"program", "a"}, {"command", "b"}},
       "invalid_request: runCommand takes program or command, not both"},
      {{{"program", "missing.exe"}},
       "target_not_found: Cannot run 'missing.exe': no such file or program"},
      {{{"program", "p"}, {"cwd", "C:\\nowhere"}},
       "invalid_request: runCommand cwd 'C:\\nowhere' is not an existing folder"},
      {{{"program", "p"}, {"args", {"x", nul}}},
       "invalid_request: runCommand arguments must not contain NUL characters"},
      {{{"command", nul}}, "invalid_request: runCommand arguments must not contain NUL characters"},
      {{{"program", "p"}, {"env", {{"A", nul}}}},
       "invalid_request: runCommand arguments must not contain NUL characters"},
      {{{"program", "p"}, {"args", "x y"}}, "invalid_request: runCommand args must be an array of strings"},
      {{{"command", "dir"}, {"args", {"x"}}},
       "invalid_request: runCommand args go with program; a command is one line for its shell"},
      {{{"command", "ls"}, {"shell", "bash"}},
       "invalid_request: runCommand shell must be \"cmd\" or \"powershell\", not 'bash'"},
      {{{"program", "p"}, {"env", {{"A=B", "1"}}}},
       "invalid_request: runCommand env names must be non-empty and without '='"},
      {{{"program", "p"}, {"env", {{"A", 1}}}}, "invalid_request: runCommand env must be an object of strings"},
      {{{"program", "p"}, {"timeoutMs", 0}},
       "invalid_request: runCommand timeoutMs must be a whole number from 1 to 600000"},
      {{{"program", "p"}, {"timeoutMs", 600001}},
       "invalid_request: runCommand timeoutMs must be a whole number from 1 to 600000"},
      {{{"program", "p"}, {"timeoutMs", 1.5}},
       "invalid_request: runCommand timeoutMs must be a whole number from 1 to 600000"},
      {{{"program", "p"}, {"maxOutputChars", -1}},
       "invalid_request: runCommand maxOutputChars must be a whole number from 0 to 1000000"},
      {{{"program", "C:\\t\\build.CMD. "}, {"args", {"&calc"}}},
       "invalid_request: runCommand cannot pass args to a batch file: the command interpreter "
       "reads them again as a command line; give the whole line as command with shell \"cmd\""},
  };
  for (const Case& c : cases) EXPECT_EQ(error_of(run(h, c.args)), c.expected) << c.args;
  EXPECT_TRUE(h.commands.runs().empty());
  h.commands.fail_next({LaunchFailure::AccessDenied, "denied"});
  EXPECT_EQ(error_of(run(h, {{"program", "p"}})), "internal_error: Cannot run 'p': access is denied");
}

TEST(RunCommand, RunsFeedsReadsAndEndsItsTree) {
  ServiceHarness h;
  // Input larger than the pipe takes at once comes through whole, and the
  // output of both streams is read as it comes.
  FakeRun echo;
  echo.out = {"start\n"};
  echo.err = {"warn ", "\xE9"};
  echo.echo_input = true;
  echo.exit_code = 3;
  echo.input_per_write = 4;
  h.commands.answer_next(echo);
  Json done = run(h, {{"program", "filter.exe"},
                      {"args", {"-x", "a b"}},
                      {"cwd", "C:\\work"},
                      {"env", {{"path", "D:\\bin"}, {"LANG", "C"}}},
                      {"stdin", "line one\nline two\n"}});
  ASSERT_EQ(error_of(done), "ok") << done;
  const Json& result = done["result"];
  EXPECT_EQ(result["exitCode"], 3);
  EXPECT_EQ(result["stdout"], "start\nline one\nline two\n");
  EXPECT_EQ(result["stderr"], "warn é");  // not UTF-8: the console's code page
  EXPECT_EQ(result["stdoutTotalChars"], 24);
  EXPECT_EQ(result["timedOut"], false);
  EXPECT_EQ(result["truncated"], false);
  auto first = h.commands.runs().at(0);
  EXPECT_EQ(first->spec.program, "C:\\Windows\\System32\\filter.exe");
  EXPECT_EQ(first->spec.command_line, "filter.exe -x \"a b\"");
  EXPECT_EQ(first->spec.cwd, "C:\\work");
  EXPECT_EQ(first->spec.environment,
            (std::vector<std::string>{"=C:=C:\\work", "LANG=C", "path=D:\\bin", "TEMP=C:\\Temp"}));
  EXPECT_TRUE(first->input_closed);
  EXPECT_TRUE(first->destroyed);

  // A command that never ends is ended, whole tree, at its timeout.
  FakeRun endless;
  endless.exit_code.reset();
  endless.out = {"tick\n"};
  h.commands.answer_next(endless);
  Json timed = run(h, {{"command", "ping -n 99 127.0.0.1"}, {"timeoutMs", 1000}})["result"];
  EXPECT_EQ(timed["timedOut"], true);
  EXPECT_EQ(timed["exitCode"], nullptr);
  EXPECT_EQ(timed["stdout"], "tick\n");
  EXPECT_GE(timed["durationMs"], 1000);
  auto second = h.commands.runs().at(1);
  EXPECT_EQ(second->spec.command_line, "cmd.exe /d /u /s /c \"ping -n 99 127.0.0.1\"");
  EXPECT_TRUE(second->input_closed);  // no stdin: the child reads its end at once
  EXPECT_TRUE(second->ended);
  EXPECT_TRUE(second->destroyed);

  // Output over the limit is cut in each stream on its own.
  FakeRun loud;
  loud.out = {std::string(3000, 'o')};
  loud.err = {"e"};
  h.commands.answer_next(loud);
  Json cut = run(h, {{"program", "p"}, {"maxOutputChars", 10}})["result"];
  EXPECT_EQ(cut["stdout"], "ooooo\n[... 2990 characters omitted ...]\nooooo");
  EXPECT_EQ(cut["stdoutTotalChars"], 3000);
  EXPECT_EQ(cut["stderr"], "e");
  EXPECT_EQ(cut["truncated"], true);
}

}  // namespace
}  // namespace winhelper
