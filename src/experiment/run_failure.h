// What a run that failed is told as: the reason its exception gives, or
// words of the program's own when it gives none or when memory ran out.
#pragma once

#include <exception>
#include <string>

namespace davrel3 {

// A run that failed and whose failed result could not be built either.
struct UnrecordedRun {
  long long run = 0;
  std::exception_ptr failure;  // why the run failed
  std::exception_ptr building;  // why its failed result could not be built
};

// The message of a run that threw `error` (the current exception).
std::string FailureMessage(std::exception_ptr error);

// What happened to an unrecorded run, in words: "run 7 failed (...) and its
// failed row could not be built (...)"; `run` counts from 1.
std::string UnrecordedRunText(const UnrecordedRun& run);

}  // namespace davrel3
