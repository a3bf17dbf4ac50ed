// The scenario fuzz target's dictionary holds every keyword of the command
// table, so that a keyword added later is tried too (`make fuzz-seeds`
// writes the dictionary again).
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "script/keyword_table.h"
#include "support/process.h"

namespace piko {
namespace {

std::string DictEntry(std::string_view bytes) {
  std::string out = "\"";
  for (unsigned char c : bytes) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "\\x%02X", c);
    out += c >= 0x20 && c < 0x7F && c != '"' && c != '\\' ? std::string(1, static_cast<char>(c)) : hex;
  }
  return out + "\"\n";
}

TEST(FuzzDictionary, HoldsEveryKeywordOfTheTable) {
  std::string dict = testing::ReadFileText(std::string(PIKO_SOURCE_DIR) + "/fuzz/dict/scenario_fuzz.dict");
  ASSERT_FALSE(dict.empty());
  for (const KeywordEntry& e : KeywordTable()) {
    if (!e.keyword) continue;
    EXPECT_NE(dict.find(DictEntry(e.keyword)), std::string::npos) << e.handler_name;
  }
}

}  // namespace
}  // namespace piko
