// End-to-end: a game that names files outside its folder, by every spelling
// of the way out, finds them missing, and writes nothing outside; with
// --allow-outside it reads them and still writes nothing outside.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "base/sjis.h"
#include "support/process.h"

namespace piko {
namespace {

namespace fs = std::filesystem;
using testing::ReadFileText;
using testing::RunProcess;
using testing::SplitLines;

// The packed game copied into a fresh folder beside files it must not reach,
// with a folder link and a dangling file link that lead out.
struct Surroundings {
  fs::path root;
  fs::path game;
  explicit Surroundings(const std::string& name) {
    root = fs::path(PIKO_BINARY_DIR) / "test-output" / name;
    fs::remove_all(root);
    game = root / "game";
    fs::create_directories(root);
    fs::copy(fs::path(PIKO_BINARY_DIR) / "tests/games/confinement", game, fs::copy_options::recursive);
    fs::copy_file(game / "inside.sb1", root / "outside.sb1");
    fs::copy_file(game / "inside.sb1", root / "外.sb1");
    std::string scenario = "// outside\n";
    for (char& c : scenario) c = static_cast<char>(c ^ 0xE7);  // stored scrambled
    std::ofstream(root / "outside.st1", std::ios::binary) << scenario;
    std::ofstream(root / "outside-save") << "not a save\n";
    fs::create_directory_symlink(root, game / "link");
    fs::create_symlink(root / "linked-target", game / "linked");
  }
  std::set<std::string> Outside() const {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(root)) names.insert(e.path().filename().string());
    for (const auto& e : fs::directory_iterator(root.parent_path()))
      if (e.path().filename().string()[0] == '.') names.insert("../" + e.path().filename().string());
    return names;
  }
};

std::vector<std::string> Errors(const std::string& err) {
  std::vector<std::string> out;
  for (const std::string& line : SplitLines(err))
    if (line.rfind("error ", 0) == 0) out.push_back(line);
  return out;
}

const std::set<std::string> kUntouched = {"game", "outside.sb1", "外.sb1", "outside.st1", "outside-save"};

TEST(ConfinementGame, NamesOutsideTheFolderAreMissingFiles) {
  Surroundings s("confinement");
  auto r = RunProcess({PIKO_PLAYER, "--headless", s.game.string()});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  std::vector<std::string> want = {
      "error start.st1:3: ＃絵のファイル名が違います | ..\\outside",
      "error start.st1:5: ＃絵のファイル名が違います | ../outside",
      "error start.st1:7: ＃絵のファイル名が違います | sub\\..\\..\\outside",
      "error start.st1:9: ＃絵のファイル名が違います | \\tmp\\piko-outside",
      "error start.st1:11: ＃絵のファイル名が違います | C:\\outside",
      "error start.st1:13: ＃絵のファイル名が違います | sub\\..\\..\\外",
      "error start.st1:15: 別シナリオのファイルがありません。 | ..\\outside",
      "error start.st1:16: ファイルが開けません | " + s.game.string() + "\\..\\outside-save",
      "error start.st1:19: ファイルのオープンに失敗しました | " + s.game.string() + "\\..\\escape",
      "error start.st1:21: ファイルのオープンに失敗しました | " + s.game.string() + "\\../escape",
      "error start.st1:23: ファイルのオープンに失敗しました | " + s.game.string() + "\\..\\..\\.bashrc",
      "error start.st1:25: ファイルのオープンに失敗しました | " + s.game.string() + "\\..\\外セーブ",
      "error start.st1:27: ファイルのオープンに失敗しました | " + s.game.string() + "\\link\\through",
      "error start.st1:29: ファイルのオープンに失敗しました | " + s.game.string() + "\\linked",
      "error start.st1:33: ＃絵のファイル名が違います | outside",
      "error start.st1:46: シナリオが終了しました。 | 始めから実行します。",
  };
  EXPECT_EQ(Errors(r.err), want);
  EXPECT_EQ(s.Outside(), kUntouched);
  EXPECT_TRUE(fs::exists(s.game / "inside-save"));
}

TEST(ConfinementGame, AllowOutsideReadsButNeverWrites) {
  Surroundings s("confinement-allowed");
  std::string trace = (s.root / "trace").string();
  auto r = RunProcess({PIKO_PLAYER, "--headless", "--allow-outside", "--trace", trace, s.game.string()});
  fs::rename(trace, s.root.parent_path() / "confinement-allowed.trace");
  EXPECT_EQ(r.exit_code, 0) << r.err;
  std::string err = r.err;
  for (const char* read : {":3: ", ":5: ", ":7: ", ":13: ", ":15: ", ":33: "})
    EXPECT_EQ(err.find(std::string("start.st1") + read), std::string::npos) << read << "\n" << err;
  // The outside scenario was played as a sub-scenario.
  EXPECT_NE(
      ReadFileText((s.root.parent_path() / "confinement-allowed.trace").string()).find("outside.st1:1: // outside"),
      std::string::npos);
  for (const char* write : {":19: ", ":21: ", ":23: ", ":25: ", ":27: ", ":29: "})
    EXPECT_NE(err.find(std::string("start.st1") + write + "ファイルのオープンに失敗しました"), std::string::npos)
        << write;
  EXPECT_EQ(s.Outside(), kUntouched);
}

}  // namespace
}  // namespace piko
