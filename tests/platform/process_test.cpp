#include <gtest/gtest.h>

#include <sys/wait.h>

#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <thread>
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

// Runs the call on a thread of its own: false when it has not returned
// within the bound (the thread is then left behind, and the test fails
// instead of hanging).
bool ReturnsWithin(std::chrono::seconds bound, std::function<void()> call) {
  auto done = std::make_shared<std::promise<void>>();
  std::future<void> returned = done->get_future();
  std::thread([call, done] {
    call();
    done->set_value();
  }).detach();
  return returned.wait_for(bound) == std::future_status::ready;
}

TEST(Process, WaitingForAProcessThatIsGoneReturnsAtOnce) {
  pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  ASSERT_GT(child, 0);
  int status;
  ::waitpid(child, &status, 0);
  // Reaped: there is no such process any more.
  EXPECT_TRUE(ReturnsWithin(std::chrono::seconds(10), [child] { WaitForProcessEnd(child); }));
  EXPECT_TRUE(ReturnsWithin(std::chrono::seconds(10), [] { WaitForProcessEnd(0); }));
  EXPECT_TRUE(ReturnsWithin(std::chrono::seconds(10), [] { WaitForProcessEnd(-5); }));
}

TEST(Process, StartingAMissingProgramFails) {
  EXPECT_FALSE(StartDetachedProcess(""));
  EXPECT_FALSE(StartDetachedProcess("\"/no/such/program\" /sweep 1"));
  EXPECT_FALSE(ProgramFilePath().empty());
}

}  // namespace
}  // namespace piko
