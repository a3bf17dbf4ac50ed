// The dialogue font, the face rule of the font commands, and the fonts a
// game brings in its "pikofont" folder.
#include <string>
#include <vector>

#include "base/fixed_text.h"
#include "base/sjis.h"
#include "platform/files.h"
#include "script/args.h"
#include "shell/game.h"
#include "text/text_commands.h"

namespace piko {

namespace {

constexpr std::string_view kFontFolder = "pikofont";

void ShowBox(Game& g, std::string_view text) { ShowGameMessage(g, text, MessageBoxKind::kOk); }

bool EndsWithIgnoringCase(std::string_view name, std::string_view ending) {
  if (name.size() < ending.size()) return false;
  std::string_view tail = name.substr(name.size() - ending.size());
  for (size_t i = 0; i < tail.size(); ++i) {
    char c = tail[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    if (c != ending[i]) return false;
  }
  return true;
}

// A name of more than four bytes ending in a font extension.
bool IsFontFileName(std::string_view name) {
  if (name.size() <= 4) return false;
  return EndsWithIgnoringCase(name, ".ttf") || EndsWithIgnoringCase(name, ".ttc") || EndsWithIgnoringCase(name, ".fon");
}

// The path as the old player handed it to Windows, trailing blank and all.
std::string FontPath(std::string_view name) {
  std::string path(kFontFolder);
  path += '\\';
  path += name;
  path += ' ';
  return path;
}

}  // namespace

int ChooseFace(std::string_view spec_line, char (&face)[kFaceNameBytes]) {
  if (spec_line.empty()) return 0;
  bool fixed = FindText(spec_line, "固定"_sjv) >= 0;
  if (BeginsWith(spec_line, "ゴシック"_sjv)) {
    CopyText(face, fixed ? "ＭＳ ゴシック"_sjv : "ＭＳ Ｐゴシック"_sjv);
    return 1;
  }
  if (BeginsWith(spec_line, "明朝"_sjv)) {
    CopyText(face, fixed ? "ＭＳ 明朝"_sjv : "ＭＳ Ｐ明朝"_sjv);
    return 1;
  }
  CopyText(face, spec_line);
  return 2;
}

bool ReplaceFont(Game& g, int* font, std::string_view face, int height, std::string_view fallback_face) {
  TextRenderer& text = g.platform->Text();
  if (*font > kDefaultFont) text.DeleteFont(*font);
  *font = text.CreateFont(face, height);
  if (*font >= 0) return true;
  *font = text.CreateFont(fallback_face, height);
  return false;
}

void CreateTextFont(Game& g) {
  TextState& t = g.text;
  ReplaceFont(g, &t.text_font, TextOf(t.dialogue_face), t.font_size, "ＭＳ Ｐゴシック"_sjv);
}

void DeleteTextFont(Game& g) {
  TextState& t = g.text;
  if (t.text_font > kDefaultFont) g.platform->Text().DeleteFont(t.text_font);
  t.text_font = -1;
}

void SetTextFont(Game& g) {
  TextState& t = g.text;
  std::string spec = Args(g).Next();
  switch (ChooseFace(spec, t.dialogue_face)) {
    case 0:
      ReportScriptError(g, "＃フォントの指定がありません"_sjv, ""_sjv);
      return;
    case 1:
      return;  // the font follows at the next style line
    default:
      break;
  }
  if (!ReplaceFont(g, &t.text_font, TextOf(t.dialogue_face), t.font_size, ""_sjv)) {
    ReportScriptError(g, "フォント指定が間違っています"_sjv, TextOf(t.dialogue_face));
  }
}

void InstallFontFolder(Game& g) {
  TextState& t = g.text;
  t.font_file_count = 0;
  t.fonts_registered = 0;
  if (ProbeFile(kFontFolder) != PathKind::kFolder) return;
  std::vector<FolderEntry> entries;
  if (!ListGameFolder(kFontFolder, &entries)) return;

  for (size_t i = 0; i < entries.size(); ++i) {
    const FolderEntry& e = entries[i];
    if (e.is_folder) {
      if (e.name == "." || e.name == "..") continue;
      // The first entry and the later ones each had their own wording.
      std::string box;
      box = i == 0 ? "●フォントフォルダでのミス\n\n「pikofont」内にはフォルダを作らないで下さい\n「"_sjv
                   : "●フォントフォルダでのミス\n\n「pikofont」内にはフォルダを作らないでください\n「"_sjv;
      box += e.name;
      box += "」"_sjv;
      ShowBox(g, box);
      continue;
    }
    if (!IsFontFileName(e.name)) {
      std::string box;
      box = "●フォントファイルでのミス\n\n「"_sjv;
      box += e.name;
      box += "」は\nフォントファイルではありません"_sjv;
      ShowBox(g, box);
      continue;
    }
    if (t.font_file_count == kMaxFontFiles) {
      ShowBox(
          g,
          "●フォントフォルダでのミス\n\nフォントファイルが２０を超えました\n安全のためフォントの登録を中止します"_sjv);
      t.font_file_count = 0;
      return;
    }
    CopyText(t.font_files[t.font_file_count++], e.name);
  }

  TextRenderer& text = g.platform->Text();
  for (int i = 0; i < t.font_file_count; ++i) {
    std::string_view name = TextOf(t.font_files[i]);
    if (text.AddFontResource(FontPath(name)) == 0) {
      std::string box(name);
      box += " のフォント組み込みに失敗しました"_sjv;
      ShowBox(g, box);
    }
  }
  t.fonts_registered = 1;
}

void UninstallFontFolder(Game& g) {
  TextState& t = g.text;
  if (t.font_file_count > 0) {
    TextRenderer& text = g.platform->Text();
    for (int i = 0; i < t.font_file_count; ++i) text.RemoveFontResource(FontPath(TextOf(t.font_files[i])));
  }
  t.font_file_count = 0;
  t.fonts_registered = 0;
}

}  // namespace piko
