#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include "platform/process.h"

namespace piko {
namespace {

TEST(Process, CommandLinesSplitAsWindowsSplitsThem) {
  const struct {
    const char* line;
    std::vector<std::string> args;
  } cases[] = {
      {"\"/games/my game/piko\" /sweep       1234", {"/games/my game/piko", "/sweep", "1234"}},
      {"  a\tb  ", {"a", "b"}},
      {"\"\"", {""}},
      {"x\"y z\"w", {"xy zw"}},
      {"", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitCommandLine(c.line), c.args) << c.line;
}

TEST(Process, WaitingForAProcessThatIsGoneReturnsAtOnce) {
  pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  ASSERT_GT(child, 0);
  int status;
  ::waitpid(child, &status, 0);
  WaitForProcessEnd(child);  // reaped: no such process any more
  WaitForProcessEnd(0);
  WaitForProcessEnd(-5);
}

TEST(Process, StartingAMissingProgramFails) {
  EXPECT_FALSE(StartDetachedProcess(""));
  EXPECT_FALSE(StartDetachedProcess("\"/no/such/program\" /sweep 1"));
  EXPECT_FALSE(ProgramFilePath().empty());
}

}  // namespace
}  // namespace piko
