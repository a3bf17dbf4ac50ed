#include "platform/files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <utility>
#include <vector>

#include "base/sjis.h"
#include "support/game_test.h"

namespace piko {
namespace {

using testing::Sjis;
using testing::TempFolder;

TEST(FileResolver, BackslashesCaseAndSpellings) {
  TempFolder folder;
  folder.Write("Pictures/Back.SB1", "x");
  folder.Write("音/効果.sw1", "y");                      // a UTF-8 name on disk
  folder.Write(Sjis("絵") + "/" + Sjis("表.sb1"), "z");  // a CP932 name on disk
  EXPECT_EQ(ProbeGamePath("pictures\\back.sb1"), PathKind::kFile);
  EXPECT_EQ(ResolveGamePath("PICTURES\\BACK.sb1"), "Pictures/Back.SB1");
  EXPECT_EQ(ProbeGamePath(Sjis("音\\効果.sw1")), PathKind::kFile);
  EXPECT_EQ(ProbeGamePath(Sjis("音")), PathKind::kFolder);
  // 表 ends in the byte 0x5C; it must not split the name.
  EXPECT_EQ(ProbeGamePath(Sjis("絵\\表.sb1")), PathKind::kFile);
  EXPECT_EQ(ProbeGamePath("nothing.sb1"), PathKind::kMissing);
  EXPECT_EQ(ProbeGamePath(""), PathKind::kMissing);
  EXPECT_EQ(SlashesFromBackslashes(Sjis("表\\ソ")), Sjis("表/ソ"));
}

TEST(FileResolver, NewFilesGetUtf8NamesInTheFolderThatExists) {
  TempFolder folder;
  folder.Write("Save/keep", "");
  FILE* f = OpenGameFile(Sjis("save\\セーブ1"), "wb");
  ASSERT_NE(f, nullptr);
  std::fclose(f);
  EXPECT_TRUE(std::filesystem::exists(folder.path() + "/Save/セーブ1"));
  EXPECT_EQ(OpenGameFile("save", "rb"), nullptr);  // a folder is not a file
  EXPECT_TRUE(RenameGameFile(Sjis("save\\セーブ1"), "save\\two"));
  EXPECT_TRUE(DeleteGameFile("SAVE\\TWO"));
  EXPECT_EQ(ProbeGamePath("save\\two"), PathKind::kMissing);
}

// Names found through a folder's listing follow every change made to the
// folder from outside the player, however soon after a lookup it comes.
TEST(FileResolver, ListedFoldersFollowChangesFromOutside) {
  TempFolder folder;
  namespace fs = std::filesystem;
  const std::string root = folder.path();
  fs::create_directories(root + "/Pics");
  for (int round = 0; round < 3; ++round) {
    EXPECT_EQ(ProbeGamePath("pics\\a.sb1"), PathKind::kMissing);
    folder.Write("Pics/A.SB1", "x");
    EXPECT_EQ(ResolveGamePath("pics\\a.sb1"), "Pics/A.SB1");
    fs::rename(root + "/Pics/A.SB1", root + "/Pics/B.sb1");
    EXPECT_EQ(ProbeGamePath("pics\\a.sb1"), PathKind::kMissing);
    EXPECT_EQ(ResolveGamePath("PICS\\b.SB1"), "Pics/B.sb1");
    fs::remove(root + "/Pics/B.sb1");
    EXPECT_EQ(ProbeGamePath("pics\\b.sb1"), PathKind::kMissing);
  }
  // A folder put in the place of another under the same name.
  folder.Write("Pics/Old.sb1", "x");
  EXPECT_EQ(ProbeGamePath("pics\\old.sb1"), PathKind::kFile);
  fs::rename(root + "/Pics", root + "/Gone");
  folder.Write("Pics/New.sb1", "x");
  EXPECT_EQ(ProbeGamePath("pics\\old.sb1"), PathKind::kMissing);
  EXPECT_EQ(ProbeGamePath("pics\\new.sb1"), PathKind::kFile);
}

TEST(FolderListing, DotsFirstThenNamesInCaseFoldedOrder) {
  TempFolder folder;
  folder.Write("fonts/b.TTF", "");
  folder.Write("fonts/A.ttf", "");
  folder.Write("fonts/Sub/x", "");
  folder.Write("fonts/" + Sjis("字.fon"), "");  // a CP932 name on disk
  folder.Write("fonts/明.ttc", "");             // a UTF-8 name on disk
  std::vector<FolderEntry> entries;
  ASSERT_TRUE(ListGameFolder("FONTS", &entries));
  std::vector<std::pair<std::string, bool>> got;
  for (const FolderEntry& e : entries) got.emplace_back(e.name, e.is_folder);
  std::vector<std::pair<std::string, bool>> want = {
      {".", true}, {"..", true}, {"A.ttf", false}, {"b.TTF", false}, {"Sub", true},
  };
  ASSERT_EQ(got.size(), want.size() + 2);
  got.resize(want.size());
  EXPECT_EQ(got, want);
  // Both spellings on disk arrive as CP932.
  std::vector<std::string> rest = {entries[5].name, entries[6].name};
  std::sort(rest.begin(), rest.end());
  std::vector<std::string> cp932 = {Sjis("字.fon"), Sjis("明.ttc")};
  std::sort(cp932.begin(), cp932.end());
  EXPECT_EQ(rest, cp932);
  EXPECT_FALSE(ListGameFolder("missing", &entries));
  EXPECT_TRUE(entries.empty());
}

}  // namespace
}  // namespace piko
