// "＃セーブ" and "＃ロード" as scripts use them: round trips, the return into
// a sub-scenario, the checked forms, their messages, and declarations
// refused once a save or load has run.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "support/game_test.h"

namespace piko {
namespace {

using testing::Sjis;

class SaveCommands : public testing::GameTest {
 protected:
  std::string Dump() {
    std::string out;
    WriteVariableDump(g(), &out);
    return out;
  }
};

constexpr const char* kDeclarations =
    "＃変数宣言\n点数\n点［3］\nｘ\n\n"
    "＃変数宣言文字\n名前\n空\n長文\n\n";

TEST_F(SaveCommands, AReloadGivesIdenticalVariables) {
  std::string long_text(50, 'a');
  PlayRun(std::string(kDeclarations) +
          "点数＝0－12\n点［3］＝10000000\nｘ＝7\n"
          "＃文字変数代入\n名前\n太郎 と 花子\n"
          "＃文字変数代入\n長文\n" +
          long_text +
          "ああああああああああああああああああああ\n"
          "＃セーブ\nsave1\n");
  ASSERT_EQ(FirstError(), "<none>");
  std::string saved = Dump();
  ASSERT_EQ(Text("長文").size(), 50u + 20u * 3u);

  PlayRun(std::string(kDeclarations) + "点数＝99\n＃文字変数代入\n空\nなにか\n＃ロード\nsave1\n// next\n");
  EXPECT_EQ(FirstError(), "<none>");
  EXPECT_EQ(Dump(), saved);
  EXPECT_EQ(Text("空"), "");
  EXPECT_EQ(Value("点数"), -12);
  // Without a return the game goes on where it was.
  EXPECT_TRUE(Executed("start.st1:17: // next"));
  EXPECT_EQ(find_numeric(g(), Sjis("点:3:")), 4);  // the index was rebuilt
}

constexpr const char* kStartWithReturn =
    "＃変数宣言\n点数\n回数\n\n"                    // 0-3
    "＃変数宣言文字\n名前\n\n"                      // 4-6
    "＃ロード 復帰（ファイル確認）\nsave1\n新規\n"  // 7-9
    "＃ラベル\n新規\n"                              // 10-11
    "点数＝15\n"                                    // 12
    "＃文字変数代入\n名前\n太郎\n"                  // 13-15
    "＃別シナリオ\nchapter\n"                       // 16-17
    "回数＝回数＋１\n";                             // 18

constexpr const char* kChapter =
    "点数＝点数＋5\n"
    "＃セーブ\nsave1\n"
    "点数＝点数＋１\n";

TEST_F(SaveCommands, AReturningLoadGoesOnAfterTheSaveInsideTheSubScenario) {
  WriteScenario("chapter.st1", kChapter);
  PlayRun(kStartWithReturn);
  ASSERT_EQ(FirstError(), "<none>");
  EXPECT_EQ(Value("点数"), 21);
  EXPECT_EQ(Value("回数"), 1);

  NewRun(kStartWithReturn);
  g().script.in_right_click_scenario = 1;
  g().script.right_click_depth = 1;
  ASSERT_TRUE(PlayToEnd());
  EXPECT_EQ(FirstError(), "<none>");
  std::vector<std::string> expected = {
      "start.st1:1: ＃変数宣言",
      "start.st1:2: 点数",
      "start.st1:3: 回数",
      "start.st1:4: ",
      "start.st1:5: ＃変数宣言文字",
      "start.st1:6: 名前",
      "start.st1:7: ",
      "start.st1:8: ＃ロード 復帰（ファイル確認）",
      "chapter.st1:4: 点数＝点数＋１",
      "chapter.st1:5: ",
      "chapter.st1:6: ",
      "chapter.st1:7: ",
      "start.st1:19: 回数＝回数＋１",
      "start.st1:20: ",
      "start.st1:21: ",
      "start.st1:22: ",
  };
  EXPECT_EQ(Executed(), expected);
  EXPECT_EQ(Value("点数"), 21);
  EXPECT_EQ(Value("回数"), 1);
  EXPECT_EQ(Text("名前"), "太郎");
  // The levels of the right-click mode are gone with the old stack.
  EXPECT_EQ(g().script.in_right_click_scenario, 0);
}

TEST_F(SaveCommands, ALoadMarksTheVariableDisplayForRedrawing) {
  PlayRun("＃変数宣言\n点数\n\n点数＝4\n＃セーブ\nsave1\n");
  NewRun("＃変数宣言\n点数\n\n＃ロード\nsave1\n");
  RunLines(3);
  ASSERT_EQ(g().script.line_pos, 3);
  g().text.variable_display_shown = 1;
  g().text.variable_display_dirty = 0;
  RunLines(1);
  EXPECT_EQ(Value("点数"), 4);
  EXPECT_EQ(g().text.variable_display_dirty, 1);
}

TEST_F(SaveCommands, SavingTwiceOverwritesSilently) {
  PlayRun("＃変数宣言\n点数\n\n点数＝1\n＃セーブ\nsave1\n点数＝2\n＃セーブ\nsave1\n");
  EXPECT_EQ(FirstError(), "<none>");
  PlayRun("＃変数宣言\n点数\n\n＃ロード\nsave1\n");
  EXPECT_EQ(Value("点数"), 2);
  EXPECT_FALSE(Exists("save1.tmp"));
}

// ---- The checked forms ----

constexpr const char* kCheckedSave =
    "＃変数宣言\n点数\n\n"
    "点数＝5\n"
    "＃セーブ（上書き確認）\nsave1\n%s\n"  // 4-6
    "点数＝6\n"
    "＃ラベル\nある\n";

std::string WithLabel(const char* text, const char* label) {
  std::string s = text;
  return s.replace(s.find("%s"), 2, label);
}

TEST_F(SaveCommands, TheCheckedSaveJumpsWhenTheNameExists) {
  struct {
    const char* what;
    const char* before;  // "file", "folder" or nothing
    const char* label;
    int value;  // 点数 at the end: 6 when it went on after the label line
    bool written;
    const char* message;
  } cases[] = {
      {"missing: saved", "", "ある", 6, true, "<none>"},
      {"a file: not saved", "file", "ある", 5, false, "<none>"},
      {"a folder: not saved", "folder", "ある", 5, false, "<none>"},
      {"no such label", "file", "ない", 6, false, "上書き確認時のラベルが見つかりません"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove_all(folder() + "/save1");
    if (std::string(c.before) == "file") WriteFile("save1", "old");
    if (std::string(c.before) == "folder") std::filesystem::create_directory(folder() + "/save1");
    PlayRun(WithLabel(kCheckedSave, c.label));
    EXPECT_EQ(FirstError(), c.message);
    EXPECT_EQ(Value("点数"), c.value);
    std::string bytes = FileBytes("save1");
    if (c.written) {
      // The saved line is the label line: a return goes on after it.
      EXPECT_NE(bytes.find("\r\n6\r\n" + Sjis("－－－－－－－－－－－－ピコラデータ終了")), std::string::npos);
    } else if (std::string(c.before) == "file") {
      EXPECT_EQ(bytes, "old");
    }
  }
}

constexpr const char* kCheckedLoad =
    "＃変数宣言\n点数\n\n"
    "＃ロード（ファイル確認）\nsave1\n%s\n"  // 3-5
    "点数＝点数＋１\n"
    "＃ラベル\nない\n";

TEST_F(SaveCommands, TheCheckedLoadJumpsWhenThereIsNoFile) {
  struct {
    const char* what;
    const char* before;
    const char* label;
    int value;
    const char* message;
  } cases[] = {
      {"a save: loaded, on after the label line", "save", "ない", 10, "<none>"},
      {"missing: jumps", "", "ない", 0, "<none>"},
      {"a folder: jumps", "folder", "ない", 0, "<none>"},
      {"no such label", "", "なし", 1, "＃ロード確認時のラベルが見つかりません"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove_all(folder() + "/save1");
    if (std::string(c.before) == "save") PlayRun("＃変数宣言\n点数\n\n点数＝9\n＃セーブ\nsave1\n");
    if (std::string(c.before) == "folder") std::filesystem::create_directory(folder() + "/save1");
    PlayRun(WithLabel(kCheckedLoad, c.label));
    EXPECT_EQ(FirstError(), c.message);
    EXPECT_EQ(Value("点数"), c.value);
  }
}

TEST_F(SaveCommands, MissingNamesAndLabelsAreReported) {
  struct {
    const char* script;
    const char* message;
    const char* detail;
  } cases[] = {
      {"＃セーブ\n\n", "＃セーブするファイル名がありません", ""},
      {"＃セーブ（上書き確認）\n\nある\n", "＃セーブ（上書き確認）する", "ファイル名がありません"},
      {"＃セーブ（上書き確認）\nsave1\n\n", "＃セーブ上書き確認時の", "ラベル名がありません"},
      {"＃ロード\n\n", "＃ロードするファイル名がありません", ""},
      {"＃ロード 復帰\n\n", "＃ロードするファイル名がありません", ""},
      {"＃ロード（ファイル確認）\n\nある\n", "＃ロード（ファイル確認）する", "ファイル名がありません"},
      {"＃ロード（ファイル確認）\nsave1\n\n", "＃ロード確認時（指定ファイルがない場合）の",
       "飛び先ラベル名がありません"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.script);
    PlayRun(c.script);
    auto errors = Errors();
    ASSERT_FALSE(errors.empty());
    EXPECT_EQ(errors[0].message, c.message);
    EXPECT_EQ(errors[0].detail, c.detail);
    EXPECT_FALSE(Exists("save1"));
    EXPECT_EQ(g().vars.save_load_used, 1);
  }
}

TEST_F(SaveCommands, DeclarationsAreRefusedAfterASaveOrALoad) {
  for (const char* command :
       {"＃セーブ\nsave1\n", "＃ロード\nnone\n", "＃ロード（ファイル確認）\nnone\nない\n＃ラベル\nない\n"}) {
    SCOPED_TRACE(command);
    PlayRun(std::string("＃変数宣言\n点数\n\n") + command + "＃変数宣言\n後\n\n＃変数宣言文字\n名\n\n");
    std::vector<std::string> messages;
    for (const auto& e : Errors()) messages.push_back(e.message);
    EXPECT_NE(std::find(messages.begin(), messages.end(), "「＃変数宣言」は「＃セーブ・ロード」の前にしてください"),
              messages.end());
    EXPECT_NE(
        std::find(messages.begin(), messages.end(), "「＃変数宣言（文字）」は「＃セーブ・ロード」の前にしてください"),
        messages.end());
    EXPECT_EQ(Value("後"), kUndeclared);
    EXPECT_EQ(Text("名"), "<undeclared>");
    std::filesystem::remove(folder() + "/save1");
  }
}

TEST_F(SaveCommands, DeclarationsMadeAfterTheSaveMakeItUnloadable) {
  PlayRun("＃変数宣言\n点数\n\n＃セーブ\nsave1\n");
  PlayRun("＃変数宣言\n点数\n追加\n\n＃ロード\nsave1\n");
  EXPECT_EQ(FirstError(), "このデータは現在のゲームデータではありません");
}

}  // namespace
}  // namespace piko
