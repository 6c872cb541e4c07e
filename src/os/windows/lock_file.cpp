// "Is another full-screen saver running?" by a named mutex of the session:
// the system removes it with the last process that holds it, however that
// process ends.
#include "os/lock_file.h"

#include "os/windows/win32.h"

namespace vex {

std::string default_lock_path() { return "Local\\Zelvora.Vexmoor.Saver"; }
std::string audio_lock_path() { return "Local\\Zelvora.Vexmoor.Sound"; }

InstanceLock take_instance_lock(const std::string& lock_path, std::string* problem) {
  std::wstring name = win::widen(lock_path);
  // A mutex name may hold no backslash beyond its namespace's.
  const std::size_t ns = name.find(L'\\');
  for (std::size_t i = ns == std::wstring::npos ? 0 : ns + 1; i < name.size(); ++i)
    if (name[i] == L'\\' || name[i] == L':') name[i] = L'_';
  HANDLE m = CreateMutexW(nullptr, FALSE, name.c_str());
  if (!m) {
    if (GetLastError() == ERROR_ACCESS_DENIED) return InstanceLock::kOtherRunning;  // made by another user's saver
    if (problem) *problem = win::last_error_text();
    return InstanceLock::kUnavailable;
  }
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    CloseHandle(m);
    return InstanceLock::kOtherRunning;
  }
  // The handle stays open on purpose until the process ends.
  return InstanceLock::kAlone;
}

}  // namespace vex
