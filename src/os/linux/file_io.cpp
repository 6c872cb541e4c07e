#include "os/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace vex {

std::optional<std::vector<uint8_t>> read_regular_file(const std::string& path, std::size_t max_bytes,
                                                      std::size_t read_at_most) {
  // Non-blocking open: a FIFO would otherwise wait for a writer forever;
  // the check on the open descriptor (not the name) cannot be raced.
  int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return std::nullopt;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0 ||
      static_cast<unsigned long long>(st.st_size) > max_bytes) {
    ::close(fd);
    return std::nullopt;
  }
  std::vector<uint8_t> data(std::min(static_cast<std::size_t>(st.st_size), read_at_most));
  std::size_t got = 0;
  while (got < data.size()) {
    ssize_t n = ::read(fd, data.data() + got, data.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;  // the file shrank while we read: what is there is all there is
    got += static_cast<std::size_t>(n);
  }
  ::close(fd);
  data.resize(got);
  return data;
}

bool is_regular_file(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace vex
