// The program's arguments come from the command line's own UTF-16 text, so
// a message in any script reaches the program whole (argv would hold "?"
// for what the ANSI code page cannot say).
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "os/system_services.h"

namespace vex {
namespace {

// A folder's name in a script no Western code page holds, a name that one
// holds but in bytes of its own (argv's, not UTF-8), and a word with a space.
const wchar_t* const kWideWords[] = {L"C:\\Friedhof\\\u5893\u5730", L"J\u00F6rg", L"two words"};
const char* const kWords[] = {"C:\\Friedhof\\\xE5\xA2\x93\xE5\x9C\xB0", "J\xC3\xB6rg", "two words"};

// Run only in the copy of this program the test below starts with those
// words on its command line.
TEST(ProgramArguments, DISABLED_AsTheStartedCopySeesThem) {
  // Given as start-up gives them: argc and argv of the runtime's own.
  const std::vector<std::string> args = program_arguments(__argc, __argv);
  ASSERT_GE(args.size(), 3u);
  EXPECT_EQ(std::vector<std::string>(args.end() - 3, args.end()), std::vector<std::string>(kWords, kWords + 3));
}

TEST(ProgramArguments, AreTheCommandLinesOwnWordsNotTheNarrowArgv) {
  // The first word cannot be said in this system's ANSI code page: argv
  // would not hold it.
  BOOL lost = FALSE;
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, kWideWords[0], -1, nullptr, 0, nullptr, &lost);
  ASSERT_TRUE(lost) << "code page " << GetACP() << " holds the word";

  wchar_t self[MAX_PATH];
  ASSERT_GT(GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
  std::wstring line = L"\"" + std::wstring(self) +
                      L"\" --gtest_also_run_disabled_tests"
                      L" --gtest_filter=ProgramArguments.DISABLED_AsTheStartedCopySeesThem";
  for (const wchar_t* w : kWideWords) line += L" \"" + std::wstring(w) + L"\"";
  // The copy reports on our own output.
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  si.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  for (HANDLE h : {si.hStdOutput, si.hStdError})
    if (h && h != INVALID_HANDLE_VALUE) SetHandleInformation(h, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
  PROCESS_INFORMATION pi{};
  ASSERT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi))
      << GetLastError();
  const DWORD waited = WaitForSingleObject(pi.hProcess, 120000);
  DWORD status = 1;
  GetExitCodeProcess(pi.hProcess, &status);
  if (waited != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  ASSERT_EQ(waited, WAIT_OBJECT_0) << "the copy did not end";
  EXPECT_EQ(status, 0u) << "the copy saw other words";
}

}  // namespace
}  // namespace vex
