#include "design_runner.h"

#include <QMetaObject>
#include <QThread>
#include <chrono>
#include <new>

#include "experiment/sweep.h"
#include "experiment/table_format.h"
#include "experiment/table_writer.h"
#include "experiment/sha256.h"
#include "experiment/version.h"
#include "model/parameter_panel.h"
#include "model/run_observer.h"
#include "experiment/record.h"

using davrel3::TableRow;
using davrel3::Field;
using davrel3::SessionOptions;
using davrel3::SweepPlan;

namespace {

SweepPlan DesignPlan() {
  SweepPlan plan;
  plan.design = true;
  return plan;
}

// Asks a running condition to stop at the end of its timestep once its
// generation is over (the user cancelled, or a new design began).
class GenerationWatch : public davrel3::RunObserver {
 public:
  GenerationWatch(std::shared_ptr<std::atomic<int>> current, int generation)
      : current_(std::move(current)), generation_(generation) {}
  bool CancelRequested() override { return current_->load() != generation_; }

 private:
  std::shared_ptr<std::atomic<int>> current_;
  int generation_;
};

// The row of a condition that ended in an exception instead of a result: it
// shows as failed, with the reason, like any run that failed.
std::vector<TableRow> FailedCondition(const SessionOptions& options, const davrel3::Condition& condition,
                                      long long run, const std::string& reason) {
  TableRow row;
  row.run = run + 1;
  row.status = davrel3::RunStatus::Failed;
  row.message = "The condition could not be run: " + reason;
  davrel3::InMemoryPanel panel;
  for (const auto& [field, text] : options.sets) panel.SetText(field, text);
  panel.SetItemIndex(davrel3::Choice::FitNoFit, condition.fit);
  panel.SetItemIndex(davrel3::Choice::Newcomer, condition.newcomer);
  panel.SetItemIndex(davrel3::Choice::HiLo, condition.skills);
  row.parameters = davrel3::ReadParameters(panel);
  return {row};
}


}  // namespace

std::vector<TableRow> RunConditionGuarded(const SessionOptions& options, const davrel3::Condition& condition,
                                          long long run, davrel3::RunObserver& watch) {
  std::string reason;
  try {
    return davrel3::RunCondition(options, condition, run + 1, false, &watch).rows;
  } catch (const std::bad_alloc&) {
    reason = "there is not enough memory";
  } catch (const std::exception& error) {
    reason = error.what();
  } catch (...) {
    reason = "an unknown error occurred";
  }
  try {
    return FailedCondition(options, condition, run, reason);
  } catch (...) {
    return {};  // not even the row fits in memory: the condition shows no row
  }
}


std::string DesignResult::CsvText() const { return davrel3::TableText(rows, agents); }

davrel3::TableManifest DesignResult::Manifest(const std::string& tableName) const {
  davrel3::TableManifest manifest;
  manifest.program = "davrel3 (Run design)";
  manifest.version = davrel3::ProgramVersion();
  manifest.commandLine = {"davrel3-batch", "--design"};
  for (const auto& [field, text] : options.sets) {
    manifest.commandLine.push_back("--set");
    manifest.commandLine.push_back(std::string(davrel3::FieldName(field)) + "=" + text);
  }
  manifest.started = started;
  manifest.ended = ended;
  manifest.runs = DesignRunner::Conditions();
  manifest.rows = static_cast<long long>(rows.size());
  manifest.table = tableName;
  manifest.sha256 = davrel3::Sha256Hex(CsvText());
  manifest.schemaVersion = davrel3::kTableSchemaVersion;
  return manifest;
}

SessionOptions DesignOptions(const davrel3::ParameterPanel& panel) {
  SessionOptions options;
  for (int f = 0; f < davrel3::kFieldCount; ++f) {
    const Field field = static_cast<Field>(f);
    // Every commit writes the entrance time from the newcomer item; a typed
    // value would never be read.
    if (field == Field::EntTurnAgent) continue;
    options.sets.emplace_back(field, panel.Text(field));
  }
  return options;
}

DesignRunner::DesignRunner(QObject* parent) : QObject(parent) {
  pool_.setMaxThreadCount(QThread::idealThreadCount());
}

DesignRunner::~DesignRunner() {
  ++*generation_;
  pool_.clear();
  pool_.waitForDone();
}

void DesignRunner::SetThreads(int threads) {
  pool_.setMaxThreadCount(threads > 0 ? threads : QThread::idealThreadCount());
}

int DesignRunner::Conditions() { return static_cast<int>(DesignPlan().Runs()); }

void DesignRunner::Start(const SessionOptions& options) {
  if (running_) Cancel();
  const SweepPlan plan = DesignPlan();
  const int generation = ++*generation_;
  running_ = true;
  done_ = 0;
  result_ = DesignResult{};
  result_.options = options;
  result_.started = davrel3::UtcTimestamp(std::chrono::system_clock::now());
  // The same column count as the runner's table: a dry commit of every condition.
  result_.agents = davrel3::MeasurePlan(options, plan, 0, plan.Runs(), 1).agents;
  byRun_.assign(static_cast<std::size_t>(plan.Runs()), {});

  for (long long run = 0; run < plan.Runs(); ++run) {
    auto current = generation_;
    pool_.start([this, current, generation, plan, options, run] {
      if (current->load() != generation) return;
      GenerationWatch watch(current, generation);
      std::vector<TableRow> rows = RunConditionGuarded(plan.OptionsOf(options, run), *plan.ConditionOf(run), run, watch);
      if (current->load() != generation) return;
      // Queued to the runner's thread; dropped by Qt if the runner is gone.
      QMetaObject::invokeMethod(
          this, [this, generation, run, rows = std::move(rows)]() mutable { Deliver(generation, run, std::move(rows)); },
          Qt::QueuedConnection);
    });
  }
}

void DesignRunner::Cancel() {
  if (!running_) return;
  ++*generation_;
  pool_.clear();
  running_ = false;
  byRun_.clear();
  emit Cancelled();
}

void DesignRunner::Deliver(int generation, long long run, std::vector<TableRow> rows) {
  if (!running_ || generation != generation_->load()) return;
  byRun_[static_cast<std::size_t>(run)] = std::move(rows);
  ++done_;
  const int total = static_cast<int>(byRun_.size());
  emit Progress(done_, total);
  if (done_ < total) return;
  running_ = false;
  result_.ended = davrel3::UtcTimestamp(std::chrono::system_clock::now());
  for (auto& conditionRows : byRun_) {
    result_.rows.insert(result_.rows.end(), conditionRows.begin(), conditionRows.end());
  }
  byRun_.clear();
  emit Finished(result_);
}
