#include "sweep.h"

#include <atomic>
#include <climits>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

#include "model/int_text.h"

namespace davrel3 {

constexpr long long kDesignConditions = 18;

long long Sweep::Count() const { return (to - from) / step + 1; }

long long Sweep::ValueAt(long long index) const { return from + index * step; }

std::optional<std::string> ParseSweep(const std::string& text, Sweep& out) {
  const auto eq = text.find('=');
  if (eq == std::string::npos) return "--sweep takes FIELD=FROM:TO:STEP, got '" + text + "'";
  const auto field = FieldFromName(text.substr(0, eq));
  if (!field || *field == Field::EntTurnAgent) return "--sweep: unknown field '" + text.substr(0, eq) + "'";
  const std::string range = text.substr(eq + 1);
  const auto c1 = range.find(':');
  const auto c2 = c1 == std::string::npos ? std::string::npos : range.find(':', c1 + 1);
  if (c2 == std::string::npos) return "--sweep takes FIELD=FROM:TO:STEP, got '" + text + "'";
  try {
    out.field = *field;
    out.from = StrToInt(range.substr(0, c1));
    out.to = StrToInt(range.substr(c1 + 1, c2 - c1 - 1));
    out.step = StrToInt(range.substr(c2 + 1));
  } catch (const ConversionError& e) {
    return std::string("--sweep ") + text + ": " + e.what();
  }
  if (out.step == 0) return "--sweep " + text + ": the step must not be 0";
  if ((out.to - out.from) / out.step < 0) return "--sweep " + text + ": the step leads away from TO";
  return std::nullopt;
}

std::optional<std::string> ParseShard(const std::string& text, long long& k, long long& n) {
  const auto slash = text.find('/');
  try {
    if (slash == std::string::npos) throw ConversionError(text);
    k = StrToInt(text.substr(0, slash));
    n = StrToInt(text.substr(slash + 1));
  } catch (const ConversionError&) {
    return "--shard takes K/N, got '" + text + "'";
  }
  if (n < 1 || k < 1 || k > n) return "--shard K/N needs 1 <= K <= N, got '" + text + "'";
  return std::nullopt;
}

long long SweepPlan::Points() const {
  long long points = 1;
  for (const auto& s : sweeps) points *= s.Count();
  return points;
}

long long SweepPlan::Runs() const { return Points() * (design ? kDesignConditions : 1); }

std::vector<int> SweepPlan::ValuesOf(long long run) const {
  long long point = design ? run / kDesignConditions : run;
  std::vector<int> values(sweeps.size());
  for (std::size_t i = sweeps.size(); i-- > 0;) {
    const long long count = sweeps[i].Count();
    values[i] = static_cast<int>(sweeps[i].ValueAt(point % count));
    point /= count;
  }
  return values;
}

SessionOptions SweepPlan::OptionsOf(const SessionOptions& base, long long run) const {
  SessionOptions options = base;
  const auto values = ValuesOf(run);
  for (std::size_t i = 0; i < sweeps.size(); ++i) options.sets.emplace_back(sweeps[i].field, IntToStr(values[i]));
  return options;
}

void SweepPlan::ConditionOf(long long run, int& fit, int& newcomer, int& skills) const {
  const long long condition = run % kDesignConditions;
  fit = static_cast<int>(condition / 9);
  newcomer = static_cast<int>(condition / 3 % 3);
  skills = static_cast<int>(condition % 3);
}

void ShardRange(long long runs, long long k, long long n, long long& first, long long& last) {
  first = runs * (k - 1) / n;
  last = runs * k / n;
}

int SweepAgentColumns(const SessionOptions& base, const SweepPlan& plan) {
  int agents = 0;
  for (const auto& s : plan.sweeps) {
    if (s.field != Field::NrofAg) continue;
    for (long long i = 0; i < s.Count(); ++i) {
      const long long v = s.ValueAt(i);
      if (v > agents && v <= kMaxAgentSkills) agents = static_cast<int>(v);
    }
    return agents;
  }
  // The group size is not swept: a dry commit of the base session tells it.
  InMemoryPanel panel;
  Workbench bench(panel);
  try {
    PrepareSession(bench, base);
    CommitSession(bench, base);
  } catch (const std::exception&) {
    // A refused base session still shows its rows, without agent times.
  }
  return bench.State().System.NrOfAgents;
}

std::string SweepCsvHeader(const SweepPlan& plan, int agents) {
  std::string header = "run";
  for (const auto& s : plan.sweeps) {
    header += ',';
    header += FieldName(s.field);
  }
  header += ',';
  header += DesignCsvHeader(agents);
  return header;
}

std::string SweepCsvRow(const SweepPlan& plan, long long run, const DesignRow& row, int agents) {
  std::string line = IntToStr(run + 1);
  for (int v : plan.ValuesOf(run)) {
    line += ',';
    line += IntToStr(v);
  }
  line += ',';
  line += DesignCsvRow(row, agents);
  return line;
}

namespace {

std::vector<DesignRow> RunOne(const SessionOptions& base, const SweepPlan& plan, long long run) {
  const SessionOptions options = plan.OptionsOf(base, run);
  if (!plan.design) return RunSingle(options);
  int fit = 0, newcomer = 0, skills = 0;
  plan.ConditionOf(run, fit, newcomer, skills);
  return RunCondition(options, fit, newcomer, skills);
}

}  // namespace

void RunSweep(const SessionOptions& base, const SweepPlan& plan, long long first, long long last, int threads,
              const std::function<void(long long, const std::vector<DesignRow>&)>& emit,
              const std::function<void(long long, long long)>& progress) {
  const long long total = last - first;
  if (total <= 0) return;
  if (threads < 1) threads = 1;
  if (threads > total) threads = static_cast<int>(total);

  std::mutex mutex;
  std::condition_variable ready;
  std::map<long long, std::vector<DesignRow>> finished;  // done runs not yet emitted
  std::atomic<long long> next{first};
  // Workers stay at most this far ahead of the emitted rows, so memory stays
  // bounded however long the sweep.
  const long long window = 64LL * threads;
  long long emitted = first;

  auto worker = [&] {
    for (;;) {
      long long run;
      {
        std::unique_lock lock(mutex);
        ready.wait(lock, [&] { return next.load() >= last || next.load() < emitted + window; });
        run = next.fetch_add(1);
      }
      if (run >= last) return;
      auto rows = RunOne(base, plan, run);
      {
        std::lock_guard lock(mutex);
        finished.emplace(run, std::move(rows));
      }
      ready.notify_all();
    }
  };
  std::vector<std::thread> pool;
  for (int t = 0; t < threads; ++t) pool.emplace_back(worker);
  while (emitted < last) {
    std::vector<DesignRow> rows;
    {
      std::unique_lock lock(mutex);
      ready.wait(lock, [&] { return finished.count(emitted) > 0; });
      rows = std::move(finished[emitted]);
      finished.erase(emitted);
    }
    emit(emitted, rows);
    {
      std::lock_guard lock(mutex);
      ++emitted;
    }
    ready.notify_all();
    if (progress) progress(emitted - first, total);
  }
  for (auto& t : pool) t.join();
}

}  // namespace davrel3
