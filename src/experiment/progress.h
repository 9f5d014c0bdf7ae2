// The progress line of a table run: runs done of the total, the percentage,
// runs per second and the time left at that pace, e.g.
//   "run 120 of 1800 (6.7%), 14.2 runs/s, about 1 min 58 s left"
#pragma once

#include <string>

namespace davrel3 {

std::string ProgressLine(long long done, long long total, double elapsedSeconds);

// "45 s", "3 min 05 s", "2 h 07 min".
std::string DurationText(double seconds);

}  // namespace davrel3
