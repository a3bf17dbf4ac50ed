#include "script/keyword_table.h"

#include <algorithm>
#include <iterator>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/sjis.h"
#include "gfx/gfx_commands.h"
#include "shell/game.h"
#include "audio/audio_commands.h"
#include "choice/choice_commands.h"
#include "text/text_commands.h"
#include "vars/vars_commands.h"
#include "save/save_commands.h"
#include "script/script_commands.h"
#include "movie/movie_commands.h"
#include "typing/typing_commands.h"
#include "shell/shell_commands.h"

namespace piko {

namespace {

// Characters compared as wholes; what they are does not matter.
std::u32string CodePoints(const std::string& utf8) {
  std::u32string out;
  for (size_t p = 0; p < utf8.size();) {
    unsigned char c = static_cast<unsigned char>(utf8[p]);
    size_t n = std::min(c >= 0xF0 ? size_t{4} : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1, utf8.size() - p);
    char32_t cp = 0;
    for (size_t i = 0; i < n; ++i) cp = cp << 8 | static_cast<unsigned char>(utf8[p + i]);
    out.push_back(cp);
    p += n;
  }
  return out;
}

#define PIKO_ROW(row, keyword, handler) \
  { row, keyword, handler, nullptr, 0, #handler }
// The handler takes the row's argument in its own type (an enum or an int).
#define PIKO_ROW_ARG(row, keyword, handler, arg)                                                                     \
  {                                                                                                                  \
    row, keyword, nullptr, [](Game& g, int a) { handler(g, static_cast<decltype(arg)>(a)); }, static_cast<int>(arg), \
        #handler                                                                                                     \
  }

constexpr KeywordEntry kTable[] = {
    PIKO_ROW(1, "＃分岐範囲"_sj, BranchOnRanges),
    PIKO_ROW(2, "＃分岐最大"_sj, BranchOnMaximum),
    PIKO_ROW(3, "＃分岐文字"_sj, BranchOnString),
    PIKO_ROW(4, "＃ラベル"_sj, PassLabel),
    PIKO_ROW(5, "＃ＧＯ"_sj, JumpToLabel),
    PIKO_ROW(5, "＃GO"_sj, JumpToLabel),
    PIKO_ROW(6, nullptr, AssignVariable),
    PIKO_ROW(7, "＃時間待ち"_sj, StartTimeWait),
    PIKO_ROW(8, "＃絵のパス"_sj, SetPicturePath),
    PIKO_ROW(8, "＃音のパス"_sj, SetSoundPath),
    PIKO_ROW(8, "＃シナリオのパス"_sj, SetScenarioPath),
    PIKO_ROW(9, "＃絵オフ"_sj, HideBackground),
    PIKO_ROW(10, "＃人物オフ"_sj, HidePerson),
    PIKO_ROW(11, "＃人物アニメオフ"_sj, StopPersonAnimation),
    PIKO_ROW(12, "＃前景オフ"_sj, HideForeground),
    PIKO_ROW(13, "＃前景アニメオフ"_sj, StopForegroundAnimation),
    PIKO_ROW_ARG(14, "＃部分絵１オフ"_sj, HidePartialPicture, PartialId::kPicture1),
    PIKO_ROW_ARG(14, "＃部分絵1オフ"_sj, HidePartialPicture, PartialId::kPicture1),
    PIKO_ROW_ARG(15, "＃部分アニメ絵１オフ"_sj, StopPartialAnimation, PartialId::kPicture1),
    PIKO_ROW_ARG(15, "＃部分アニメ絵1オフ"_sj, StopPartialAnimation, PartialId::kPicture1),
    PIKO_ROW_ARG(16, "＃部分絵２オフ"_sj, HidePartialPicture, PartialId::kPicture2),
    PIKO_ROW_ARG(16, "＃部分絵2オフ"_sj, HidePartialPicture, PartialId::kPicture2),
    PIKO_ROW_ARG(17, "＃部分アニメ絵２オフ"_sj, StopPartialAnimation, PartialId::kPicture2),
    PIKO_ROW_ARG(17, "＃部分アニメ絵2オフ"_sj, StopPartialAnimation, PartialId::kPicture2),
    PIKO_ROW_ARG(18, "＃部分人物１オフ"_sj, HidePartialPicture, PartialId::kPerson1),
    PIKO_ROW_ARG(18, "＃部分人物1オフ"_sj, HidePartialPicture, PartialId::kPerson1),
    PIKO_ROW_ARG(19, "＃部分アニメ人物１オフ"_sj, StopPartialAnimation, PartialId::kPerson1),
    PIKO_ROW_ARG(19, "＃部分アニメ人物1オフ"_sj, StopPartialAnimation, PartialId::kPerson1),
    PIKO_ROW_ARG(20, "＃部分人物２オフ"_sj, HidePartialPicture, PartialId::kPerson2),
    PIKO_ROW_ARG(20, "＃部分人物2オフ"_sj, HidePartialPicture, PartialId::kPerson2),
    PIKO_ROW_ARG(21, "＃部分アニメ人物２オフ"_sj, StopPartialAnimation, PartialId::kPerson2),
    PIKO_ROW_ARG(21, "＃部分アニメ人物2オフ"_sj, StopPartialAnimation, PartialId::kPerson2),
    PIKO_ROW(22, "＃最前景オフ"_sj, HideTopLayer),
    PIKO_ROW(23, "＃文章オフ"_sj, HideNarration),
    PIKO_ROW(24, "＃変数表示オフ"_sj, HideVariableDisplay),
    PIKO_ROW(25, "＃セリフオフ"_sj, HideDialogueWindow),
    PIKO_ROW(26, "＃セリフ半透明"_sj, SetDialogueTranslucency),
    PIKO_ROW(27, "＃セリフ位置"_sj, SetDialoguePosition),
    PIKO_ROW(28, "＃セリフ枠"_sj, SetDialogueFrame),
    PIKO_ROW(29, "＃セリフ"_sj, OpenDialogueBlock),
    PIKO_ROW(30, "＃文章半透明オン"_sj, SetNarrationVeil),
    PIKO_ROW(30, "＃文章半透明オフ"_sj, SetNarrationVeil),
    PIKO_ROW(31, "＃文章"_sj, OpenNarrationBlock),
    PIKO_ROW(32, "＃変数宣言文字"_sj, OpenStringDeclarations),
    PIKO_ROW(33, "＃変数宣言"_sj, OpenNumericDeclarations),
    PIKO_ROW(34, "＃ランダム"_sj, DrawRandomNumber),
    PIKO_ROW(35, "＃変数表示位置"_sj, SetVariableDisplayPosition),
    PIKO_ROW(36, "＃変数表示フォント"_sj, SetVariableDisplayFont),
    PIKO_ROW(37, "＃変数表示"_sj, ShowVariableDisplay),
    PIKO_ROW(38, "＃切り直し"_sj, ShuffleIntoArray),
    PIKO_ROW_ARG(39, "＃絵裏画面"_sj, LoadBackScreenLayer, 1),
    PIKO_ROW_ARG(39, "＃人物裏画面"_sj, LoadBackScreenLayer, 2),
    PIKO_ROW_ARG(39, "＃前景裏画面"_sj, LoadBackScreenLayer, 3),
    PIKO_ROW_ARG(39, "＃最前景裏画面"_sj, LoadBackScreenLayer, 4),
    PIKO_ROW(40, "＃選択裏画面"_sj, OpenPictureChoice),
    PIKO_ROW(41, "＃選択位置"_sj, SetChoicePosition),
    PIKO_ROW(42, "＃選択枠"_sj, SetChoiceFrame),
    PIKO_ROW(43, "＃選択フォント"_sj, SetChoiceFont),
    PIKO_ROW(44, "＃選択反転色"_sj, SetChoiceHighlightColour),
    PIKO_ROW(45, "＃選択"_sj, OpenChoiceMenu),
    PIKO_ROW(46, "＃セーブ"_sj, SaveGameCommand),
    PIKO_ROW(47, "＃ロード"_sj, LoadGameCommand),
    PIKO_ROW(48, "＃音設定"_sj, ConfigureSound),
    PIKO_ROW(49, "＃音ループ"_sj, PlayLoopedSound),
    PIKO_ROW(50, "＃音止め"_sj, StopSounds),
    PIKO_ROW(51, "＃音"_sj, PlaySound),
    PIKO_ROW(52, "＃ＣＤ止め"_sj, StopCdAudio),
    PIKO_ROW(52, "＃CD止め"_sj, StopCdAudio),
    PIKO_ROW(53, "＃ＣＤ"_sj, PlayCdAudio),
    PIKO_ROW(53, "＃CD"_sj, PlayCdAudio),
    PIKO_ROW(54, "＃ＭＩＤＩ"_sj, PlayMidi),
    PIKO_ROW(54, "＃MIDI"_sj, PlayMidi),
    PIKO_ROW(55, "＃ＭＰ３"_sj, PlayMp3),
    PIKO_ROW(55, "＃MP3"_sj, PlayMp3),
    PIKO_ROW(55, "＃ＭＰ3"_sj, PlayMp3),
    PIKO_ROW_ARG(56, "＃人物半透明"_sj, SetLayerTranslucency, LayerId::kPerson),
    PIKO_ROW_ARG(56, "＃前景半透明"_sj, SetLayerTranslucency, LayerId::kForeground),
    PIKO_ROW_ARG(56, "＃最前景半透明"_sj, SetLayerTranslucency, LayerId::kTop),
    PIKO_ROW(57, "＃人物アニメ準備"_sj, PreparePersonAnimation),
    PIKO_ROW(58, "＃人物アニメオン"_sj, StartPersonAnimation),
    PIKO_ROW(59, "＃前景アニメ準備"_sj, PrepareForegroundAnimation),
    PIKO_ROW(60, "＃前景アニメオン"_sj, StartForegroundAnimation),
    PIKO_ROW_ARG(61, "＃部分アニメ絵１"_sj, StartPartialAnimation, PartialId::kPicture1),
    PIKO_ROW_ARG(61, "＃部分アニメ絵1"_sj, StartPartialAnimation, PartialId::kPicture1),
    PIKO_ROW_ARG(61, "＃部分アニメ絵２"_sj, StartPartialAnimation, PartialId::kPicture2),
    PIKO_ROW_ARG(61, "＃部分アニメ絵2"_sj, StartPartialAnimation, PartialId::kPicture2),
    PIKO_ROW_ARG(61, "＃部分アニメ人物１"_sj, StartPartialAnimation, PartialId::kPerson1),
    PIKO_ROW_ARG(61, "＃部分アニメ人物1"_sj, StartPartialAnimation, PartialId::kPerson1),
    PIKO_ROW_ARG(61, "＃部分アニメ人物２"_sj, StartPartialAnimation, PartialId::kPerson2),
    PIKO_ROW_ARG(61, "＃部分アニメ人物2"_sj, StartPartialAnimation, PartialId::kPerson2),
    PIKO_ROW_ARG(62, "＃絵オーバーラップ"_sj, StartOverlap, LayerId::kBackground),
    PIKO_ROW_ARG(62, "＃人物オーバーラップ"_sj, StartOverlap, LayerId::kPerson),
    PIKO_ROW_ARG(62, "＃前景オーバーラップ"_sj, StartOverlap, LayerId::kForeground),
    PIKO_ROW_ARG(62, "＃最前景オーバーラップ"_sj, StartOverlap, LayerId::kTop),
    PIKO_ROW_ARG(62, "＃全オーバーラップ"_sj, StartOverlap, LayerId::kCount),
    PIKO_ROW_ARG(63, "＃絵スクロール"_sj, StartScroll, LayerId::kBackground),
    PIKO_ROW_ARG(63, "＃人物スクロール"_sj, StartScroll, LayerId::kPerson),
    PIKO_ROW_ARG(63, "＃前景スクロール"_sj, StartScroll, LayerId::kForeground),
    PIKO_ROW(64, "＃絵"_sj, ShowBackground),
    PIKO_ROW(65, "＃人物"_sj, ShowPerson),
    PIKO_ROW(66, "＃前景"_sj, ShowForeground),
    PIKO_ROW(67, "＃最前景"_sj, ShowTopPicture),
    PIKO_ROW_ARG(68, "＃部分絵１"_sj, ShowPartialPicture, PartialId::kPicture1),
    PIKO_ROW_ARG(68, "＃部分絵1"_sj, ShowPartialPicture, PartialId::kPicture1),
    PIKO_ROW_ARG(68, "＃部分絵２"_sj, ShowPartialPicture, PartialId::kPicture2),
    PIKO_ROW_ARG(68, "＃部分絵2"_sj, ShowPartialPicture, PartialId::kPicture2),
    PIKO_ROW_ARG(68, "＃部分人物１"_sj, ShowPartialPicture, PartialId::kPerson1),
    PIKO_ROW_ARG(68, "＃部分人物1"_sj, ShowPartialPicture, PartialId::kPerson1),
    PIKO_ROW_ARG(68, "＃部分人物２"_sj, ShowPartialPicture, PartialId::kPerson2),
    PIKO_ROW_ARG(68, "＃部分人物2"_sj, ShowPartialPicture, PartialId::kPerson2),
    PIKO_ROW_ARG(69, "＃フェードアウト"_sj, StartFade, FadeDirection::kOut),
    PIKO_ROW_ARG(69, "＃フェードイン"_sj, StartFade, FadeDirection::kIn),
    PIKO_ROW(70, "＃別シナリオ"_sj, CallSubScenario),
    PIKO_ROW(71, "＃右クリックシナリオ"_sj, RegisterRightClickScenario),
    PIKO_ROW(72, "＃一文字"_sj, SetOneCharacterDisplay),
    PIKO_ROW(72, "＃１文字"_sj, SetOneCharacterDisplay),
    PIKO_ROW(72, "＃1文字"_sj, SetOneCharacterDisplay),
    PIKO_ROW(73, "＃フォント"_sj, SetTextFont),
    PIKO_ROW(74, "＃0"_sj, SkipChoiceTarget),
    PIKO_ROW(74, "＃1"_sj, SkipChoiceTarget),
    PIKO_ROW(74, "＃2"_sj, SkipChoiceTarget),
    PIKO_ROW(74, "＃3"_sj, SkipChoiceTarget),
    PIKO_ROW(74, "＃4"_sj, SkipChoiceTarget),
    PIKO_ROW(74, "＃5"_sj, SkipChoiceTarget),
    PIKO_ROW(74, "＃6"_sj, SkipChoiceTarget),
    PIKO_ROW(74, "＃7"_sj, SkipChoiceTarget),
    PIKO_ROW(74, "＃8"_sj, SkipChoiceTarget),
    PIKO_ROW(74, "＃9"_sj, SkipChoiceTarget),
    PIKO_ROW(75, "＃＃＃＃"_sj, PassBlockEnd),
    PIKO_ROW(76, "＃半透明"_sj, SetTranslucency),
    PIKO_ROW(77, "＃終了"_sj, QuitGame),
    PIKO_ROW(78, "＃マスクＲＧＢ"_sj, SetMaskColour),
    PIKO_ROW(79, "＃アニメスピード"_sj, SetAnimationSpeed),
    PIKO_ROW(80, "＃マシンチェック"_sj, RunMachineCheck),
    PIKO_ROW(81, "＃クリックマーク"_sj, SetClickMark),
    PIKO_ROW(82, "＃ワイプ"_sj, StartWipe),
    PIKO_ROW(83, "＃クリック位置"_sj, WaitForClickPosition),
    PIKO_ROW(84, "＃スキップ"_sj, SetSkip),
    PIKO_ROW(85, "＃エラー"_sj, SetErrorReports),
    PIKO_ROW(86, "＃疑似カーソル"_sj, SetPseudoCursor),
    PIKO_ROW(86, "＃擬似カーソル"_sj, SetPseudoCursor),
    PIKO_ROW(87, "＃ムービー"_sj, PlayMovie),
    PIKO_ROW(88, "＃タイピング"_sj, StartTypingGame),
    PIKO_ROW(89, "＃ポポテスト"_sj, AcceptPopoTest),
};

#undef PIKO_ROW
#undef PIKO_ROW_ARG

}  // namespace

std::span<const KeywordEntry> KeywordTable() { return kTable; }

void RunCommand(Game& g, const KeywordEntry& entry) {
  if (entry.handler_with_arg) {
    entry.handler_with_arg(g, entry.arg);
  } else {
    entry.handler(g);
  }
}

namespace {

uint32_t FirstFourBytes(std::string_view text) {
  return static_cast<uint32_t>(static_cast<unsigned char>(text[0])) << 24 |
         static_cast<uint32_t>(static_cast<unsigned char>(text[1])) << 16 |
         static_cast<uint32_t>(static_cast<unsigned char>(text[2])) << 8 |
         static_cast<uint32_t>(static_cast<unsigned char>(text[3]));
}

// The rows a line can match, by its first four bytes, each list in table
// order: the rows of keywords with those bytes, the assignment row and the
// rows of keywords shorter than four bytes.
struct KeywordIndex {
  std::unordered_map<uint32_t, std::vector<uint16_t>> by_prefix;
  std::vector<uint16_t> always;

  KeywordIndex() {
    for (uint16_t i = 0; i < std::size(kTable); ++i) {
      if (!kTable[i].keyword || std::string_view(kTable[i].keyword).size() < 4) always.push_back(i);
    }
    for (uint16_t i = 0; i < std::size(kTable); ++i) {
      if (kTable[i].keyword && std::string_view(kTable[i].keyword).size() >= 4) {
        by_prefix[FirstFourBytes(kTable[i].keyword)].push_back(i);
      }
    }
    for (auto& [prefix, rows] : by_prefix) {
      rows.insert(rows.end(), always.begin(), always.end());
      std::sort(rows.begin(), rows.end());
    }
  }
};

}  // namespace

const KeywordEntry* FindKeyword(std::string_view line) {
  static const KeywordIndex index;
  const std::vector<uint16_t>* rows = &index.always;
  if (line.size() >= 4) {
    auto it = index.by_prefix.find(FirstFourBytes(line));
    if (it != index.by_prefix.end()) rows = &it->second;
  }
  for (uint16_t i : *rows) {
    const KeywordEntry& e = kTable[i];
    if (e.keyword == nullptr) {
      if (FindText(line, "＝"_sjv) >= 0) return &e;
    } else if (BeginsWith(line, e.keyword)) {
      return &e;
    }
  }
  return nullptr;
}

// Every script error asks this, so the keywords are split once and one
// edit-distance table per keyword serves every prefix length of the line.
const KeywordEntry* NearestKeyword(std::string_view line) {
  static const std::vector<std::u32string> keywords = [] {
    std::vector<std::u32string> out;
    for (const KeywordEntry& e : KeywordTable()) out.push_back(e.keyword ? CodePoints(Utf8FromSjis(e.keyword)) : U"");
    return out;
  }();
  // No keyword is near 64 bytes long: the rest of the line cannot count.
  std::u32string chars = CodePoints(Utf8FromSjis(line.substr(0, 64)));
  const KeywordEntry* best = nullptr;
  size_t best_distance = 3;
  std::vector<size_t> row;
  size_t index = 0;
  for (const KeywordEntry& e : KeywordTable()) {
    const std::u32string& k = keywords[index++];
    if (!e.keyword || e.row == 74 || e.row == 75) continue;
    size_t allowed = k.size() <= 4 ? 1 : 2;
    size_t shortest = k.size() > 1 ? k.size() - 1 : 1;
    size_t longest = std::min(k.size() + 1, chars.size());
    // Row n holds the distances from the line's first n characters to each
    // prefix of the keyword.
    row.resize(k.size() + 1);
    for (size_t j = 0; j <= k.size(); ++j) row[j] = j;
    for (size_t n = 1; n <= longest; ++n) {
      size_t diag = row[0];
      row[0] = n;
      for (size_t j = 1; j <= k.size(); ++j) {
        size_t up = row[j];
        row[j] = std::min({row[j] + 1, row[j - 1] + 1, diag + (chars[n - 1] == k[j - 1] ? 0 : 1)});
        diag = up;
      }
      size_t d = row[k.size()];
      if (n >= shortest && d <= allowed && d < best_distance) {
        best = &e;
        best_distance = d;
      }
    }
  }
  return best;
}

}  // namespace piko
