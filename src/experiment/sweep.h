// Parameter sweeps: the full factorial of one or more integer ranges, each
// point run as its own session (or as the 18 conditions of the design), on
// several threads, with the rows streamed in run order whatever the thread
// count. A run's number depends only on the plan, so a sweep cut into shards
// on many machines concatenates into the same table.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "experiment/session.h"

namespace davrel3 {

struct Sweep {
  Field field = Field::NrofAg;
  long long from = 0, to = 0, step = 1;
  long long Count() const;
  long long ValueAt(long long index) const;
};

// FIELD=FROM:TO:STEP; a step that does not lead from FROM towards TO, a zero
// step or a value outside the 32-bit range is an error (returned as text).
std::optional<std::string> ParseSweep(const std::string& text, Sweep& out);

// "K/N" with 1 <= K <= N.
std::optional<std::string> ParseShard(const std::string& text, long long& k, long long& n);

struct SweepPlan {
  std::vector<Sweep> sweeps;
  bool design = false;

  long long Points() const;
  // Runs of the whole plan: points, times 18 with the design.
  long long Runs() const;
  // The swept values of run r (0-based), in sweep order; the first sweep
  // varies slowest.
  std::vector<int> ValuesOf(long long run) const;
  // The session of run r: the base options with the swept texts typed last.
  SessionOptions OptionsOf(const SessionOptions& base, long long run) const;
  // Which design condition run r is (fit, newcomer, skills), with the design.
  void ConditionOf(long long run, int& fit, int& newcomer, int& skills) const;
};

// The runs [first, last) of shard k of n.
void ShardRange(long long runs, long long k, long long n, long long& first, long long& last);

// How many agent columns the table needs: the largest group the plan can
// commit (a dry commit of the base session, or the swept NrofAg values).
int SweepAgentColumns(const SessionOptions& base, const SweepPlan& plan);

std::string SweepCsvHeader(const SweepPlan& plan, int agents);
std::string SweepCsvRow(const SweepPlan& plan, long long run, const DesignRow& row, int agents);

// Runs [first, last) on `threads` threads and hands each run's rows to emit,
// in run order, on the calling thread. progress(done, total) follows each run.
void RunSweep(const SessionOptions& base, const SweepPlan& plan, long long first, long long last, int threads,
              const std::function<void(long long run, const std::vector<DesignRow>& rows)>& emit,
              const std::function<void(long long done, long long total)>& progress = nullptr);

}  // namespace davrel3
