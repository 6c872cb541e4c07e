#include "os/file_io.h"

#include "os/windows/win32.h"

namespace vex {

std::optional<std::vector<uint8_t>> read_regular_file(const std::string& path, std::size_t max_bytes,
                                                      std::size_t read_at_most) {
  // A directory does not open without backup semantics; a device or a pipe
  // opens but is not a disk file, and is never read.
  HANDLE f = CreateFileW(win::widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return std::nullopt;
  LARGE_INTEGER size{};
  if (GetFileType(f) != FILE_TYPE_DISK || !GetFileSizeEx(f, &size) || size.QuadPart < 0 ||
      static_cast<unsigned long long>(size.QuadPart) > max_bytes) {
    CloseHandle(f);
    return std::nullopt;
  }
  std::vector<uint8_t> data(std::min(static_cast<std::size_t>(size.QuadPart), read_at_most));
  std::size_t got = 0;
  while (got < data.size()) {
    DWORD n = 0;
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(data.size() - got, 1u << 30));
    if (!ReadFile(f, data.data() + got, want, &n, nullptr) || n == 0) break;  // shrank meanwhile
    got += n;
  }
  CloseHandle(f);
  data.resize(got);
  return data;
}

bool is_regular_file(const std::string& path) {
  const DWORD a = GetFileAttributesW(win::widen(path).c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE));
}

}  // namespace vex
