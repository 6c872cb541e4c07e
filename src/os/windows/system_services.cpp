// The version record, the registry (advapi32), and the Windows 95/98
// password services, which only those systems export: they are looked up
// when called, since importing them would keep the program from loading
// anywhere else.
#include "os/windows/win32.h"

#include <shellapi.h>

#include "os/system_services.h"

namespace vex {
namespace {

class SystemRegistry : public Registry {
 public:
  ~SystemRegistry() override {
    for (HKEY k : keys_)
      if (k) RegCloseKey(k);
  }
  bool open(uint32_t root, const std::string& subkey, uint32_t& key) override {
    HKEY k = nullptr;
    if (RegOpenKeyExA(reinterpret_cast<HKEY>(static_cast<uintptr_t>(root)), subkey.c_str(), 0, KEY_READ, &k) !=
        ERROR_SUCCESS)
      return false;
    keys_.push_back(k);
    key = static_cast<uint32_t>(keys_.size());  // our own small numbers for the handles
    return true;
  }
  bool query(uint32_t key, const std::string& name, uint32_t& type, std::vector<uint8_t>& data,
             uint32_t& size) override {
    HKEY k = handle(key);
    if (!k) return false;
    DWORD t = 0, n = static_cast<DWORD>(std::min<std::size_t>(size, data.size()));
    const LSTATUS r = RegQueryValueExA(k, name.c_str(), nullptr, &t, data.data(), &n);
    type = t;
    size = n;
    return r == ERROR_SUCCESS;
  }
  void close(uint32_t key) override {
    if (HKEY k = handle(key)) {
      RegCloseKey(k);
      keys_[key - 1] = nullptr;
    }
  }

 private:
  HKEY handle(uint32_t key) const { return key >= 1 && key <= keys_.size() ? keys_[key - 1] : nullptr; }
  std::vector<HKEY> keys_;
};

template <typename Fn>
Fn find_in(const wchar_t* library, const char* name) {
  HMODULE m = LoadLibraryW(library);
  return m ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(m, name))) : nullptr;
}

}  // namespace

int platform_id() {
  OSVERSIONINFOA v{};
  v.dwOSVersionInfoSize = sizeof(v);  // 148 bytes
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!GetVersionExA(&v)) return 0;
#pragma GCC diagnostic pop
  return static_cast<int>(v.dwPlatformId);
}

std::unique_ptr<Registry> make_system_registry() { return std::make_unique<SystemRegistry>(); }

bool change_saver_password(int32_t parent_window) {
  using Fn = DWORD(WINAPI*)(LPCSTR, HWND, DWORD, LPVOID);
  static const Fn change = find_in<Fn>(L"mpr.dll", "PwdChangePasswordA");
  if (!change) return false;
  change("SCRSAVE", win::to_hwnd(static_cast<unsigned long>(parent_window)), 0, nullptr);
  return true;
}

std::optional<bool> verify_saver_password(unsigned long window) {
  using Fn = BOOL(WINAPI*)(HWND);
  static const Fn verify = find_in<Fn>(L"password.cpl", "VerifyScreenSavePwd");
  if (!verify) return std::nullopt;
  return verify(win::to_hwnd(window)) != 0;
}

void set_screensaver_running(bool running) {
  BOOL old = FALSE;
  SystemParametersInfoW(SPI_SETSCREENSAVERRUNNING, running ? TRUE : FALSE, &old, 0);
}

std::vector<std::string> program_arguments(int argc, char** argv) {
  int n = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &n);
  if (!wide) return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>{};
  std::vector<std::string> args;
  for (int i = 1; i < n; ++i) args.push_back(win::narrow(wide[i]));
  LocalFree(wide);
  return args;
}

}  // namespace vex
