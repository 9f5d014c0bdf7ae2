#include "run_failure.h"

#include <new>

namespace davrel3 {
namespace {

// The text of `error`: its own reason if it gives one, `noMemory` for
// std::bad_alloc, `noReason` otherwise.
std::string ReasonOf(std::exception_ptr error, const char* noMemory, const char* noReason) {
  try {
    std::rethrow_exception(error);
  } catch (const std::bad_alloc&) {
    return noMemory;
  } catch (const std::exception& e) {
    if (*e.what() != '\0') return e.what();
  } catch (...) {
  }
  return noReason;
}

}  // namespace

std::string FailureMessage(std::exception_ptr error) {
  return ReasonOf(error, "there was not enough memory for the run", "the run ended with an error that gave no reason");
}

std::string UnrecordedRunText(const UnrecordedRun& run) {
  const std::string building =
      ReasonOf(run.building, "there was not enough memory to build it", "it ended with an error that gave no reason");
  return "run " + std::to_string(run.run + 1) + " failed (" + FailureMessage(run.failure) +
         "), and its row could not be built (" + building + ")";
}

}  // namespace davrel3
