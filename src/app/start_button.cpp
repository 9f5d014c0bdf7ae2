// TParForm's START handler: the run with its progress dialog and
// step-through boxes, the record the window can save of it, the run's
// summary on the status line, and afterwards the memory of what a failed or
// cancelled run does not show given back.
#include "DV3Newcomer2009Par.h"

#include <QScopeGuard>
#include <malloc.h>

#include "experiment/agents_without_work.h"
#include "experiment/vector_state.h"
#include "file_commands.h"
#include "run_progress.h"
#include "skill_levels_editor.h"
#include "status_line.h"

void TParForm::StartButtonClick() {
  Handle([this] {
    // Read as the runner reads them for its record: just before START.
    davrel3::ParameterValues parameters = davrel3::ReadParameters(panel_);
    davrel3::RunOutcome outcome;
    running_ = true;
    stepsStopped_ = false;
    progress_->Start();
    const auto notRunning = qScopeGuard([this] {
      progress_->Finish();
      running_ = false;
      if (closeRequested_) emit Closed();
    });
    // Which agents the levels leave without work, before the run moves them.
    statusLine_->SetExtraWarning(QString::fromStdString(
        davrel3::AgentsWithoutWorkWarning(davrel3::AgentsWithoutWork(bench_))));
    // The editor shows the levels the run leaves, however it ends.
    const auto levelsShown = qScopeGuard([this] {
      if (levelsEditor_) levelsEditor_->ShowHeldLevels();
    });
    try {
      // The window's own work may have left the upper vector halves in use.
      davrel3::ClearUpperVectorState();
      outcome = bench_.StartButtonClick(afterRunDraw_);
    } catch (const std::exception& error) {
      // The run went, its draw did not: the record says so, as the runner's does.
      const davrel3::RunOutcome failed{davrel3::RunStatus::Failed, error.what(), {}};
      files_->RememberRun(failed, std::move(parameters));
      ReleaseUnshownRun(davrel3::RunStatus::Failed);
      statusLine_->SetRunSummary(status_text::RunSummaryText(failed));
      emit RunEnded(status_text::RunSummaryText(failed));
      throw;
    }
    if (outcome.status != davrel3::RunStatus::Refused) {
      files_->RememberRun(outcome, std::move(parameters));
      const QString summary = status_text::RunSummaryText(outcome);
      statusLine_->SetRunSummary(summary);
      emit RunEnded(summary);
    }
    SyncButtons();
    ReleaseUnshownRun(outcome.status);
    // A run stopped by closing the window ends with the program: no box.
    if (!closeRequested_ && outcome.status != davrel3::RunStatus::Finished && !outcome.message.empty()) {
      ShowMessage(RunMessage(outcome.message));
    }
  });
}

void TParForm::ReleaseUnshownRun(davrel3::RunStatus status) {
  if (status != davrel3::RunStatus::Failed && status != davrel3::RunStatus::Cancelled) return;
  davrel3::ModelState& state = bench_.State();
  try {
    // A failed run is not drawn: the charts keep the last drawing, and of its
    // timesteps the store keeps the rows a commit lays out (what a later draw
    // reads and a saved record holds). A cancelled run is drawn whole, so all
    // its rows stay; only the room reserved ahead of them goes.
    const std::int64_t rows =
        status == davrel3::RunStatus::Failed ? davrel3::kDefaultHistoryLength + 1 : state.History.Rows;
    davrel3::FitHistory(state.History, rows);
    // The log of performed units was reserved for whole tasks.
    state.Labour.Units.shrink_to_fit();
  } catch (const std::bad_alloc&) {
    // No room for the smaller copies: the store stays as the run left it.
  }
  // What the run's work freed goes back to the system at once.
  malloc_trim(0);
}
