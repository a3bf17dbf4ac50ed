// Arbitrary text through the expression evaluator and through text
// substitution, over a game that declared a number, an array and two string
// variables. The first byte picks the way: an assignment line, an argument
// (resolve, evaluate), substitution in either mode, or the bare evaluator.
#include <string>
#include <string_view>

#include "base/fixed_text.h"
#include "base/sjis.h"
#include "fuzz/quiet_platform.h"
#include "shell/game.h"

namespace {

using piko::operator""_sjv;

void Declare(piko::Game& g) {
  piko::declare_numeric(g, "点数"_sjv);
  piko::declare_numeric(g, "点［5］"_sjv);
  piko::declare_numeric(g, "Ａ"_sjv);
  piko::declare_string(g, "名前"_sjv);
  piko::declare_string(g, "空"_sjv);
  piko::SetStringValue(g, piko::find_string(g, "名前"_sjv), "太郎＃（点数）＃"_sjv);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0 || size > 4096) return 0;
  std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  piko::QuietPlatform platform;
  piko::Game& g = piko::Fresh<piko::Game>();
  g.platform = &platform;
  piko::InitGame(g);
  Declare(g);
  std::string out;
  int value = 0;
  switch (data[0] % 5) {
    case 0:  // as a scenario line: the dispatcher takes "＝" lines to assignment
      piko::CopyText(g.script.lines[0], text);
      g.script.line_count = 3;
      g.script.line_pos = 0;
      piko::DispatchLine(g);
      break;
    case 1:
      piko::EvaluateArgument(g, text, text, &value);
      break;
    case 2:
    case 3:
      piko::substitute_text(g, text, data[0] % 5 - 1, &out);
      break;
    default:
      piko::evaluate_expression(text, &out);
      break;
  }
  return 0;
}
