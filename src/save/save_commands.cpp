// "＃セーブ" and "＃ロード". Scripts save and load explicitly; the checked
// forms jump to a label when the file situation needs the script to decide.
#include <string>

#include "base/sjis.h"
#include "script/args.h"
#include "shell/game.h"
#include "save/save_commands.h"

namespace piko {

void SaveGameCommand(Game& g) {
  Args args(g);
  g.vars.save_load_used = 1;
  if (!args.Has("確認"_sjv)) {
    std::string name = args.Next();
    if (name.empty()) {
      ReportScriptError(g, "＃セーブするファイル名がありません"_sjv, "");
      return;
    }
    write_save_file(g, name);
    return;
  }
  std::string name(args.Peek(1));
  std::string label(args.Peek(2));
  if (name.empty()) {
    ReportScriptError(g, "＃セーブ（上書き確認）する"_sjv, "ファイル名がありません"_sjv);
    return;
  }
  if (label.empty()) {
    ReportScriptError(g, "＃セーブ上書き確認時の"_sjv, "ラベル名がありません"_sjv);
    return;
  }
  args.Skip(2);
  // A folder of that name counts as existing: the script decides.
  if (ProbeFile(name) == PathKind::kMissing) {
    write_save_file(g, name);
    return;
  }
  int found = FindLabel(g, label);
  if (found < 0) {
    ReportScriptError(g, "上書き確認時のラベルが見つかりません"_sjv, label);
    return;
  }
  g.script.line_pos = found;
}

void LoadGameCommand(Game& g) {
  ScriptState& s = g.script;
  g.vars.save_load_used = 1;
  Args args(g);
  const int command = s.line_pos;
  const int restore = args.Has("復帰"_sjv) ? 1 : 0;
  std::string name(args.Peek(1));
  if (!args.Has("確認"_sjv)) {
    if (name.empty()) {
      ReportScriptError(g, "＃ロードするファイル名がありません"_sjv, "");
      return;
    }
    // A restored position is where play goes on; otherwise, after the name.
    if (!read_save_file(g, restore) || !restore) s.line_pos = command + 1;
    return;
  }
  std::string label(args.Peek(2));
  if (name.empty()) {
    ReportScriptError(g, "＃ロード（ファイル確認）する"_sjv, "ファイル名がありません"_sjv);
    return;
  }
  if (label.empty()) {
    ReportScriptError(g, "＃ロード確認時（指定ファイルがない場合）の"_sjv, "飛び先ラベル名がありません"_sjv);
    return;
  }
  if (ProbeFile(name) == PathKind::kFile) {
    if (!read_save_file(g, restore) || !restore) s.line_pos = command + 2;
    return;
  }
  s.line_pos = command + 2;
  int found = FindLabel(g, label);
  if (found < 0) {
    ReportScriptError(g, "＃ロード確認時のラベルが見つかりません"_sjv, label);
    return;
  }
  s.line_pos = found;
}

}  // namespace piko
