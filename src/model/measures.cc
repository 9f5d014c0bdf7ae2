#include "measures.h"

#include <charconv>
#include <cmath>
#include <climits>
#include <cstdio>

#include "int_text.h"

namespace davrel3 {
namespace {

// The newcomer's column, whatever the group size: with five agents it is the
// task duration column, with four the run duration one (the formula takes it
// as it stands); a table without column 5 reads 0.
constexpr int kNewcomerColumn = 5;

double PlainSumWithoutLast(const RunHistory& history, int agents, int k) {
  double sum = 0;
  for (int j = 0; j <= agents - 2; ++j) sum = sum + TaskWorkAt(history, k, j);
  return sum;
}

}  // namespace

double RoundHalfEven(double value) {
  // nearbyint follows the current rounding mode, which is to-nearest-even
  // unless someone changed it; the model never does.
  return std::nearbyint(value);
}

std::string FormatRounded(double value) {
  const double r = RoundHalfEven(value);
  if (r == 0) return "0";  // no "-0"
  // Whole numbers below 2^53 convert to an integer exactly, and printing that
  // integer gives the digits "%.0f" gives, without a trip through printf:
  // a table of many tasks and agents has millions of cells.
  if (std::fabs(r) < 9007199254740992.0) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, static_cast<long long>(r)).ptr;
    return std::string(digits, end);
  }
  char text[400];
  std::snprintf(text, sizeof text, "%.0f", r);
  return text;
}

std::string FormatHundredths(double value) {
  const long double scaled = static_cast<long double>(value) * 100.0L;
  const long double r = std::nearbyintl(scaled);
  if (r == 0) return "0";
  char text[5000];
  std::snprintf(text, sizeof text, "%.0Lf", r);
  return text;
}

double AddAllTasksPerAgents(const RunHistory& history, int tasks, int j) {
  double sum = 0;
  for (int k = 0; k < tasks; ++k) sum = sum + TaskWorkAt(history, k, j);
  return sum;
}

double SlowestPerformanceTime(const RunHistory& history, int agents, int k) {
  double m = 0;
  for (int j = 0; j < agents; ++j) {
    const double w = TaskWorkAt(history, k, j);
    if (w > m) m = w;
  }
  return m;
}

double SumPerformanceTime(const RunHistory& history, int agents, int k) {
  double sum = 0;
  for (int j = 0; j < agents; ++j) sum = sum + TaskWorkAt(history, k, j);
  return sum;
}

double MeanPerformanceTimeCorrectedNewcomerNoFit(const RunHistory& history, int agents, int k) {
  return (PlainSumWithoutLast(history, agents, k) + TaskWorkAt(history, k, kNewcomerColumn) * 46 / 21) / 6;
}

double MeanPerformanceTimeCorrectedNewcomerFit(const RunHistory& history, int agents, int k) {
  return (PlainSumWithoutLast(history, agents, k) + TaskWorkAt(history, k, kNewcomerColumn) * 217 / 117) / 6;
}

void DrawAllocation(RunContext& ctx) {
  TextGrid& grid = ctx.state.AllocationGrid;
  int tasks = ctx.parameters[Field::NrOfTasks];
  const long long cycles = ctx.state.Task.Cycles;
  // Controls changed after the commit must not make the headings endless:
  // past the size a commit allows, only the committed tasks are headed.
  const long long committedTasks = static_cast<long long>(ctx.state.History.TaskWorkHistory.size()) - 2;
  if (static_cast<long long>(tasks) * (cycles > 0 ? cycles : 1) > kMaxGridColumns && tasks > committedTasks) {
    tasks = static_cast<int>(committedTasks < 0 ? 0 : committedTasks);
  }
  const int skills = CommittedSkills(ctx.state.System);
  const long long columns = tasks * cycles + 1;
  grid.SetColumnCount(columns > INT_MAX ? INT_MAX : static_cast<int>(columns));
  grid.SetRowCount(skills + 1);
  int headed = ctx.parameters[Field::Cycle];
  if (static_cast<long long>(tasks) * headed > kMaxGridColumns && headed > cycles) headed = static_cast<int>(cycles);
  for (int k = 0; k < tasks; ++k) {
    for (int c = 1; c <= headed; ++c) grid.SetCell(k * cycles + c, 0, IntToStr(c));
  }
  for (int r = 1; r <= skills; ++r) grid.SetCell(0, r, IntToStr(r));
}

void DrawWorkTime(RunContext& ctx) {
  TextGrid& grid = ctx.state.WorkTimeGrid;
  const int tasks = ctx.parameters[Field::NrOfTasks];
  const int n = ctx.state.System.NrOfAgents;
  grid.SetColumnCount(tasks + 2);
  grid.SetRowCount(n + 5);
  for (int j = 1; j <= n; ++j) grid.SetCell(0, j, IntToStr(j));
  grid.SetCell(0, n + 1, "Slow");
  grid.SetCell(0, n + 2, "Sum");
  grid.SetCell(0, n + 3, "MeanNoFit");
  grid.SetCell(0, n + 4, "MeanFit");
  for (int k = 1; k <= tasks; ++k) grid.SetCell(k, 0, IntToStr(k));
  grid.SetCell(tasks + 1, 0, "Tot.");
  TotalWorkTime(ctx);
}

void TotalWorkTime(RunContext& ctx) {
  TextGrid& grid = ctx.state.WorkTimeGrid;
  const RunHistory& w = ctx.state.History;
  const int n = ctx.state.System.NrOfAgents;
  const int tasks = ctx.parameters[Field::NrOfTasks];
  double slowTotal = 0;
  for (int k = 0; k < tasks; ++k) {
    const double slowest = SlowestPerformanceTime(w, n, k);
    grid.SetCell(k + 1, n + 1, FormatRounded(slowest));
    slowTotal = slowTotal + slowest;
    grid.SetCell(k + 1, n + 2, FormatRounded(SumPerformanceTime(w, n, k)));
    grid.SetCell(k + 1, n + 3, FormatRounded(MeanPerformanceTimeCorrectedNewcomerNoFit(w, n, k)));
    grid.SetCell(k + 1, n + 4, FormatRounded(MeanPerformanceTimeCorrectedNewcomerFit(w, n, k)));
    for (int j = 0; j < n; ++j) grid.SetCell(k + 1, j + 1, FormatRounded(TaskWorkAt(w, k, j)));
  }
  // Each agent's total is the same sum whichever task writes it, so it is
  // formed once per agent (a table without tasks has no total to show).
  if (tasks > 0) {
    for (int j = 0; j < n; ++j) grid.SetCell(tasks + 1, j + 1, FormatRounded(AddAllTasksPerAgents(w, tasks, j)));
  }
  grid.SetCell(tasks + 1, n + 1, FormatRounded(slowTotal));
}

}  // namespace davrel3
