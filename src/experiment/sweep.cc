#include "sweep.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <map>
#include <mutex>
#include <set>
#include <thread>

#include "experiment/interrupt.h"
#include "experiment/thread_start.h"
#include "experiment/utf8_text.h"
#include "model/int_text.h"

namespace davrel3 {

// ------------------------------------------------------------------ targets

std::string SweepTarget::Name() const {
  switch (kind) {
    case Kind::Field:
      return std::string(FieldName(field));
    case Kind::Item:
      return std::string(ChoiceOption(choice));
    case Kind::Config:
      return "config";
  }
  return {};
}

std::optional<std::string> SweepTarget::Check(const std::string& value) const {
  switch (kind) {
    case Kind::Field:
      try {
        StrToInt(value);
      } catch (const ConversionError& error) {
        return error.what();
      }
      return std::nullopt;
    case Kind::Item:
      if (ItemFromWord(choice, value)) return std::nullopt;
      return "'" + value + "' is not one of " + ItemWords(choice);
    case Kind::Config:
      for (const auto& configuration : Configurations()) {
        if (value == configuration.name) return std::nullopt;
      }
      return "'" + value + "' is not a configuration (see --help for the names)";
  }
  return std::nullopt;
}

void SweepTarget::Apply(SessionOptions& options, const std::string& value) const {
  switch (kind) {
    case Kind::Field:
      options.sets.emplace_back(field, value);
      break;
    case Kind::Item: {
      const int item = ItemFromWord(choice, value).value_or(0);
      if (choice == Choice::FitNoFit) options.fit = item;
      if (choice == Choice::Newcomer) options.newcomer = item;
      if (choice == Choice::HiLo) options.skills = item;
      // As the design applies a condition: the item selected, then Define.
      options.define = true;
      break;
    }
    case Kind::Config:
      options.config = value;
      break;
  }
}

bool SweepTarget::operator==(const SweepTarget& other) const {
  if (kind != other.kind) return false;
  if (kind == Kind::Field) return field == other.field;
  if (kind == Kind::Item) return choice == other.choice;
  return true;
}

std::optional<SweepTarget> TargetFromName(const std::string& name) {
  SweepTarget target;
  if (const auto field = FieldFromName(name); field && *field != Field::EntTurnAgent) {
    target.kind = SweepTarget::Kind::Field;
    target.field = *field;
    return target;
  }
  if (const auto choice = ChoiceFromOption(name)) {
    target.kind = SweepTarget::Kind::Item;
    target.choice = *choice;
    return target;
  }
  if (name == "config") {
    target.kind = SweepTarget::Kind::Config;
    return target;
  }
  return std::nullopt;
}

// ------------------------------------------------------------------- sweeps

long long Sweep::Count() const {
  return range ? (to - from) / step + 1 : static_cast<long long>(values.size());
}

long long Sweep::ValueAt(long long index) const { return from + index * step; }

std::string Sweep::TextAt(long long index) const {
  return range ? IntToStr(ValueAt(index)) : values[static_cast<std::size_t>(index)];
}

namespace {

std::vector<std::string> SplitList(const std::string& text) {
  std::vector<std::string> parts;
  std::size_t begin = 0;
  for (;;) {
    const auto comma = text.find(',', begin);
    parts.push_back(text.substr(begin, comma == std::string::npos ? std::string::npos : comma - begin));
    if (comma == std::string::npos) return parts;
    begin = comma + 1;
  }
}

}  // namespace

std::optional<std::string> ParseSweep(const std::string& text, Sweep& out) {
  const std::string usage = "--sweep takes FIELD=FROM:TO:STEP or NAME=V1,V2,..., got '" + text + "'";
  const auto eq = text.find('=');
  if (eq == std::string::npos) return usage;
  const std::string name = text.substr(0, eq);
  const auto target = TargetFromName(name);
  if (!target) {
    return "--sweep: unknown field '" + name +
           "' (a parameter field other than EntTurnAgent, or fit, newcomer, skills, config)";
  }
  out = Sweep{};
  out.target = *target;
  const std::string spec = text.substr(eq + 1);
  if (spec.empty()) return "--sweep " + text + ": no values";
  const auto c1 = spec.find(':');
  if (c1 != std::string::npos) {
    if (target->kind != SweepTarget::Kind::Field) return "--sweep " + text + ": " + name + " takes a list of values";
    const auto c2 = spec.find(':', c1 + 1);
    if (c2 == std::string::npos || spec.find(':', c2 + 1) != std::string::npos) return usage;
    try {
      out.from = StrToInt(spec.substr(0, c1));
      out.to = StrToInt(spec.substr(c1 + 1, c2 - c1 - 1));
      out.step = StrToInt(spec.substr(c2 + 1));
    } catch (const ConversionError& e) {
      return "--sweep " + text + ": " + e.what();
    }
    if (out.step == 0) return "--sweep " + text + ": the step must not be 0";
    if ((out.to - out.from) / out.step < 0) return "--sweep " + text + ": the range is empty (the step leads away from TO)";
    return std::nullopt;
  }
  out.range = false;
  out.values = SplitList(spec);
  std::set<std::string> seen;
  for (const auto& value : out.values) {
    if (value.empty()) return "--sweep " + text + ": an empty value in the list";
    if (auto problem = target->Check(value)) return "--sweep " + text + ": " + *problem;
    if (!seen.insert(value).second) return "--sweep " + text + ": '" + value + "' is listed twice";
  }
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

// ------------------------------------------------------------------- points

namespace {

// The cells of one CSV record starting at `pos`; moves `pos` past its line
// end. Quoted cells may hold commas, doubled quotes and line breaks.
std::optional<std::string> ReadRecord(const std::string& text, std::size_t& pos, long long& line,
                                      std::vector<std::string>& cells) {
  cells.assign(1, std::string());
  bool quoted = false;
  bool wasQuoted = false;
  while (pos < text.size()) {
    const char c = text[pos++];
    if (quoted) {
      if (c == '"') {
        if (pos < text.size() && text[pos] == '"') {
          cells.back() += '"';
          ++pos;
        } else {
          quoted = false;
        }
      } else {
        if (c == '\n') ++line;
        cells.back() += c;
      }
      continue;
    }
    if (c == '"' && cells.back().empty() && !wasQuoted) {
      quoted = wasQuoted = true;
    } else if (c == ',') {
      cells.emplace_back();
      wasQuoted = false;
    } else if (c == '\n') {
      ++line;
      return std::nullopt;
    } else if (c == '\r') {
      if (pos < text.size() && text[pos] == '\n') continue;
      ++line;
      return std::nullopt;
    } else if (wasQuoted) {
      return "a quoted cell goes on after its closing quote";
    } else {
      cells.back() += c;
    }
  }
  if (quoted) return "a quoted cell is not closed";
  ++line;
  return std::nullopt;
}

std::string Cells(std::size_t n) { return IntToStr(static_cast<long long>(n)) + (n == 1 ? " cell" : " cells"); }

std::optional<std::string> ReadPoints(const std::string& text, const std::string& name, PointTable& out) {
  out = PointTable{};
  std::size_t pos = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;  // a byte-order mark from a spreadsheet
  long long line = 0;
  std::vector<std::string> cells;
  const auto at = [&](long long where) { return name + " line " + IntToStr(where) + ": "; };
  if (pos >= text.size()) return name + ": the file is empty; its first line must name the fields";
  long long start = line + 1;
  if (auto problem = ReadRecord(text, pos, line, cells)) return at(start) + *problem;
  for (const auto& cell : cells) {
    const auto target = TargetFromName(cell);
    if (!target) {
      return at(start) + "'" + cell +
             "' is not a field (a parameter field other than EntTurnAgent, or fit, newcomer, skills, config)";
    }
    if (std::find(out.columns.begin(), out.columns.end(), *target) != out.columns.end()) {
      return at(start) + "'" + cell + "' is named twice";
    }
    out.columns.push_back(*target);
  }
  while (pos < text.size()) {
    start = line + 1;
    if (auto problem = ReadRecord(text, pos, line, cells)) return at(start) + *problem;
    if (cells.size() == 1 && cells[0].empty()) continue;  // a blank line
    if (cells.size() != out.columns.size()) {
      return at(start) + "the row has " + Cells(cells.size()) + ", the header " + Cells(out.columns.size());
    }
    for (std::size_t c = 0; c < cells.size(); ++c) {
      if (cells[c].empty()) return at(start) + "the cell of " + out.columns[c].Name() + " is empty";
      if (auto problem = out.columns[c].Check(cells[c])) return at(start) + out.columns[c].Name() + ": " + *problem;
    }
    if (static_cast<long long>(out.rows.size()) >= kMaxPlanRuns) return name + ": more than 1000000000 points";
    out.rows.push_back(cells);
  }
  if (out.rows.empty()) return name + ": the file has a header but no points";
  return std::nullopt;
}

}  // namespace

std::optional<std::string> ParsePoints(const std::string& text, const std::string& name, PointTable& out) {
  // Messages quote the file's cells and name: bytes that are not UTF-8 are
  // replaced, as in every message that quotes what a user wrote.
  auto problem = ReadPoints(text, name, out);
  if (problem) {
    out = PointTable{};
    return ValidUtf8(*problem);
  }
  return std::nullopt;
}

// --------------------------------------------------------------------- plan

long long SweepPlan::Points() const {
  long long count = points ? static_cast<long long>(points->rows.size()) : 1;
  for (const auto& s : sweeps) count *= s.Count();
  return count;
}

long long SweepPlan::Runs() const { return Points() * (design ? kDesignConditionCount : 1); }

SessionOptions SweepPlan::OptionsOf(const SessionOptions& base, long long run) const {
  SessionOptions options = base;
  long long point = design ? run / kDesignConditionCount : run;
  std::vector<long long> indexes(sweeps.size());
  for (std::size_t i = sweeps.size(); i-- > 0;) {
    const long long count = sweeps[i].Count();
    indexes[i] = point % count;
    point /= count;
  }
  if (points) {
    const auto& row = points->rows[static_cast<std::size_t>(point)];
    for (std::size_t c = 0; c < points->columns.size(); ++c) points->columns[c].Apply(options, row[c]);
  }
  for (std::size_t i = 0; i < sweeps.size(); ++i) sweeps[i].target.Apply(options, sweeps[i].TextAt(indexes[i]));
  return options;
}

std::optional<Condition> SweepPlan::ConditionOf(long long run) const {
  if (!design) return std::nullopt;
  return DesignConditions()[static_cast<std::size_t>(run % kDesignConditionCount)];
}

std::optional<std::string> CheckPlan(const SessionOptions& base, const SweepPlan& plan) {
  std::vector<SweepTarget> targets;
  std::vector<std::string> origins;
  if (plan.points) {
    for (const auto& column : plan.points->columns) {
      targets.push_back(column);
      origins.push_back("--points");
    }
  }
  for (const auto& sweep : plan.sweeps) {
    const std::string origin = "--sweep " + sweep.target.Name();
    for (std::size_t i = 0; i < targets.size(); ++i) {
      if (targets[i] == sweep.target) {
        return sweep.target.Name() + " is swept twice (" + origins[i] + " and " + origin + ")";
      }
    }
    targets.push_back(sweep.target);
    origins.push_back(origin);
  }
  for (std::size_t i = 0; i < targets.size(); ++i) {
    const SweepTarget& target = targets[i];
    const std::string name = target.Name();
    if (target.kind == SweepTarget::Kind::Item) {
      if (plan.design) return origins[i] + " varies a condition item; --design runs every condition itself";
      const bool given = (target.choice == Choice::FitNoFit && base.fit) ||
                         (target.choice == Choice::Newcomer && base.newcomer) ||
                         (target.choice == Choice::HiLo && base.skills);
      if (given) return "--" + name + " would be ignored: " + origins[i] + " sets the " + name + " item of every run";
    } else if (target.kind == SweepTarget::Kind::Config) {
      if (base.config) return "--config would be ignored: " + origins[i] + " sets the configuration of every run";
    } else {
      for (const auto& [field, text] : base.sets) {
        if (field == target.field) {
          return "--set " + name + " would be ignored: " + origins[i] + " types the " + name + " text of every run";
        }
      }
    }
  }
  __int128 runs = plan.points ? static_cast<__int128>(plan.points->rows.size()) : 1;
  for (const auto& s : plan.sweeps) {
    runs *= s.Count();
    if (runs > kMaxPlanRuns) break;
  }
  if (plan.design) runs *= kDesignConditionCount;
  if (runs > kMaxPlanRuns) return "the plan has more than 1000000000 runs";
  return std::nullopt;
}

void ShardRange(long long runs, long long k, long long n, long long& first, long long& last) {
  first = static_cast<long long>(static_cast<__int128>(runs) * (k - 1) / n);
  last = static_cast<long long>(static_cast<__int128>(runs) * k / n);
}

// -------------------------------------------------------------- the runner

namespace {

// Calls work(run) for every run of [first, last) on up to `threads` threads
// (the calling one among them), until an interrupt. `work` must not throw.
void ForEachRun(long long first, long long last, int threads, const std::function<void(long long)>& work) {
  std::atomic<long long> next{first};
  auto worker = [&] {
    for (long long run = next.fetch_add(1); run < last && !Interrupted(); run = next.fetch_add(1)) work(run);
  };
  threads = static_cast<int>(std::clamp<long long>(threads, 1, std::max<long long>(1, last - first)));
  std::vector<std::thread> pool = StartThreads(threads - 1, worker);
  worker();
  for (auto& t : pool) t.join();
}

}  // namespace

namespace {

PlanShape MeasureEveryRun(const SessionOptions& base, const SweepPlan& plan, long long first, long long last,
                          int threads) {
  std::atomic<int> agents{0};
  std::atomic<long long> rows{0};
  auto measure = [&](long long run) {
    const SessionShape shape = CommittedShape(plan.OptionsOf(base, run), plan.ConditionOf(run));
    for (int seen = agents.load(); shape.agents > seen && !agents.compare_exchange_weak(seen, shape.agents);) {
    }
    if (run >= first && run < last) rows += shape.rows;
  };
  // Dry commits that found no memory while others ran beside them, to be
  // tried again alone; `lost` when even that list could not grow.
  std::mutex retryMutex;
  std::vector<long long> retry;
  std::atomic<bool> lost{false};
  ForEachRun(0, plan.Runs(), threads, [&](long long run) {
    try {
      measure(run);
    } catch (const std::bad_alloc&) {
      try {
        std::lock_guard lock(retryMutex);
        retry.push_back(run);
      } catch (...) {
        lost = true;
      }
    } catch (...) {
      // The run itself will show what went wrong, in a failed row.
    }
  });
  auto measureAlone = [&](long long run) {
    try {
      measure(run);
    } catch (const std::bad_alloc&) {
      throw PlanMeasureError("there is not enough memory to commit the group of run " + IntToStr(run + 1) +
                             ", from which the table's agent columns are sized; nothing was run");
    } catch (...) {
    }
  };
  if (lost) {
    // Which runs went without is not known: all of them again, one by one.
    agents = 0;
    rows = 0;
    for (long long run = 0; run < plan.Runs() && !Interrupted(); ++run) measureAlone(run);
  } else {
    std::sort(retry.begin(), retry.end());
    for (long long run : retry) {
      if (Interrupted()) break;
      measureAlone(run);
    }
  }
  return PlanShape{agents.load(), rows.load()};
}

}  // namespace

PlanShape MeasurePlan(const SessionOptions& base, const SweepPlan& plan, long long first, long long last,
                      int threads) {
  try {
    return MeasureEveryRun(base, plan, first, last, threads);
  } catch (const std::bad_alloc&) {
    // Outside any one run's commit: the measure itself found no memory.
    throw PlanMeasureError("there is not enough memory to size the table's agent columns; nothing was run");
  }
}

OrderedRunsOutcome RunSweep(const SessionOptions& base, const SweepPlan& plan, long long first, long long last,
                            int threads, bool withSeries, MemoryBudget* budget,
                            const std::function<void(long long, const TableRun&)>& emit,
                            const std::function<void(long long, long long)>& progress) {
  return RunInOrder<TableRun>(
      first, last, threads, budget,
      [&](long long run, RunGuard& guard) {
        return RunGuarded(plan.OptionsOf(base, run), plan.ConditionOf(run), run + 1, withSeries, guard);
      },
      [&](long long run, const std::string& message) {
        return FailedRun(plan.OptionsOf(base, run), run + 1, message);
      },
      [&](long long run, TableRun& result) { emit(run, result); }, progress, ResultBytes);
}

}  // namespace davrel3
