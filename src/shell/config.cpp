// piko.ini: the game title, the window mode and a few start-up switches,
// read once before any window exists.
#include <cstdio>
#include <cstring>
#include <memory>

#include "base/fixed_text.h"
#include "base/sjis.h"
#include "platform/files.h"
#include "shell/game.h"

namespace piko {

namespace {

constexpr int kConfigLines = 200;
constexpr int kConfigLineBytes = 95;
constexpr int kConfigSlotBytes = 100;

void ShowConfigBox(Game& g, std::string_view text) { ShowGameMessage(g, text, MessageBoxKind::kOk); }

}  // namespace

void ReadConfigFile(Game& g) {
  if (ProbeFile("piko.ini") != PathKind::kFile) return;
  std::unique_ptr<FILE, int (*)(FILE*)> f(OpenGameFile("piko.ini", "rb"), std::fclose);
  if (!f) return;
  // 200 lines, a last line without its end, and two empty end lines.
  char table[kConfigLines + 3][kConfigSlotBytes];
  for (auto& row : table) row[0] = '\0';
  int line = 0;
  int column = 0;
  int c;
  while ((c = GetTextModeByte(f.get())) != EOF) {
    if (c == 0x0A) {
      table[line][column] = '\0';
      column = 0;
      if (++line > kConfigLines) {
        ShowConfigBox(g, "INIファイルの行数が２００行を超えています"_sjv);
        return;
      }
      continue;
    }
    table[line][column++] = static_cast<char>(c);
    if (column > kConfigLineBytes) {
      ShowConfigBox(g, "INIファイルに９５文字を超えた行があります"_sjv);
      return;
    }
  }
  table[line][column] = '\0';
  table[line + 1][0] = '\0';
  table[line + 2][0] = '\0';
  int count = line + 3;

  ConfigState& cfg = g.config;
  for (int i = 0; i < count; ++i) {
    std::string_view l(table[i]);
    if (l.empty()) continue;
    if (BeginsWith(l, "//") || BeginsWith(l, "／／"_sjv)) continue;
    if (BeginsWith(l, "＃ウインドウ"_sjv) || BeginsWith(l, "＃ウィンドウ"_sjv)) {
      if (!cfg.window_mode_set) g.shell.window_mode = FindText(l, "選択"_sjv) >= 0 ? 2 : 1;
    } else if (BeginsWith(l, "＃ゲーム名"_sjv) || BeginsWith(l, "＃ゲームタイトル"_sjv)) {
      ++i;
      CopyText(cfg.game_title, i < count ? std::string_view(table[i]) : std::string_view());
      g.platform->window().SetWindowTitle(TextOf(cfg.game_title));
    } else if (BeginsWith(l, "＃注意オフ"_sjv)) {
      cfg.notices_off = 1;
    } else if (BeginsWith(l, "＃ＭＰ３選択"_sjv)) {
      cfg.ask_mp3_mode = 1;
    } else if (BeginsWith(l, "＃セーブ"_sjv)) {
      cfg.scrambled_saves = 1;
    } else if (BeginsWith(l, "＃チャンク"_sjv)) {
      cfg.single_channel_ok = 1;
    } else {
      char text[256];
      std::snprintf(text, sizeof text, "INIファイルの設定ミスです\n%s"_sj, table[i]);
      ShowConfigBox(g, text);
    }
  }
  if (g.shell.window_mode == 2) {
    MessageBoxAnswer a = ShowGameMessage(
        g,
        "●ゲームモードの設定\n\nゲームをウインドウ・タイプでプレイしますか？\n\n（いいえを選ぶと全画面モードになります）\n\n"_sjv,
        MessageBoxKind::kYesNo);
    g.shell.window_mode = a == MessageBoxAnswer::kYes ? 1 : 0;
  }
}

}  // namespace piko
