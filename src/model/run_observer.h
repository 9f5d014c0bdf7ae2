// What a run shows while it goes. The run calls the observer for every
// step-through message, every write of a display edit, every cell text of the
// task grid and the allocation grid and every refresh of the agent frames, in
// the order the run produces them. The main window answers with message boxes
// and repaints, the headless runner ignores them, tests count them.
//
// The cell texts are also kept in the model's own grids (ModelState), so an
// observer that only repaints may ignore the text it is given.
#pragma once

#include <string>

namespace davrel3 {

// The step-through check boxes of the main window.
enum class Indicator {
  NewTask,      // TaskCheckBox, "Indicate new task"
  NewTimestep,  // CycleCheckBox, "Indicate new timestep"
  Allocation,   // AllCheckBox, "Indicate Allocation"
  Performance,  // PerfCheckBox, "Indicate Performance"
  Influence,    // InflCheckBox, "Indicate Influence"
  AgVariation,  // AgVariationCheckBox, "Indicate AgVariation"
};

// The small display edits the run writes.
enum class DisplayEdit { Edit2, Edit3, CountEdit };

class RunObserver {
 public:
  virtual ~RunObserver() = default;

  // Whether the check box is ticked, read at the moment the run needs it.
  virtual bool IsIndicated(Indicator) const { return false; }
  // A modal step-through message ("New Round", "Allocated", ...); the run
  // goes on when this returns.
  virtual void ShowMessage(const std::string& /*text*/) {}
  virtual void WriteDisplayEdit(DisplayEdit, const std::string& /*text*/) {}

  // The task grid was laid out afresh (sizes, headings, Y/N cells).
  virtual void TaskGridRebuilt() {}
  virtual void TaskGridCellWritten(long long /*column*/, long long /*row*/, const std::string& /*text*/) {}
  virtual void AllocationGridCellWritten(long long /*column*/, long long /*row*/, const std::string& /*text*/) {}

  // ShowStatesAgents: refresh the six agent frames from the records.
  virtual void ShowStatesAgents() {}
  // MakeGrids after a commit: lay the agent frames out, then refresh them.
  virtual void MakeGrids() {}

  // Asked once at the end of every timestep; true ends the run as cancelled
  // with the state it reached. Called from the run's own thread, so an
  // observer that answers for another thread reads an atomic flag.
  virtual bool CancelRequested() { return false; }
};

}  // namespace davrel3
