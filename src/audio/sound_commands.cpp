// Wave, MIDI and CD sound: the commands, the poll of every tick, the stop at
// restart and at shutdown. Every device is driven by media-control strings
// or the simple wave player, as the original player drove Windows; the
// strings are part of what a game's trace shows, so they stay byte for byte.
#include <cstdio>
#include <memory>
#include <string>

#include "base/fixed_text.h"
#include "base/sjis.h"
#include "platform/files.h"
#include "script/args.h"
#include "shell/game.h"
#include "audio/audio_commands.h"

namespace piko {

namespace {

constexpr const char* kMidiCopy = "MID_CPY";

int SendMci(Game& g, const std::string& command, std::string* reply = nullptr) {
  return g.platform->Audio().SendMciString(command, reply);
}

// A status reply counts as stopped when it contains "stopped".
bool DeviceStopped(Game& g, const char* status_command) {
  std::string reply;
  SendMci(g, status_command, &reply);
  return FindText(reply, "stopped") >= 0;
}

void StopWavePlayer(Game& g) { g.platform->Audio().PlaySound(nullptr, 0); }

std::string Format(const char* format, long long a, long long b = 0) {
  char text[64];
  std::snprintf(text, sizeof text, format, a, b);
  return text;
}

// Sound path prefix, name and the wave extension, with nothing in between.
std::string WaveName(const Game& g, std::string_view name) {
  return std::string(TextOf(g.script.sound_path)) + std::string(name) + std::string(TextOf(g.script.ext_wave));
}

std::string MidiCopyName(const Game& g) { return std::string(TextOf(g.shell.game_folder)) + "\\" + kMidiCopy; }

std::string ErrorTextOf(Game& g, int code) {
  std::string text;
  g.platform->Audio().GetMciErrorText(code, &text);
  if (text.size() > 255) text.resize(255);  // the 256-byte buffer
  return text;
}

// The whole-file copy: a failure leaves the copy missing or short, unreported.
void CopyWholeFile(std::string_view from, const char* to) {
  std::unique_ptr<FILE, int (*)(FILE*)> in(OpenGameFile(from, "rb"), std::fclose);
  if (!in) return;
  std::unique_ptr<FILE, int (*)(FILE*)> out(OpenGameFile(to, "wb"), std::fclose);
  if (!out) return;
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, in.get())) > 0) {
    if (std::fwrite(buf, 1, n, out.get()) != n) return;
  }
}

// "play cdaudio from T to T+1"; on a disc whose last track is T, the
// fallback plays from T to the end. The command's fallback ends in a blank,
// the poll's does not.
int PlayCdTrack(Game& g, int track, const char* fallback) {
  int code = SendMci(g, Format("play cdaudio from %lld to %lld", track, static_cast<long long>(track) + 1));
  if (code == 0) return 0;
  return SendMci(g, Format(fallback, track));
}

}  // namespace

void ConfigureSound(Game& g) {
  Args args(g);
  if (!args.Has("選択裏画面"_sjv)) return;
  if (args.Has("オフ"_sjv)) {
    g.audio.choice_beep_off = 1;
  } else if (args.Has("オン"_sjv)) {
    g.audio.choice_beep_off = 0;
  }
}

void PlaySound(Game& g) {
  std::string next = Args(g).Next();
  SendMci(g, "close wsnd");
  StopWavePlayer(g);
  std::string name = WaveName(g, next);
  if (ProbeFile(name) != PathKind::kFile) {
    ReportScriptError(g, "音のファイルがありません"_sjv, next);
    return;
  }
  SendMci(g, "open " + name + " type waveaudio alias wsnd");
  SendMci(g, "set wsnd time format samples");
  SendMci(g, "play wsnd");
  g.audio.wave_open = 1;
}

void PlayLoopedSound(Game& g) {
  SendMci(g, "close wsnd");
  StopWavePlayer(g);
  std::string next = Args(g).Next();
  std::string name = WaveName(g, next);
  if (ProbeFile(name) != PathKind::kFile) {
    ReportScriptError(g, "音ループのファイルがありません"_sjv, next);
    return;
  }
  g.audio.sound_loop = 1;
  CopyText(g.audio.loop_sound_path, name);
  g.platform->Audio().PlaySound(g.audio.loop_sound_path, kSndAsync | kSndLoop);
}

void StopSounds(Game& g) {
  g.audio.sound_loop = 0;
  g.audio.wave_open = 0;
  SendMci(g, "close wsnd");
  StopWavePlayer(g);
}

void StopCdAudio(Game& g) {
  SendMci(g, "stop cdaudio");
  SendMci(g, "close cdaudio");
  g.audio.cd_loop = 0;
  g.audio.cd_playing = 0;
}

void PlayCdAudio(Game& g) {
  AudioState& a = g.audio;
  Args args(g);
  bool check = args.Has("確認"_sjv);
  a.cd_loop = args.Has("ループ"_sjv) ? 1 : 0;
  SendMci(g, "stop cdaudio");
  SendMci(g, "close cdaudio");

  std::string track_line = args.Next();
  if (track_line.empty()) {
    ReportScriptError(g, "＃ＣＤのトラックが指定されていません"_sjv, "");
    return;
  }
  int track = 0;
  // A fault names the command's line, not the track's.
  if (!EvaluateArgument(g, track_line, args.Command(), &track)) return;
  a.cd_track = track;

  std::string label;
  if (check) {
    label = args.Next();
    if (label.empty()) {
      ReportScriptError(g, "ＣＤ確認時のラベルが指定されていません"_sjv, "");
      return;
    }
  }

  SendMci(g, "open cdaudio");
  SendMci(g, "set cdaudio time format tmsf");
  int code = PlayCdTrack(g, track, "play cdaudio from %lld ");
  if (code == 0) {
    a.cd_playing = 1;
    return;
  }
  if (check) {
    int found = FindLabel(g, label);
    if (found < 0)
      ReportScriptError(g, "ＣＤ確認時のラベルが見つかりません"_sjv, label);
    else
      g.script.line_pos = found;
    return;
  }
  if (code == kMciErrHardware) {
    ReportScriptError(g, "ＣＤが入っていないか、"_sjv, "ＣＤの準備が出来ていません"_sjv);
  } else if (code == kMciErrOutOfRange) {
    char detail[64];
    std::snprintf(detail, sizeof detail, "%d トラック"_sj, track);
    ReportScriptError(g, "音楽トラックがないか、無効なトラックです"_sjv, detail);
  } else {
    ReportScriptError(g, "ＣＤ上でのトラブルです"_sjv, "別のソフトで使用している可能性もあります"_sjv);
  }
}

void PlayMidi(Game& g) {
  AudioState& a = g.audio;
  Args args(g);
  if (args.HasBytes("のパス"_sjv)) {
    CopyText(a.midi_path, args.Next());
    return;
  }
  a.midi_loop = 0;
  if (args.HasBytes("止め"_sjv)) {
    SendMci(g, "close MUSIC");
    return;
  }
  SendMci(g, "close MUSIC");
  bool loop = args.HasBytes("ループ"_sjv);
  std::string next = args.Next();
  std::string name = std::string(TextOf(a.midi_path)) + next + std::string(TextOf(g.script.ext_midi));
  if (ProbeFile(name) != PathKind::kFile) {
    ReportScriptError(g, "ＭＩＤＩファイルがありません"_sjv, next);
    return;
  }
  // Music plays from a copy, so the game's own file is never held open.
  if (ProbeFile(kMidiCopy) == PathKind::kFile) DeleteGameFile(kMidiCopy);
  CopyWholeFile(name, kMidiCopy);

  std::string open = "open \"" + MidiCopyName(g) + "\" type sequencer alias MUSIC";
  int code = SendMci(g, open);
  if (code != 0) {
    ReportScriptError(g, open, ErrorTextOf(g, code));
    return;
  }
  code = SendMci(g, "play MUSIC from 0");
  if (code != 0) ReportScriptError(g, "ＭＩＤＩでトラブルが発生しました。"_sjv, ErrorTextOf(g, code));
  if (loop) a.midi_loop = 1;
}

void PollSoundDevices(Game& g) {
  AudioState& a = g.audio;
  if (a.wave_open && DeviceStopped(g, "status wsnd mode")) {
    SendMci(g, "close wsnd");
    a.wave_open = 0;
  }
  if (a.cd_playing && DeviceStopped(g, "status cdaudio mode")) {
    if (a.cd_loop) {
      PlayCdTrack(g, a.cd_track, "play cdaudio from %lld");
    } else {
      SendMci(g, "close cdaudio");
      a.cd_playing = 0;
    }
  }
  // Restarts the loop only when the player is idle: a hover or typing sound
  // on the same player interrupts it until that sound ends.
  if (a.sound_loop) g.platform->Audio().PlaySound(a.loop_sound_path, kSndAsync | kSndLoop | kSndNoStop);
  if (a.midi_loop && DeviceStopped(g, "status MUSIC mode")) {
    SendMci(g, "close MUSIC");
    if (ProbeFile(kMidiCopy) == PathKind::kFile) {
      SendMci(g, "open \"" + MidiCopyName(g) + "\" type sequencer alias MUSIC");
      SendMci(g, "play MUSIC from 0");
    }
  }
}

int CountWaveOutDevices(Game& g) { return g.platform->WaveOutDeviceCount(); }

void StopAllSound(Game& g) {
  StopWavePlayer(g);
  SendMci(g, "close wsnd");
  SendMci(g, "stop cdaudio");
  SendMci(g, "close cdaudio");
  SendMci(g, "close MUSIC");
}

void ResetSound(Game& g) {
  StopWavePlayer(g);
  SendMci(g, "close wsnd");
  SendMci(g, "stop cdaudio");
  SendMci(g, "close cdaudio");
  AudioState& a = g.audio;
  a.sound_loop = 0;
  a.wave_open = 0;
  a.cd_loop = 0;
  a.cd_track = 0;
  a.cd_playing = 0;
}

void PlayHoverSound(Game& g, const char* name) {
  std::string path = WaveName(g, name);
  g.platform->Audio().PlaySound(path.c_str(), kSndAsync);
}

}  // namespace piko
