// Every seed of the fuzzer's corpus, replayed through the same checks as the
// fuzzer and always through the real service, in every build (including the
// sanitizer builds). Inputs that once exposed a fault are kept in the corpus
// as "regression_*" files, so they are checked here for good.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "fuzz/input_check.h"

namespace winhelper::fuzz {
namespace {

namespace fs = std::filesystem;

std::string contents(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(FuzzCorpus, EverySeedPassesEveryCheckThroughTheService) {
  int seeds = 0;
  for (const auto& entry : fs::directory_iterator(WINHELPER_FUZZ_CORPUS_DIR)) {
    ++seeds;
    EXPECT_EQ(check_input(contents(entry.path()), true), "") << entry.path().filename();
  }
  EXPECT_GT(seeds, 50);
}

TEST(FuzzCorpus, HoldsAValidRequestOfEveryCommand) {
  const std::set<std::string> commands(kCommands.begin(), kCommands.end());
  std::set<std::string> seeded;
  for (const auto& entry : fs::directory_iterator(WINHELPER_FUZZ_CORPUS_DIR)) {
    std::string name = entry.path().filename().string();
    if (name.rfind("valid_", 0) != 0) continue;
    std::string text = contents(entry.path());
    for (const std::string& cmd : commands) {
      if (text.find("\"cmd\":\"" + cmd + "\"") != std::string::npos) seeded.insert(cmd);
    }
  }
  EXPECT_EQ(seeded, commands);
}

}  // namespace
}  // namespace winhelper::fuzz
