// Linux keeps no registry, no saver password and no task-switching flag:
// every key is missing and every password service absent.
#include "os/system_services.h"

namespace vex {
namespace {

class EmptyRegistry : public Registry {
 public:
  bool open(uint32_t, const std::string&, uint32_t&) override { return false; }
  bool query(uint32_t, const std::string&, uint32_t&, std::vector<uint8_t>&, uint32_t&) override { return false; }
  void close(uint32_t) override {}
};

}  // namespace

int platform_id() { return 0; }
std::unique_ptr<Registry> make_system_registry() { return std::make_unique<EmptyRegistry>(); }
bool change_saver_password(int32_t) { return false; }
std::optional<bool> verify_saver_password(unsigned long) { return std::nullopt; }
void set_screensaver_running(bool) {}

std::vector<std::string> program_arguments(int argc, char** argv) {
  return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>{};
}

}  // namespace vex
