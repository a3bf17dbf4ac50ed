// End-to-end: a game declares, assigns and substitutes; the variable dump
// and the error lines of the headless player show the outcome.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/process.h"

namespace piko {
namespace {

using testing::ReadFileText;
using testing::RunProcess;
using testing::SplitLines;

TEST(VariablesGame, DeclaresAssignsAndSubstitutes) {
  std::string out = std::string(PIKO_BINARY_DIR) + "/test-output";
  std::filesystem::create_directories(out);
  std::string dump = out + "/variables.vars";
  std::filesystem::remove(dump);
  auto r = RunProcess({PIKO_PLAYER, "--headless", "--dump-vars", dump,
                       std::string(PIKO_BINARY_DIR) + "/tests/games/variables"});
  EXPECT_EQ(r.exit_code, 0);
  std::vector<std::string> errors = {
      "error start.st1:26: 該当する変数が宣言されていません | 点:5:",
      "error start.st1:27: ERR:０で割っています | 点数＝1／0",
      "error start.st1:29: 同じ名前の変数を宣言しています | 点数",
      "error start.st1:33: 該当する文字変数が宣言されていません | 名無し",
      "error start.st1:37: シナリオが終了しました。 | 始めから実行します。",
  };
  EXPECT_EQ(SplitLines(r.err), errors);
  std::vector<std::string> vars = {
      "numeric 点数 3",
      "numeric 最大 2",
      "numeric 回数 2",
      "numeric 点:0: 0",
      "numeric 点:1: 5",
      "numeric 点:2: 0",
      "numeric 点:3: 0",
      "numeric 点:4: 10",
      "string 名前 太郎",
      "string 挨拶 太郎さん、得点は13点",
  };
  EXPECT_EQ(SplitLines(ReadFileText(dump)), vars);
}

}  // namespace
}  // namespace piko
