#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

#include "base/sjis.h"
#include "shell/window_platform.h"
#include "support/test_game.h"

namespace piko {
namespace {

using testing::TempGameFolder;
using testing::TestGame;

TEST(StartUp, NeedsAStartScenario) {
  TempGameFolder folder;
  TestGame t;
  EXPECT_EQ(StartUp(t.g()), 0);
  ASSERT_EQ(t.platform.message_boxes.size(), 1u);
  EXPECT_EQ(t.platform.message_boxes[0], "startシナリオがありません");
  EXPECT_FALSE(t.platform.window_created);
}

TEST(StartUp, ShowsTheNoticeUnlessSwitchedOffAndLoadsTheStart) {
  TempGameFolder folder;
  folder.WriteScenario("start.st1", "// hello");
  {
    TestGame t;
    ASSERT_EQ(StartUp(t.g()), 1);
    ASSERT_EQ(t.platform.message_boxes.size(), 1u);
    EXPECT_EQ(t.platform.message_boxes[0].rfind("●お楽しみいただく前に", 0), 0u);
    EXPECT_TRUE(t.platform.window_created);
    EXPECT_EQ(t.Line(0), "// hello");
    EXPECT_EQ(testing::Utf8(t.g().text.dialogue_face), "ＭＳ Ｐゴシック");
    EXPECT_EQ(testing::Utf8(t.g().choice.choice_face), "ＭＳ ゴシック");
  }
  folder.WriteBytes("piko.ini", testing::Sjis("＃注意オフ\r\n＃ＭＰ３選択\r\n"));
  {
    TestGame t;
    t.platform.answer = MessageBoxAnswer::kNo;
    ASSERT_EQ(StartUp(t.g()), 1);
    ASSERT_EQ(t.platform.message_boxes.size(), 1u);  // only the MP3 question
    EXPECT_EQ(t.g().audio.mp3_mode, 0);
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

TEST(StartUp, FolderDepthLimit) {
  TempGameFolder folder;
  for (size_t length : {151u, 152u}) {
    std::string path = FolderOfLength(folder.path() + "/" + std::to_string(length), length);
    ASSERT_EQ(path.size(), length);
    ASSERT_EQ(::chdir(path.c_str()), 0);
    TestGame t;
    int ok = CheckFolderDepth(t.g());
    if (length == 151) {
      EXPECT_EQ(ok, 1);
      EXPECT_TRUE(t.platform.message_boxes.empty());
      EXPECT_EQ(std::string(t.g().shell.game_folder), path);
    } else {
      EXPECT_EQ(ok, 0);
      ASSERT_EQ(t.platform.message_boxes.size(), 2u);
      EXPECT_EQ(t.platform.message_boxes[0].rfind("●このゲームのフォルダのある位置が深すぎるか、\n", 0), 0u);
      EXPECT_EQ(t.platform.message_boxes[1].rfind("●安全のため終了します。\n\n", 0), 0u);
    }
  }
}

TEST(Config, KeysAndMistakes) {
  TempGameFolder folder;
  folder.WriteBytes("piko.ini", testing::Sjis("// comment\r\n\r\n＃ウインドウ\r\n＃セーブ\r\n＃チャンク\r\n"
                                              "  ＃注意オフ\r\n＃ゲーム名\r\nテスト"));
  TestGame t;
  ReadConfigFile(t.g());
  EXPECT_EQ(t.g().shell.window_mode, 1);
  EXPECT_EQ(t.g().config.scrambled_saves, 1);
  EXPECT_EQ(t.g().config.single_channel_ok, 1);
  EXPECT_EQ(t.g().config.notices_off, 0);  // leading blanks: not recognised
  ASSERT_EQ(t.platform.message_boxes.size(), 1u);
  EXPECT_EQ(t.platform.message_boxes[0], "INIファイルの設定ミスです\n  ＃注意オフ");
  EXPECT_EQ(testing::Utf8(t.g().config.game_title), "テスト");
}

TEST(Config, WindowQuestionAndTitleAsLastLine) {
  TempGameFolder folder;
  folder.WriteBytes("piko.ini", testing::Sjis("＃ウィンドウ選択\r\n＃ゲームタイトル"));
  TestGame t;
  t.platform.answer = MessageBoxAnswer::kNo;
  ReadConfigFile(t.g());
  EXPECT_EQ(t.g().shell.window_mode, 0);
  ASSERT_EQ(t.platform.message_boxes.size(), 1u);
  EXPECT_EQ(t.platform.message_boxes[0].rfind("●ゲームモードの設定", 0), 0u);
  EXPECT_EQ(std::string(t.g().config.game_title), "");
}

TEST(Config, LimitsApplyNothing) {
  TempGameFolder folder;
  std::string lines;
  for (int i = 0; i < 200; ++i) lines += "//\r\n";
  folder.WriteBytes("piko.ini", lines + testing::Sjis("＃ウインドウ"));
  {
    TestGame t;
    ReadConfigFile(t.g());
    EXPECT_TRUE(t.platform.message_boxes.empty());
    EXPECT_EQ(t.g().shell.window_mode, 1);
  }
  folder.WriteBytes("piko.ini", lines + "//\r\n" + testing::Sjis("＃ウインドウ"));
  {
    TestGame t;
    ReadConfigFile(t.g());
    ASSERT_EQ(t.platform.message_boxes.size(), 1u);
    EXPECT_EQ(t.platform.message_boxes[0], "INIファイルの行数が２００行を超えています");
    EXPECT_EQ(t.g().shell.window_mode, 0);
  }
  std::string title(95, 't');
  folder.WriteBytes("piko.ini", testing::Sjis("＃ゲーム名\r\n") + title);
  {
    TestGame t;
    ReadConfigFile(t.g());
    EXPECT_TRUE(t.platform.message_boxes.empty());
    EXPECT_EQ(std::string(t.g().config.game_title), title);
  }
  folder.WriteBytes("piko.ini", testing::Sjis("＃ウインドウ\r\n") + title + "t");
  {
    TestGame t;
    ReadConfigFile(t.g());
    ASSERT_EQ(t.platform.message_boxes.size(), 1u);
    EXPECT_EQ(t.platform.message_boxes[0], "INIファイルに９５文字を超えた行があります");
    EXPECT_EQ(t.g().shell.window_mode, 0);
  }
}

TEST(Config, EitherWindowSpellingWithSelectionAsks) {
  TempGameFolder folder;
  for (const char* line : {"＃ウインドウ選択", "＃ウィンドウ　選択する"}) {
    folder.WriteBytes("piko.ini", testing::Sjis(line));
    TestGame t;
    t.platform.answer = MessageBoxAnswer::kYes;
    ReadConfigFile(t.g());
    ASSERT_EQ(t.platform.message_boxes.size(), 1u) << line;
    EXPECT_EQ(t.platform.message_boxes[0],
              "●ゲームモードの設定\n\nゲームをウインドウ・タイプでプレイしますか？\n\n"
              "（いいえを選ぶと全画面モードになります）\n\n");
    EXPECT_EQ(t.g().shell.window_mode, 1);
  }
  // The command line's choice stands: no question.
  TestGame t;
  t.g().shell.window_mode = 0;
  t.g().config.window_mode_set = 1;
  ReadConfigFile(t.g());
  EXPECT_TRUE(t.platform.message_boxes.empty());
  EXPECT_EQ(t.g().shell.window_mode, 0);
}

TEST(Config, SelectionIsSoughtCharacterByCharacter) {
  // "選択" must not be found across the boundary of two characters.
  TempGameFolder folder;
  // 0x91 0x91 is one character; the bytes of 選択 (91 49 91 F0) then
  // start inside it.
  folder.WriteBytes("piko.ini", testing::Sjis("＃ウインドウ") + "\x91\x91\x49\x91\xF0");
  TestGame t;
  ReadConfigFile(t.g());
  EXPECT_EQ(t.g().shell.window_mode, 1);
}

TEST(Config, ATitleOf95BytesReachesTheCaptionWhole) {
  TempGameFolder folder;
  folder.WriteScenario("start.st1", "// x");
  std::string title = testing::Sjis("ゲーム") + std::string(89, 'T');
  ASSERT_EQ(title.size(), 95u);
  folder.WriteBytes("piko.ini", testing::Sjis("＃ウインドウ\r\n＃ゲーム名\r\n") + title + "\r\n");
  testing::WindowGame t(false);
  ASSERT_EQ(StartUp(t.g()), 1);
  EXPECT_EQ(t.platform.window_title, testing::Utf8(title));
  EXPECT_FALSE(t.platform.full_screen);
  ASSERT_EQ(t.platform.captions.size(), 1u);  // the notice
  EXPECT_EQ(t.platform.captions[0], testing::Utf8(title));
}

TEST(Config, BoxesBeforeTheTitleIsReadCarryTheDefaultCaption) {
  TempGameFolder folder;
  folder.WriteBytes("piko.ini", testing::Sjis("＃ゲーム名\r\n新しい題\r\nおかしな行\r\n"));
  testing::WindowGame t(false);
  ReadConfigFile(t.g());
  ASSERT_EQ(t.platform.captions.size(), 1u);
  EXPECT_EQ(t.platform.captions[0], "新しい題");  // the line after the title
  folder.WriteBytes("piko.ini", std::string(96, 'x'));
  testing::WindowGame u(false);
  ReadConfigFile(u.g());
  ASSERT_EQ(u.platform.captions.size(), 1u);
  EXPECT_EQ(u.platform.captions[0], "簡単ゲーム作成アプリケーション 「ピコラ」（Ver 01.77）");
}

TEST(StartUp, MakesTheWindowTheDisplayAndItsWorkSurfaces) {
  TempGameFolder folder;
  folder.WriteScenario("start.st1", "// x");
  folder.WriteBytes("piko.ini", testing::Sjis("＃注意オフ\r\n"));
  testing::WindowGame t(false);
  ASSERT_EQ(StartUp(t.g()), 1);
  EXPECT_TRUE(t.platform.full_screen);
  EXPECT_EQ(t.g().shell.main_window, 1);
  EXPECT_EQ(t.g().gfx.display_ready, 1);
  EXPECT_EQ(t.g().gfx.surfaces[TextWindowSurface].height, 240);
  EXPECT_TRUE(t.g().gfx.surfaces[BackgroundSurface].keyed);
  EXPECT_EQ(t.g().gfx.surfaces[BackgroundSurface].colour_key, 0xFFFF);
}

TEST(StartUp, AFullScreenDisplayWithoutItsWindowReportsTheFailure) {
  TempGameFolder folder;
  folder.WriteScenario("start.st1", "// x");
  folder.WriteBytes("piko.ini", testing::Sjis("＃注意オフ\r\n＃ゲーム名\r\n題\r\n"));
  testing::WindowGame t(false);
  t.platform.window_ok = false;
  EXPECT_EQ(StartUp(t.g()), 0);
  ASSERT_EQ(t.platform.message_boxes.size(), 1u);
  EXPECT_EQ(t.platform.message_boxes[0],
            "ダイレクトドローの生成に失敗しました\n\n●このマシンにダイレクトＸ５が入っていないか\n"
            "  ビデオボードが16ビットカラーに対応していない。\n  可能性があります。\n");
  EXPECT_EQ(t.platform.captions[0], "題");
  EXPECT_EQ(t.g().gfx.display_ready, 0);
  // In a window, a window that cannot be made stops start-up without a box.
  folder.WriteBytes("piko.ini", testing::Sjis("＃注意オフ\r\n＃ウインドウ\r\n"));
  testing::WindowGame u(false);
  u.platform.window_ok = false;
  EXPECT_EQ(StartUp(u.g()), 0);
  EXPECT_TRUE(u.platform.message_boxes.empty());
}

}  // namespace
}  // namespace piko
