#include "os/profile_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string_view>
#include <vector>

#include "base/convert.h"
#include "os/file_io.h"

namespace vex {
namespace {

bool is_space(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

std::string_view trim(std::string_view s) {
  while (!s.empty() && is_space(s.front())) s.remove_prefix(1);
  while (!s.empty() && is_space(s.back())) s.remove_suffix(1);
  return s;
}

// A settings file is small; one larger than this is not ours to read whole.
constexpr std::size_t kMaxFileSize = 16 * 1024 * 1024;

std::optional<std::string> read_all(const std::string& file) {
  auto bytes = read_regular_file(file, kMaxFileSize);
  if (!bytes) return std::nullopt;
  return std::string(bytes->begin(), bytes->end());
}

struct Line {
  std::string_view text;  // without its line end
  std::size_t begin = 0;  // offset of the line in the file
  std::size_t end = 0;    // offset just past its line end
};

std::vector<Line> split_lines(const std::string& text) {
  std::vector<Line> lines;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t nl = text.find('\n', pos);
    std::size_t stop = nl == std::string::npos ? text.size() : nl;
    std::size_t content_end = stop;
    if (content_end > pos && text[content_end - 1] == '\r') --content_end;
    lines.push_back(
        {std::string_view(text).substr(pos, content_end - pos), pos, nl == std::string::npos ? text.size() : nl + 1});
    pos = lines.back().end;
  }
  return lines;
}

// "[name]" -> name; nullopt for any other line.
std::optional<std::string_view> section_name(std::string_view line) {
  line = trim(line);
  if (line.size() < 2 || line.front() != '[') return std::nullopt;
  std::size_t close = line.find(']');
  if (close == std::string_view::npos) return std::nullopt;
  return trim(line.substr(1, close - 1));
}

// "key=value" -> key; nullopt for lines without '=' and comments.
std::optional<std::string_view> key_of(std::string_view line) {
  std::string_view t = trim(line);
  if (t.empty() || t.front() == ';') return std::nullopt;
  std::size_t eq = line.find('=');
  if (eq == std::string_view::npos) return std::nullopt;
  return trim(line.substr(0, eq));
}

// Everything after the first '=' of the line, exactly as written: blanks
// and quotes are the value's own (a message of blanks is a message).
std::string value_of(std::string_view line) { return std::string(line.substr(line.find('=') + 1)); }

struct Found {
  std::optional<std::size_t> section_line;  // index of the section header
  std::optional<std::size_t> key_line;      // index of the key's line
  std::size_t last_in_section = 0;          // last non-blank line of the section
};

Found find(const std::vector<Line>& lines, std::string_view section, std::string_view key) {
  Found f;
  bool in_section = false;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (auto name = section_name(lines[i].text)) {
      if (in_section) break;  // the first section of that name is the one used
      in_section = iequals(*name, section);
      if (in_section) {
        f.section_line = i;
        f.last_in_section = i;
      }
      continue;
    }
    if (!in_section) continue;
    if (!trim(lines[i].text).empty()) f.last_in_section = i;
    if (auto k = key_of(lines[i].text); k && !f.key_line && iequals(*k, key)) f.key_line = i;
  }
  return f;
}

bool write_atomically(const std::string& file, const std::string& text) {
  namespace fs = std::filesystem;
  fs::path target(file);
  std::error_code ec;
  if (target.has_parent_path()) fs::create_directories(target.parent_path(), ec);
  std::string tmp = file + ".XXXXXX";
  std::vector<char> name(tmp.begin(), tmp.end());
  name.push_back('\0');
  int fd = mkstemp(name.data());
  if (fd < 0) return false;
  struct stat st {};
  mode_t mode = 0644;
  if (stat(file.c_str(), &st) == 0) mode = st.st_mode & 07777;
  fchmod(fd, mode);
  const char* p = text.data();
  std::size_t left = text.size();
  bool ok = true;
  while (left > 0) {
    ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      ok = false;
      break;
    }
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  ok = ok && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  if (ok) ok = std::rename(name.data(), file.c_str()) == 0;
  if (!ok) ::unlink(name.data());
  return ok;
}

}  // namespace

std::optional<std::string> profile_get(const std::string& file, const std::string& section, const std::string& key) {
  auto text = read_all(file);
  if (!text) return std::nullopt;
  auto lines = split_lines(*text);
  Found f = find(lines, section, key);
  if (!f.key_line) return std::nullopt;
  return value_of(lines[*f.key_line].text);
}

std::optional<ProfileEntries> profile_get_section(const std::string& file, const std::string& section) {
  auto text = read_all(file);
  if (!text) return std::nullopt;
  ProfileEntries entries;
  bool in_section = false;
  for (const Line& l : split_lines(*text)) {
    if (auto name = section_name(l.text)) {
      if (in_section) break;  // the first section of that name is the one used
      in_section = iequals(*name, section);
      continue;
    }
    if (!in_section) continue;
    if (auto k = key_of(l.text)) entries.emplace_back(std::string(*k), value_of(l.text));
  }
  return entries;
}

namespace {

// The file's text with key=value set in the section, as one write leaves it.
std::string with_key(const std::string& text, const std::string& section, const std::string& key,
                     const std::string& value) {
  // A line end inside a value would split it into lines of its own.
  std::string clean = value;
  for (char& c : clean)
    if (c == '\r' || c == '\n') c = ' ';
  std::string eol = text.find("\r\n") != std::string::npos ? "\r\n" : "\n";
  auto lines = split_lines(text);
  Found f = find(lines, section, key);
  std::string entry = key + "=" + clean;
  std::string out;
  if (f.key_line) {
    const Line& l = lines[*f.key_line];
    out = text.substr(0, l.begin) + entry + text.substr(l.begin + l.text.size());
  } else if (f.section_line) {
    const Line& l = lines[f.last_in_section];
    std::string before = text.substr(0, l.end);
    if (l.end == l.begin || text[l.end - 1] != '\n') before += eol;  // the last line had no line end
    out = before + entry + eol + text.substr(l.end);
  } else {
    out = text;
    if (!out.empty() && out.back() != '\n') out += eol;
    out += "[" + section + "]" + eol + entry + eol;
  }
  return out;
}

// The file as it is now, or empty text when there is none; nullopt for a
// file that exists but cannot be read (or is far too large to be ours),
// which is left alone rather than replaced by the keys we know.
std::optional<std::string> current_text(const std::string& file) {
  auto existing = read_all(file);
  std::error_code ec;
  if (!existing && std::filesystem::exists(file, ec)) return std::nullopt;
  return existing.value_or(std::string());
}

}  // namespace

bool profile_put(const std::string& file, const std::string& section, const std::string& key,
                 const std::string& value) {
  return profile_put_all(file, section, {{key, value}});
}

bool profile_put_all(const std::string& file, const std::string& section, const ProfileEntries& entries) {
  auto text = current_text(file);
  if (!text) return false;
  // One reading and one replacement, whatever the number of keys: a reader
  // meanwhile finds the file as it was or as it is now, never a part of the
  // keys, and of two writers at once one wins whole.
  for (const auto& [key, value] : entries) *text = with_key(*text, section, key, value);
  return write_atomically(file, *text);
}

}  // namespace vex
