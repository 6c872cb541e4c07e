// Settings through the system's own private-profile functions, which find
// a bare file name in the Windows directory. Only a regular file is read.
// The system writes one key at a time, in place; several keys are written to
// a copy of the file beside it, which then takes the file's place in one move.
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

namespace {

std::string without_line_ends(const std::string& value) {
  // A line end inside a value would split it into lines of its own.
  std::string clean = value;
  for (char& c : clean)
    if (c == '\r' || c == '\n') c = ' ';
  return clean;
}

// Something at the path that is not a file is not replaced by one; the
// folder is made when missing.
bool may_write(const std::string& path) {
  std::error_code ec;
  if (std::filesystem::exists(win::widen(path), ec) && !is_regular_file(path)) return false;
  const auto dir = std::filesystem::path(win::widen(path)).parent_path();
  if (!dir.empty()) std::filesystem::create_directories(dir, ec);
  return true;
}

bool put_each(const std::string& system_file, const std::string& section, const ProfileEntries& entries) {
  for (const auto& [key, value] : entries)
    if (!WritePrivateProfileStringA(section.c_str(), key.c_str(), without_line_ends(value).c_str(),
                                    system_file.c_str()))
      return false;
  return true;
}

}  // namespace

std::optional<ProfileEntries> profile_get_section(const std::string& file, const std::string& section) {
  if (!is_regular_file(resolved(file))) return std::nullopt;
  // The system answers "key=value" strings, each ending in a zero, the last
  // followed by another; a buffer too small comes back filled to its size
  // less two.
  std::string buf(32768, '\0');
  DWORD n = 0;
  for (;;) {
    n = GetPrivateProfileSectionA(section.c_str(), buf.data(), static_cast<DWORD>(buf.size()),
                                  system_name(file).c_str());
    if (n + 2 < buf.size() || buf.size() >= (1u << 24)) break;
    buf.assign(buf.size() * 4, '\0');
  }
  ProfileEntries entries;
  for (std::size_t pos = 0; pos < n && buf[pos];) {
    const std::string item(buf.c_str() + pos);
    pos += item.size() + 1;
    const std::size_t eq = item.find('=');
    std::string key = item.substr(0, eq), value = eq == std::string::npos ? std::string() : item.substr(eq + 1);
    // The system's reading of one key drops a pair of quotes around its
    // value; its reading of the section keeps them.
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
      value = value.substr(1, value.size() - 2);
    entries.emplace_back(std::move(key), std::move(value));
  }
  return entries;
}

bool profile_put(const std::string& file, const std::string& section, const std::string& key,
                 const std::string& value) {
  const std::string path = resolved(file);
  if (!may_write(path)) return false;
  return put_each(system_name(file), section, {{key, value}});
}

bool profile_put_all(const std::string& file, const std::string& section, const ProfileEntries& entries) {
  const std::string path = resolved(file);
  if (!may_write(path)) return false;
  const std::wstring target = win::widen(path);
  std::wstring dir = std::filesystem::path(target).parent_path().wstring();
  if (dir.empty()) dir = L".";
  wchar_t temp[MAX_PATH];
  if (!GetTempFileNameW(dir.c_str(), L"zel", 0, temp)) {
    // Nothing may be made in the file's folder (the file alone was opened to
    // us): the system writes the file in place, key by key, as it always did.
    return put_each(system_name(file), section, entries);
  }
  // The copy takes the file's bytes and attributes; the system's own
  // functions then write it exactly as they would the file itself.
  std::error_code ec;
  const bool existed = std::filesystem::exists(target, ec);
  const std::string copy = system_name(win::narrow(temp));
  bool ok = (!existed || CopyFileW(target.c_str(), temp, FALSE)) && put_each(copy, section, entries);
  // The system may keep the file it wrote open or cached: let go of it.
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, copy.c_str());
  ok = ok && MoveFileExW(temp, target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  if (!ok) DeleteFileW(temp);
  return ok;
}

}  // namespace vex
