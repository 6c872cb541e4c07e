#pragma once
// "Is another instance of the program running?" Every instance holds a shared
// lock on one file for its whole life; an instance that cannot take the lock
// exclusively knows another one holds it.
#include <string>

namespace vex {

// Registers this process as running and answers whether another instance
// already was. The lock is released when the process ends.
bool register_instance_and_check_others(const std::string& lock_path);

std::string default_lock_path();

}  // namespace vex
