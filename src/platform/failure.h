#pragma once
// One failure model for the whole program: a routine with a label runs its
// body under trap(); whatever goes wrong inside is handed to ReportError with
// that label and a fixed code per kind of failure, and the routine returns
// its empty value.
#include <exception>
#include <string>
#include <string_view>
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

void ReportError(std::string_view label, int code);

// Runs body; on any failure reports it under label and returns false.
template <typename F>
bool trap(std::string_view label, F&& body) {
  try {
    std::forward<F>(body)();
    return true;
  } catch (const ProcessEnded&) {
    throw;
  } catch (...) {
    ReportError(label, failure_code(std::current_exception()));
    return false;
  }
}

}  // namespace vex
