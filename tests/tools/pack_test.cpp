#include "tools/pack.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/process.h"
#include "support/test_game.h"

namespace piko {
namespace {

namespace fs = std::filesystem;
using testing::ReadFileText;
using testing::TempGameFolder;

TEST(Pack, ScenarioBecomesScrambledCp932WithLineFeeds) {
  std::vector<std::string> warnings;
  std::string stored = PackScenario("\xEF\xBB\xBF＃絵\r\nbg\n", &warnings);
  EXPECT_TRUE(warnings.empty());
  std::string expected = testing::Sjis("＃絵\nbg\n");
  ScrambleBytes(&expected);
  EXPECT_EQ(stored, expected);
  EXPECT_EQ(UnpackScenario(stored), "＃絵\nbg\n");
  PackScenario("😀\nok", &warnings);
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_EQ(warnings[0], "line 1 has characters that Shift-JIS cannot hold");
}

TEST(Pack, FoldersRoundTrip) {
  TempGameFolder folder;
  folder.WriteBytes("src/start.scn", "＃クリック待ち\n");
  folder.WriteBytes("src/piko.ini", "＃ゲーム名\nテスト\n");
  folder.WriteBytes("src/絵/bg.jpg", "\xFF\xD8jpeg");
  folder.WriteBytes("src/絵/fg.bmp", "BMxx");
  folder.WriteBytes("src/other.dat", "raw");
  folder.WriteBytes("src/movie/op.mpg", std::string("\0\0\1\xBA", 4));
  std::vector<std::string> warnings;
  std::string error;
  ASSERT_TRUE(PackFolder(folder.path() + "/src", folder.path() + "/game", &warnings, &error)) << error;
  EXPECT_EQ(ReadFileText(folder.path() + "/game/piko.ini"), testing::Sjis("＃ゲーム名\r\nテスト\r\n"));
  EXPECT_EQ(ReadFileText(folder.path() + "/game/絵/bg.sj1"), std::string("\x18\x3F\x8D\x97\x82\x80", 6));
  EXPECT_EQ(ReadFileText(folder.path() + "/game/絵/fg.sb1"), "BMxx");
  EXPECT_EQ(ReadFileText(folder.path() + "/game/other.dat"), "raw");
  EXPECT_EQ(ReadFileText(folder.path() + "/game/movie/op.sa1"), std::string("\0\0\1\xBA", 4));
  ASSERT_TRUE(fs::exists(folder.path() + "/game/start.st1"));
  ASSERT_TRUE(UnpackFolder(folder.path() + "/game", folder.path() + "/back", &error)) << error;
  for (const char* name : {"start.scn", "piko.ini", "絵/bg.jpg", "絵/fg.bmp", "other.dat", "movie/op.mpg"}) {
    EXPECT_EQ(ReadFileText(folder.path() + "/back/" + name), ReadFileText(folder.path() + "/src/" + name)) << name;
  }
  EXPECT_FALSE(PackFolder(folder.path() + "/missing", folder.path() + "/x", &warnings, &error));
}

TEST(PikoTool, ScrambleIsItsOwnInverseAndBadUsageSaysSo) {
  TempGameFolder folder;
  folder.WriteBytes("plain", "abc\n");
  auto run = [](std::vector<std::string> args) {
    args.insert(args.begin(), PIKO_TOOL);
    return testing::RunProcess(args);
  };
  EXPECT_EQ(run({"scramble", folder.path() + "/plain", folder.path() + "/masked"}).exit_code, 0);
  EXPECT_EQ(ReadFileText(folder.path() + "/masked"), "\x86\x85\x84\xED");
  EXPECT_EQ(run({"unscramble", folder.path() + "/masked", folder.path() + "/again"}).exit_code, 0);
  EXPECT_EQ(ReadFileText(folder.path() + "/again"), "abc\n");
  EXPECT_EQ(run({"scramble", folder.path() + "/none", folder.path() + "/x"}).exit_code, 1);
  EXPECT_EQ(run({"frobnicate"}).exit_code, 2);
  EXPECT_EQ(run({}).exit_code, 2);
}

}  // namespace
}  // namespace piko
