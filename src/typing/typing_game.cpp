// The typing game: "＃タイピング" converts a hiragana text into keys, shows
// a panel with the question and the keys, and waits until every key has
// been typed (or the time limit passes); each right key turns red.
#include <algorithm>
#include <cstdio>
#include <string>

#include "base/fixed_text.h"
#include "base/sjis.h"
#include "gfx/blend.h"
#include "gfx/surface_copy.h"
#include "platform/audio.h"
#include "platform/files.h"
#include "platform/keyboard.h"
#include "script/args.h"
#include "shell/game.h"
#include "typing/typing_commands.h"

namespace piko {

namespace {

constexpr int kFontHeight = 40;
constexpr int kKeysRowY = 66;
// A sound file larger than this is played from its file, as when memory
// for it was short.
constexpr long kMaxSoundImageBytes = 32L << 20;
// Stands for a small "っ" until the letter after it is known.
constexpr char kDoubleMark = '\x01';

struct Romaji {
  const char* kana;  // one or two characters, CP932
  const char* keys;
};

// Tried in order at each character: two-character entries before any
// one-character entry with the same first character.
constexpr Romaji kRomaji[] = {
    {"てゃ"_sj, "tha"}, {"てぃ"_sj, "thi"}, {"てゅ"_sj, "thu"}, {"てぇ"_sj, "the"}, {"てょ"_sj, "tho"},
    {"ふぁ"_sj, "fa"},  {"ふぃ"_sj, "fi"},  {"ふぇ"_sj, "fe"},  {"ふぉ"_sj, "fo"},  {"ヴぁ"_sj, "va"},
    {"ヴぃ"_sj, "vi"},  {"ヴぇ"_sj, "ve"},  {"ヴぉ"_sj, "vo"},  {"いぇ"_sj, "ye"},  {"うぃ"_sj, "wi"},
    {"うぇ"_sj, "we"},  {"ふ"_sj, "fu"},    {"ヴ"_sj, "vu"},    {"か"_sj, "ka"},    {"き"_sj, "ki"},
    {"く"_sj, "ku"},    {"け"_sj, "ke"},    {"こ"_sj, "ko"},    {"さ"_sj, "sa"},    {"し"_sj, "si"},
    {"す"_sj, "su"},    {"せ"_sj, "se"},    {"そ"_sj, "so"},    {"た"_sj, "ta"},    {"ち"_sj, "ti"},
    {"つ"_sj, "tu"},    {"て"_sj, "te"},    {"と"_sj, "to"},    {"な"_sj, "na"},    {"に"_sj, "ni"},
    {"ぬ"_sj, "nu"},    {"ね"_sj, "ne"},    {"の"_sj, "no"},    {"は"_sj, "ha"},    {"ひ"_sj, "hi"},
    {"へ"_sj, "he"},    {"ほ"_sj, "ho"},    {"ま"_sj, "ma"},    {"み"_sj, "mi"},    {"む"_sj, "mu"},
    {"め"_sj, "me"},    {"も"_sj, "mo"},    {"や"_sj, "ya"},    {"ゆ"_sj, "yu"},    {"よ"_sj, "yo"},
    {"ら"_sj, "ra"},    {"り"_sj, "ri"},    {"る"_sj, "ru"},    {"れ"_sj, "re"},    {"ろ"_sj, "ro"},
    {"わ"_sj, "wa"},    {"を"_sj, "wo"},    {"あ"_sj, "a"},     {"い"_sj, "i"},     {"う"_sj, "u"},
    {"え"_sj, "e"},     {"お"_sj, "o"},     {"ん"_sj, "n"},     {"が"_sj, "ga"},    {"ぎ"_sj, "gi"},
    {"ぐ"_sj, "gu"},    {"げ"_sj, "ge"},    {"ご"_sj, "go"},    {"ざ"_sj, "za"},    {"じ"_sj, "zi"},
    {"ず"_sj, "zu"},    {"ぜ"_sj, "ze"},    {"ぞ"_sj, "zo"},    {"だ"_sj, "da"},    {"ぢ"_sj, "di"},
    {"づ"_sj, "du"},    {"で"_sj, "de"},    {"ど"_sj, "do"},    {"ば"_sj, "ba"},    {"び"_sj, "bi"},
    {"ぶ"_sj, "bu"},    {"べ"_sj, "be"},    {"ぼ"_sj, "bo"},    {"ぱ"_sj, "pa"},    {"ぴ"_sj, "pi"},
    {"ぷ"_sj, "pu"},    {"ぺ"_sj, "pe"},    {"ぽ"_sj, "po"},    {"ゃ"_sj, "ya"},    {"ゅ"_sj, "yu"},
    {"ょ"_sj, "yo"},    {"ぁ"_sj, "la"},    {"ぃ"_sj, "li"},    {"ぅ"_sj, "lu"},    {"ぇ"_sj, "le"},
    {"ぉ"_sj, "lo"},    {"っ"_sj, "\x01"},  {"ー"_sj, "-"},
};

// Each hiragana as the half-width kana a Japanese keyboard types it with.
constexpr Romaji kKana[] = {
    {"あ"_sj, "ｱ"_sj},  {"い"_sj, "ｲ"_sj},  {"う"_sj, "ｳ"_sj},  {"え"_sj, "ｴ"_sj},  {"お"_sj, "ｵ"_sj},
    {"か"_sj, "ｶ"_sj},  {"き"_sj, "ｷ"_sj},  {"く"_sj, "ｸ"_sj},  {"け"_sj, "ｹ"_sj},  {"こ"_sj, "ｺ"_sj},
    {"さ"_sj, "ｻ"_sj},  {"し"_sj, "ｼ"_sj},  {"す"_sj, "ｽ"_sj},  {"せ"_sj, "ｾ"_sj},  {"そ"_sj, "ｿ"_sj},
    {"た"_sj, "ﾀ"_sj},  {"ち"_sj, "ﾁ"_sj},  {"つ"_sj, "ﾂ"_sj},  {"て"_sj, "ﾃ"_sj},  {"と"_sj, "ﾄ"_sj},
    {"な"_sj, "ﾅ"_sj},  {"に"_sj, "ﾆ"_sj},  {"ぬ"_sj, "ﾇ"_sj},  {"ね"_sj, "ﾈ"_sj},  {"の"_sj, "ﾉ"_sj},
    {"は"_sj, "ﾊ"_sj},  {"ひ"_sj, "ﾋ"_sj},  {"ふ"_sj, "ﾌ"_sj},  {"へ"_sj, "ﾍ"_sj},  {"ほ"_sj, "ﾎ"_sj},
    {"ま"_sj, "ﾏ"_sj},  {"み"_sj, "ﾐ"_sj},  {"む"_sj, "ﾑ"_sj},  {"め"_sj, "ﾒ"_sj},  {"も"_sj, "ﾓ"_sj},
    {"や"_sj, "ﾔ"_sj},  {"ゆ"_sj, "ﾕ"_sj},  {"よ"_sj, "ﾖ"_sj},  {"ら"_sj, "ﾗ"_sj},  {"り"_sj, "ﾘ"_sj},
    {"る"_sj, "ﾙ"_sj},  {"れ"_sj, "ﾚ"_sj},  {"ろ"_sj, "ﾛ"_sj},  {"わ"_sj, "ﾜ"_sj},  {"を"_sj, "ｦ"_sj},
    {"ん"_sj, "ﾝ"_sj},  {"が"_sj, "ｶﾞ"_sj}, {"ぎ"_sj, "ｷﾞ"_sj}, {"ぐ"_sj, "ｸﾞ"_sj}, {"げ"_sj, "ｹﾞ"_sj},
    {"ご"_sj, "ｺﾞ"_sj}, {"ざ"_sj, "ｻﾞ"_sj}, {"じ"_sj, "ｼﾞ"_sj}, {"ず"_sj, "ｽﾞ"_sj}, {"ぜ"_sj, "ｾﾞ"_sj},
    {"ぞ"_sj, "ｿﾞ"_sj}, {"だ"_sj, "ﾀﾞ"_sj}, {"ぢ"_sj, "ﾁﾞ"_sj}, {"づ"_sj, "ﾂﾞ"_sj}, {"で"_sj, "ﾃﾞ"_sj},
    {"ど"_sj, "ﾄﾞ"_sj}, {"ば"_sj, "ﾊﾞ"_sj}, {"び"_sj, "ﾋﾞ"_sj}, {"ぶ"_sj, "ﾌﾞ"_sj}, {"べ"_sj, "ﾍﾞ"_sj},
    {"ぼ"_sj, "ﾎﾞ"_sj}, {"ぱ"_sj, "ﾊﾟ"_sj}, {"ぴ"_sj, "ﾋﾟ"_sj}, {"ぷ"_sj, "ﾌﾟ"_sj}, {"ぺ"_sj, "ﾍﾟ"_sj},
    {"ぽ"_sj, "ﾎﾟ"_sj}, {"ヴ"_sj, "ｳﾞ"_sj}, {"ぁ"_sj, "ｧ"_sj},  {"ぃ"_sj, "ｨ"_sj},  {"ぅ"_sj, "ｩ"_sj},
    {"ぇ"_sj, "ｪ"_sj},  {"ぉ"_sj, "ｫ"_sj},  {"ゃ"_sj, "ｬ"_sj},  {"ゅ"_sj, "ｭ"_sj},  {"ょ"_sj, "ｮ"_sj},
    {"っ"_sj, "ｯ"_sj},  {"ー"_sj, "ｰ"_sj},
};

// Full-width letters and digits type as their ASCII keys in both styles.
char WideAlphanumeric(std::string_view c) {
  if (c.size() != 2 || static_cast<unsigned char>(c[0]) != 0x82) return 0;
  int code = static_cast<unsigned char>(c[1]);
  if (code >= 0x4F && code <= 0x58) return static_cast<char>('0' + code - 0x4F);
  if (code >= 0x60 && code <= 0x79) return static_cast<char>('a' + code - 0x60);
  if (code >= 0x81 && code <= 0x9A) return static_cast<char>('a' + code - 0x81);
  return 0;
}

// The small "っ" doubles the letter after it; before another or at the end
// it is typed on its own.
void ResolveDoubleMarks(std::string* keys) {
  std::string out;
  for (size_t i = 0; i < keys->size(); ++i) {
    char c = (*keys)[i];
    if (c != kDoubleMark) {
      out.push_back(c);
    } else if (i + 1 < keys->size() && (*keys)[i + 1] != kDoubleMark) {
      out.push_back((*keys)[i + 1]);
    } else {
      out += "ltu";
    }
  }
  *keys = std::move(out);
}

void LoadSound(Game& g, Args& args, TypingSound& sound) {
  TypingState& t = g.typing;
  std::string name = args.Next();
  std::string path = std::string(TextOf(g.script.sound_path)) + name + std::string(TextOf(g.script.ext_wave));
  if (ProbeFile(path) != PathKind::kFile) return ReportScriptError(g, "タイプ音のファイルがありません"_sjv, name);
  t.memory_short = false;
  CopyText(sound.file, path);
  FILE* f = OpenGameFile(path, "rb");
  if (!f) return ReportScriptError(g, "ファイルが開けませんでした"_sjv, name);
  long size = -1;
  if (std::fseek(f, 0, SEEK_END) == 0) size = std::ftell(f);
  std::rewind(f);
  sound.set = true;
  sound.image.reset();
  if (size >= 0 && size <= kMaxSoundImageBytes) {
    auto image = std::make_shared<std::vector<uint8_t>>(static_cast<size_t>(size));
    image->resize(std::fread(image->data(), 1, image->size(), f));
    sound.image = std::move(image);
  }
  std::fclose(f);
  if (size < 0 || size > kMaxSoundImageBytes) {
    t.memory_short = true;
    ReportScriptError(g, "＃タイプ音でメモリ不足がおきました。"_sjv, "メモリの確保をお勧めします"_sjv);
  }
}

// The key and miss sounds play from their images, or from their files
// through the simple wave player when memory was short. A sound without an
// image (memory was short when it was loaded, not for the last one) plays
// from its file too rather than from nothing.
void PlayTypingSound(Game& g, const TypingSound& sound) {
  if (g.typing.memory_short || !sound.image) {
    g.platform->Audio().PlaySound(sound.file, kSndAsync);
  } else {
    PlayWaveImage(g, sound.image);
  }
}

void LayOutPanel(Game& g) {
  TypingState& t = g.typing;
  TextRenderer& text = g.platform->Text();
  if (t.font > kDefaultFont) text.DeleteFont(t.font);
  t.font = text.CreateFont(TextOf(t.typing_face), kFontHeight);
  if (t.font < 0) t.font = text.CreateFont("ＭＳ ゴシック"_sjv, kFontHeight);
  int w1 = 0, w2 = 0, h = 0;
  text.MeasureText(TextOf(t.question), t.font, &w1, &h);
  text.MeasureText(t.keys, t.font, &w2, &h);
  t.panel_w = std::max(w1, w2) + 20;
  t.panel_h = 2 * kFontHeight + 36;
  t.panel_x = (kScreenWidth - t.panel_w) / 2;
  t.panel_y = (kScreenHeight - t.panel_h) / 2;
  t.question_x = (t.panel_w - w1) / 2;
  t.keys_x = (t.panel_w - w2) / 2;
  Surface& surface = g.gfx.surfaces[ChoiceTextSurface];
  ClearToWhite(g, surface);
  TextColours yellow{PixelFromRgb(g, 255, 255, 0), PixelFromRgb(g, 255, 255, 255), true};
  text.DrawText(surface, t.question_x, 10, TextOf(t.question), t.font, yellow);
}

void StartExercise(Game& g, Args& args) {
  TypingState& t = g.typing;
  std::string question = args.Next();
  if (question.empty()) return ReportScriptError(g, "タイピング問題がありません"_sjv, question);
  std::string text = args.Next();
  if (text.empty()) return ReportScriptError(g, "タイピングする文字がありません"_sjv, text);
  std::string keys;
  if (!ConvertTypingText(text, t.style, &keys)) {
    return ReportScriptError(g, "タイピング文字はひらがな指定してください"_sjv, text);
  }
  CopyText(t.question, question);
  t.keys = std::move(keys);
  t.position = 0;
  t.result_requested = 0;
  g.shell.waits[Wait::kTyping] = 1;
  LayOutPanel(g);
  if (args.Has("＃時間（"_sjv) && !ArmTimeLimit(g, args.Command())) return;
  if (args.Peek().empty()) return;
  std::string name = args.Next();
  int slot = find_numeric(g, name);
  if (slot < 0) return ReportScriptError(g, "該当する変数が宣言されていません"_sjv, name);
  t.result_slot = slot;
  t.result_requested = 1;
  t.start_tick = g.platform->clock().GetTickCount();
}

void StoreResult(Game& g, int32_t value) {
  TypingState& t = g.typing;
  if (!t.result_requested) return;
  t.result_requested = 0;
  if (t.result_slot >= 0 && t.result_slot < g.vars.numeric_count) g.vars.numeric_values[t.result_slot] = value;
  MarkVariableDisplayDirty(g);
}

}  // namespace

bool ConvertTypingText(std::string_view text, TypingStyle style, std::string* keys) {
  keys->clear();
  for (size_t i = 0; i < text.size();) {
    unsigned char lead = static_cast<unsigned char>(text[i]);
    if (!IsLeadByte(lead) || i + 1 >= text.size()) return false;
    std::string_view here = text.substr(i);
    if (char c = WideAlphanumeric(here.substr(0, 2))) {
      keys->push_back(c);
      i += 2;
      continue;
    }
    const Romaji* found = nullptr;
    if (style == TypingStyle::kRomaji) {
      for (const Romaji& r : kRomaji) {
        if (BeginsWith(here, r.kana)) {
          found = &r;
          break;
        }
      }
    } else {
      for (const Romaji& r : kKana) {
        if (here.substr(0, 2) == r.kana) {
          found = &r;
          break;
        }
      }
    }
    if (!found) return false;
    *keys += found->keys;
    i += std::string_view(found->kana).size();
  }
  ResolveDoubleMarks(keys);
  return true;
}

void StartTypingGame(Game& g) {
  Args args(g);
  if (args.Has("かな"_sjv)) {
    g.typing.style = TypingStyle::kKana;
  } else if (args.Has("ローマ"_sjv)) {
    g.typing.style = TypingStyle::kRomaji;
  } else if (BeginsWith(args.Command(), "＃タイピング音"_sjv)) {
    LoadSound(g, args, args.Has("ミス"_sjv) ? g.typing.miss_sound : g.typing.key_sound);
  } else {
    StartExercise(g, args);
  }
}

void TypeCharacter(Game& g, int code) {
  TypingState& t = g.typing;
  if (t.position >= t.keys.size()) return;
  int pressed = code >= 0x61 && code <= 0x7A ? code - 0x20 : code;
  int expected = VirtualKeyOf(static_cast<unsigned char>(t.keys[t.position]));
  if (pressed == expected) {
    if (t.key_sound.set) PlayTypingSound(g, t.key_sound);
    ++t.position;
  } else if (t.miss_sound.set) {
    PlayTypingSound(g, t.miss_sound);
  }
  if (t.position < t.keys.size()) return;
  g.shell.waits[Wait::kTyping] = 0;
  t.position = 0;
  StoreResult(g, static_cast<int32_t>(g.platform->clock().GetTickCount() - t.start_tick));
}

void DrawTypingGame(Game& g) {
  TypingState& t = g.typing;
  GfxState& d = g.gfx;
  if (d.translucency_enabled) {
    DarkenRect(&d.back_buffer, t.panel_x, t.panel_y, t.panel_w, t.panel_h, 2);
  } else {
    FillRect(g, d.back_buffer, std::max(t.panel_x, 0), std::max(t.panel_y, 0), std::min(t.panel_w, kScreenWidth),
             t.panel_h, 0, 0, 0);
  }
  Surface& surface = d.surfaces[ChoiceTextSurface];
  TextRenderer& text = g.platform->Text();
  TextColours white{PixelFromRgb(g, 247, 247, 247), PixelFromRgb(g, 255, 255, 255), true};
  TextColours red{PixelFromRgb(g, 255, 0, 0), PixelFromRgb(g, 255, 255, 255), true};
  text.DrawText(surface, t.keys_x, kKeysRowY, t.keys, t.font, white);
  if (t.position > 0)
    text.DrawText(surface, t.keys_x, kKeysRowY, std::string_view(t.keys).substr(0, t.position), t.font, red);
  CopyRect(&d.back_buffer, t.panel_x, t.panel_y, surface, 0, 0, t.panel_w, t.panel_h, true);
}

void TypingTimeLimitTick(Game& g) {
  g.shell.waits[Wait::kTyping] = 0;
  g.choice.timed_choice_running = 0;
  StoreResult(g, g.choice.time_limit);
}

void FreeTypingSounds(Game& g) {
  TypingState& t = g.typing;
  CloseTypingWavePlayer(g);
  t.key_sound.image.reset();
  t.miss_sound.image.reset();
  if (t.font > kDefaultFont) g.platform->Text().DeleteFont(t.font);
  t.font = -1;
}

}  // namespace piko
