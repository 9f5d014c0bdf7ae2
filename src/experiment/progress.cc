#include "progress.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iostream>

#include <unistd.h>

namespace davrel3 {

std::string DurationText(double seconds) {
  const long long s = std::llround(std::max(0.0, seconds));
  char text[64];
  if (s < 60) {
    std::snprintf(text, sizeof text, "%lld s", s);
  } else if (s < 3600) {
    std::snprintf(text, sizeof text, "%lld min %02lld s", s / 60, s % 60);
  } else {
    std::snprintf(text, sizeof text, "%lld h %02lld min", s / 3600, s / 60 % 60);
  }
  return text;
}

std::string ProgressLine(long long done, long long total, double elapsedSeconds) {
  char text[160];
  const double percent = total > 0 ? 100.0 * static_cast<double>(done) / static_cast<double>(total) : 100.0;
  std::snprintf(text, sizeof text, "run %lld of %lld (%.1f%%)", done, total, percent);
  std::string line = text;
  if (done > 0 && elapsedSeconds > 0) {
    const double rate = static_cast<double>(done) / elapsedSeconds;
    // Three significant digits, but never an exponent: "0.25", "14.2", "1380".
    std::snprintf(text, sizeof text, rate < 100 ? ", %.3g runs/s" : ", %.0f runs/s", rate);
    line += text;
    if (done < total) line += ", about " + DurationText(static_cast<double>(total - done) / rate) + " left";
  }
  return line;
}

namespace {

double Seconds(std::chrono::steady_clock::time_point from, std::chrono::steady_clock::time_point to) {
  return std::chrono::duration<double>(to - from).count();
}

}  // namespace

ProgressReport::ProgressReport(bool asked) : terminal_(isatty(STDERR_FILENO) != 0), enabled_(terminal_ || asked) {}

void ProgressReport::Update(long long done, long long total) {
  if (!enabled_) return;
  const auto now = Clock::now();
  const double interval = terminal_ ? 0.2 : 10.0;
  if (done < total && Seconds(last_, now) < interval) return;
  if (!terminal_ && done == total && Seconds(start_, now) < interval) return;  // short runs log nothing
  last_ = now;
  const std::string line = ProgressLine(done, total, Seconds(start_, now));
  if (terminal_) {
    std::cerr << "\r" << line << "\033[K" << std::flush;
    shown_ = true;
  } else {
    std::cerr << line << std::endl;
  }
}

void ProgressReport::End() {
  if (shown_) std::cerr << "\n";
}

}  // namespace davrel3
