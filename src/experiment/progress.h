// The progress line of a table run: runs done of the total, the percentage,
// runs per second and the time left at that pace, e.g.
//   "run 120 of 1800 (6.7%), 14.2 runs/s, about 1 min 58 s left"
#pragma once

#include <chrono>
#include <string>

namespace davrel3 {

std::string ProgressLine(long long done, long long total, double elapsedSeconds);

// "45 s", "3 min 05 s", "2 h 07 min".
std::string DurationText(double seconds);

// The progress line on standard error: on a terminal rewritten in place as
// runs end; with `asked` (--progress) off a terminal, one line every 10
// seconds for a log; otherwise nothing.
class ProgressReport {
 public:
  explicit ProgressReport(bool asked);

  void Update(long long done, long long total);
  // Ends a line left open on a terminal.
  void End();

 private:
  using Clock = std::chrono::steady_clock;

  bool terminal_;
  bool enabled_;
  bool shown_ = false;
  Clock::time_point start_ = Clock::now();
  Clock::time_point last_ = start_;
};

}  // namespace davrel3
