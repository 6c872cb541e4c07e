#pragma once
// The failure model shared by every layer: a failure is an exception carrying
// one fixed code per kind. Who catches it and how it is shown belongs to the
// program (platform/error_report.h).
#include <exception>
#include <string>
#include <utility>

namespace vex {

inline constexpr int kInvalidArgument = 5;
inline constexpr int kOverflow = 6;
inline constexpr int kOutOfMemory = 7;
inline constexpr int kIndexOutOfRange = 9;
inline constexpr int kConversionFailed = 13;
inline constexpr int kNoObject = 91;
inline constexpr int kInvalidPropertyValue = 380;

class Failure : public std::exception {
 public:
  explicit Failure(int code, std::string detail = {}) : code_(code), detail_(std::move(detail)) {}
  int code() const noexcept { return code_; }
  const std::string& detail() const noexcept { return detail_; }
  const char* what() const noexcept override { return "vexmoor failure"; }

 private:
  int code_;
  std::string detail_;
};

// Thrown by the process-ending hook that tests install, so that "the process
// ends here" can be observed; traps let it pass.
struct ProcessEnded {
  int status = 0;
};

// The code a caught exception stands for.
int failure_code(const std::exception_ptr& e) noexcept;

}  // namespace vex
