#pragma once
// runCommand: runs a program, or a line in cmd or PowerShell, and answers
// with its exit code and decoded output once it ends or its time runs out.
// The command is pumped by polls and holds no worker between them; its
// whole process tree ends with its answer, its timeout or its withdrawal.
//
// Arguments: program + args (array) or command + shell ("cmd", the default,
// or "powershell"); cwd, env (additions), stdin, timeoutMs (30000, 1 to
// 600000), maxOutputChars (16384 per stream, 0 to 1000000).
// Result: {durationMs, exitCode (null when timed out), pid, stderr,
// stderrTotalChars, stdout, stdoutTotalChars, timedOut, truncated}.

#include "context/polled_command.h"

namespace winhelper {

inline constexpr std::int64_t kDefaultRunTimeoutMs = 30000;
inline constexpr std::int64_t kMaxRunTimeoutMs = 600000;
inline constexpr std::uint64_t kDefaultRunOutputChars = 16384;
inline constexpr std::uint64_t kMaxRunOutputChars = 1000000;

PolledStart start_run_command(const Json& args, CommandContext& ctx);

}  // namespace winhelper
