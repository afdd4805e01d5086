#include <gtest/gtest.h>

#include "common/lowercase.h"

namespace winhelper {
namespace {

TEST(Lowercase, FoldsTheCommonScriptsAndKeepsEverythingElse) {
  EXPECT_EQ(to_lower_utf8("MsEdge.EXE"), "msedge.exe");
  EXPECT_EQ(to_lower_utf8("\xC3\x84RGER \xC3\x97"), "\xC3\xA4rger \xC3\x97");  // Ä -> ä, × kept
  EXPECT_EQ(to_lower_utf8("\xC5\x81\xC3\xB3" "d\xC5\xBA"), "\xC5\x82\xC3\xB3" "d\xC5\xBA");  // Łódź
  EXPECT_EQ(to_lower_utf8("\xCE\xA3\xCE\x8F"), "\xCF\x83\xCF\x8E");      // Σώ from ΣΏ
  EXPECT_EQ(to_lower_utf8("\xD0\x81\xD0\xAF"), "\xD1\x91\xD1\x8F");      // Ё Я
  EXPECT_EQ(to_lower_utf8("\xEF\xBC\xA1"), "\xEF\xBD\x81");              // full-width A
  EXPECT_EQ(to_lower_utf8("\xF0\x9F\x98\x80 \xE6\x96\x87"), "\xF0\x9F\x98\x80 \xE6\x96\x87");
  // Bytes that are not UTF-8 pass through untouched.
  EXPECT_EQ(to_lower_utf8(std::string("A\xFF" "B\xC3", 4)), std::string("a\xFF" "b\xC3", 4));
}

TEST(Lowercase, AsciiFoldingLeavesEveryOtherByteAlone) {
  EXPECT_EQ(to_lower_ascii("Chrome_WidgetWin_1 AZaz@[`{"), "chrome_widgetwin_1 azaz@[`{");
  // Capital I with dot above, Ä and a full-width A stay as they are.
  EXPECT_EQ(to_lower_ascii("CHROM\xC4\xB0UM \xC3\x84 \xEF\xBC\xA1"),
            "chrom\xC4\xB0um \xC3\x84 \xEF\xBC\xA1");
  EXPECT_EQ(to_lower_ascii(std::string("A\xFF", 2)), std::string("a\xFF", 2));
}

}  // namespace
}  // namespace winhelper
