// End-to-end: a game saves inside a sub-scenario, loads with "復帰" and goes
// on after the save; the checked forms decide by the files present.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "base/sjis.h"
#include "support/process.h"

namespace piko {
namespace {

using testing::ReadFileText;
using testing::RunProcess;
using testing::SplitLines;

TEST(SavesGame, SavesAndGoesOnWhereItSaved) {
  std::string out = std::string(PIKO_BINARY_DIR) + "/test-output";
  std::filesystem::create_directories(out);
  std::string game = std::string(PIKO_BINARY_DIR) + "/tests/games/saves";
  std::string trace = out + "/saves.trace";
  std::string dump = out + "/saves.vars";
  // A run before this one left its saves; the game must start without them.
  std::filesystem::remove(game + "/save1");
  std::filesystem::remove(game + "/marker");
  std::filesystem::remove(dump);

  auto r = RunProcess({PIKO_PLAYER, "--headless", "--trace", trace, "--dump-vars", dump, game});
  EXPECT_EQ(r.exit_code, 0);
  std::vector<std::string> texts;
  for (const std::string& line : SplitLines(ReadFileText(trace))) texts.push_back(line.substr(line.find(' ') + 1));
  std::vector<std::string> expected = {
      "start.st1:1: // Saves and loads: a save inside a sub-scenario, a returning load, the checked forms.",
      "start.st1:2: ＃変数宣言",
      "start.st1:3: 点数",
      "start.st1:4: 回数",
      "start.st1:5: 点［2］",
      "start.st1:6: ",
      "start.st1:7: ＃変数宣言文字",
      "start.st1:8: 名前",
      "start.st1:9: ",
      "start.st1:10: ＃ロード（ファイル確認）",  // no such file: to the label
      "start.st1:15: 点数＝15",
      "start.st1:16: 点［2］＝－3",
      "start.st1:17: ＃文字変数代入",
      "start.st1:20: ＃別シナリオ",
      "chapter.st1:1: // in the chapter",
      "chapter.st1:2: 点数＝点数＋5",
      "chapter.st1:3: ＃セーブ",
      "chapter.st1:5: 点数＝点数＋１",
      "chapter.st1:6: ",
      "chapter.st1:7: ",
      "chapter.st1:8: ",
      "start.st1:22: 回数＝回数＋１",
      "start.st1:23: ＃セーブ（上書き確認）",  // no marker yet: saved, on after the label line
      "start.st1:26: 点数＝99",
      "start.st1:27: ＃文字変数代入",
      "start.st1:30: ＃ロード 復帰",
      "chapter.st1:5: 点数＝点数＋１",  // back in the chapter, after the save
      "chapter.st1:6: ",
      "chapter.st1:7: ",
      "chapter.st1:8: ",
      "start.st1:22: 回数＝回数＋１",
      "start.st1:23: ＃セーブ（上書き確認）",  // the marker exists now: to the label
      "start.st1:35: ＃ロード",
      "start.st1:37: // the end",
      "start.st1:38: ",
      "start.st1:39: ",
      "start.st1:40: ",
  };
  EXPECT_EQ(texts, expected);

  std::string folder = std::filesystem::canonical(game).string();
  std::vector<std::string> errors = {
      "error start.st1:35: データ形式が 違います | " + folder + "\\broken.txt",
      "error start.st1:41: シナリオが終了しました。 | 始めから実行します。",
  };
  EXPECT_EQ(SplitLines(r.err), errors);

  // The variables as they were saved in the chapter, then one more step of
  // the chapter and one of the start scenario.
  std::vector<std::string> vars = {
      "numeric 点数 21", "numeric 回数 1", "numeric 点:0: 0", "numeric 点:1: 0", "numeric 点:2: -3", "string 名前 太郎",
  };
  EXPECT_EQ(SplitLines(ReadFileText(dump)), vars);

  // The save made in the chapter: two levels, the call's name line kept for
  // level 0, the save's name line as the current line; CP932 with CR LF.
  std::string saved;
  for (const char* line : {"－－－－－－－－－－－－ピコラ変数データ",
                           "5",
                           "点数",
                           "20",
                           "回数",
                           "0",
                           "点:0:",
                           "0",
                           "点:1:",
                           "0",
                           "点:2:",
                           "-3",
                           "－－－－－－－－－－－－ピコラ文字変数データ",
                           "1",
                           "名前",
                           "太郎",
                           "－－－－－－別シナリオ履歴",
                           "1",
                           "start.st1",
                           "20",
                           "chapter.st1",
                           "0",
                           "－－－－－今の行数",
                           "3",
                           "－－－－－－－－－－－－ピコラデータ終了"}) {
    saved += SjisFromUtf8(line) + "\r\n";
  }
  EXPECT_EQ(ReadFileText(game + "/save1"), saved);
  EXPECT_TRUE(std::filesystem::exists(game + "/marker"));
  EXPECT_FALSE(std::filesystem::exists(game + "/save1.tmp"));
}

}  // namespace
}  // namespace piko
