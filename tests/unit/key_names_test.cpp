#include <gtest/gtest.h>

#include "input/key_names.h"

namespace winhelper {
namespace {

TEST(KeyNames, NamedKeysInAnyLetterCase) {
  struct Case {
    const char* name;
    int code;
  } cases[] = {
      {"backspace", 8}, {"Tab", 9},         {"ENTER", 13},     {"return", 13},   {"shift", 16},
      {"ctrl", 17},     {"Control", 17},    {"alt", 18},       {"option", 18},   {"esc", 27},
      {"escape", 27},   {"space", 32},      {"PageUp", 33},    {"pagedown", 34}, {"end", 35},
      {"home", 36},     {"left", 37},       {"ArrowLeft", 37}, {"up", 38},       {"arrowup", 38},
      {"right", 39},    {"arrowright", 39}, {"down", 40},      {"arrowdown", 40}, {"delete", 46},
      {"meta", 91},     {"cmd", 91},        {"Win", 91},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(key_name_to_virtual_key(c.name), c.code) << c.name;
  }
}

TEST(KeyNames, SingleLettersAndDigitsAreTheirUpperCaseCodes) {
  EXPECT_EQ(key_name_to_virtual_key("a"), 0x41);
  EXPECT_EQ(key_name_to_virtual_key("Z"), 0x5A);
  EXPECT_EQ(key_name_to_virtual_key("7"), 0x37);
  EXPECT_EQ(key_name_to_virtual_key(" "), 32);
}

// Their character codes are other keys: "." is Delete, "," Print Screen,
// "%" the left arrow. Pressing those instead would be worse than refusing.
TEST(KeyNames, OtherSingleCharactersAreUnknown) {
  for (const char* name : {".", ",", "%", "-", "+", "/", "\t", "\xC3\xA9"}) {
    EXPECT_EQ(key_name_to_virtual_key(name), std::nullopt) << name;
  }
}

TEST(KeyNames, FunctionKeysOneToTwentyFour) {
  EXPECT_EQ(key_name_to_virtual_key("f"), 0x46);  // the letter
  EXPECT_EQ(key_name_to_virtual_key("F1"), 112);
  EXPECT_EQ(key_name_to_virtual_key("F5"), 116);
  EXPECT_EQ(key_name_to_virtual_key("f24"), 135);
  EXPECT_EQ(key_name_to_virtual_key("f+3"), 114);
  EXPECT_EQ(key_name_to_virtual_key("f007"), 118);
  for (const char* name : {"f0", "f25", "f+", "f++1", "f-1", "f 1", "f1x",
                           "f99999999999999999999999", "ctrl ", "", "enterr"}) {
    EXPECT_EQ(key_name_to_virtual_key(name), std::nullopt) << name;
  }
}

}  // namespace
}  // namespace winhelper
