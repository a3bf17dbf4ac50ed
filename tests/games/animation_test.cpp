// End-to-end: animation, fades, overlaps, wipes, scrolls, the click mark
// and the pseudo-cursor, played headless with the animation interval set
// so that a step falls on every 100th millisecond; screenshots are taken
// between the steps (@MS events) and read back in 5-6-5.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "gfx/test_pictures.h"
#include "platform/bitmap.h"
#include "support/game_test.h"
#include "support/process.h"
#include "tools/pack.h"

namespace piko {
namespace {

namespace fs = std::filesystem;
using testing::Bmp24;
using testing::Solid;

constexpr uint32_t kGray = 0x808080, kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF;

// A 5-6-5 pixel as the screenshot shows it.
uint32_t Px(int r5, int g6, int b5) {
  uint8_t r, g, b;
  ExpandPixel(static_cast<uint16_t>(r5 << 11 | g6 << 5 | b5), PixelFormat::kRgb565, &r, &g, &b);
  return uint32_t{r} << 16 | uint32_t{g} << 8 | b;
}
uint32_t Shown(uint32_t c) {
  uint8_t r, g, b;
  ExpandPixel(PackPixel(PixelFormat::kRgb565, c >> 16, (c >> 8) & 255, c & 255), PixelFormat::kRgb565, &r, &g, &b);
  return uint32_t{r} << 16 | uint32_t{g} << 8 | b;
}
// Each column its own colour, exact in 5-6-5, for pictures up to 2048 wide.
uint32_t Column(int x, int) {
  return static_cast<uint32_t>(x % 32 * 8) << 16 | static_cast<uint32_t>(x / 32 % 64 * 4) << 8;
}

struct Shot {
  int w = 0, h = 0;
  std::vector<unsigned char> rgb;
  uint32_t At(int x, int y) const {
    size_t i = (static_cast<size_t>(y) * w + x) * 3;
    return uint32_t{rgb[i]} << 16 | uint32_t{rgb[i + 1]} << 8 | rgb[i + 2];
  }
};

const std::string kEnd = "シナリオが終了しました。 | 始めから実行します。";

struct Played {
  std::vector<std::string> errors;  // "MESSAGE | DETAIL" of each report
  std::vector<Shot> shots;          // one per @MS in the order given
  std::string vars;
};

// Plays the scenario with the pictures in 絵\, a screenshot at each of
// shot_ms, then the extra input.
Played Play(const std::string& name, const std::string& scenario, const std::map<std::string, std::string>& pictures,
            const std::vector<int>& shot_ms, const std::string& input = "") {
  std::string dir = std::string(PIKO_BINARY_DIR) + "/test-output/anim-" + name;
  fs::remove_all(dir);
  fs::create_directories(dir + "/game/絵");
  std::ofstream(dir + "/game/start.st1", std::ios::binary)
      << PackScenario("＃絵のパス\n絵\\\n＃アニメスピード\n99\n" + scenario, nullptr);
  std::ofstream(dir + "/game/piko.ini", std::ios::binary) << testing::Sjis("＃注意オフ\r\n");
  for (const auto& [file, bytes] : pictures)
    std::ofstream(dir + "/game/絵/" + file + ".sb1", std::ios::binary) << bytes;
  // Events are taken in file order: timed ones by their time, the rest after.
  std::multimap<int, std::string> events;
  for (size_t i = 0; i < shot_ms.size(); ++i) {
    events.emplace(shot_ms[i],
                   "@" + std::to_string(shot_ms[i]) + " screenshot " + dir + "/" + std::to_string(i) + ".png");
  }
  for (const std::string& line : testing::SplitLines(input)) {
    events.emplace(line[0] == '@' ? std::stoi(line.substr(1)) : 1 << 30, line);
  }
  std::ofstream out(dir + "/input");
  for (const auto& [ms, line] : events) out << line << "\n";
  out.close();
  auto r = testing::RunProcess({PIKO_PLAYER, "--headless", "--max-ms", "5000", "--input", dir + "/input", "--dump-vars",
                                dir + "/vars", dir + "/game"});
  Played run;
  for (const std::string& line : testing::SplitLines(r.err)) {
    size_t colon = line.find(": ");
    if (line.rfind("error ", 0) != 0 || colon == std::string::npos) continue;
    if (line.substr(colon + 2) != kEnd) run.errors.push_back(line.substr(colon + 2));
  }
  run.shots.resize(shot_ms.size());
  for (size_t i = 0; i < shot_ms.size(); ++i) {
    Shot& s = run.shots[i];
    EXPECT_TRUE(testing::ReadRgbPng(dir + "/" + std::to_string(i) + ".png", &s.w, &s.h, &s.rgb)) << name << " " << i;
    if (s.w != 640) s = Shot{640, 480, std::vector<unsigned char>(640 * 480 * 3)};
  }
  run.vars = testing::ReadFileText(dir + "/vars");
  return run;
}

const std::vector<int> kSteps = {50, 150, 250, 350, 450, 550, 650, 750, 850};

std::map<std::string, std::string> Frames() {
  return {{"gray", Bmp24(640, 480, Solid(kGray))},
          {"red", Bmp24(640, 480, Solid(kRed))},
          {"green", Bmp24(640, 480, Solid(kGreen))},
          {"blue", Bmp24(640, 480, Solid(kBlue))}};
}

TEST(AnimationGame, PersonFramesInOrder) {
  struct Case {
    const char* name;
    const char* on_line;
    const char* frames;
    std::vector<uint32_t> seen;
    std::vector<std::string> errors;
  } cases[] = {
      {"bounce", "＃人物アニメオン", "red\ngreen\nblue", {kGray, kRed, kGreen, kBlue, kGreen, kRed, kGreen}, {}},
      {"loop", "＃人物アニメオン ループ", "red\ngreen\nblue", {kGray, kRed, kGreen, kBlue, kRed, kGreen, kBlue}, {}},
      {"two", "＃人物アニメオン", "red\ngreen\n", {kGray, kRed, kGreen, kRed, kGreen, kRed, kGreen}, {}},
      {"both_options",
       "＃人物アニメオン ランダム 音",
       "red\ngreen\nblue",
       {kGray, kRed, kGreen, kBlue, kGreen, kRed, kGreen},
       {"アニメは「音」「ランダム」の共有はできません | ＃人物アニメオン ランダム 音"}},
  };
  for (const Case& c : cases) {
    Played run =
        Play(std::string("person-") + c.name,
             std::string("＃絵\ngray\n＃人物アニメ準備\n") + c.frames + "\n" + c.on_line + "\n＃クリック待ち\n",
             Frames(), {50, 150, 250, 350, 450, 550, 650}, "click 1 1\n");
    EXPECT_EQ(run.errors, c.errors) << c.name;
    for (size_t i = 0; i < c.seen.size(); ++i) EXPECT_EQ(run.shots[i].At(320, 240), Shown(c.seen[i])) << c.name << i;
  }
}

TEST(AnimationGame, SpeedZeroStepsEveryMillisecondAndUnpreparedReports) {
  for (const char* speed : {"0", "-5"}) {
    Played run = Play("speed",
                      std::string("＃人物アニメ準備\nred\ngreen\nblue\n＃人物アニメオン\n＃アニメスピード\n") + speed +
                          "\n＃クリック待ち\n",
                      Frames(), {100, 101, 102, 103});
    for (int i = 0; i < 3; ++i) EXPECT_NE(run.shots[i].At(1, 1), run.shots[i + 1].At(1, 1)) << speed << i;
  }
  Played run = Play("unprepared", "＃絵\ngray\n＃人物アニメオン\n＃クリック待ち\n", Frames(), {150});
  EXPECT_EQ(run.errors, (std::vector<std::string>{"＃人物アニメ準備がされていません | ＃人物アニメオン"}));
  EXPECT_EQ(run.shots[0].At(320, 240), Shown(kGray));
}

// Gray is 16, 32, 16 in 5-6-5: every fade level is exact.
TEST(AnimationGame, FadeOutToBlackThenInWithThePseudoCursorOnTop) {
  auto pictures = Frames();
  pictures["cursor"] = Bmp24(640, 160, Solid(kRed));
  Played run = Play("fade", "＃疑似カーソル\ncursor\n\n＃絵\ngray\n＃フェードアウト\n＃フェードイン\n＃クリック待ち\n",
                    pictures, kSteps, "@20 move 600 400\n");
  const int levels[] = {4, 3, 2, 1, 0, 1, 2, 3, 4};
  for (int i = 0; i < 9; ++i) {
    EXPECT_EQ(run.shots[i].At(10, 10), Px(4 * levels[i], 8 * levels[i], 4 * levels[i])) << i;
    EXPECT_EQ(run.shots[i].At(620, 420), Shown(kRed)) << i;
  }
}

TEST(AnimationGame, OverlapsCrossFadeAndCommit) {
  auto pictures = Frames();
  struct Case {
    const char* name;
    const char* lines;
    std::vector<uint32_t> at_20_10;  // at 50, 150, 250, 350, 450
    uint32_t at_5_10;                // after the commit
    std::vector<std::string> errors;
  } cases[] = {
      {"background",
       "＃絵オーバーラップ\nblue",
       {Px(16, 32, 16), Px(12, 24, 19), Px(8, 16, 23), Px(4, 8, 26), Shown(kBlue)},
       Shown(kBlue),
       {}},
      {"as_it_is",
       "＃全オーバーラップ\nそのまま\nそのまま\nそのまま\nそのまま",
       {Px(16, 32, 16), Px(16, 32, 16), Px(16, 32, 16), Px(16, 32, 16), Px(16, 32, 16)},
       Shown(kGray),
       {}},
      {"position",
       "＃全オーバーラップ\nblue＃Ｘ（10+5）＃\nそのまま\nそのまま\n",
       {Px(16, 32, 16), Px(12, 24, 19), Px(8, 16, 23), Px(4, 8, 26), Shown(kBlue)},
       Shown(kWhite),
       {}},
      {"empty_first",
       "＃全オーバーラップ\n\nred\nそのまま\nそのまま",
       {Px(16, 32, 16), Px(19, 24, 12), Px(23, 16, 8), Px(26, 8, 4), Shown(kRed)},
       Shown(kRed),
       {"＃絵のファイル名が違います | "}},
  };
  for (const Case& c : cases) {
    Played run = Play(std::string("overlap-") + c.name, std::string("＃絵\ngray\n") + c.lines + "\n＃クリック待ち\n",
                      pictures, {50, 150, 250, 350, 450});
    EXPECT_EQ(run.errors, c.errors) << c.name;
    for (int i = 0; i < 5; ++i) EXPECT_EQ(run.shots[i].At(20, 10), c.at_20_10[i]) << c.name << i;
    EXPECT_EQ(run.shots[4].At(5, 10), c.at_5_10) << c.name;
  }
}

TEST(AnimationGame, WipesRevealThroughTheirMasks) {
  auto pictures = Frames();
  for (int i = 1; i <= 3; ++i) {
    pictures["m" + std::to_string(i)] = Bmp24(640, 480, [i](int x, int) { return x < 160 * i ? kWhite : 0u; });
  }
  std::string pattern51 = "＃ワイプパターン\n";
  for (int i = 0; i < 51; ++i) pattern51 += "m1\n";
  struct Case {
    const char* name;
    const char* pattern;
    std::vector<std::vector<uint32_t>> at_x;  // per shot: x 100, 300, 500
    std::vector<std::string> errors;
  } cases[] = {
      {"one", "＃ワイプパターン\nm2\n\n", {{kGray, kGray, kGray}, {kBlue, kBlue, kGray}, {kBlue, kBlue, kBlue}}, {}},
      {"three",
       "＃ワイプパターン\nm1\nm2\nm3\n\n",
       {{kGray, kGray, kGray},
        {kBlue, kGray, kGray},
        {kBlue, kBlue, kGray},
        {kBlue, kBlue, kGray},
        {kBlue, kBlue, kBlue}},
       {}},
      // Without a pattern the picture lines are left to run as lines.
      {"none",
       "",
       {{kGray, kGray, kGray}},
       {"＃ワイプは＃ワイプパターンの後に使用してください | ワイプパターンが定義されていません",
        "シナリオ上のミスです。 | blue", "シナリオ上のミスです。 | そのまま", "シナリオ上のミスです。 | そのまま",
        "シナリオ上のミスです。 | そのまま"}},
      {"bad_name",
       "＃ワイプパターン\nm1\nnomask\n\n",
       {{kGray, kGray, kGray}},
       {"マスクのファイル名が間違っています | nomask",
        "＃ワイプは＃ワイプパターンの後に使用してください | ワイプパターンが定義されていません",
        "シナリオ上のミスです。 | blue", "シナリオ上のミスです。 | そのまま", "シナリオ上のミスです。 | そのまま",
        "シナリオ上のミスです。 | そのまま"}},
  };
  for (const Case& c : cases) {
    std::vector<int> at;
    for (size_t i = 0; i < c.at_x.size(); ++i) at.push_back(50 + 100 * static_cast<int>(i));
    Played run =
        Play(std::string("wipe-") + c.name,
             std::string("＃絵\ngray\n") + c.pattern + "＃ワイプ\nblue\nそのまま\nそのまま\nそのまま\n＃クリック待ち\n",
             pictures, at);
    EXPECT_EQ(run.errors, c.errors) << c.name;
    for (size_t i = 0; i < at.size(); ++i) {
      for (int k = 0; k < 3; ++k)
        EXPECT_EQ(run.shots[i].At(100 + 200 * k, 10), Shown(c.at_x[i][k])) << c.name << i << k;
    }
  }
  Played run = Play("wipe-51", "＃絵\ngray\n" + pattern51 + "\n", pictures, {});
  EXPECT_EQ(run.errors, (std::vector<std::string>{"ワイプで使用できるファイル数は | ５０までです"}));
}

TEST(AnimationGame, ScrollsWrapStopAndKeepTheirPosition) {
  std::map<std::string, std::string> pictures = {{"wide", Bmp24(1280, 480, Column)}};
  struct Case {
    const char* name;
    const char* command;
    int speed;
    std::vector<int> view_x;  // at 50, 150, ...
  } cases[] = {
      {"right", "＃絵スクロール", 400, {0, 400, 800, 1200, 320}},
      {"stop", "＃絵スクロール ループオフ", 400, {0, 400, 640, 640}},
      {"left", "＃絵スクロール", -400, {640, 240, 1120}},
  };
  for (const Case& c : cases) {
    Played run = Play(std::string("scroll-") + c.name,
                      std::string(c.command) + "\nwide\n" + std::to_string(c.speed) + "\n0\n＃クリック待ち\n", pictures,
                      std::vector<int>(kSteps.begin(), kSteps.begin() + static_cast<long>(c.view_x.size())));
    for (size_t i = 0; i < c.view_x.size(); ++i) {
      for (int x : {0, 100, 639}) {
        EXPECT_EQ(run.shots[i].At(x, 5), Shown(Column((c.view_x[i] + x) % 1280, 0))) << c.name << i << " " << x;
      }
    }
  }
  Played run = Play("scroll-click",
                    "＃変数宣言\n位置Ｘ\n位置Ｙ\n\n＃絵スクロール クリック\n＃絵スクロール\nwide\n400\n0\n"
                    "＃絵スクロール クリック\n位置Ｘ\n位置Ｙ\n",
                    pictures, {}, "@350 click 1 1\n");
  EXPECT_EQ(run.errors, (std::vector<std::string>{
                            "＃絵スクロールクリック命令はスクロール中に有効です | 絵画面はスクロールしていません"}));
  EXPECT_NE(run.vars.find("numeric 位置Ｘ 1200\n"), std::string::npos) << run.vars;
  EXPECT_NE(run.vars.find("numeric 位置Ｙ 0\n"), std::string::npos) << run.vars;
}

TEST(AnimationGame, ClickMarkAndPseudoCursors) {
  std::map<std::string, std::string> pictures = {
      {"gray", Bmp24(640, 480, Solid(kGray))},
      {"mark", Bmp24(640, 160, [](int x, int) { return x < 210   ? kRed
                                                       : x < 420 ? kGreen
                                                                 : kBlue; })},
      {"cursor", Bmp24(640, 160, Column)}};
  Played run = Play("mark", "＃絵\ngray\n＃クリックマーク\nmark\n＃クリック待ち\n", pictures, {50, 150, 250, 350});
  const uint32_t seen[] = {kRed, kGreen, kBlue, kGreen};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(run.shots[i].At(530, 370), Shown(seen[i])) << i;
    EXPECT_EQ(run.shots[i].At(609, 449), Shown(seen[i])) << i;
  }
  EXPECT_EQ(run.shots[0].At(610, 370), Shown(kGray));
  EXPECT_EQ(run.shots[0].At(529, 449), Shown(kGray));

  // A pointer at x 600 shows the frame's first 40 columns; one at x 50 with
  // the hot spot at 100 shows columns 50 to 209 from the left edge.
  run = Play("cursor",
             "＃疑似カーソル 待ち\n＃絵\ngray\n＃疑似カーソル\ncursor\n\n＃クリック待ち\n"
             "＃疑似カーソル\ncursor\n100\n0\n＃クリック待ち\n",
             pictures, {100, 300}, "@50 move 600 100\n@150 click 1 1\n@200 move 50 100\n");
  EXPECT_EQ(run.errors[0], "＃疑似カーソルクリック待ちは、（通常の）＃疑似カーソルを | 指定した後に設定してください");
  EXPECT_EQ(run.shots[0].At(600, 100), Shown(Column(0, 0)));
  EXPECT_EQ(run.shots[0].At(639, 259), Shown(Column(39, 0)));
  EXPECT_EQ(run.shots[0].At(599, 100), Shown(kGray));
  EXPECT_EQ(run.shots[0].At(600, 260), Shown(kGray));
  EXPECT_EQ(run.shots[1].At(0, 100), Shown(Column(50, 0)));
  EXPECT_EQ(run.shots[1].At(159, 100), Shown(Column(209, 0)));
  EXPECT_EQ(run.shots[1].At(160, 100), Shown(kGray));
}

}  // namespace
}  // namespace piko
