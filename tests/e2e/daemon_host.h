#pragma once
// What the tests of the screen-saver hosts share: the plain user a host
// runs as (the hosts refuse root, as a desktop session is never root), and
// the processes of our binary a host started.
#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace vex::test {

// nobody when the tests run as root, else the tests' own user.
uid_t plain_uid();
// cmd as that user with exactly the environment given ("NAME=value" each).
// It ends with its parent when a user switch comes between them, so a
// test's wrapper that is killed takes the host along.
std::vector<std::string> as_plain_user(const std::vector<std::string>& environment,
                                       const std::vector<std::string>& cmd);
// The tree becomes that user's (when it is another), so a host can write in
// the home it is given.
void give_to_plain_user(const std::filesystem::path& dir);

// Our binary's processes whose environment names this home: those the
// host of one test started.
// Our program's processes (by default the build's binary; or any of the
// copies given) whose HOME is home.
std::vector<int> our_processes(const std::string& home, const std::vector<std::filesystem::path>& programs = {});
std::vector<std::string> process_arguments(int pid);
std::optional<std::string> process_variable(int pid, const std::string& name);
// How many of the processes hold this file open.
int holding(const std::vector<int>& pids, const std::filesystem::path& file);
// Whether a program is on the PATH.
bool installed(const std::string& program);

}  // namespace vex::test
