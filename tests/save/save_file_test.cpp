// The save file: its layout byte for byte, the reader's checks in their
// order on damaged files, scrambled saves, and writes that fail midway.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <functional>

#include "base/fixed_text.h"
#include "support/game_test.h"

namespace piko {
namespace {

using testing::Sjis;

class SaveFile : public testing::GameTest {};

// CP932 text with CR LF after every line, as a save file holds it.
std::string SaveText(const std::vector<std::string>& utf8_lines) {
  std::string out;
  for (const auto& line : utf8_lines) out += Sjis(line) + "\r\n";
  return out;
}

TEST_F(SaveFile, WritesTheLayoutByteForByte) {
  NewRun("// saves\n");
  VarsState& v = g().vars;
  CopyText(v.numeric_keys[0], Sjis("点数"));
  v.numeric_values[0] = 15;
  CopyText(v.numeric_keys[1], Sjis("点:0:"));
  v.numeric_count = 2;
  rebuild_numeric_index(g());
  CopyText(v.string_names[0], Sjis("名前"));
  SetStringValue(g(), 0, Sjis("太郎"));
  v.string_count = 1;
  g().script.line_pos = 120;

  ASSERT_EQ(write_save_file(g(), "save1"), 1);
  EXPECT_EQ(FileBytes("save1"),
            SaveText({"－－－－－－－－－－－－ピコラ変数データ", "2", "点数", "15", "点:0:", "0",
                      "－－－－－－－－－－－－ピコラ文字変数データ", "1", "名前", "太郎", "－－－－－－別シナリオ履歴",
                      "0", "start.st1", "0", "－－－－－今の行数", "120", "－－－－－－－－－－－－ピコラデータ終了"}));
  EXPECT_FALSE(Exists("save1.tmp"));
}

TEST_F(SaveFile, WritesEveryLevelOfTheCallStack) {
  NewRun("// saves\n");
  ScriptState& s = g().script;
  s.call_depth = 2;
  s.call_stack_return_lines[0] = 17;
  CopyText(s.call_stack_names[1], "scenes\\a.st1");
  s.call_stack_return_lines[1] = 4;
  CopyText(s.call_stack_names[2], "b.st1");
  s.call_stack_return_lines[2] = 99;  // not yet used by a call: kept as it is
  s.line_pos = 3;
  ASSERT_EQ(write_save_file(g(), "save1"), 1);
  EXPECT_EQ(FileBytes("save1"),
            SaveText({"－－－－－－－－－－－－ピコラ変数データ", "0", "－－－－－－－－－－－－ピコラ文字変数データ",
                      "0", "－－－－－－別シナリオ履歴", "2", "start.st1", "17", "scenes\\a.st1", "4", "b.st1", "99",
                      "－－－－－今の行数", "3", "－－－－－－－－－－－－ピコラデータ終了"}));
}

// ---- Reading damaged files ----

constexpr const char* kLoader =
    "＃変数宣言\n点数\n点［1］\n\n"
    "＃変数宣言文字\n名前\n空\n\n"
    "点数＝3\n"
    "＃文字変数代入\n名前\n花子\n"
    "＃ロード%s\nbad\n"
    "// after\n";

std::string Loader(bool restore) {
  std::string text = kLoader;
  return text.replace(text.find("%s"), 2, restore ? " 復帰" : "");
}

// A good save for the loader's declarations, saved on its name line
// (index 13), so a restoring load goes on at "// after".
std::vector<std::string> GoodLines() {
  return {"－－－－－－－－－－－－ピコラ変数データ",
          "3",
          "点数",
          "15",
          "点:0:",
          "0",
          "点:1:",
          "7",
          "－－－－－－－－－－－－ピコラ文字変数データ",
          "2",
          "名前",
          "太郎",
          "空",
          "",
          "－－－－－－別シナリオ履歴",
          "0",
          "start.st1",
          "0",
          "－－－－－今の行数",
          "13",
          "－－－－－－－－－－－－ピコラデータ終了"};
}

using Lines = std::vector<std::string>;

struct DamageCase {
  const char* what;
  std::function<std::string()> bytes;  // the file's content, "<none>" or "<folder>"
  bool restore;
  const char* message;
};

std::string WithLines(const std::function<void(Lines&)>& change) {
  Lines lines = GoodLines();
  change(lines);
  return SaveText(lines);
}

std::string Padded(int total_lines) {
  return WithLines([&](Lines& l) { l.insert(l.end() - 1, static_cast<size_t>(total_lines) - l.size(), "pad"); });
}

const DamageCase kDamage[] = {
    {"no such file", [] { return std::string("<none>"); }, false, "ファイルが開けません"},
    {"a folder of that name", [] { return std::string("<folder>"); }, false, "ファイルが開けません"},
    {"a 10 MB line", [] { return WithLines([](Lines& l) { l[11] = std::string(10 << 20, 'x'); }); }, false,
     "１行のデータが長すぎます（データ破壊）"},
    {"a line of 210 bytes", [] { return WithLines([](Lines& l) { l[11] = std::string(210, 'x'); }); }, false,
     "１行のデータが長すぎます（データ破壊）"},
    {"one line more than the reader holds", [] { return Padded(23191); }, false, "データ行が長すぎます（データ破壊）"},
    {"an empty file", [] { return std::string(); }, false, "データ形式が 違います"},
    {"binary garbage",
     [] {
       std::string b;
       for (int i = 0; i < 4096; ++i) b.push_back(static_cast<char>((i * 37) & 0xFF));
       return b;
     },
     false, "１行のデータが長すぎます（データ破壊）"},
    {"binary garbage in short lines",
     [] {
       std::string b;
       for (int i = 0; i < 4096; ++i) b.push_back(i % 50 == 49 ? '\n' : static_cast<char>((i * 37) & 0xFF));
       return b;
     },
     false, "データ形式が 違います"},
    {"truncated in the middle", [] { return SaveText(GoodLines()).substr(0, 60); }, false,
     "フッター が破壊されています"},
    {"without its footer", [] { return WithLines([](Lines& l) { l.pop_back(); }); }, false,
     "フッター が破壊されています"},
    {"a footer without its line end",
     [] {
       std::string b = SaveText(GoodLines());
       return b.substr(0, b.size() - 2);
     },
     false, "フッター が破壊されています"},
    {"a numeric count past the end", [] { return WithLines([](Lines& l) { l[1] = "99999"; }); }, false,
     " ピコラ文字変数データが破壊されています"},
    {"a huge numeric count", [] { return WithLines([](Lines& l) { l[1] = "2147483647"; }); }, false,
     " ピコラ文字変数データが破壊されています"},
    {"a negative numeric count", [] { return WithLines([](Lines& l) { l[1] = "-1"; }); }, false,
     " ピコラ文字変数データが破壊されています"},
    {"a numeric value line cut out", [] { return WithLines([](Lines& l) { l.erase(l.begin() + 7); }); }, false,
     " ピコラ文字変数データが破壊されています"},
    {"a string count past the end", [] { return WithLines([](Lines& l) { l[9] = "99"; }); }, false,
     "シナリオ履歴データ が破壊されています"},
    {"a negative string count", [] { return WithLines([](Lines& l) { l[9] = "-1"; }); }, false,
     "シナリオ履歴データ が破壊されています"},
    {"a string value line cut out", [] { return WithLines([](Lines& l) { l.erase(l.begin() + 13); }); }, false,
     "シナリオ履歴データ が破壊されています"},
    {"more string variables than a game can declare",
     [] {
       return WithLines([](Lines& l) {
         l[9] = "501";
         Lines more;
         for (int i = 0; i < 499; ++i) {
           more.push_back("s" + std::to_string(i));
           more.push_back("");
         }
         l.insert(l.begin() + 14, more.begin(), more.end());
       });
     },
     false, "シナリオ履歴データ が破壊されています"},
    {"a different numeric count",
     [] {
       return WithLines([](Lines& l) {
         l[1] = "2";
         l.erase(l.begin() + 6, l.begin() + 8);
       });
     },
     false, "このデータは現在のゲームデータではありません"},
    {"a declared key missing", [] { return WithLines([](Lines& l) { l[6] = "点:9:"; }); }, false,
     "このデータは現在のゲームデータではありません"},
    {"a key too long for its slot",
     [] {
       return WithLines([](Lines& l) {
         l[11] = "点数";  // the declared key is still somewhere in the file
         l[2] = std::string(60, 'k');
       });
     },
     false, "このデータは現在のゲームデータではありません"},
    {"a stack depth past the end", [] { return WithLines([](Lines& l) { l[15] = "5"; }); }, true,
     "シナリオ復帰データが破壊されています"},
    {"a negative stack depth", [] { return WithLines([](Lines& l) { l[15] = "-1"; }); }, true,
     "シナリオ復帰データが破壊されています"},
    {"a stack deeper than the player's", [] { return WithLines([](Lines& l) { l[15] = "1002"; }); }, true,
     "シナリオ復帰データが破壊されています"},
    {"a level 0 that is not the start scenario", [] { return WithLines([](Lines& l) { l[16] = "other.st1"; }); }, true,
     "シナリオ復帰データが破壊されています"},
    {"a negative current line", [] { return WithLines([](Lines& l) { l[19] = "-5"; }); }, true,
     "シナリオ復帰データが破壊されています"},
    {"a current line past the end",
     [] {
       return WithLines([](Lines& l) {
         l.erase(l.begin() + 18, l.end());
         l.push_back("－－－－－－－－－－－－ピコラデータ終了");
       });
     },
     true, "シナリオ復帰データが破壊されています"},
};

TEST_F(SaveFile, DamagedFilesAreRefusedAndChangeNothing) {
  for (const DamageCase& c : kDamage) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove_all(folder() + "/bad");
    std::string bytes = c.bytes();
    if (bytes == "<folder>")
      std::filesystem::create_directory(folder() + "/bad");
    else if (bytes != "<none>")
      WriteFile("bad", bytes);
    PlayRun(Loader(c.restore));
    auto errors = Errors();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].message, c.message);
    EXPECT_EQ(errors[0].detail, PathOf("bad"));
    EXPECT_EQ(errors[0].line, 13);
    EXPECT_EQ(Value("点数"), 3);
    EXPECT_EQ(Value("点:1:"), 0);
    EXPECT_EQ(Text("名前"), "花子");
    EXPECT_EQ(g().vars.string_count, 2);
    EXPECT_EQ(g().script.call_depth, 0);
    EXPECT_TRUE(Executed("start.st1:15: // after"));
  }
}

TEST_F(SaveFile, FilesAtTheReadersLimitsLoad) {
  struct {
    const char* what;
    std::string bytes;
    const char* value;  // 名前 after the load
  } cases[] = {
      {"lines it holds exactly", Padded(23190), "太郎"},
      {"a 209-byte line, cut to its slot", WithLines([](Lines& l) { l[11] = std::string(209, 'x'); }),
       "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx"},
      {"LF line ends",
       [] {
         std::string b;
         for (const auto& l : GoodLines()) b += Sjis(l) + "\n";
         return b;
       }(),
       "太郎"},
      {"text after the footer's line end", SaveText(GoodLines()) + "junk", "太郎"},
      {"markers with text around them", WithLines([](Lines& l) {
         l[0] = "ab－ピコラ変数データcd";
         l[8] = "－ピコラ文字変数データ!";
         l[14] = "x－別シナリオ履歴";
         l[20] = "－ピコラデータ終了です";
       }),
       "太郎"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    WriteFile("bad", c.bytes);
    PlayRun(Loader(true));
    EXPECT_EQ(FirstError(), "<none>");
    EXPECT_EQ(Value("点数"), 15);
    EXPECT_EQ(Value("点:1:"), 7);
    EXPECT_EQ(Text("名前"), c.value);
    EXPECT_EQ(Text("空"), "");
  }
}

TEST_F(SaveFile, TheHistoryIsReadOnlyWhenRestoring) {
  WriteFile("bad", WithLines([](Lines& l) { l[16] = "other.st1"; }));
  PlayRun(Loader(false));
  EXPECT_EQ(FirstError(), "<none>");
  EXPECT_EQ(Value("点数"), 15);
}

TEST_F(SaveFile, AMissingScenarioLeavesTheStackAndTheVariables) {
  WriteFile("bad", WithLines([](Lines& l) {
              l[15] = "1";
              l.insert(l.begin() + 18, {"gone.st1", "0"});
            }));
  PlayRun(Loader(true));
  auto errors = Errors();
  ASSERT_EQ(errors.size(), 2u);
  EXPECT_EQ(errors[0].message, "ファイルがオープンできません");
  EXPECT_EQ(errors[1].message, "復帰先のシナリオが見つかりません");
  EXPECT_EQ(errors[1].detail, "gone.st1");
  EXPECT_EQ(g().script.call_depth, 0);
  EXPECT_EQ(std::string(TextOf(g().script.call_stack_names[0])), "start.st1");
  EXPECT_EQ(Value("点数"), 3);
  EXPECT_TRUE(Executed("start.st1:15: // after"));
}

// ---- Scrambled saves ----

constexpr const char* kSaver =
    "＃変数宣言\n点数\n点［1］\n\n"
    "＃変数宣言文字\n名前\n空\n\n"
    "点数＝15\n点［1］＝7\n"
    "＃文字変数代入\n名前\n太郎\n"
    "＃セーブ\nsave1\n";

std::string Masked(std::string bytes) {
  for (char& c : bytes) c = static_cast<char>(static_cast<unsigned char>(c) ^ 0xE7);
  return bytes;
}

TEST_F(SaveFile, ScrambledSavesRoundTripAndLeaveNoCopies) {
  NewRun(kSaver);
  g().save.scrambled_saves = 1;
  ASSERT_TRUE(PlayToEnd());
  ASSERT_EQ(FirstError(), "<none>");
  Lines expected = GoodLines();
  expected[19] = "14";
  EXPECT_EQ(Masked(FileBytes("save1")), SaveText(expected));
  EXPECT_FALSE(Exists("SAV_D_DMY"));
  EXPECT_FALSE(Exists("save1.tmp"));

  std::filesystem::rename(folder() + "/save1", folder() + "/bad");
  NewRun(Loader(false));
  g().save.scrambled_saves = 1;
  ASSERT_TRUE(PlayToEnd());
  EXPECT_EQ(FirstError(), "<none>");
  EXPECT_EQ(Value("点数"), 15);
  EXPECT_EQ(Text("名前"), "太郎");
  EXPECT_FALSE(Exists("LOD_D_DMY"));
}

TEST_F(SaveFile, AScrambledLoadFailsOnThePlainCopyAndKeepsIt) {
  WriteFile("bad", Masked(WithLines([](Lines& l) { l.pop_back(); })));
  NewRun(Loader(false));
  g().save.scrambled_saves = 1;
  ASSERT_TRUE(PlayToEnd());
  ASSERT_EQ(Errors().size(), 1u);
  EXPECT_EQ(Errors()[0].message, "フッター が破壊されています");
  EXPECT_EQ(Errors()[0].detail, PathOf("LOD_D_DMY"));
  EXPECT_TRUE(Exists("LOD_D_DMY"));
}

TEST_F(SaveFile, AStaleLoadCopyNeverStandsInForAMissingSave) {
  WriteFile("LOD_D_DMY", SaveText(GoodLines()));
  NewRun(Loader(false));
  g().save.scrambled_saves = 1;
  ASSERT_TRUE(PlayToEnd());
  ASSERT_EQ(Errors().size(), 1u);
  EXPECT_EQ(Errors()[0].message, "ファイルが開けません");
  EXPECT_EQ(Errors()[0].detail, PathOf("bad"));
  EXPECT_EQ(Value("点数"), 3);
}

// ---- Writes that fail ----

// Fills the numeric table with `count` variables so that a save is larger
// than the C library's stream buffer.
void FillNumerics(Game& g, int count, int value) {
  for (int i = 0; i < count; ++i) {
    CopyText(g.vars.numeric_keys[i], "v" + std::to_string(i));
    g.vars.numeric_values[i] = value;
  }
  g.vars.numeric_count = count;
  rebuild_numeric_index(g);
}

// Runs `body` with files limited to `bytes`: writes past it fail as a full
// disk would fail them.
template <typename Body>
void WithFileSizeLimit(rlim_t bytes, Body body) {
  struct rlimit old;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  auto previous = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = old;
  small.rlim_cur = bytes;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  body();
  setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, previous);
}

TEST_F(SaveFile, AnInterruptedWriteLeavesTheOldSaveIntact) {
  for (int scrambled = 0; scrambled <= 1; ++scrambled) {
    SCOPED_TRACE(scrambled ? "scrambled" : "plain");
    NewRun("// saves\n");
    g().save.scrambled_saves = scrambled;
    FillNumerics(g(), 3000, 1);
    ASSERT_EQ(write_save_file(g(), "save1"), 1);
    std::string before = FileBytes("save1");

    for (rlim_t limit : {rlim_t{1000}, rlim_t{10}}) {
      FillNumerics(g(), 3000, 2);
      platform().errors.clear();
      int ok = 1;
      WithFileSizeLimit(limit, [&] { ok = write_save_file(g(), "save1"); });
      EXPECT_EQ(ok, 0);
      ASSERT_FALSE(platform().errors.empty());
      EXPECT_EQ(platform().errors[0].message, "書き込みエラー発生");
      EXPECT_EQ(platform().errors[0].detail, "何らかのマシントラブルが考えられます");
      EXPECT_EQ(FileBytes("save1"), before);
      EXPECT_FALSE(Exists("save1.tmp"));
      EXPECT_FALSE(Exists("SAV_D_DMY"));
    }
  }
}

TEST_F(SaveFile, WhereNoFileCanBeMadeTheOpenFails) {
  std::filesystem::create_directory(folder() + "/slot");
  std::filesystem::create_directory(folder() + "/data");
  struct {
    const char* name;
    int written;
    const char* message;
  } cases[] = {
      {"slot", 0, "ファイルのオープンに失敗しました"},
      {"none\\save1", 0, "ファイルのオープンに失敗しました"},
      {"data\\save1", 1, "<none>"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    NewRun("// saves\n");
    EXPECT_EQ(write_save_file(g(), c.name), c.written);
    EXPECT_EQ(FirstError(), c.message);
    if (!c.written) {
      EXPECT_EQ(Errors()[0].detail, PathOf(c.name));
    }
  }
  EXPECT_TRUE(std::filesystem::is_directory(folder() + "/slot"));
  EXPECT_FALSE(Exists("slot.tmp"));
  EXPECT_TRUE(Exists("data/save1"));
}

}  // namespace
}  // namespace piko
