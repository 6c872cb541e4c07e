// A console's Ctrl+C reaches the program's termination
// handler through the event loop, once, as on Linux a SIGINT does. Run
// under Wine in a console of the test's own.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "os/event_loop.h"
#include "os/signals.h"

namespace vex {
namespace {

TEST(ConsoleRequests, CtrlCEndsThroughTheLoopOnceAndAgainIsNotRepeated) {
  // The test runner may have no console of its own (its streams are files).
  if (!GetConsoleWindow()) FreeConsole(), AllocConsole();
  int calls = 0;
  on_termination_request([&] { ++calls; });
  ASSERT_FALSE(termination_requested());
  ASSERT_TRUE(GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0)) << GetLastError();
  // The system calls the console handler on a thread of its own.
  const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (calls == 0 && std::chrono::steady_clock::now() < limit) event_loop().run_once(20);
  EXPECT_TRUE(termination_requested());
  EXPECT_EQ(calls, 1);
  // A second request while ending is not handled again.
  ASSERT_TRUE(GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0)) << GetLastError();
  for (int i = 0; i < 20; ++i) event_loop().run_once(10);
  EXPECT_EQ(calls, 1);
}

}  // namespace
}  // namespace vex
