// The text the runner prints for one run without a table.
#include "run_summary.h"

#include <algorithm>
#include <iomanip>
#include <sstream>

#include "model/run.h"

namespace davrel3 {

// The summary of run `number`, as text, so that it goes out in one write.
std::string RunSummary(const SessionRun& run, int number) {
  std::ostringstream out;
  out << "Run " << number << ": " << RunStatusName(run.outcome.status) << "\n";
  if (!run.outcome.message.empty()) out << "  " << run.outcome.message << "\n";
  out << "  Timesteps per task:";
  if (run.outcome.timesteps.empty()) out << " none";
  for (long long t : run.outcome.timesteps) out << " " << t;
  out << "\n";
  const auto& grid = run.workTimeGrid;
  if (grid.empty()) return out.str();
  std::vector<std::size_t> widths;
  for (const auto& row : grid) {
    for (std::size_t c = 0; c < row.size(); ++c) {
      if (widths.size() <= c) widths.push_back(0);
      widths[c] = std::max(widths[c], row[c].size());
    }
  }
  out << "  Work times per agent and task:\n";
  for (const auto& row : grid) {
    out << "   ";
    for (std::size_t c = 0; c < row.size(); ++c) {
      const std::string& text = row[c];
      if (c == 0) {
        out << " " << std::left << std::setw(static_cast<int>(widths[c])) << text;
      } else {
        out << "  " << std::right << std::setw(static_cast<int>(widths[c])) << text;
      }
    }
    out << "\n";
  }
  return out.str();
}

}  // namespace davrel3
