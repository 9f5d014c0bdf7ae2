// DesignRunner: the 18 conditions of the experimental design, run from the
// main window on worker threads while the window stays responsive.
//
// Each condition is the experiment library's RunCondition, in its own workbench,
// from start-up options that type every parameter text of the window (except
// the entrance time, which every commit sets itself). So the rows are exactly
// those of `davrel3-batch --design --set FIELD=TEXT ...` for the same texts,
// and the window's own committed model is never touched.
//
// Rows arrive on the window's thread; Finished hands over all of them in
// condition order. A condition that throws instead of ending shows as a
// failed row with the reason. Cancel stops the conditions not yet begun, asks
// the running ones to stop at the end of their timestep, and drops what they
// bring back; the runner can be started again at once.
#pragma once

#include <QObject>
#include <QThreadPool>
#include <atomic>
#include <memory>
#include <vector>

#include "experiment/manifest.h"
#include "experiment/session.h"

namespace davrel3 {
class ParameterPanel;
class RunObserver;
}

// What a design run produced: the options it started from, how many agent
// columns the runner's CSV has for them, the rows in condition order, and
// when it started and ended (UTC) for the manifest.
struct DesignResult {
  davrel3::SessionOptions options;
  int agents = 0;
  std::vector<davrel3::TableRow> rows;
  std::string started, ended;

  // The CSV text davrel3-batch --design prints for these options.
  std::string CsvText() const;
  // The manifest of that text saved as `tableName`: the runner command that
  // prints the same table stands as its command line.
  davrel3::TableManifest Manifest(const std::string& tableName) const;
};

// The design's session options from the panel as it stands: every field but
// the entrance time typed with the text its edit holds now.
davrel3::SessionOptions DesignOptions(const davrel3::ParameterPanel& panel);

// Condition `run` (from 0) as a worker thread runs it, watched by `watch`:
// whatever it throws becomes one failed row saying why, so no condition can
// end the program.
std::vector<davrel3::TableRow> RunConditionGuarded(const davrel3::SessionOptions& options,
                                                   const davrel3::Condition& condition, long long run,
                                                   davrel3::RunObserver& watch);

class DesignRunner : public QObject {
  Q_OBJECT

 public:
  explicit DesignRunner(QObject* parent = nullptr);
  // Waits for the conditions still running; their rows are dropped.
  ~DesignRunner() override;

  // Threads to run on; 0 (the default) for one per core.
  void SetThreads(int threads);
  bool IsRunning() const { return running_; }

  // Starts the 18 conditions; a run still going is cancelled first.
  void Start(const davrel3::SessionOptions& options);
  void Cancel();

  // How many conditions a design has.
  static int Conditions();

 signals:
  // After each condition, counted as they finish (any order).
  void Progress(int done, int total);
  void Finished(const DesignResult& result);
  void Cancelled();

 private:
  void Deliver(int generation, long long run, std::vector<davrel3::TableRow> rows);

  QThreadPool pool_;
  // Checked by every condition before it begins; a new start or a cancel
  // moves it on, so stale conditions skip their work and stale rows are
  // dropped.
  std::shared_ptr<std::atomic<int>> generation_ = std::make_shared<std::atomic<int>>(0);
  bool running_ = false;
  int done_ = 0;
  DesignResult result_;
  std::vector<std::vector<davrel3::TableRow>> byRun_;
};
