// Loads arbitrary bytes as a save file into a game that declared its
// variables, restoring the position or not, plain or scrambled, and saves
// what it loaded again. The first byte picks the form; with its lowest bit set
// the rest edits a good save line by line (index byte, then the new text up
// to a line end), so the fuzzer reaches the checks behind the markers.
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "base/sjis.h"
#include "fuzz/quiet_platform.h"
#include "shell/game.h"

namespace {

using piko::operator""_sjv;

void WriteFile(const char* name, const std::string& bytes) { piko::WriteFuzzFile(name, bytes.data(), bytes.size()); }

std::string Masked(std::string bytes) {
  for (char& c : bytes) c = static_cast<char>(static_cast<unsigned char>(c) ^ piko::kScenarioMask);
  return bytes;
}

// The load command and its name line; a restore may go to either scenario.
std::string StartScenario(bool restore) {
  std::string text;
  for (std::string_view line : {restore ? "＃ロード 復帰"_sjv : "＃ロード"_sjv, "save1"_sjv, "// after"_sjv}) {
    text.append(line);
    text += '\n';
  }
  return Masked(text);
}

std::vector<std::string> GoodSave() {
  return {std::string("－－－－－－－－－－－－ピコラ変数データ"_sjv),
          "3",
          std::string("点数"_sjv),
          "15",
          std::string("点:0:"_sjv),
          "0",
          std::string("点:1:"_sjv),
          "7",
          std::string("－－－－－－－－－－－－ピコラ文字変数データ"_sjv),
          "2",
          std::string("名前"_sjv),
          std::string("太郎"_sjv),
          std::string("空"_sjv),
          "",
          std::string("－－－－－－別シナリオ履歴"_sjv),
          "1",
          "start.st1",
          "9",
          "chapter.st1",
          "0",
          std::string("－－－－－今の行数"_sjv),
          "1",
          std::string("－－－－－－－－－－－－ピコラデータ終了"_sjv)};
}

std::string EditedSave(const uint8_t* data, size_t size) {
  std::vector<std::string> lines = GoodSave();
  size_t i = 0;
  while (i < size) {
    size_t index = data[i++];
    std::string text;
    while (i < size && data[i] != '\n') text.push_back(static_cast<char>(data[i++]));
    ++i;
    if (index < lines.size())
      lines[index] = text;
    else if (index >= 250 && !lines.empty())
      lines.erase(lines.begin() + static_cast<long>(index % lines.size()));
    else if (index < 250)
      lines.insert(lines.begin() + static_cast<long>(index % (lines.size() + 1)), text);
  }
  std::string out;
  for (const std::string& line : lines) out += line + "\r\n";
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t form = data[0];
  const bool edited = form & 1, restore = form & 2, scrambled = form & 4;
  std::string save =
      edited ? EditedSave(data + 1, size - 1) : std::string(reinterpret_cast<const char*>(data + 1), size - 1);
  if (scrambled) save = Masked(save);

  piko::InFuzzFolder in_folder;
  ::unlink("save2");
  ::unlink("LOD_D_DMY");
  WriteFile("start.st1", StartScenario(restore));
  WriteFile("chapter.st1", Masked(std::string("// in the chapter\n点数＝点数＊２\n"_sjv)));
  WriteFile("save1", save);

  piko::QuietPlatform platform;
  piko::Game& g = piko::Fresh<piko::Game>();
  g.platform = &platform;
  piko::InitGame(g);
  // No display: the reader never draws, and the surfaces would cost most
  // of each run.
  if (!piko::CheckFolderDepth(g) || !piko::ChooseStartScenario(g) || !piko::LoadScenario(g, "start.st1")) return 0;
  g.save.scrambled_saves = scrambled ? 1 : 0;
  piko::declare_numeric(g, "点数"_sjv);
  piko::declare_numeric(g, "点［1］"_sjv);
  piko::declare_string(g, "名前"_sjv);
  piko::declare_string(g, "空"_sjv);

  g.script.line_pos = 0;
  piko::DispatchLine(g);  // the load, through the keyword table
  // What was loaded is written again: the stack and texts as read.
  piko::write_save_file(g, "save2");
  return 0;
}
