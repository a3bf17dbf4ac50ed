#include "script/keyword_table.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "base/sjis.h"
#include "gfx/layers.h"
#include "support/game_test.h"

namespace piko {
namespace {

using testing::Sjis;

TEST(KeywordTable, EveryKeywordReachesItsOwnRow) {
  for (const KeywordEntry& e : KeywordTable()) {
    if (!e.keyword) continue;
    std::string line = std::string(e.keyword) + "x";
    const KeywordEntry* found = FindKeyword(line);
    ASSERT_NE(found, nullptr) << testing::Utf8(e.keyword);
    EXPECT_EQ(found->row, e.row) << testing::Utf8(e.keyword) << " is taken by " << found->handler_name;
    EXPECT_STREQ(found->handler_name, e.handler_name) << testing::Utf8(e.keyword);
    EXPECT_EQ(found->arg, e.arg) << testing::Utf8(e.keyword);
  }
}

TEST(KeywordTable, LongerKeywordsStandBeforeTheirPrefixes) {
  auto table = KeywordTable();
  for (size_t i = 0; i < table.size(); ++i) {
    for (size_t j = 0; j < i; ++j) {
      if (!table[i].keyword || !table[j].keyword) continue;
      std::string_view later = table[i].keyword, earlier = table[j].keyword;
      EXPECT_FALSE(later != earlier && BeginsWith(later, earlier))
          << testing::Utf8(earlier) << " would take " << testing::Utf8(later);
    }
  }
}

TEST(KeywordTable, RowsAreInOrderAndNoHandlerServesTwoRows) {
  std::set<int> rows;
  std::map<std::pair<std::string, int>, int> row_of_handler;  // (handler, argument)
  int previous = 0;
  for (const KeywordEntry& e : KeywordTable()) {
    EXPECT_GE(e.row, previous);
    previous = e.row;
    rows.insert(e.row);
    auto it = row_of_handler.emplace(std::pair{std::string(e.handler_name), e.arg}, e.row).first;
    EXPECT_EQ(it->second, e.row) << e.handler_name << " serves two rows";
  }
  EXPECT_EQ(rows.size(), 89u);
  EXPECT_EQ(*rows.begin(), 1);
  EXPECT_EQ(*rows.rbegin(), 89);
}

TEST(KeywordTable, LinesThatLookAlike) {
  struct Case {
    const char* line;
    const char* handler;  // null: no row takes it
    int arg = 0;          // the variant the row hands its handler
  };
  const Case cases[] = {
      {"＃音＝1", "AssignVariable"},  // "＝" is tested before the sound commands
      {"x＝1", "AssignVariable"},
      {"＝", "AssignVariable"},
      {"＃GO＝", "JumpToLabel"},  // rows before the assignment's come first
      {"＃音のパス", "SetSoundPath"},
      {"＃音ループ", "PlayLoopedSound"},
      {"＃音", "PlaySound"},
      {"＃1文字", "SetOneCharacterDisplay"},
      {"＃12", "SkipChoiceTarget"},
      {"＃ＧＯ", "JumpToLabel"},
      {"＃GO", "JumpToLabel"},
      {"＃ワイプパターン", "StartWipe"},
      {"＃エラーオフ", "SetErrorReports"},
      {"＃スキップオフ", "SetSkip"},
      {"＃最前景オフ", "HideTopLayer"},
      {"＃最前景", "ShowTopPicture"},
      {"＃文章半透明オン", "SetNarrationVeil"},
      {"＃変数宣言文字", "OpenStringDeclarations"},
      {"＃部分アニメ人物2オフ", "StopPartialAnimation", static_cast<int>(PartialId::kPerson2)},
      {"＃部分アニメ人物2", "StartPartialAnimation", static_cast<int>(PartialId::kPerson2)},
      {"＃部分絵１", "ShowPartialPicture", static_cast<int>(PartialId::kPicture1)},
      {"＃部分絵2 remark", "ShowPartialPicture", static_cast<int>(PartialId::kPicture2)},
      {"＃部分人物１オフ", "HidePartialPicture", static_cast<int>(PartialId::kPerson1)},
      {"＃最前景半透明", "SetLayerTranslucency", static_cast<int>(LayerId::kTop)},
      {"＃全オーバーラップ", "StartOverlap", static_cast<int>(LayerId::kCount)},
      {"＃前景裏画面", "LoadBackScreenLayer", 3},
      {"＃フェードイン", "StartFade", static_cast<int>(FadeDirection::kIn)},
      {"＃擬似カーソル", "SetPseudoCursor"},
      {"＃分岐", nullptr},  // there is no bare branch command
      {"＃ 絵", nullptr},
      {"絵", nullptr},
  };
  for (const Case& c : cases) {
    const KeywordEntry* e = FindKeyword(Sjis(c.line));
    if (!c.handler) {
      EXPECT_EQ(e, nullptr) << c.line;
    } else {
      ASSERT_NE(e, nullptr) << c.line;
      EXPECT_STREQ(e->handler_name, c.handler) << c.line;
      EXPECT_EQ(e->arg, c.arg) << c.line;
    }
  }
}

}  // namespace
}  // namespace piko
