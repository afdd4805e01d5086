#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>

#include "http/http_arguments.h"
#include "http/http_policy.h"

namespace winhelper::mcp {
namespace {

TEST(HttpPolicy, ListenAddressesAndWhereTheServerMayStart) {
  EXPECT_EQ(parse_listen_address("8080")->host, "127.0.0.1");
  EXPECT_EQ(parse_listen_address("0.0.0.0:80")->host, "0.0.0.0");
  EXPECT_EQ(parse_listen_address("[::1]:9")->host, "::1");
  for (const char* bad : {"", "x", "70000", "0", "host:", "::1:80", "[::1]80"}) {
    EXPECT_FALSE(parse_listen_address(bad).ok()) << bad;
  }
  for (const char* host : {"127.0.0.1", "127.5.0.9", "::1", "LOCALHOST"}) {
    EXPECT_TRUE(is_loopback_host(host)) << host;
  }
  for (const char* host : {"0.0.0.0", "10.0.0.1", "127.0.0", "127.0.0.256", "::"}) {
    EXPECT_FALSE(is_loopback_host(host)) << host;
  }
  ListenAddress open{"0.0.0.0", 80};
  EXPECT_NE(startup_refusal(open, false, false)->find("needs a token"), std::string::npos);
  EXPECT_NE(startup_refusal(open, true, true)->find("--no-auth"), std::string::npos);
  EXPECT_FALSE(startup_refusal(open, true, false));
  EXPECT_FALSE(startup_refusal({"127.0.0.1", 80}, false, true));
}

TEST(HttpPolicy, EachRefusalHasItsStatus) {
  HttpSecurity security{{"127.0.0.1", 8080}, "s3cret", {"desk.example"}, {"https://ok.example"}};
  const std::string good_auth = "Bearer s3cret";
  struct Case {
    const char* name;
    RequestFacts request;
    int status;  // 0: accepted
  };
  auto facts = [&](std::string_view method, std::string_view path) {
    BodyFraming framing;
    if (method == "POST") framing.length = 2;
    return RequestFacts{method, path, "127.0.0.1:8080", std::nullopt, good_auth, framing};
  };
  std::vector<Case> cases = {{"accepted", facts("POST", "/mcp"), 0},
                             {"health without token", facts("GET", "/health"), 0},
                             {"other path", facts("GET", "/"), 404},
                             {"PUT", facts("PUT", "/mcp"), 405},
                             {"POST to health", facts("POST", "/health"), 405}};
  auto with = [&](const char* name, int status, auto change) {
    RequestFacts request = facts("POST", "/mcp");
    change(request);
    cases.push_back({name, request, status});
  };
  with("no token", 401, [](RequestFacts& r) { r.authorization.reset(); });
  with("wrong token", 401, [](RequestFacts& r) { r.authorization = "Bearer s3creT"; });
  with("longer token", 401, [](RequestFacts& r) { r.authorization = "Bearer s3cret1"; });
  with("shorter token", 401, [](RequestFacts& r) { r.authorization = "Bearer s3cre"; });
  with("other scheme", 401, [](RequestFacts& r) { r.authorization = "Basic s3cret"; });
  with("scheme in any case", 0, [](RequestFacts& r) { r.authorization = "bearer s3cret"; });
  with("no Host", 403, [](RequestFacts& r) { r.host.reset(); });
  with("rebound Host", 403, [](RequestFacts& r) { r.host = "evil.example:8080"; });
  with("wrong port", 403, [](RequestFacts& r) { r.host = "localhost:8081"; });
  with("localhost", 0, [](RequestFacts& r) { r.host = "LocalHost:8080"; });
  with("IPv6 loopback", 0, [](RequestFacts& r) { r.host = "[::1]:8080"; });
  with("allowed host", 0, [](RequestFacts& r) { r.host = "desk.example:8080"; });
  with("foreign Origin", 403, [](RequestFacts& r) { r.origin = "https://evil.example"; });
  with("allowed Origin", 0, [](RequestFacts& r) { r.origin = "https://ok.example"; });
  with("the server's own Origin", 0, [](RequestFacts& r) { r.origin = "http://localhost:8080"; });
  with("own host, other port", 403, [](RequestFacts& r) { r.origin = "http://localhost:9"; });
  with("own host, https", 403, [](RequestFacts& r) { r.origin = "https://localhost:8080"; });
  with("4 MiB", 0, [](RequestFacts& r) { r.framing.length = kMaxBodyBytes; });
  with("4 MiB + 1", 413, [](RequestFacts& r) { r.framing.length = kMaxBodyBytes + 1; });
  with("no length", 411, [](RequestFacts& r) { r.framing.length.reset(); });
  with("chunked", 411, [](RequestFacts& r) { r.framing = body_framing({}, true); });
  with("chunked with length", 411, [](RequestFacts& r) { r.framing = body_framing({"2"}, true); });
  with("repeated length", 0, [](RequestFacts& r) { r.framing = body_framing({"2", "2"}, false); });
  with("two lengths", 400, [](RequestFacts& r) { r.framing = body_framing({"2", "3"}, false); });
  with("signed length", 400, [](RequestFacts& r) { r.framing = body_framing({"+2"}, false); });
  with("empty length", 400, [](RequestFacts& r) { r.framing = body_framing({""}, false); });
  with("absurd length", 413, [](RequestFacts& r) {
    r.framing = body_framing({"99999999999999999999999999"}, false);
  });
  // The Host check comes before the token check: a rebinding page learns nothing.
  with("rebound and no token", 403, [](RequestFacts& r) {
    r.host = "evil.example:8080";
    r.authorization.reset();
  });
  for (const Case& c : cases) {
    std::optional<Refusal> refusal = refuse_request(security, c.request);
    EXPECT_EQ(refusal ? refusal->status : 0, c.status) << c.name;
    if (refusal) {
      EXPECT_EQ(refusal->reason.find("s3cret"), std::string::npos) << c.name;
    }
  }
  HttpSecurity open = security;
  open.token.reset();
  RequestFacts anonymous = facts("POST", "/mcp");
  anonymous.authorization.reset();
  EXPECT_FALSE(refuse_request(open, anonymous));
}

TEST(HttpPolicy, ConstantTimeCompareIsExact) {
  EXPECT_TRUE(constant_time_equal("abc", "abc"));
  EXPECT_TRUE(constant_time_equal("", ""));
  for (const char* other : {"abd", "ab", "abcd", "", "ABC"}) {
    EXPECT_FALSE(constant_time_equal(other, "abc")) << other;
  }
}

class TokenResolution : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = std::filesystem::temp_directory_path() /
          ("winhelper-token-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
  }
  void TearDown() override { std::filesystem::remove_all(dir); }
  HttpArguments parsed(std::vector<std::string> args) {
    auto out = take_http_arguments(args);
    EXPECT_TRUE(out.ok()) << out.error();
    EXPECT_TRUE(args.empty());
    return *out;
  }
  std::filesystem::path dir;
};

TEST_F(TokenResolution, FileThenEnvironmentThenAGeneratedPrivateFile) {
  std::ofstream(dir / "t") << "from-file\r\nsecond line\n";
  TokenEnvironment env{"from-env", dir.string()};
  auto from_file = resolve_security(parsed({"--http", "9", "--token-file", (dir / "t").string()}),
                                    env);
  EXPECT_EQ(from_file->security.token, "from-file");
  EXPECT_EQ(resolve_security(parsed({"--http", "9"}), env)->security.token, "from-env");

  auto generated = resolve_security(parsed({"--http", "9"}), {std::nullopt, dir.string()});
  ASSERT_TRUE(generated.ok()) << generated.error();
  ASSERT_EQ(generated->security.token->size(), 64u);  // 256 bits in hex
  std::filesystem::path written = dir / "winhelper" / "mcp-token";
  std::string line;
  std::getline(std::ifstream(written), line);
  EXPECT_EQ(line, *generated->security.token);
  struct stat info {};
  ASSERT_EQ(::stat(written.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  ASSERT_EQ(generated->notices.size(), 1u);
  EXPECT_NE(generated->notices[0].find(written.string()), std::string::npos);
  EXPECT_EQ(generated->notices[0].find(line), std::string::npos);  // the path, never the token

  auto open = resolve_security(parsed({"--http", "9", "--no-auth"}), env);
  EXPECT_FALSE(open->security.token);
  EXPECT_NE(open->notices.at(0).find("warning"), std::string::npos);
}

TEST(TokenEnvironment, TheTokenLeavesTheEnvironmentOnceRead) {
  ::setenv(kTokenEnvironment, "env-token", 1);
  EXPECT_EQ(process_token_environment().env_token, "env-token");
  EXPECT_EQ(std::getenv(kTokenEnvironment), nullptr);  // no program started later inherits it
  EXPECT_FALSE(process_token_environment().env_token);
}

TEST_F(TokenResolution, RefusedSettings) {
  TokenEnvironment none{std::nullopt, dir.string()};
  std::vector<std::pair<std::vector<std::string>, std::string>> refused = {
      {{"--http", "0.0.0.0:9"}, "needs a token"},
      {{"--http", "0.0.0.0:9", "--no-auth"}, "only allowed on a loopback"},
      {{"--http", "9", "--token-file", (dir / "missing").string()}, "cannot read"},
  };
  for (const auto& [args, text] : refused) {
    auto out = resolve_security(parsed(args), none);
    ASSERT_FALSE(out.ok()) << text;
    EXPECT_NE(out.error().find(text), std::string::npos) << out.error();
  }
  for (std::vector<std::string> args : std::vector<std::vector<std::string>>{
           {"--no-auth"}, {"--http"}, {"--http", "9", "--no-auth", "--token-file", "f"}}) {
    EXPECT_FALSE(take_http_arguments(args).ok()) << args[0];
  }
  std::vector<std::string> mixed = {"--disable-tool", "look", "--http", "9"};
  ASSERT_TRUE(take_http_arguments(mixed).ok());
  EXPECT_EQ(mixed, (std::vector<std::string>{"--disable-tool", "look"}));
}

}  // namespace
}  // namespace winhelper::mcp
