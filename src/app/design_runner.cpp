#include "design_runner.h"

#include <QMetaObject>
#include <QThread>

#include "experiment/sweep.h"
#include "model/parameter_panel.h"

using davrel3::DesignRow;
using davrel3::Field;
using davrel3::SessionOptions;
using davrel3::SweepPlan;

namespace {

SweepPlan DesignPlan() {
  SweepPlan plan;
  plan.design = true;
  return plan;
}

}  // namespace

std::string DesignResult::CsvText() const {
  std::string text = davrel3::DesignCsvHeader(agents) + "\n";
  for (const DesignRow& row : rows) text += davrel3::DesignCsvRow(row, agents) + "\n";
  return text;
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
  // The same column count as the runner's table: a dry commit of the options.
  result_.agents = davrel3::SweepAgentColumns(options, plan);
  byRun_.assign(static_cast<std::size_t>(plan.Runs()), {});

  for (long long run = 0; run < plan.Runs(); ++run) {
    auto current = generation_;
    pool_.start([this, current, generation, plan, options, run] {
      if (current->load() != generation) return;
      int fit = 0, newcomer = 0, skills = 0;
      plan.ConditionOf(run, fit, newcomer, skills);
      std::vector<DesignRow> rows = davrel3::RunCondition(plan.OptionsOf(options, run), fit, newcomer, skills);
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

void DesignRunner::Deliver(int generation, long long run, std::vector<DesignRow> rows) {
  if (!running_ || generation != generation_->load()) return;
  byRun_[static_cast<std::size_t>(run)] = std::move(rows);
  ++done_;
  const int total = static_cast<int>(byRun_.size());
  emit Progress(done_, total);
  if (done_ < total) return;
  running_ = false;
  for (auto& conditionRows : byRun_) {
    result_.rows.insert(result_.rows.end(), conditionRows.begin(), conditionRows.end());
  }
  byRun_.clear();
  emit Finished(result_);
}
