#include "tools/pack.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "gfx/picture_codecs.h"
#include "support/game_test.h"
#include "support/process.h"

namespace piko {
namespace {

namespace fs = std::filesystem;
using testing::ReadFileText;
using testing::TempFolder;

std::string Join(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& l : lines) out += l + "\n";
  return out;
}

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
  TempFolder folder;
  folder.Write("src/start.scn", "＃クリック待ち\n");
  folder.Write("src/piko.ini", "＃ゲーム名\nテスト\n");
  folder.Write("src/絵/bg.jpg", "\xFF\xD8jpeg");
  folder.Write("src/other.dat", "raw");
  folder.Write("src/音楽/song.mp3", std::string("\xFF\xFB\x90\x00\x55", 5));
  PackOutcome packed = PackFolder(folder.path() + "/src", folder.path() + "/game");
  ASSERT_EQ(packed.exit_code, 0) << Join(packed.errors);
  EXPECT_EQ(packed.summary, "packed 1 scenario, 1 picture (0 converted), 1 text file and 2 other files into " +
                                folder.path() + "/game");
  // MP3 files take the four-byte mask 0x4D2A6B17, low byte first.
  EXPECT_EQ(ReadFileText(folder.path() + "/game/音楽/song.sp3"), std::string("\xE8\x90\xBA\x4D\x42", 5));
  EXPECT_EQ(ReadFileText(folder.path() + "/game/piko.ini"), testing::Sjis("＃ゲーム名\r\nテスト\r\n"));
  EXPECT_EQ(ReadFileText(folder.path() + "/game/絵/bg.sj1"), std::string("\x18\x3F\x8D\x97\x82\x80", 6));
  EXPECT_EQ(ReadFileText(folder.path() + "/game/other.dat"), "raw");
  std::string error;
  ASSERT_TRUE(UnpackFolder(folder.path() + "/game", folder.path() + "/back", &error)) << error;
  for (const char* name : {"start.scn", "piko.ini", "絵/bg.jpg", "other.dat", "音楽/song.mp3"}) {
    EXPECT_EQ(ReadFileText(folder.path() + "/back/" + name), ReadFileText(folder.path() + "/src/" + name)) << name;
  }
}

// Whatever the player would refuse is refused at packing time, with the
// place named, and nothing is written.
TEST(Pack, RefusesWhatThePlayerCannotTakeAndWritesNothing) {
  struct Case {
    const char* file;
    std::string content;
    const char* error;
  } cases[] = {
      {"start.scn",
       "ok\na" +
           [] {
             std::string s;
             for (int i = 0; i < 47; ++i) s += "長";
             return s;
           }(),
       "start.scn:2: the line is 95"},
      {"start.scn", "ok\n＃絵 😀\n", "start.scn:2:4: \"😀\" has no Shift-JIS (CP932) code"},
      {"piko.ini", "＃ゲーム名\n한\n", "piko.ini:2:1: \"한\" has no Shift-JIS"},
      {"a.gif", "GIF89a....", "a.gif: neither BMP, JPEG nor PNG"},
      {"b.bmp", "BMbroken", "b.bmp: a BMP the player cannot read"},
  };
  for (const Case& c : cases) {
    TempFolder folder;
    folder.Write(std::string("src/") + c.file, c.content);
    if (std::string(c.file) != "start.scn") folder.Write("src/start.scn", "＃終了\n");
    PackOutcome packed = PackFolder(folder.path() + "/src", folder.path() + "/game");
    EXPECT_EQ(packed.exit_code, 1) << c.file;
    ASSERT_EQ(packed.errors.size(), 1u) << Join(packed.errors);
    EXPECT_EQ(packed.errors[0].rfind(c.error, 0), 0u) << packed.errors[0];
    EXPECT_FALSE(fs::exists(folder.path() + "/game")) << c.file;
  }
  // A line of exactly 94 bytes is taken.
  TempFolder folder;
  folder.Write("src/start.scn", std::string(94, 'a') + "\n");
  EXPECT_EQ(PackFolder(folder.path() + "/src", folder.path() + "/game").exit_code, 0);
}

TEST(Pack, PngBecomesA24BitBmpThePlayerReads) {
  TempFolder folder;
  // A 2x1 PNG: one opaque red pixel, one fully transparent one (white).
  folder.Write("src/start.scn", "＃終了\n");
  std::string png = testing::ReadFileText(std::string(PIKO_SOURCE_DIR) + "/tests/tools/two_pixels.png");
  ASSERT_FALSE(png.empty());
  folder.Write("src/p.png", png);
  PackOutcome packed = PackFolder(folder.path() + "/src", folder.path() + "/game");
  ASSERT_EQ(packed.exit_code, 0) << Join(packed.errors);
  ASSERT_EQ(packed.notes.size(), 1u);
  EXPECT_EQ(packed.notes[0].rfind("p.png: packed as p.sb1, converted from PNG to a 24-bit BMP", 0), 0u);
  Bitmap bmp;
  ASSERT_TRUE(DecodeBmp(ReadFileText(folder.path() + "/game/p.sb1"), &bmp));
  ASSERT_EQ(bmp.width, 2);
  EXPECT_EQ(bmp.At(0, 0), 0xFF0000u);
  EXPECT_EQ(bmp.At(1, 0), 0xFFFFFFu);
}

// Packing never writes into the authoring folder, and an old game folder
// does not keep files the authoring folder no longer makes.
TEST(PikoTool, PackProtectsTheSourceAndReportsStaleFiles) {
  TempFolder folder;
  folder.Write("src/start.scn", "＃終了\n");
  folder.Write("src/piko.ini", "＃ウインドウ\n");
  auto pack = [&](std::vector<std::string> args) {
    args.insert(args.begin(), {PIKO_TOOL, "pack"});
    return testing::RunProcess(args);
  };
  std::string src = folder.path() + "/src";
  for (const std::string& out : {src, src + "/", src + "/out", folder.path(), src + "/../src"}) {
    testing::ProcessResult r = pack({src, out});
    EXPECT_EQ(r.exit_code, 2) << out;
    EXPECT_NE(r.err.find("SRC"), std::string::npos) << r.err;
  }
  EXPECT_EQ(ReadFileText(src + "/piko.ini"), "＃ウインドウ\n");
  EXPECT_FALSE(fs::exists(src + "/out"));

  std::string game = folder.path() + "/game";
  testing::ProcessResult r = pack({src, game});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(r.out, "packed 1 scenario, 0 pictures (0 converted), 1 text file and 0 other files into " + game + "\n");
  folder.Write("game/old.sb1", "BM");
  r = pack({src, game});
  EXPECT_NE(r.err.find("old.sb1: in OUT but not made from SRC (--clean removes it)"), std::string::npos) << r.err;
  EXPECT_TRUE(fs::exists(game + "/old.sb1"));
  r = pack({"--clean", src, game});
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_FALSE(fs::exists(game + "/old.sb1"));
  // --clean only cleans a game folder.
  folder.Write("other/keep.txt", "mine");
  EXPECT_EQ(pack({"--clean", src, folder.path() + "/other"}).exit_code, 2);
  EXPECT_TRUE(fs::exists(folder.path() + "/other/keep.txt"));
}

TEST(PikoTool, ScrambleIsItsOwnInverseAndBadUsageSaysSo) {
  TempFolder folder;
  folder.Write("plain", "abc\n");
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
  testing::ProcessResult r = run({"pack", folder.path()});
  EXPECT_EQ(r.exit_code, 2);
  EXPECT_EQ(r.err, "piko-tool pack: missing OUT\nusage: piko-tool pack [--clean] SRC OUT\n");
  r = run({"--help"});
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_NE(r.out.find("piko-tool lint GAME_DIR"), std::string::npos);
  EXPECT_EQ(run({"--version"}).out, "piko-tool " PIKO_VERSION "\n");
}

}  // namespace
}  // namespace piko
