// Settings through the system's own private-profile functions, which find
// a bare file name in the Windows directory. Only a regular file is read.
#include "os/profile_file.h"

#include <filesystem>

#include "os/file_io.h"
#include "os/paths.h"
#include "os/windows/win32.h"

namespace vex {
namespace {

bool bare(const std::string& file) {
  for (char c : file)
    if (is_path_separator(c)) return false;
  return true;
}

// Where the system will look for the file.
std::string resolved(const std::string& file) {
  if (!bare(file)) return file;
  wchar_t buf[MAX_PATH];
  const UINT n = GetWindowsDirectoryW(buf, MAX_PATH);
  return win::narrow(std::wstring(buf, n)) + "\\" + file;
}

// The system's functions take the file's name in the system's own code
// page; the program's text is UTF-8, kept byte for byte in the values.
std::string system_name(const std::string& file) {
  const std::wstring w = win::widen(file);
  const int n = WideCharToMultiByte(CP_ACP, 0, w.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string a(static_cast<std::size_t>(n > 0 ? n - 1 : 0), '\0');
  if (n > 1) WideCharToMultiByte(CP_ACP, 0, w.c_str(), -1, a.data(), n, nullptr, nullptr);
  return a;
}

constexpr char kMissing[] = "\x01 no such key \x01";

}  // namespace

std::optional<std::string> profile_get(const std::string& file, const std::string& section, const std::string& key) {
  if (!is_regular_file(resolved(file))) return std::nullopt;
  std::string buf(32768, '\0');
  const DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), kMissing, buf.data(),
                                           static_cast<DWORD>(buf.size()), system_name(file).c_str());
  buf.resize(n);
  if (buf == kMissing) return std::nullopt;
  return buf;
}

bool profile_put(const std::string& file, const std::string& section, const std::string& key,
                 const std::string& value) {
  // A line end inside a value would split it into lines of its own.
  std::string clean = value;
  for (char& c : clean)
    if (c == '\r' || c == '\n') c = ' ';
  const std::string path = resolved(file);
  std::error_code ec;
  // Something at the path that is not a file is not replaced by one.
  if (std::filesystem::exists(win::widen(path), ec) && !is_regular_file(path)) return false;
  const auto dir = std::filesystem::path(win::widen(path)).parent_path();
  if (!dir.empty()) std::filesystem::create_directories(dir, ec);
  return WritePrivateProfileStringA(section.c_str(), key.c_str(), clean.c_str(), system_name(file).c_str()) != 0;
}

}  // namespace vex
