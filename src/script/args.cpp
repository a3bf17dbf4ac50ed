#include "script/args.h"

#include "shell/game.h"

namespace piko {

Args::Args(Game& g) : g_(g), command_(LineAt(g, g.script.line_pos)) {}

bool Args::Has(std::string_view word) const { return FindText(command_, word) >= 0; }

bool Args::HasBytes(std::string_view word) const { return command_.find(word) != std::string::npos; }

std::string Args::Next() { return std::string(LineAt(g_, ++g_.script.line_pos)); }

std::string_view Args::Peek(int ahead) const { return LineAt(g_, g_.script.line_pos + ahead); }

void Args::Skip(int lines) { g_.script.line_pos += lines; }

bool Args::NextInBlock(std::string* line) {
  ScriptState& s = g_.script;
  if (Peek().empty() || s.line_pos + 1 >= s.line_count) return false;
  *line = Next();
  return true;
}

bool Args::NextValue(int* value) { return Value(Next(), value); }

bool Args::NextSubstitutedValue(int* value) { return SubstitutedValue(Next(), value); }

bool Args::Value(std::string_view line, int* value) { return EvaluateArgument(g_, line, line, value) != 0; }

bool Args::SubstitutedValue(std::string_view line, int* value) {
  std::string text;
  if (!substitute_text(g_, line, 1, &text)) return false;
  return EvaluateArgument(g_, text, line, value) != 0;
}

}  // namespace piko
