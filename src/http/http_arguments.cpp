#include "http/http_arguments.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "common/os_random.h"

namespace winhelper::mcp {

namespace {

// Why a token could not be had.
struct NoToken {
  std::string why;
};

// The first line of the file without its line end, or why it cannot serve.
Result<std::string, NoToken> read_token_file(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return NoToken{"--token-file: cannot read " + path};
  std::string line;
  std::getline(file, line);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  if (line.empty()) return NoToken{"--token-file: the first line of " + path + " is empty"};
  return line;
}

Result<std::string, NoToken> generate_token(const TokenEnvironment& environment,
                                                std::vector<std::string>& notices) {
  if (!environment.profile_dir) {
    return NoToken{"cannot generate a token: no user profile directory; give --token-file"};
  }
  std::optional<std::string> token = random_hex(kGeneratedTokenBytes);
  if (!token) return NoToken{"cannot generate a token: the system's random source failed"};
  std::filesystem::path dir = std::filesystem::path(*environment.profile_dir) / "winhelper";
  std::error_code error;
  std::filesystem::create_directories(dir, error);
  std::string path = (dir / "mcp-token").string();
  if (error || !write_private_file(path, *token + "\n")) {
    return NoToken{"cannot write the generated token to " + path};
  }
  notices.push_back("[mcp-http] generated a token; it is in " + path +
                    " (readable only by this user)");
  return *token;
}

}  // namespace

Result<HttpArguments, std::string> take_http_arguments(std::vector<std::string>& args) {
  HttpArguments out;
  std::vector<std::string> rest;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& name = args[i];
    if (name == "--no-auth") {
      out.no_auth = true;
      continue;
    }
    bool takes_value = name == "--http" || name == "--token-file" || name == "--allow-host" ||
                       name == "--allow-origin";
    if (!takes_value) {
      rest.push_back(name);
      continue;
    }
    if (i + 1 == args.size()) return name + " needs a value";
    const std::string& value = args[++i];
    if (name == "--http") {
      auto listen = parse_listen_address(value);
      if (!listen) return listen.error();
      out.listen = *listen;
    } else if (name == "--token-file") {
      out.token_file = value;
    } else if (name == "--allow-host") {
      out.allowed_hosts.push_back(value);
    } else {
      out.allowed_origins.push_back(value);
    }
  }
  bool http_only = out.token_file || out.no_auth || !out.allowed_hosts.empty() ||
                   !out.allowed_origins.empty();
  if (!out.listen && http_only) {
    return std::string("--token-file, --no-auth, --allow-host and --allow-origin need --http");
  }
  if (out.no_auth && out.token_file) return std::string("--no-auth and --token-file conflict");
  args = std::move(rest);
  return out;
}

Result<ResolvedSecurity, std::string> resolve_security(const HttpArguments& args,
                                                       const TokenEnvironment& environment) {
  ResolvedSecurity out;
  out.security.listen = args.listen.value_or(ListenAddress{});
  out.security.allowed_hosts = args.allowed_hosts;
  out.security.allowed_origins = args.allowed_origins;
  bool has_token = args.token_file || (environment.env_token && !environment.env_token->empty());
  if (auto refusal = startup_refusal(out.security.listen, has_token, args.no_auth)) {
    return *refusal;
  }
  if (args.no_auth) {
    out.notices.push_back("[mcp-http] warning: --no-auth: any program of any user on this "
                          "machine can drive this desktop through " +
                          out.security.listen.host + ":" +
                          std::to_string(out.security.listen.port));
    return out;
  }
  if (args.token_file) {
    auto token = read_token_file(*args.token_file);
    if (!token) return token.error().why;
    out.security.token = *token;
  } else if (has_token) {
    out.security.token = *environment.env_token;
  } else {
    auto token = generate_token(environment, out.notices);
    if (!token) return token.error().why;
    out.security.token = *token;
  }
  return out;
}

#ifndef _WIN32
// The Windows version reads the environment in UTF-16 and the profile folder
// from the shell (win32/token_environment_win32.cpp).
TokenEnvironment process_token_environment() {
  auto variable = [](const char* name) -> std::optional<std::string> {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') return std::nullopt;
    return std::string(value);
  };
  TokenEnvironment out;
  out.env_token = variable(kTokenEnvironment);
  // Read once and gone: no program the server starts inherits it.
  ::unsetenv(kTokenEnvironment);
  out.profile_dir = variable("HOME");
  return out;
}
#endif

}  // namespace winhelper::mcp
