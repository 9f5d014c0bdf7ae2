// Sweep plans: the full factorial of swept parameters (ranges or lists of a
// field, lists of radio items or configurations), optionally over the rows of
// a points table and the 18 conditions of the design. Every run is its own
// session, run on several threads, with the results handed on in run order
// whatever the thread count. A run's number depends only on the plan, so a
// plan cut into shards on many machines concatenates into the same table.
#pragma once

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "experiment/session.h"

namespace davrel3 {

// What a swept value or a points column sets: a field's text (typed last, as
// --set), a radio item (selected, then Define, as --fit and the others with
// --define), or a configuration (as --config).
struct SweepTarget {
  enum class Kind { Field, Item, Config };
  Kind kind = Kind::Field;
  Field field = Field::NrofAg;
  Choice choice = Choice::FitNoFit;

  // The name the options and the points header use: "NrofAg", "fit", "config".
  std::string Name() const;
  // Checks a value: a whole number for a field, an item word, a configuration
  // name. Returns the reason it is not one.
  std::optional<std::string> Check(const std::string& value) const;
  void Apply(SessionOptions& options, const std::string& value) const;
  bool operator==(const SweepTarget& other) const;
};

// A target by its name; none for a name that is not one.
std::optional<SweepTarget> TargetFromName(const std::string& name);

struct Sweep {
  SweepTarget target;
  // FIELD=FROM:TO:STEP, or a list of values.
  bool range = true;
  long long from = 0, to = 0, step = 1;
  std::vector<std::string> values;

  long long Count() const;
  long long ValueAt(long long index) const;  // of a range
  std::string TextAt(long long index) const;
};

// FIELD=FROM:TO:STEP, FIELD=V1,V2,..., fit=nofit,fit, newcomer=..., skills=...,
// config=NAME,...: a step that does not lead from FROM towards TO, a zero
// step, a value outside the 32-bit range, an empty list or an unknown name is
// an error (returned as text).
std::optional<std::string> ParseSweep(const std::string& text, Sweep& out);

// "K/N" with 1 <= K <= N.
std::optional<std::string> ParseShard(const std::string& text, long long& k, long long& n);

// A table of points made elsewhere: a header naming targets, one row of
// values per point.
struct PointTable {
  std::vector<SweepTarget> columns;
  std::vector<std::vector<std::string>> rows;
};

// The text of a points CSV file; `name` is how messages call it. Returns the
// reason (with the line) when it cannot be used.
std::optional<std::string> ParsePoints(const std::string& text, const std::string& name, PointTable& out);

// The most runs a plan may have.
inline constexpr long long kMaxPlanRuns = 1000000000LL;

struct SweepPlan {
  std::optional<PointTable> points;  // varies slowest
  std::vector<Sweep> sweeps;         // the first varies slowest
  bool design = false;               // the 18 conditions, varying fastest

  long long Points() const;
  // Runs of the whole plan: points, times 18 with the design.
  long long Runs() const;
  // The session of run r (0-based): the base options with the point's and the
  // swept values applied last, in column and sweep order.
  SessionOptions OptionsOf(const SessionOptions& base, long long run) const;
  // Which design condition run r is, with the design.
  std::optional<Condition> ConditionOf(long long run) const;
};

// Everything that makes a plan unusable before any run: a target swept twice
// (or in the points and swept), a target also given as a plain option, a
// condition swept with the design, more than kMaxPlanRuns runs.
std::optional<std::string> CheckPlan(const SessionOptions& base, const SweepPlan& plan);

// The runs [first, last) of shard k of n.
void ShardRange(long long runs, long long k, long long n, long long& first, long long& last);

// The size of a plan's table, from a dry commit of every run: the agent
// columns (the largest group any run of the whole plan commits) and the rows
// of the runs [first, last).
struct PlanShape {
  int agents = 0;
  long long rows = 0;
};
// A dry commit that finds no memory is tried once more, alone, after the
// others; if it finds none then either, the table cannot be sized and
// MeasurePlan throws PlanMeasureError naming the run.
class PlanMeasureError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};
PlanShape MeasurePlan(const SessionOptions& base, const SweepPlan& plan, long long first, long long last,
                      int threads);

// Runs [first, last) on `threads` threads (fewer if the system will not start
// them) within the memory budget (none: no budget) and hands each run's
// results to emit, in run order, on the calling thread; progress(done, total)
// follows each run. An exception in a run becomes its failed row; an
// interrupt ends the batch early after the unbroken prefix of runs (see
// ordered_runs.h). An exception from emit or progress ends it too and goes on
// to the caller once every worker has stopped.
OrderedRunsOutcome RunSweep(const SessionOptions& base, const SweepPlan& plan, long long first, long long last,
                            int threads, bool withSeries, MemoryBudget* budget,
                            const std::function<void(long long run, const TableRun& result)>& emit,
                            const std::function<void(long long done, long long total)>& progress = nullptr);

}  // namespace davrel3
