// Program start: the game folder, the start-up questions and notices, the
// window and display, the start scenario, and then the message loop.
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "base/fixed_text.h"
#include "base/sjis.h"
#include "platform/files.h"
#include "shell/game.h"

namespace piko {

namespace {

constexpr std::string_view kDefaultTitle = "簡単ゲーム作成アプリケーション 「ピコラ」（Ver 01.77）"_sjv;

std::string_view Title(const Game& g) { return TextOf(g.config.game_title); }

void ShowNotice(Game& g) {
  ShowGameMessage(
      g,
      "●お楽しみいただく前に\n\nこのソフトは「ダイレクトＸ」を使っています。\nほとんどのマシンでは「ダイレクトＸ」は正常に動きますが、\n\n極めて稀に「一部のマシン」と「ダイレクトＸ」の\n相性が悪い場合があります。\n\nもしプレイ中に以下の様な現象が出ましたら、\n「グラフィックス」の「ハードウェア・アクセラレータ」を\n「なし」にしてください。\n\n・ＭＰ３などの音が、途切れ途切れに鳴る\n・マウスを動かすと画像が乱れる\n・画像が正しく表示されない\n\nなお、繰り返しますが、\nほとんどのマシンでは問題は起こりませんので\n安心してプレイしてくださいね。\n"_sjv,
      MessageBoxKind::kOk);
}

void AskMp3Mode(Game& g) {
  MessageBoxAnswer a = ShowGameMessage(
      g,
      "●このゲームはＭＰ３を使用しています。\n\n殆どのマシンでは問題ありませんが、\nごく一部のマシンではＭＰ３の再生に\n問題がある場合があります。\n\n万一、グラフィック・アクセラレータを\n「なし」にしても問題が解決しなかった場合は\nＭＰ３の再生仕様を変えてプレイしてみてください。\n\n通常のＭＰ３再生仕様を使いますか？\n（特に問題がない場合は「はい」を押して下さい）\n"_sjv,
      MessageBoxKind::kYesNo);
  g.audio.mp3_mode = a == MessageBoxAnswer::kYes ? 1 : 0;
}

}  // namespace

MessageBoxAnswer ShowGameMessage(Game& g, std::string_view text_sjis, MessageBoxKind kind) {
  return g.platform->dialogs().ShowMessageBox(text_sjis, TextOf(g.config.game_title), kind);
}

void InitGame(Game& g) { CopyText(g.config.game_title, kDefaultTitle); }

int CheckFolderDepth(Game& g) {
  std::string folder = CurrentGameFiles().FolderPath();
  size_t length = folder.size();
  if (!folder.empty() && folder.back() == '/' && folder.size() > 1) folder.pop_back();
  CopyText(g.shell.game_folder, folder);
  if (length > static_cast<size_t>(kMaxGameFolderLength) || folder.empty()) {
    char first[512];
    std::snprintf(first, sizeof first, "%s\n%s\n\n%s\n%s", "●このゲームのフォルダのある位置が深すぎるか、"_sj,
                  "間に長い名前のフォルダをはさんでいます。"_sj, "ゲームのフォルダを「ﾃﾞｽｸﾄｯﾌﾟ」などの"_sj,
                  "浅い階層に移動する事をお勧めします。"_sj);
    ShowGameMessage(g, first, MessageBoxKind::kOk);
    char second[512];
    std::snprintf(second, sizeof second, "%s\n\n%s\n%s", "●安全のため終了します。"_sj,
                  "終了後にゲームのフォルダを「ﾃﾞｽｸﾄｯﾌﾟ」などの"_sj, "浅い階層に移動してからプレイしてください。"_sj);
    ShowGameMessage(g, second, MessageBoxKind::kOk);
    return 0;
  }
  return 1;
}

int StartUp(Game& g) {
  ClearAllVariables(g);
  SeedRandom(g, g.platform->RandomSeed());
  ResetArrayTables(g);
  g.script.call_depth = 0;
  g.script.call_stack_return_lines[0] = 0;

  if (!ChooseStartScenario(g)) return 0;
  ReadConfigFile(g);
  if (!g.config.notices_off) ShowNotice(g);
  if (g.config.ask_mp3_mode) AskMp3Mode(g);
  if (CountWaveOutDevices(g) < 2 && !g.config.single_channel_ok) g.audio.single_channel_warning = 1;
  InstallFontFolder(g);

  // The window and the display. piko's display is always 16 bits deep, so
  // the desktop-depth check of the old player always passes here.
  if (g.shell.window_mode != 0) {
    if (!g.platform->window().CreateMainWindow(false, Title(g))) {
      ReleaseDisplay(g);
      return 0;
    }
    g.shell.main_window = 1;
    if (!CreateWindowedDisplay(g)) {
      ReportDisplayFailure(g);
      return 0;
    }
  } else {
    // The old player did not test this window; the display set-up then
    // failed for the want of it.
    g.shell.main_window = g.platform->window().CreateMainWindow(true, Title(g)) ? 1 : 0;
    if (!CreateFullScreenDisplay(g)) {
      ReleaseDisplay(g);
      return 0;
    }
  }

  CopyText(g.text.dialogue_face, "ＭＳ Ｐゴシック"_sjv);
  CopyText(g.choice.choice_face, "ＭＳ ゴシック"_sjv);
  CopyText(g.text.variable_face, "ＭＳ ゴシック"_sjv);
  CopyText(g.typing.typing_face, "ＭＳ Ｐゴシック"_sjv);
  InitAudioStream(g);
  if (g.config.scrambled_saves) g.save.scrambled_saves = 1;

  if (!CreateWorkSurfaces(g)) {
    ReleaseDisplay(g);
    return 0;
  }
  SetColourKeys(g, g.gfx.mask_colour_r, g.gfx.mask_colour_g, g.gfx.mask_colour_b);
  DrawDefaultDialogueFrame(g);
  FillChoiceHighlightBar(g);
  ClearPersonSurface(g);

  LoadScenario(g, TextOf(g.script.call_stack_names[0]));
  g.script.line_pos = 0;
  return 1;
}

int RunMessageLoop(Game& g) {
  InputEvent event;
  while (!g.shell.quit_requested) {
    if (HandleTypingSoundDone(g)) continue;  // posted messages come before input
    if (g.platform->window().PeekEvent(&event)) {
      if (event.type == InputEvent::Type::kQuit) break;
      if (g.shell.waits[Wait::kTextInput] && HandleTextInputEvent(g, event)) continue;
      HandleWindowEvent(g, event);
      continue;
    }
    bool executed = FrameTick(g);
    g.platform->window().AfterFrameTick(!executed);
  }
  ReleaseDisplay(g);
  return g.shell.exit_code;
}

int RunPlayer(Game& g, const char* sweep_pid_text) {
  if (!CheckFolderDepth(g)) return 1;
  if (sweep_pid_text) return Sweep(g, std::strtol(sweep_pid_text, nullptr, 10));
  if (!StartUp(g)) return 1;
  return RunMessageLoop(g);
}

}  // namespace piko
