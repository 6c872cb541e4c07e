#pragma once
// What the system says of itself and the services only some of its
// versions have: the version record's platform family, the registry, the
// Windows 95/98 saver password and the "a screen saver runs" flag that
// blocks task switching there. Where a service is absent, its call says so.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vex {

// The version record's platform identifier: 1 the Windows 95/98 family,
// 2 the NT family; 0 where there is no such record.
int platform_id();

// The registry as the program reads it. Where the system has none, every
// key is missing. Tests fill an in-memory one.
class Registry {
 public:
  virtual ~Registry() = default;
  virtual bool open(uint32_t root, const std::string& subkey, uint32_t& key) = 0;
  // type: 1 string, 4 32-bit number; data holds at most capacity bytes.
  virtual bool query(uint32_t key, const std::string& name, uint32_t& type, std::vector<uint8_t>& data,
                     uint32_t& size) = 0;
  virtual void close(uint32_t key) = 0;
};
std::unique_ptr<Registry> make_system_registry();

// The password-change dialog of the Windows 95/98 family, for the saver's
// password, owned by parent; false when this system has none (the call was
// not made).
bool change_saver_password(int32_t parent_window);

// The Windows 95/98 family's check of the saver password before the saver
// closes: nullopt when this system has no such check, else whether the user
// entered the right password (or none is needed).
std::optional<bool> verify_saver_password(unsigned long window);

// Tells the system a screen saver runs (or no longer does).
void set_screensaver_running(bool running);

// The program's arguments (without its own name) as UTF-8, as the system
// gives them: on Linux the bytes of argv; on Windows the command line's own
// UTF-16 text, where argv holds only what the ANSI code page can say.
std::vector<std::string> program_arguments(int argc, char** argv);

}  // namespace vex
