#include "base/sjis.h"

#include <gtest/gtest.h>

#include "script/script.h"

namespace piko {
namespace {

std::string Hex(std::string_view s) {
  std::string out;
  char buf[4];
  for (unsigned char c : s) {
    std::snprintf(buf, sizeof buf, "%02X ", c);
    out += buf;
  }
  if (!out.empty()) out.pop_back();
  return out;
}

TEST(ShiftJisLiterals, EncodeAtCompileTimeAsWindowsWrites) {
  EXPECT_EQ(Hex("＃絵"_sjv), "81 94 8A 47");
  EXPECT_EQ(Hex("ﾃﾞｽｸ"_sjv), "C3 DE BD B8");  // half-width katakana: one byte each
  EXPECT_EQ(Hex("～－＼"_sjv), "81 60 81 7C 81 5F");  // Microsoft's choices for these
  EXPECT_EQ(Hex("a\\b"_sjv), "61 5C 62");
  EXPECT_EQ(std::string_view("＃"_sj), "＃"_sjv);
  static_assert("＃ＧＯ"_sjv.size() == 6);
}

TEST(ShiftJisConversion, RoundTripsTextWhoseTrailByteIsBackslash) {
  // ソ and 表 end in 0x5C, the byte that is "\" on its own.
  std::string sjis = SjisFromUtf8("ソ表示");
  EXPECT_EQ(Hex(sjis), "83 5C 95 5C 8E A6");
  EXPECT_EQ(Utf8FromSjis(sjis), "ソ表示");
}

TEST(ShiftJisConversion, BadInputNeverReadsPastItsEnd) {
  EXPECT_EQ(Utf8FromSjis(std::string("a\x81", 2)), "a\xEF\xBF\xBD");  // lone lead byte
  EXPECT_EQ(Utf8FromSjis(std::string("\x81\x20", 2)), "\xEF\xBF\xBD ");  // lead + invalid trail
  EXPECT_EQ(SjisFromUtf8("\xE3\x81"), "?");        // cut three-byte sequence
  EXPECT_EQ(SjisFromUtf8("\xF0\x9F\x98\x80"), "?");  // outside the code page
  EXPECT_EQ(SjisFromUtf8("\xC3("), "?(");          // bad continuation byte
}

TEST(TextSearch, StepsOverTwoByteCharacters) {
  // "アイ" is 83 41 83 43: the bytes 41 83 straddle the boundary.
  std::string text = SjisFromUtf8("アイ");
  EXPECT_EQ(text.find("\x41\x83"), 1u);
  EXPECT_EQ(FindText(text, "\x41\x83"), -1);
  EXPECT_EQ(FindText(text, SjisFromUtf8("イ")), 2);
  // The trail byte of 表 is not a backslash.
  EXPECT_EQ(FindText(SjisFromUtf8("表"), "\\"), -1);
  EXPECT_EQ(FindLastText(SjisFromUtf8("表\\a\\b"), "\\"), 4);
  EXPECT_EQ(FindLastText("abc", "x"), -1);
  EXPECT_EQ(FindText("ab", ""), 0);
  EXPECT_EQ(FindText("a", "ab"), -1);
}

TEST(TextSearch, BeginsWithIsABytePrefix) {
  EXPECT_TRUE(BeginsWith("＃絵のパス"_sjv, "＃絵"_sjv));
  EXPECT_FALSE(BeginsWith("＃絵"_sjv, "＃絵のパス"_sjv));
  EXPECT_FALSE(BeginsWith(" ＃絵"_sjv, "＃絵"_sjv));
  EXPECT_FALSE(BeginsWith("＃絵のパス"_sjv, "＃絵はパ"_sjv));  // same first four bytes
  EXPECT_FALSE(BeginsWith("＃音"_sjv, "＃絵"_sjv));
  EXPECT_TRUE(BeginsWith("＃"_sjv, ""));
}

}  // namespace
}  // namespace piko
