// End-to-end: "＃文字入力" fed by the text events of the headless input
// file; what reaches the string variables.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/game_test.h"
#include "support/process.h"

namespace piko {
namespace {

using TextInputTest = testing::GameTest;

TEST(TextInputGame, LimitsStoreAndKeys) {
  std::string out = std::string(PIKO_BINARY_DIR) + "/test-output/text_input";
  std::filesystem::create_directories(out);
  std::string dump = out + "/vars", input = out + "/input";
  std::string fifty;
  for (int i = 0; i < 50; ++i) fifty += "あ";
  // Esc in the box neither quits nor confirms; Enter alone confirms nothing.
  std::ofstream(input) << "text あいうえおかきく\ntext " << fifty << "\nkey ENTER\nkey ESC\ntext 太郎\n";
  auto r = testing::RunProcess({PIKO_PLAYER, "--headless", "--input", input, "--dump-vars", dump,
                                std::string(PIKO_BINARY_DIR) + "/tests/games/text_input"});
  EXPECT_EQ(r.exit_code, 0);
  std::vector<std::string> errors = {
      "error start.st1:18: 該当する文字変数が宣言されていません | 無い",
      "error start.st1:21: 文字数制限が指定されていません | 名前",
  };
  EXPECT_EQ(testing::SplitLines(r.err), errors);
  std::vector<std::string> vars = {
      "string 短い あいうえ",
      "string 長い " + fifty.substr(0, 39 * 3),  // 79 bytes hold 39 two-byte characters
      "string 空 ",
      "string 名前 太郎",
  };
  EXPECT_EQ(testing::SplitLines(testing::ReadFileText(dump)), vars);
}

TEST_F(TextInputTest, FullScreenOnlyReports) {
  ASSERT_TRUE(Load("＃変数宣言文字\n名前\n\n＃文字入力\n名前\n"));
  g().shell.window_mode = 0;
  RunLines(4);
  ASSERT_EQ(Errors().size(), 1u);
  EXPECT_EQ(Errors()[0].message, "フル・スクリーンでは文字入力はできません");
  EXPECT_FALSE(Waiting(Wait::kTextInput));
}

}  // namespace
}  // namespace piko
