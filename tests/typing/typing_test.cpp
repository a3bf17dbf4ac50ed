#include "typing/typing.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/keyboard.h"
#include "support/game_test.h"

namespace piko {
namespace {

using testing::Sjis;

TEST(TypingText, ConvertsByTheTablesOfBothStyles) {
  const struct {
    const char* text;
    TypingStyle style;
    const char* keys;  // UTF-8; null: refused
  } kCases[] = {
      {"しゃしん", TypingStyle::kRomaji, "siyasin"},
      {"がっこう", TypingStyle::kRomaji, "gakkou"},
      {"あっ", TypingStyle::kRomaji, "altu"},
      {"っっか", TypingStyle::kRomaji, "ltukka"},
      {"ふぇ", TypingStyle::kRomaji, "fe"},
      {"きゃ", TypingStyle::kRomaji, "kiya"},
      {"てぃーヴ", TypingStyle::kRomaji, "thi-vu"},
      {"Ａｂ９", TypingStyle::kRomaji, "ab9"},
      {"が", TypingStyle::kKana, "ｶﾞ"},
      {"ぽっを", TypingStyle::kKana, "ﾎﾟｯｦ"},
      {"漢字", TypingStyle::kRomaji, nullptr},
      {"あa", TypingStyle::kRomaji, nullptr},
      {"カ", TypingStyle::kKana, nullptr},
      {"ゐ", TypingStyle::kRomaji, nullptr},
      {"、", TypingStyle::kKana, nullptr},
  };
  for (const auto& c : kCases) {
    std::string keys;
    bool ok = ConvertTypingText(Sjis(c.text), c.style, &keys);
    EXPECT_EQ(ok, c.keys != nullptr) << c.text;
    if (ok && c.keys) {
      EXPECT_EQ(keys, Sjis(c.keys)) << c.text;
    }
  }
}

TEST(TypingText, KeysOfAJapaneseKeyboard) {
  const struct {
    const char* character;  // UTF-8
    int vk;
  } kCases[] = {{"a", 'A'}, {"A", 'A'},  {"0", '0'},  {"-", 0xBD}, {"ｶ", 'T'}, {"ﾞ", 0xC0},
                {"ｧ", '3'}, {"ｰ", 0xDC}, {"ﾛ", 0xE2}, {"ｦ", '0'},  {"ﾑ", 0xDD}};
  for (const auto& c : kCases) {
    EXPECT_EQ(VirtualKeyOf(static_cast<unsigned char>(Sjis(c.character)[0])), c.vk) << c.character;
    EXPECT_EQ(VirtualKeyNamed(c.character), c.vk) << c.character;
  }
  EXPECT_EQ(VirtualKeyNamed("minus"), 0xBD);
  EXPECT_EQ(VirtualKeyNamed("YEN"), 0xDC);
  EXPECT_EQ(VirtualKeyNamed("NOSUCHKEY"), 0);
}

}  // namespace
}  // namespace piko
