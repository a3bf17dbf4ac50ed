#include "tools/lint.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <set>

#include "base/sjis.h"
#include "choice/choice.h"
#include "platform/files.h"
#include "script/keyword_table.h"
#include "script/script.h"
#include "tools/pack.h"

namespace piko {

namespace fs = std::filesystem;

namespace {

// Argument lines of a command, one letter each:
//   x a value line            o a value line, taken only when not empty
//   P picture (.sj1 or .sb1)  B BMP picture (.sb1)   q optional BMP picture
//   W wave  M MIDI  3 MP3  V movie  S scenario
//   L label of this scenario  l label of the scenario just named
//   * lines up to an empty line    m BMP mask names up to an empty line
//   4 four picture lines ("そのまま", or a name with ＃Ｘ（…）＃ ＃Ｙ（…）＃)
//   z up to three value lines, then an empty line    O an optional pair
//   i u c d e v: the picture, sound, scenario, MIDI, MP3 or movie path
//   T opens a dialogue or narration block    D opens a declaration block
struct ArgRule {
  int row;              // row of the keyword table; 0 for the four tested first
  const char* keyword;  // CP932: one keyword of the row, or null for all
  const char* word;     // CP932: the rule applies when the line holds it; null always
  const char* args;
};

constexpr ArgRule kRules[] = {
    {0, "＃クリック待ち"_sj, nullptr, ""},
    {0, "＃文字変数代入"_sj, nullptr, "xx"},
    {0, "＃文字入力"_sj, "文字数"_sj, "xx"},
    {0, "＃文字入力"_sj, nullptr, "x"},
    {0, "＃文字"_sj, nullptr, ""},
    {1, nullptr, nullptr, "x*"},
    {2, nullptr, nullptr, "*"},
    {3, nullptr, nullptr, "xx"},
    {4, nullptr, nullptr, "x"},
    {5, nullptr, nullptr, "L"},
    {7, nullptr, nullptr, "x"},
    {8, "＃絵のパス"_sj, nullptr, "i"},
    {8, "＃音のパス"_sj, nullptr, "u"},
    {8, "＃シナリオのパス"_sj, nullptr, "c"},
    {27, nullptr, nullptr, "xxxx"},
    {28, nullptr, "オフ"_sj, ""},
    {28, nullptr, nullptr, "B"},
    {29, nullptr, nullptr, "T"},
    {31, nullptr, nullptr, "T"},
    {32, nullptr, nullptr, "D"},
    {33, nullptr, nullptr, "D"},
    {34, nullptr, nullptr, "xx"},
    {35, nullptr, nullptr, "xx"},
    {36, nullptr, nullptr, "x"},
    {37, nullptr, "半透明"_sj, ""},
    {37, nullptr, nullptr, "*"},
    {38, nullptr, nullptr, "x"},
    {39, nullptr, "オフ"_sj, ""},
    {39, nullptr, "位置"_sj, "Pxx"},
    {39, nullptr, nullptr, "P"},
    {40, nullptr, "合成"_sj, "*"},
    {40, nullptr, nullptr, "P*"},
    {41, nullptr, "セリフ"_sj, ""},
    {41, nullptr, nullptr, "xxz"},
    {42, nullptr, "オフ"_sj, ""},
    {42, nullptr, nullptr, "B"},
    {43, nullptr, nullptr, "x"},
    {45, nullptr, nullptr, "*"},
    {46, nullptr, "確認"_sj, "xL"},
    {46, nullptr, nullptr, "x"},
    {47, nullptr, "確認"_sj, "xL"},
    {47, nullptr, nullptr, "x"},
    {49, nullptr, nullptr, "W"},
    {51, nullptr, nullptr, "W"},
    {53, nullptr, "確認"_sj, "xL"},
    {53, nullptr, nullptr, "x"},
    {54, nullptr, "のパス"_sj, "d"},
    {54, nullptr, "止め"_sj, ""},
    {54, nullptr, nullptr, "M"},
    {55, nullptr, "のパス"_sj, "e"},
    {55, nullptr, "止め"_sj, ""},
    {55, nullptr, nullptr, "3"},
    {56, nullptr, "オフ"_sj, ""},
    {56, nullptr, nullptr, "x"},
    {57, nullptr, nullptr, "BBq"},
    {59, nullptr, nullptr, "BB"},
    {61, nullptr, nullptr, "Bxx"},
    {62, "＃全オーバーラップ"_sj, nullptr, "4"},
    {62, nullptr, "位置"_sj, "Pxx"},
    {62, nullptr, nullptr, "P"},
    {63, nullptr, nullptr, "Pxx"},
    {64, nullptr, nullptr, "P"},
    {65, nullptr, "位置"_sj, "Pxx"},
    {65, nullptr, nullptr, "P"},
    {66, nullptr, "位置"_sj, "Pxx"},
    {66, nullptr, nullptr, "P"},
    {67, nullptr, "位置"_sj, "Pxx"},
    {67, nullptr, nullptr, "P"},
    {68, nullptr, nullptr, "Bxx"},
    {70, nullptr, "ラベル"_sj, "Sl"},
    {70, nullptr, nullptr, "S"},
    {71, nullptr, nullptr, "S"},
    {73, nullptr, nullptr, "x"},
    {78, nullptr, nullptr, "xxx"},
    {79, nullptr, nullptr, "x"},
    {80, nullptr, nullptr, "x"},
    {81, nullptr, "オフ"_sj, ""},
    {81, nullptr, "位置"_sj, "Bxx"},
    {81, nullptr, nullptr, "B"},
    {82, nullptr, "ワイプパターン"_sj, "m"},
    {82, nullptr, nullptr, "4"},
    {83, nullptr, nullptr, "xx"},
    {86, nullptr, "アニメ"_sj, "BO"},
    {86, nullptr, "オフ"_sj, ""},
    {86, nullptr, nullptr, "BO"},
    {87, nullptr, "のパス"_sj, "v"},
    {87, nullptr, nullptr, "V"},
    {88, nullptr, "かな"_sj, ""},
    {88, nullptr, "ローマ"_sj, ""},
    {88, nullptr, "タイピング音"_sj, "W"},
    {88, nullptr, nullptr, "xxo"},
};

// Rows not listed take no argument lines.
const char* ArgsOf(int row, std::string_view keyword, std::string_view line) {
  for (const ArgRule& r : kRules) {
    if (r.row != row || (r.keyword && keyword != r.keyword)) continue;
    if (r.word && FindText(line, r.word) < 0) continue;
    return r.args;
  }
  return "";
}

// The four lines the dispatcher tests before blocks and the table.
const ArgRule* FirstTested(std::string_view line) {
  for (const ArgRule& r : kRules) {
    if (r.row != 0) break;
    if (BeginsWith(line, r.keyword) && (!r.word || FindText(line, r.word) >= 0)) return &r;
  }
  return nullptr;
}

std::string U(std::string_view sjis) { return Utf8FromSjis(sjis); }

enum class Mode { kNone, kText, kDeclarations };

struct Paths {
  std::string picture, sound, scenario, midi, mp3, movie;  // CP932
  bool known = true;                                       // false: no call reached the scenario
};

struct Scenario {
  std::string name;                // as the game names it (CP932), e.g. "scene\x.st1"
  std::string shown;               // for messages (UTF-8)
  std::vector<std::string> lines;  // normalised, as the store holds them
  std::set<std::string> labels;
};

class Linter {
 public:
  Linter(std::string prefix, bool authoring) : prefix_(std::move(prefix)), authoring_(authoring) {}

  void Run() {
    std::vector<std::string> chain;
    LintScenario("start.st1", Paths{}, &chain);
    // Scenarios that no call reaches (a saved game may still go there).
    std::vector<std::string> rest;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(".", ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
      std::string ext = it->path().extension().string();
      std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
      if (it->is_regular_file() && ext == ".st1") rest.push_back(fs::relative(it->path(), ".").generic_string());
    }
    std::sort(rest.begin(), rest.end());
    for (const std::string& rel : rest) {
      std::string name = SjisFromUtf8(rel);
      std::replace(name.begin(), name.end(), '/', '\\');
      Paths unknown;
      unknown.known = false;
      LintScenario(name, unknown, &chain);
    }
    for (const auto& [file, defs] : label_lines_) {
      for (const auto& [label, line] : defs) {
        if (!used_labels_[file].count(label)) Note(file, line, "label \"" + U(label) + "\" is never jumped to");
      }
    }
  }

  std::vector<LintFinding> findings;
  int scenarios = 0;

 private:
  void Add(const std::string& file, int line, bool error, const std::string& message) {
    if (quiet_ || quiet_lines_[file].count(line)) return;
    findings.push_back({file, line, error, message});
  }
  void Error(const std::string& file, int line, const std::string& m) { Add(file, line, true, m); }
  void Note(const std::string& file, int line, const std::string& m) { Add(file, line, false, m); }

  std::string Shown(const std::string& resolved) const {
    return prefix_ + (authoring_ ? AuthoringNameOf(resolved) : resolved);
  }

  // Reads a scenario as the loader does; false when it cannot be opened.
  bool Load(const std::string& name, Scenario* s) {
    std::unique_ptr<FILE, int (*)(FILE*)> f(OpenGameFile(name, "rb"), std::fclose);
    if (!f) return false;
    s->name = name;
    s->shown = Shown(ResolveGamePath(name));
    std::string line;
    int c;
    while ((c = GetTextModeByte(f.get())) != EOF) {
      unsigned char b = static_cast<unsigned char>(c) ^ kScenarioMask;
      if (b == 0x09) continue;
      if (b != 0x0A) {
        line.push_back(static_cast<char>(b));
        continue;
      }
      s->lines.push_back(line);
      line.clear();
    }
    s->lines.push_back(line);
    for (size_t i = 0; i < s->lines.size(); ++i) {
      std::string& l = s->lines[i];
      if ((BeginsWith(l, "//") || BeginsWith(l, "／／"_sjv)) && l.find("lint: ok") != std::string::npos) {
        quiet_lines_[s->shown].insert(static_cast<int>(i + 2));
      }
      if (l.size() > static_cast<size_t>(kMaxLineBytes)) {
        Error(s->shown, static_cast<int>(i + 1),
              "the line is " + std::to_string(l.size()) +
                  " bytes; the player stops the game at a line over 94 bytes (47 full-width characters)");
        l.resize(kMaxLineBytes);
      }
      char slot[kSlotBytes] = {};
      l.copy(slot, kMaxLineBytes);
      NormaliseLine(slot);
      l = slot;
    }
    if (s->lines.size() > static_cast<size_t>(kMaxLineEnds)) {
      Error(s->shown, kMaxLineEnds + 1,
            "the scenario has " + std::to_string(s->lines.size()) +
                " lines; the player stops the game at more than 4500: split it with ＃別シナリオ");
    }
    for (size_t i = 1; i < s->lines.size(); ++i) {
      if (BeginsWith(s->lines[i - 1], "＃ラベル"_sjv)) {
        s->labels.insert(s->lines[i]);
        label_lines_[s->shown].emplace(s->lines[i], static_cast<int>(i + 1));
      }
    }
    return true;
  }

  Scenario* Get(const std::string& name) {
    std::string key = ResolveGamePath(name);
    auto it = loaded_.find(key);
    if (it != loaded_.end()) return it->second.get();
    auto s = std::make_unique<Scenario>();
    if (!Load(name, s.get())) return nullptr;
    return (loaded_[key] = std::move(s)).get();
  }

  void LintScenario(const std::string& name, Paths paths, std::vector<std::string>* chain) {
    std::string key = ResolveGamePath(name);
    if (!visited_.insert(key).second) return;
    Scenario* s = Get(name);
    if (!s) return;
    ++scenarios;
    chain->push_back(name);
    CheckBlocks(*s);
    Walk(*s, &paths, chain);
    chain->pop_back();
  }

  // Choice and branch blocks as the load check and the jumps see them: every
  // line counts, whatever block it stands in.
  void CheckBlocks(const Scenario& s) {
    struct Open {
      int line;
      std::set<int> wanted;
      std::set<int> found;
    };
    std::vector<Open> open;
    const auto& L = s.lines;
    auto run = [&](size_t from) {  // non-empty lines from `from` up to an empty one
      size_t n = 0;
      while (from + n < L.size() && !L[from + n].empty()) ++n;
      return n;
    };
    for (size_t i = 0; i < L.size(); ++i) {
      const std::string& l = L[i];
      if (OpensBlock(l)) {
        Open o{static_cast<int>(i), {}, {}};
        size_t first = 0, last = 0;  // the targets the block's command can go to
        if (BeginsWith(l, "＃分岐範囲"_sjv)) {
          last = i + 2 < L.size() ? run(i + 2) : 0;
        } else if (BeginsWith(l, "＃分岐最大"_sjv)) {
          first = 1;
          last = run(i + 1);
        } else if (BeginsWith(l, "＃分岐文字"_sjv)) {
          last = 1;
        } else if (BeginsWith(l, "＃選択裏画面"_sjv)) {
          size_t areas = i + 1;
          if (FindText(l, "合成"_sjv) < 0) ++areas;
          first = 1;
          last = areas < L.size() ? run(areas) : 0;
        } else if (BeginsWith(l, "＃選択"_sjv)) {
          first = 1;
          last = std::min<size_t>(run(i + 1), kMaxChoices);
        }
        for (size_t t = first; t <= last && last > 0; ++t) o.wanted.insert(static_cast<int>(t));
        if (BeginsWith(l, "＃分岐文字"_sjv) || BeginsWith(l, "＃分岐範囲"_sjv)) o.wanted.insert(0);
        open.push_back(o);
      } else if (BeginsWith(l, "＃＃＃＃"_sjv)) {
        if (open.empty()) {
          Error(s.shown, static_cast<int>(i + 1), "＃＃＃＃ closes no ＃選択 or ＃分岐 block");
          continue;
        }
        for (int t : open.back().wanted) {
          if (!open.back().found.count(t)) {
            Error(s.shown, open.back().line + 1,
                  "the block has no target ＃" + std::to_string(t) + " for its " +
                      (BeginsWith(L[open.back().line], "＃分岐"_sjv) ? "branch " : "option ") + std::to_string(t));
          }
        }
        open.pop_back();
      } else if (l.size() > 2 && BeginsWith(l, "＃"_sjv) && l[2] >= '0' && l[2] <= '9') {
        if (open.empty()) {
          Error(s.shown, static_cast<int>(i + 1), U(l) + " stands outside any ＃選択 or ＃分岐 block");
        } else {
          open.back().found.insert(std::atoi(l.c_str() + 2));
        }
      }
    }
    for (const Open& o : open) Error(s.shown, o.line + 1, "no ＃＃＃＃ closes this block");
  }

  void CheckPath(const Scenario& s, int line, const std::string& path) {
    if (path.empty() || FindLastText(path, "\\") == static_cast<int>(path.size()) - 1) return;
    if (ProbeGamePath(path) == PathKind::kFolder) {
      flawed_paths_.insert(path);  // the names under it are not reported again
      Error(s.shown, line,
            "the folder prefix \"" + U(path) + "\" has no trailing \\: names are joined to it directly (\"" + U(path) +
                "name\"); write \"" + U(path) + "\\\"");
    } else {
      Note(s.shown, line, "the path \"" + U(path) + "\" does not end in \\, so it is a prefix of file names");
    }
  }

  // One file argument: the names the player would try, in its order.
  void CheckFile(const Scenario& s, int line, char kind, const Paths& p, const std::string& name) {
    if (name.empty()) {
      Error(s.shown, line, "a file name is missing here (an empty line)");
      return;
    }
    if (!p.known || FindText(name, "＃（"_sjv) >= 0 || FindText(name, "”（"_sjv) >= 0) return;
    std::vector<std::string> tried;
    const char* what = "";
    auto flawed = [&](const std::string& path) { return flawed_paths_.count(path) > 0; };
    if ((kind == 'W' && flawed(p.sound)) || (kind == 'M' && flawed(p.midi)) || (kind == '3' && flawed(p.mp3)) ||
        (kind == 'V' && flawed(p.movie)) || (strchr("PBqm", kind) && flawed(p.picture))) {
      return;
    }
    switch (kind) {
      case 'P':
        what = "picture";
        tried = {p.picture + name + ".sj1", p.picture + name + ".sb1"};
        break;
      case 'B':
      case 'q':
      case 'm':
        what = "BMP picture";
        tried = {p.picture + name + ".sb1"};
        break;
      case 'W':
        what = "sound";
        tried = {p.sound + name + ".sw1"};
        break;
      case 'M':
        what = "MIDI file";
        tried = {p.midi + name + ".sm1"};
        break;
      case '3':
        what = "MP3 file";
        tried = {p.mp3 + name + ".sp3"};
        break;
      case 'V':
        what = "movie";
        tried = {p.movie + name + ".sa1"};
        break;
      default:
        return;
    }
    for (const std::string& t : tried) {
      if (ProbeGamePath(t) == PathKind::kFile) return;
    }
    std::string list;
    for (const std::string& t : tried) list += (list.empty() ? "" : " or ") + U(t);
    Error(s.shown, line, std::string(what) + " \"" + U(name) + "\" not found: no " + list);
  }

  void UseLabel(const Scenario& s, int line, const std::string& label, const char* command) {
    used_labels_[s.shown].insert(label);
    if (s.labels.count(label)) return;
    std::string hint;
    for (const std::string& l : s.labels) {
      std::string a = l, b = label;
      while (!a.empty() && a.back() == ' ') a.pop_back();
      while (!b.empty() && b.back() == ' ') b.pop_back();
      if (a == b) hint = " (\"" + U(l) + "\" differs only in trailing blanks)";
    }
    Error(s.shown, line, std::string(command) + ": no label \"" + U(label) + "\" in " + s.shown + hint);
  }

  void Walk(Scenario& s, Paths* paths, std::vector<std::string>* chain) {
    Mode mode = Mode::kNone;
    const auto& L = s.lines;
    for (size_t i = 0; i < L.size(); ++i) {
      const std::string& l = L[i];
      int n = static_cast<int>(i + 1);
      std::string_view keyword;
      int row = 0;
      const char* args = nullptr;
      bool guessed = false;  // its arguments belong to a guess: not checked
      if (const ArgRule* first = FirstTested(l)) {
        keyword = first->keyword;
        args = first->args;
      } else if (l.empty()) {
        mode = Mode::kNone;
        continue;
      } else if (mode != Mode::kNone) {
        continue;
      } else if (BeginsWith(l, "//") || BeginsWith(l, "／／"_sjv)) {
        continue;
      } else {
        std::string line = l;
        const KeywordEntry* e = FindKeyword(line);
        if (!e && BeginsWith(l, "#")) {
          // Taken as the full-width command it resembles, so that its
          // argument lines are not reported again.
          line = std::string("＃"_sjv) + l.substr(1);
          e = FindKeyword(line);
          Error(s.shown, n,
                "half-width \"#\": commands begin with the full-width \"＃\"" +
                    (e && e->keyword ? " (" + U(e->keyword) + ")" : std::string()));
          if (!e) continue;
        } else if (!e && BeginsWith(l, "＃"_sjv)) {
          e = NearestKeyword(l);
          Error(s.shown, n,
                "unknown command " + U(l.substr(0, l.find(' '))) +
                    (e ? ": did you mean " + U(e->keyword) + "?" : std::string()));
          if (!e) continue;
          line = e->keyword;
          guessed = true;
        } else if (!e) {
          if (l.find('=') != std::string::npos) {
            Error(s.shown, n, "half-width \"=\": an assignment needs the full-width \"＝\"");
          } else {
            Error(
                s.shown, n,
                "text outside a ＃セリフ or ＃文章 block: the player reports it as a mistake (シナリオ上のミスです。)");
          }
          continue;
        }
        if (!e->keyword) {  // an assignment
          if (l.find('=') != std::string::npos) {
            Error(s.shown, n, "half-width \"=\" in an assignment: the player refuses it (「＝」は全角のみです)");
          } else if (FindText(l, "　"_sjv) >= 0) {
            Error(s.shown, n, "full-width space in an assignment: the player refuses it; use half-width blanks");
          }
          continue;
        }
        keyword = e->keyword;
        row = e->row;
        args = ArgsOf(row, keyword, line);
      }
      quiet_ = guessed || quiet_lines_[s.shown].count(n) > 0;  // with its argument lines
      RunArgs(s, &i, args, l, paths, chain, &mode);
      quiet_ = false;
    }
  }

  void RunArgs(Scenario& s, size_t* i, const char* args, const std::string& command, Paths* paths,
               std::vector<std::string>* chain, Mode* mode) {
    const auto& L = s.lines;
    auto peek = [&]() -> std::string { return *i + 1 < L.size() ? L[*i + 1] : std::string(); };
    auto next = [&]() -> std::string {
      if (*i + 1 < L.size()) ++*i;
      return *i < L.size() ? L[*i] : std::string();
    };
    auto here = [&]() { return static_cast<int>(*i + 1); };
    std::string scenario_called;
    for (const char* a = args; *a; ++a) {
      switch (*a) {
        case 'x':
          next();
          break;
        case 'o':
          if (!peek().empty()) next();
          break;
        case 'O':
          if (!peek().empty()) {
            next();
            next();
          }
          break;
        case 'z':
          for (int k = 0; k < 3 && !peek().empty(); ++k) next();
          break;
        case '*':
          while (!peek().empty()) next();
          break;
        case 'm':
          while (!peek().empty()) {
            std::string name = next();
            CheckFile(s, here(), 'm', *paths, name);
          }
          break;
        case 'q':
          if (!peek().empty()) {
            std::string name = next();
            CheckFile(s, here(), 'B', *paths, name);
          }
          break;
        case '4':
          for (int k = 0; k < 4; ++k) {
            std::string l = next();
            if (BeginsWith(l, "そのまま"_sjv) || (k == 3 && l.empty())) continue;
            size_t from = l.find_first_not_of(' ');
            while (from != std::string::npos && BeginsWith(std::string_view(l).substr(from), "　"_sjv)) from += 2;
            std::string name = from == std::string::npos ? "" : l.substr(from);
            for (std::string_view mark : {"＃Ｘ（"_sjv, "＃Ｙ（"_sjv}) {
              int at = FindText(name, mark);
              if (at >= 0) name.resize(at);
            }
            while (!name.empty() && name.back() == ' ') name.pop_back();
            CheckFile(s, here(), 'P', *paths, name);
          }
          break;
        case 'P':
        case 'B':
        case 'W':
        case 'M':
        case '3':
        case 'V': {
          std::string name = next();
          CheckFile(s, here(), *a, *paths, name);
          break;
        }
        case 'S': {
          std::string name = next();
          if (name.empty()) {
            Error(s.shown, here(), "a scenario name is missing here (an empty line)");
            break;
          }
          std::string path = paths->scenario + name + ".st1";
          if (!paths->known || ProbeGamePath(path) == PathKind::kFile) {
            scenario_called = path;
            break;
          }
          bool on_the_way_back = false;
          for (const std::string& c : *chain) on_the_way_back |= SameFileName(c, path) == 0;
          if (!on_the_way_back) Error(s.shown, here(), "scenario \"" + U(name) + "\" not found: no " + U(path));
          break;
        }
        case 'l': {
          std::string label = next();
          if (scenario_called.empty()) break;
          if (Scenario* callee = Get(scenario_called)) {
            used_labels_[callee->shown].insert(label);
            if (!callee->labels.count(label)) {
              Error(s.shown, here(), "＃別シナリオ: no label \"" + U(label) + "\" in " + callee->shown);
            }
          }
          break;
        }
        case 'L': {
          std::string label = next();
          UseLabel(s, here(), label, U(command.substr(0, command.find(' '))).c_str());
          break;
        }
        case 'i':
        case 'u':
        case 'c':
        case 'd':
        case 'e':
        case 'v': {
          std::string path = next();
          std::string* target = *a == 'i'   ? &paths->picture
                                : *a == 'u' ? &paths->sound
                                : *a == 'c' ? &paths->scenario
                                : *a == 'd' ? &paths->midi
                                : *a == 'e' ? &paths->mp3
                                            : &paths->movie;
          *target = path;
          if (paths->known) CheckPath(s, here(), path);
          break;
        }
        case 'T':
          *mode = Mode::kText;
          break;
        case 'D':
          *mode = Mode::kDeclarations;
          break;
      }
    }
    quiet_ = false;
    if (!scenario_called.empty() && paths->known) LintScenario(scenario_called, *paths, chain);
  }

  std::string prefix_;
  bool authoring_;
  std::map<std::string, std::unique_ptr<Scenario>> loaded_;
  std::set<std::string> visited_;
  std::map<std::string, std::map<std::string, int>> label_lines_;
  std::map<std::string, std::set<std::string>> used_labels_;
  // Lines after a comment holding "lint: ok": mistakes made on purpose.
  std::map<std::string, std::set<int>> quiet_lines_;
  bool quiet_ = false;
  std::set<std::string> flawed_paths_;
};

// Restores the working directory when the lint ends.
class WorkingDirectory {
 public:
  explicit WorkingDirectory(const std::string& dir) {
    std::error_code ec;
    old_ = std::filesystem::current_path(ec).string();
    std::filesystem::current_path(dir, ec);
    ok_ = !ec;
  }
  ~WorkingDirectory() {
    std::error_code ec;
    if (!old_.empty()) std::filesystem::current_path(old_, ec);
    if (ec) std::perror("piko-tool lint");
  }
  bool ok() const { return ok_; }

 private:
  std::string old_;
  bool ok_ = false;
};

}  // namespace

std::vector<LintFinding> LintFolder(const std::string& dir, std::string* error) {
  std::error_code ec;
  if (!fs::is_directory(dir, ec)) {
    *error = "not a folder: " + dir;
    return {};
  }
  std::string prefix = dir;
  if (prefix == ".")
    prefix.clear();
  else if (prefix.back() != '/')
    prefix += '/';
  bool authoring = !fs::exists(fs::path(dir) / "start.st1") && fs::exists(fs::path(dir) / "start.scn");
  std::vector<LintFinding> pack_findings;
  std::string game = dir;
  std::string temp;
  if (authoring) {
    char tmpl[] = "/tmp/piko-lint-XXXXXX";
    if (!::mkdtemp(tmpl)) {
      *error = "no temporary folder";
      return {};
    }
    temp = tmpl;
    game = temp + "/game";
    PackOptions options;
    options.names_only = true;
    PackOutcome packed = PackFolder(dir, game, options);
    // What only pack sees: characters without a CP932 code, pictures it
    // cannot take. Line limits are checked below as the loader sees them.
    for (const std::string& e : packed.errors) {
      size_t colon = e.find(": ");
      std::string where = e.substr(0, colon), message = colon == std::string::npos ? e : e.substr(colon + 2);
      size_t c1 = where.find(':');
      LintFinding f{prefix + where.substr(0, c1), 0, true, message};
      if (c1 != std::string::npos) {
        f.line = std::atoi(where.c_str() + c1 + 1);
        size_t c2 = where.find(':', c1 + 1);
        if (c2 == std::string::npos) continue;  // a line limit
        f.message = "column " + where.substr(c2 + 1) + ": " + message;
      }
      pack_findings.push_back(f);
    }
  }
  Linter linter(prefix, authoring);
  {
    WorkingDirectory wd(game);
    if (!wd.ok()) {
      *error = "cannot enter " + game;
    } else if (ProbeGamePath("start.st1") != PathKind::kFile) {
      *error = "no start.st1 (nor start.scn) in " + dir;
    } else {
      linter.Run();
    }
  }
  if (!temp.empty()) fs::remove_all(temp, ec);
  if (!error->empty()) return {};
  pack_findings.insert(pack_findings.end(), linter.findings.begin(), linter.findings.end());
  return pack_findings;
}

int RunLint(const std::string& dir, FILE* out, FILE* err) {
  std::string error;
  std::vector<LintFinding> findings = LintFolder(dir, &error);
  if (!error.empty()) {
    std::fprintf(err, "piko-tool lint: %s\n", error.c_str());
    return 2;
  }
  int errors = 0, notes = 0;
  for (const LintFinding& f : findings) {
    std::string where = f.line > 0 ? f.file + ":" + std::to_string(f.line) : f.file;
    std::fprintf(out, "%s: %s%s\n", where.c_str(), f.error ? "" : "note: ", f.message.c_str());
    (f.error ? errors : notes)++;
  }
  std::fprintf(err, "piko-tool lint: %d error%s, %d note%s\n", errors, errors == 1 ? "" : "s", notes,
               notes == 1 ? "" : "s");
  return errors > 0 ? 1 : 0;
}

}  // namespace piko
