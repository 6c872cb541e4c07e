// Where the program keeps its settings and finds its media on Windows: the
// settings file "zelvora.ini" of the Windows directory, as the private-
// profile functions find a bare name, unless that cannot be written (a
// standard user on any Windows since Vista): then the user's own
// %APPDATA%\Zelvora\zelvora.ini, which is read first whenever it exists.
// The media lie in <Windows directory>\Zelvora\Vexmoor\, or beside the .scr.
#include "os/paths.h"

#include <filesystem>

#include "os/windows/win32.h"

namespace vex {
namespace {

std::string env(const wchar_t* name) {
  wchar_t buf[MAX_PATH * 2];
  const DWORD n = GetEnvironmentVariableW(name, buf, static_cast<DWORD>(std::size(buf)));
  return n > 0 && n < std::size(buf) ? win::narrow(std::wstring(buf, n)) : std::string();
}

std::string windows_directory() {
  wchar_t buf[MAX_PATH];
  const UINT n = GetWindowsDirectoryW(buf, MAX_PATH);
  return n > 0 && n < MAX_PATH ? win::narrow(std::wstring(buf, n)) : std::string("C:\\Windows");
}

std::string with_separator(std::string dir) {
  if (!dir.empty() && !is_path_separator(dir.back())) dir += '\\';
  return dir;
}

std::string program_directory() {
  wchar_t buf[MAX_PATH * 2];
  const DWORD n = GetModuleFileNameW(nullptr, buf, static_cast<DWORD>(std::size(buf)));
  std::wstring p(buf, n);
  const std::size_t cut = p.find_last_of(L"\\/");
  return cut == std::wstring::npos ? std::string() : win::narrow(p.substr(0, cut + 1));
}

// Could the settings file of the Windows directory be written? Asked of
// the file itself when it exists, else of the directory, by making a file
// there that the system removes again at once.
bool writable(const std::string& file) {
  const std::wstring w = win::widen(file);
  HANDLE h = CreateFileW(w.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h != INVALID_HANDLE_VALUE) {
    CloseHandle(h);
    return true;
  }
  if (GetFileAttributesW(w.c_str()) != INVALID_FILE_ATTRIBUTES) return false;  // there, but not ours to write
  const std::wstring probe = w + L".probe";
  h = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                  FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  CloseHandle(h);
  return true;
}

}  // namespace

bool is_path_separator(char c) { return c == '\\' || c == '/'; }
char path_separator() { return '\\'; }

std::string settings_file_path() {
  static const std::string chosen = [] {
    const std::string appdata = env(L"APPDATA");
    const std::string own = appdata.empty() ? std::string() : with_separator(appdata) + "Zelvora\\zelvora.ini";
    std::error_code ec;
    if (!own.empty() && std::filesystem::is_regular_file(win::widen(own), ec)) return own;
    if (own.empty() || writable(with_separator(windows_directory()) + "zelvora.ini")) return std::string("zelvora.ini");
    return own;
  }();
  return chosen;
}

std::vector<std::string> data_directories() {
  std::vector<std::string> dirs{with_separator(windows_directory())};
  const std::string beside = program_directory();
  if (!beside.empty()) dirs.push_back(beside);
  return dirs;
}

std::string media_base_directory(bool* found) {
  auto dirs = data_directories();
  for (const auto& d : dirs) {
    std::error_code ec;
    if (std::filesystem::is_directory(win::widen(d + "Zelvora\\Vexmoor"), ec)) {
      if (found) *found = true;
      return d;
    }
  }
  if (found) *found = false;
  return dirs.front();
}

std::string cache_directory() {
  std::string base = env(L"LOCALAPPDATA");
  if (base.empty()) base = env(L"TEMP");
  return with_separator(base) + "Vexmoor";
}

std::string runtime_directory() {
  wchar_t buf[MAX_PATH + 1];
  const DWORD n = GetTempPathW(MAX_PATH + 1, buf);
  return n > 0 ? win::narrow(std::wstring(buf, n)) : std::string(".\\");
}

}  // namespace vex
