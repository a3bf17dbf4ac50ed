// "＃ＭＰ３": music from a scrambled .sp3 file, always played from the
// unscrambled copy "MP3_DECO", through the built-in decoder (default) or the
// system's MPEG player, and looped by the poll of the Frame tick.
#include <cstdio>
#include <string>

#include "audio/mpeg/sp3_scramble.h"
#include "audio/stream_player.h"
#include "base/fixed_text.h"
#include "base/sjis.h"
#include "platform/files.h"
#include "script/args.h"
#include "shell/game.h"
#include "audio/audio_commands.h"

namespace piko {

Mp3State::Mp3State() = default;
Mp3State::~Mp3State() = default;

namespace {

constexpr const char* kMp3Copy = "MP3_DECO";
constexpr std::string_view kCannotOpen = "ＭＰ３ファイルをオープンできません。"_sjv;

int IgnoreProgress(int, int, void*) { return 0; }

bool BuiltInPath(const Game& g) { return g.audio.mp3_mode == 1; }

int SendMp3String(Game& g, const char* command, std::string* reply = nullptr) {
  return g.platform->Audio().SendMciString(command, reply);
}

// Two notices share one look: a red screen, a white box, twelve lines, and
// the pause of a script error.
void ShowNotice(Game& g, const std::string_view (&lines)[12]) {
  Surface& back = g.gfx.back_buffer;
  FillRect(g, back, 0, 0, back.width, back.height, 255, 0, 0);
  FillRect(g, back, 40, 40, 560, 400, 255, 255, 255);
  if (g.gfx.display_ready) {
    TextColours colours;
    colours.text = PixelFromRgb(g, 0, 0, 0);
    colours.background = PixelFromRgb(g, 255, 255, 255);
    colours.opaque = true;
    for (int i = 0; i < 12; ++i) {
      g.platform->Text().DrawText(back, 100, 60 + 30 * i, lines[i], kDefaultFont, colours);
    }
    Present(g);
  }
  g.platform->dialogs().Beep();
  g.shell.waits[Wait::kClick] = 1;
  g.shell.waits[Wait::kErrorPause] = 1;
}

void ShowSingleChannelNotice(Game& g) {
  static constexpr std::string_view kLines[12] = {
      "●注意"_sjv,
      ""_sjv,
      "このマシンはＷａｖを鳴らすための"_sjv,
      "チャンネルが一つしかありません。"_sjv,
      ""_sjv,
      "このゲームはＭＰ３を使用しますが、"_sjv,
      "Ｗａｖチャンネルが一つのため"_sjv,
      "音（Ｗａｖ）とＭＰ３が同時に鳴らない可能性があります。"_sjv,
      ""_sjv,
      "Ｅｓｃキーを押すとゲームは終了します。"_sjv,
      "クリックするとゲームを再開します。"_sjv,
      ""_sjv,
  };
  ShowNotice(g, kLines);
}

void ShowSystemPlayerNotice(Game& g) {
  Mp3State& m = g.audio.mp3;
  if (m.notice_shown) return;
  m.notice_shown = 1;
  // The sixth line named the browser vendor's download site; a player on
  // today's systems says what is missing instead.
  static constexpr std::string_view kLines[12] = {
      "このゲームはＭＰ３を使用しています。"_sjv,
      "ＭＰ３を鳴らすためにはＩＥ５．０以上のバージョンを"_sjv,
      "インストールする必要があります。"_sjv,
      "ＩＥ５．０以上のバージョンは"_sjv,
      "マイクロソフト社のダウンロード・サイト"_sjv,
      "（ＭＰ３の再生にはシステムのＭＰＥＧ再生機能が必要です）"_sjv,
      "でダウンロードできますので、"_sjv,
      "ダウンロード後に、ＩＥ５．０以上を"_sjv,
      "インストールしてからゲームを再開してください。"_sjv,
      "Ｅｓｃキーを押すとゲームは終了します。"_sjv,
      "クリックするとゲームを再開します。"_sjv,
      "（ただしこの場合はＭＰ３は鳴りません、ご了承ください）"_sjv,
  };
  ShowNotice(g, kLines);
}

// The .sp3 copy: every byte XOR-ed with its byte of the four-byte mask. A
// file that cannot be read or written stops the copy quietly; the open or
// play that follows fails instead.
void UnscrambleMp3(const std::string& source) {
  FILE* in = OpenGameFile(source, "rb");
  if (!in) return;
  FILE* out = OpenGameFile(kMp3Copy, "wb");
  if (out) {
    uint8_t buffer[65536];
    uint64_t offset = 0;
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, in)) > 0) {
      UnscrambleSp3Bytes(buffer, n, offset);
      offset += n;
      if (std::fwrite(buffer, 1, n, out) != n) break;
    }
    std::fclose(out);
  }
  std::fclose(in);
}

void StopBuiltInPlayer(Game& g) {
  Mp3State& m = g.audio.mp3;
  if (!m.player_active) return;
  m.player->stop();
  m.player->close();
  m.song_info.reset();
  m.player_active = 0;
}

void StopMusic(Game& g) {
  if (BuiltInPath(g))
    StopBuiltInPlayer(g);
  else
    SendMp3String(g, "close MP3");
}

// Opens the player on the copy with a fresh song record; false when the
// copy is no MPEG audio.
bool OpenBuiltInPlayer(Game& g) {
  Mp3State& m = g.audio.mp3;
  m.song_info = std::make_unique<SongInfo>(kMp3Copy);
  if (!m.player->open(kMp3Copy, &m.song_info->block)) {
    m.song_info.reset();
    return false;
  }
  m.player_active = 1;
  return true;
}

// The system player from the start of the copy; false when it cannot play.
bool PlaySystemPlayer(Game& g) {
  SendMp3String(g, "open \"MP3_DECO\" type MPEGVideo alias MP3");
  return SendMp3String(g, "play MP3 from 0") == 0;
}

}  // namespace

void InitAudioStream(Game& g) {
  Mp3State& m = g.audio.mp3;
  m.sink = std::make_unique<WaveOutSink>(g.platform->CreateWaveOut());
  m.player = std::make_unique<StreamPlayer>();
  m.player->set_sink(m.sink.get());
  m.player->set_callback(IgnoreProgress, nullptr);
}

void PlayMp3(Game& g) {
  Mp3State& m = g.audio.mp3;
  ScriptState& s = g.script;
  if (g.audio.single_channel_warning) {
    ShowSingleChannelNotice(g);
    g.audio.single_channel_warning = 0;
  }
  Args args(g);
  if (args.Has("のパス"_sjv)) {
    CopyText(m.mp3_path, args.Next());
    return;
  }
  m.loop = 0;
  if (args.Has("止め"_sjv)) {
    StopMusic(g);
    return;
  }
  if (!m.player) return;  // before start-up
  StopMusic(g);
  bool loop = args.HasBytes("ループ"_sjv);
  std::string name_line = args.Next();
  std::string name = std::string(TextOf(m.mp3_path)) + std::string(name_line) + std::string(TextOf(s.ext_mp3));
  if (ProbeFile(name) != PathKind::kFile) {
    ReportScriptError(g, "ＭＰ３ファイルがありません"_sjv, name_line);
    return;
  }
  if (ProbeFile(kMp3Copy) == PathKind::kFile) DeleteGameFile(kMp3Copy);
  UnscrambleMp3(name);
  if (BuiltInPath(g)) {
    if (!OpenBuiltInPlayer(g)) {
      ReportScriptError(g, kCannotOpen, name_line);
      return;
    }
    m.player->play();
    if (loop) m.loop = 1;
    return;
  }
  if (PlaySystemPlayer(g)) {
    if (loop) m.loop = 1;
  } else {
    ShowSystemPlayerNotice(g);
  }
}

void PollMp3(Game& g) {
  Mp3State& m = g.audio.mp3;
  if (!m.loop || !m.player) return;
  if (BuiltInPath(g)) {
    if (m.player->state() != kStopped) return;
    StopBuiltInPlayer(g);
    if (!OpenBuiltInPlayer(g)) {
      // Reported once: the copy will not open on the next tick either.
      m.loop = 0;
      ReportScriptError(g, kCannotOpen, LineAt(g, g.script.line_pos));
      return;
    }
    m.player->play();
    return;
  }
  std::string mode;
  SendMp3String(g, "status MP3 mode", &mode);
  if (mode.find("stopped") == std::string::npos) return;
  SendMp3String(g, "close MP3");
  if (!PlaySystemPlayer(g)) ShowSystemPlayerNotice(g);
}

void StopMp3AtShutdown(Game& g) {
  if (!g.audio.mp3.player) return;
  StopMusic(g);
  g.audio.mp3.loop = 0;
}

}  // namespace piko
