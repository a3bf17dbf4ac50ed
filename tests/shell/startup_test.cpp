#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "base/sjis.h"
#include "support/game_test.h"

namespace piko {
namespace {

using Startup = testing::GameTest;
using Config = testing::GameTest;

TEST_F(Startup, NeedsAStartScenario) {
  EXPECT_EQ(StartUp(g()), 0);
  ASSERT_EQ(MessageBoxes().size(), 1u);
  EXPECT_EQ(MessageBoxes()[0], "startシナリオがありません");
  EXPECT_FALSE(platform().window_created);
}

TEST_F(Startup, ShowsTheNoticeUnlessSwitchedOffAndLoadsTheStart) {
  WriteScenario("start.st1", "// hello");
  {
    NewGame();
    ASSERT_EQ(StartUp(g()), 1);
    ASSERT_EQ(MessageBoxes().size(), 1u);
    EXPECT_EQ(MessageBoxes()[0].rfind("●お楽しみいただく前に", 0), 0u);
    EXPECT_TRUE(platform().window_created);
    EXPECT_EQ(Line(0), "// hello");
    EXPECT_EQ(testing::Utf8(g().text.dialogue_face), "ＭＳ Ｐゴシック");
    EXPECT_EQ(testing::Utf8(g().choice.choice_face), "ＭＳ ゴシック");
  }
  WriteFile("piko.ini", testing::Sjis("＃注意オフ\r\n＃ＭＰ３選択\r\n"));
  {
    NewGame();
    platform().answer = MessageBoxAnswer::kNo;
    ASSERT_EQ(StartUp(g()), 1);
    ASSERT_EQ(MessageBoxes().size(), 1u);  // only the MP3 question
    EXPECT_EQ(g().audio.mp3_mode, 0);
  }
}

// Makes a folder whose absolute path has exactly `length` bytes.
std::string FolderOfLength(const std::string& base, size_t length) {
  std::string path = base;
  while (path.size() < length) {
    size_t room = length - path.size() - 1;
    path += "/" + std::string(std::min<size_t>(room, 60), 'd');
  }
  std::filesystem::create_directories(path);
  return path;
}

TEST_F(Startup, FolderDepthLimit) {
  for (size_t length : {151u, 152u}) {
    std::string path = FolderOfLength(folder() + "/" + std::to_string(length), length);
    ASSERT_EQ(path.size(), length);
    ASSERT_EQ(::chdir(path.c_str()), 0);
    NewGame();
    int ok = CheckFolderDepth(g());
    if (length == 151) {
      EXPECT_EQ(ok, 1);
      EXPECT_TRUE(MessageBoxes().empty());
      EXPECT_EQ(std::string(g().shell.game_folder), path);
    } else {
      EXPECT_EQ(ok, 0);
      ASSERT_EQ(MessageBoxes().size(), 2u);
      EXPECT_EQ(MessageBoxes()[0].rfind("●このゲームのフォルダのある位置が深すぎるか、\n", 0), 0u);
      EXPECT_EQ(MessageBoxes()[1].rfind("●安全のため終了します。\n\n", 0), 0u);
    }
  }
}

TEST_F(Config, KeysAndMistakes) {
  WriteFile("piko.ini", testing::Sjis("// comment\r\n\r\n＃ウインドウ\r\n＃セーブ\r\n＃チャンク\r\n"
                                      "  ＃注意オフ\r\n＃ゲーム名\r\nテスト"));
  NewGame();
  ReadConfigFile(g());
  EXPECT_EQ(g().shell.window_mode, 1);
  EXPECT_EQ(g().config.scrambled_saves, 1);
  EXPECT_EQ(g().config.single_channel_ok, 1);
  EXPECT_EQ(g().config.notices_off, 0);  // leading blanks: not recognised
  ASSERT_EQ(MessageBoxes().size(), 1u);
  EXPECT_EQ(MessageBoxes()[0], "INIファイルの設定ミスです\n  ＃注意オフ");
  EXPECT_EQ(testing::Utf8(g().config.game_title), "テスト");
}

TEST_F(Config, WindowQuestionAndTitleAsLastLine) {
  WriteFile("piko.ini", testing::Sjis("＃ウィンドウ選択\r\n＃ゲームタイトル"));
  NewGame();
  platform().answer = MessageBoxAnswer::kNo;
  ReadConfigFile(g());
  EXPECT_EQ(g().shell.window_mode, 0);
  ASSERT_EQ(MessageBoxes().size(), 1u);
  EXPECT_EQ(MessageBoxes()[0].rfind("●ゲームモードの設定", 0), 0u);
  EXPECT_EQ(std::string(g().config.game_title), "");
}

TEST_F(Config, LimitsApplyNothing) {
  std::string lines;
  for (int i = 0; i < 200; ++i) lines += "//\r\n";
  WriteFile("piko.ini", lines + testing::Sjis("＃ウインドウ"));
  {
    NewGame();
    ReadConfigFile(g());
    EXPECT_TRUE(MessageBoxes().empty());
    EXPECT_EQ(g().shell.window_mode, 1);
  }
  WriteFile("piko.ini", lines + "//\r\n" + testing::Sjis("＃ウインドウ"));
  {
    NewGame();
    ReadConfigFile(g());
    ASSERT_EQ(MessageBoxes().size(), 1u);
    EXPECT_EQ(MessageBoxes()[0], "INIファイルの行数が２００行を超えています");
    EXPECT_EQ(g().shell.window_mode, 0);
  }
  std::string title(95, 't');
  WriteFile("piko.ini", testing::Sjis("＃ゲーム名\r\n") + title);
  {
    NewGame();
    ReadConfigFile(g());
    EXPECT_TRUE(MessageBoxes().empty());
    EXPECT_EQ(std::string(g().config.game_title), title);
  }
  WriteFile("piko.ini", testing::Sjis("＃ウインドウ\r\n") + title + "t");
  {
    NewGame();
    ReadConfigFile(g());
    ASSERT_EQ(MessageBoxes().size(), 1u);
    EXPECT_EQ(MessageBoxes()[0], "INIファイルに９５文字を超えた行があります");
    EXPECT_EQ(g().shell.window_mode, 0);
  }
}

TEST_F(Config, EitherWindowSpellingWithSelectionAsks) {
  for (const char* line : {"＃ウインドウ選択", "＃ウィンドウ　選択する"}) {
    WriteFile("piko.ini", testing::Sjis(line));
    NewGame();
    platform().answer = MessageBoxAnswer::kYes;
    ReadConfigFile(g());
    ASSERT_EQ(MessageBoxes().size(), 1u) << line;
    EXPECT_EQ(MessageBoxes()[0],
              "●ゲームモードの設定\n\nゲームをウインドウ・タイプでプレイしますか？\n\n"
              "（いいえを選ぶと全画面モードになります）\n\n");
    EXPECT_EQ(g().shell.window_mode, 1);
  }
  // The command line's choice stands: no question.
  NewGame();
  g().shell.window_mode = 0;
  g().config.window_mode_set = 1;
  ReadConfigFile(g());
  EXPECT_TRUE(MessageBoxes().empty());
  EXPECT_EQ(g().shell.window_mode, 0);
}

TEST_F(Config, SelectionIsSoughtCharacterByCharacter) {
  // "選択" must not be found across the boundary of two characters.
  // 0x91 0x91 is one character; the bytes of 選択 (91 49 91 F0) then
  // start inside it.
  WriteFile("piko.ini", testing::Sjis("＃ウインドウ") + "\x91\x91\x49\x91\xF0");
  NewGame();
  ReadConfigFile(g());
  EXPECT_EQ(g().shell.window_mode, 1);
}

TEST_F(Config, ATitleOf95BytesReachesTheCaptionWhole) {
  WriteScenario("start.st1", "// x");
  std::string title = testing::Sjis("ゲーム") + std::string(89, 'T');
  ASSERT_EQ(title.size(), 95u);
  WriteFile("piko.ini", testing::Sjis("＃ウインドウ\r\n＃ゲーム名\r\n") + title + "\r\n");
  NewGame(false);
  ASSERT_EQ(StartUp(g()), 1);
  EXPECT_EQ(platform().window_title, testing::Utf8(title));
  EXPECT_FALSE(platform().full_screen);
  ASSERT_EQ(platform().captions.size(), 1u);  // the notice
  EXPECT_EQ(platform().captions[0], testing::Utf8(title));
}

TEST_F(Config, BoxesBeforeTheTitleIsReadCarryTheDefaultCaption) {
  WriteFile("piko.ini", testing::Sjis("＃ゲーム名\r\n新しい題\r\nおかしな行\r\n"));
  NewGame(false);
  ReadConfigFile(g());
  ASSERT_EQ(platform().captions.size(), 1u);
  EXPECT_EQ(platform().captions[0], "新しい題");  // the line after the title
  WriteFile("piko.ini", std::string(96, 'x'));
  NewGame(false);
  ReadConfigFile(g());
  ASSERT_EQ(platform().captions.size(), 1u);
  EXPECT_EQ(platform().captions[0], "簡単ゲーム作成アプリケーション 「ピコラ」（Ver 01.77）");
}

TEST_F(Startup, MakesTheWindowTheDisplayAndItsWorkSurfaces) {
  WriteScenario("start.st1", "// x");
  WriteFile("piko.ini", testing::Sjis("＃注意オフ\r\n"));
  NewGame(false);
  ASSERT_EQ(StartUp(g()), 1);
  EXPECT_TRUE(platform().full_screen);
  EXPECT_EQ(g().shell.main_window, 1);
  EXPECT_EQ(g().gfx.display_ready, 1);
  EXPECT_EQ(g().gfx.surfaces[TextWindowSurface].height, 240);
  EXPECT_TRUE(g().gfx.surfaces[BackgroundSurface].keyed);
  EXPECT_EQ(g().gfx.surfaces[BackgroundSurface].colour_key, 0xFFFF);
}

TEST_F(Startup, AFullScreenDisplayWithoutItsWindowReportsTheFailure) {
  WriteScenario("start.st1", "// x");
  WriteFile("piko.ini", testing::Sjis("＃注意オフ\r\n＃ゲーム名\r\n題\r\n"));
  NewGame(false);
  platform().window_ok = false;
  EXPECT_EQ(StartUp(g()), 0);
  ASSERT_EQ(MessageBoxes().size(), 1u);
  EXPECT_EQ(MessageBoxes()[0],
            "ダイレクトドローの生成に失敗しました\n\n●このマシンにダイレクトＸ５が入っていないか\n"
            "  ビデオボードが16ビットカラーに対応していない。\n  可能性があります。\n");
  EXPECT_EQ(platform().captions[0], "題");
  EXPECT_EQ(g().gfx.display_ready, 0);
  // In a window, a window that cannot be made stops start-up without a box.
  WriteFile("piko.ini", testing::Sjis("＃注意オフ\r\n＃ウインドウ\r\n"));
  NewGame(false);
  platform().window_ok = false;
  EXPECT_EQ(StartUp(g()), 0);
  EXPECT_TRUE(MessageBoxes().empty());
}

}  // namespace
}  // namespace piko
