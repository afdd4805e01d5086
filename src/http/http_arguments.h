#pragma once
// The MCP server's HTTP options and what they resolve to before it starts:
// `--http [HOST:]PORT`, `--token-file PATH`, `--no-auth`,
// `--allow-host NAME`, `--allow-origin ORIGIN` (both repeatable). The token
// comes from the file (its first line), else WINHELPER_MCP_TOKEN, else a
// generated one written to a file only the user can read.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/result.h"
#include "http/http_policy.h"

namespace winhelper::mcp {

inline constexpr const char* kTokenEnvironment = "WINHELPER_MCP_TOKEN";
// Random bytes of a generated token (256 bits).
inline constexpr std::size_t kGeneratedTokenBytes = 32;

inline constexpr const char* kHttpUsage =
    "--http [HOST:]PORT   serve MCP over HTTP at /mcp instead (HOST 127.0.0.1 by default)\n"
    "--token-file PATH    the bearer token is the file's first line (else "
    "WINHELPER_MCP_TOKEN,\n"
    "                     else a generated one, written to a file in the user's profile)\n"
    "--no-auth            no token; loopback addresses only\n"
    "--allow-host NAME    accept this Host name too (repeatable)\n"
    "--allow-origin ORIG  accept requests carrying this Origin (repeatable)\n";

struct HttpArguments {
  std::optional<ListenAddress> listen;  // set by --http
  std::optional<std::string> token_file;
  bool no_auth = false;
  std::vector<std::string> allowed_hosts;
  std::vector<std::string> allowed_origins;
};

// Takes the HTTP options out of `args`, leaving the others in it.
Result<HttpArguments, std::string> take_http_arguments(std::vector<std::string>& args);

// What resolving the token may touch, so that tests give their own.
struct TokenEnvironment {
  std::optional<std::string> env_token;
  // The directory of the user's own files (the local application data
  // folder on Windows, HOME elsewhere).
  std::optional<std::string> profile_dir;
};

struct ResolvedSecurity {
  HttpSecurity security;
  // Lines for standard error: where a generated token was written, the
  // --no-auth warning. Never the token itself.
  std::vector<std::string> notices;
};

// The settings to serve with, or why the server must not start.
Result<ResolvedSecurity, std::string> resolve_security(const HttpArguments& args,
                                                       const TokenEnvironment& environment);

// The process's own environment. The token variable is removed from it once
// read, so that no program started later inherits the token.
TokenEnvironment process_token_environment();

}  // namespace winhelper::mcp
