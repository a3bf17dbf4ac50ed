// The game folder as the only place a game's names reach, and the faults
// of files that are not what their names promised.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "base/fixed_text.h"
#include "base/sjis.h"
#include "gfx/picture_codecs.h"
#include "gfx/test_pictures.h"
#include "platform/files.h"
#include "support/game_test.h"
#include "support/process.h"

namespace piko {
namespace {

namespace fs = std::filesystem;
using testing::Sjis;
using testing::TempFolder;
using Access = GameFiles::Access;
using GameFilesInPlay = testing::GameTest;

// The game folder "game" inside a temporary folder that also holds "x" and
// "外", with a folder link and a dangling file link leading out.
struct Nest {
  TempFolder outer;
  fs::path game = fs::path(outer.path()) / "game";
  Nest() {
    fs::create_directories(game / "sub");
    std::ofstream(game / "inside") << "in";
    std::ofstream(fs::path(outer.path()) / "x") << "out";
    std::ofstream(fs::path(outer.path()) / "外") << "out";
    fs::create_directory_symlink(outer.path(), game / "link");
    fs::create_symlink(fs::path(outer.path()) / "made-outside", game / "dangling");
    fs::create_symlink(game / "inside", game / "inward");
  }
};

TEST(GameFiles, NamesThatLeaveTheFolderAreRefused) {
  Nest n;
  GameFiles files(n.game.string());
  const std::string folder = files.FolderPath();
  struct {
    std::string name;
    bool read, write;  // usable for reading, for writing
  } cases[] = {
      {"inside", true, true},
      {"sub\\..\\inside", true, true},
      {"sub/../inside", true, true},
      {".\\INSIDE", true, true},
      {folder + "\\inside", true, true},  // the old player's own full paths
      {"..\\x", false, false},
      {"../x", false, false},
      {"sub\\..\\..\\x", false, false},
      {Sjis("表\\..\\..\\外"), false, false},  // 表 ends in 0x5C, which is no separator
      {"\\x", false, false},
      {"/etc/passwd", false, false},
      {"C:\\x", false, false},
      {"c:x", false, false},
      {folder + "\\..\\x", false, false},
      {folder + "-other\\x", false, false},
      {"link\\x", true, false},   // a link out is followed for reading only
      {"dangling", true, false},  // read: resolves to nothing there
      {"inward", true, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(!files.Resolve(c.name, Access::kRead).empty(), c.read);
    EXPECT_EQ(!files.Resolve(c.name, Access::kWrite).empty(), c.write);
  }
  EXPECT_EQ(files.Open("dangling", "wb"), nullptr);
  EXPECT_FALSE(files.Rename("inside", "link\\moved"));
  EXPECT_EQ(files.WriteSynced("..\\x", "changed"), GameFiles::WriteResult::kOpenFailed);
  EXPECT_FALSE(fs::exists(fs::path(n.outer.path()) / "made-outside"));
  EXPECT_FALSE(fs::exists(fs::path(n.outer.path()) / "moved"));
  EXPECT_EQ(testing::ReadFileText((fs::path(n.outer.path()) / "x").string()), "out");

  // Allowed out, reads go where the name says; writes stay in.
  files.set_allow_outside_reads(true);
  EXPECT_EQ(files.Probe("..\\x"), PathKind::kFile);
  EXPECT_EQ(files.Probe(Sjis("sub\\..\\..\\外")), PathKind::kFile);
  EXPECT_EQ(files.Open("..\\x", "r+b"), nullptr);
  EXPECT_FALSE(files.Delete("..\\x"));
  EXPECT_EQ(files.Resolve("C:\\x", Access::kRead), "");
}

// A save goes to a new file beside the old one and replaces it only when it
// is whole on the disk; where that fails the old file stays.
TEST(GameFiles, ReplaceKeepsTheOldFileUntilTheNewIsWhole) {
  TempFolder folder;
  GameFiles files;
  ASSERT_EQ(files.WriteSynced("save1", "old"), GameFiles::WriteResult::kDone);
  ASSERT_EQ(files.WriteSynced("save1.tmp", "new"), GameFiles::WriteResult::kDone);
  fs::create_directory("slot");
  ASSERT_EQ(files.WriteSynced("slot.tmp", "new"), GameFiles::WriteResult::kDone);
  EXPECT_FALSE(files.Replace("slot.tmp", "slot"));  // a folder of the name stays
  EXPECT_TRUE(fs::is_directory("slot"));
  EXPECT_TRUE(files.Replace("save1.tmp", "save1"));
  EXPECT_EQ(testing::ReadFileText("save1"), "new");
  EXPECT_FALSE(fs::exists("save1.tmp"));
}

// Files that are gone, or are folders, by the time they are opened: every
// loader says so and nothing is read.
TEST_F(GameFilesInPlay, LoadersMeetMissingFilesAndFolders) {
  for (bool folder_instead : {false, true}) {
    SCOPED_TRACE(folder_instead ? "a folder of the same name" : "gone");
    NewGame();
    ASSERT_TRUE(Load("// start\n"));
    for (const char* name : {"pic.sb1", "pic.sj1", "chapter.st1", "save1"}) {
      WriteFile(name, "x");
      EXPECT_EQ(ProbeGamePath(name), PathKind::kFile);
      fs::remove(name);  // between the existence test and the open
      if (folder_instead) fs::create_directory(name);
    }
    Bitmap bmp;
    Surface surface(640, 480, PixelFormat::kRgb565);
    EXPECT_FALSE(LoadBmpFile("pic.sb1", &bmp));
    EXPECT_FALSE(DecodeJpegToSurface("pic.sj1", &surface).ok);
    EXPECT_EQ(LoadScenario(g(), "chapter.st1"), 0);
    g().script.line_pos = 0;
    CopyText(g().script.lines[1], "save1");
    EXPECT_EQ(read_save_file(g(), 0), 0);
    EXPECT_GE(Errors().size(), 2u);
  }
}

// A picture that claims 60000 x 60000 pixels is refused from its header,
// before anything of its size is made or decoded, in every form.
TEST(GameFiles, GiantPicturesAreRefusedFromTheirHeaders) {
  TempFolder folder;
  std::string bmp = testing::Bmp24(2, 2, testing::Solid(0x102030));
  const uint32_t side = 60000;
  for (int i = 0; i < 4; ++i) {
    bmp[18 + i] = static_cast<char>(side >> (8 * i));
    bmp[22 + i] = static_cast<char>(side >> (8 * i));
  }
  Bitmap out;
  EXPECT_FALSE(DecodeBmp(bmp, &out));
  EXPECT_TRUE(out.pixels.empty());

  std::string jpeg = testing::Jpeg(16, 16, false, testing::Solid(0x102030));
  size_t sof = jpeg.find("\xFF\xC0");
  ASSERT_NE(sof, std::string::npos);
  for (size_t at : {sof + 5, sof + 7}) {
    jpeg[at] = static_cast<char>(side >> 8);
    jpeg[at + 1] = static_cast<char>(side & 0xFF);
  }
  folder.Write("giant", jpeg);
  Surface surface(640, 480, PixelFormat::kRgb565);
  EXPECT_FALSE(DecodeJpegToSurface("giant", &surface).ok);
  EXPECT_FALSE(DecodeJpegToBitmap("giant", &out).ok);
  EXPECT_TRUE(out.pixels.empty());
}

// A game folder the player may not write to: saves fail with their message
// and play goes on. Root writes anywhere, so this needs an ordinary user.
TEST_F(GameFilesInPlay, AReadOnlyFolderFailsSavesAndPlayGoesOn) {
  if (::geteuid() == 0) GTEST_SKIP() << "skipped: running as root, which writes into read-only folders";
  ASSERT_TRUE(Start("＃変数宣言\n点数\n\n＃セーブ\nsave1\n点数＝1\n"));
  fs::permissions(folder(), fs::perms::owner_read | fs::perms::owner_exec);
  bool ended = PlayToEnd();
  fs::permissions(folder(), fs::perms::owner_all);
  EXPECT_TRUE(ended);
  ASSERT_FALSE(Errors().empty());
  EXPECT_EQ(Errors()[0].message, "ファイルのオープンに失敗しました");
  EXPECT_EQ(Value("点数"), 1);  // the line after the save ran
}

}  // namespace
}  // namespace piko
