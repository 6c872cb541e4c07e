#include "base/failure.h"

#include <new>
#include <stdexcept>

namespace vex {

int failure_code(const std::exception_ptr& e) noexcept {
  try {
    std::rethrow_exception(e);
  } catch (const Failure& f) { return f.code(); } catch (const std::bad_alloc&) {
    return kOutOfMemory;
  } catch (const std::out_of_range&) { return kIndexOutOfRange; } catch (const std::overflow_error&) {
    return kOverflow;
  } catch (...) { return kInvalidArgument; }
}

}  // namespace vex
