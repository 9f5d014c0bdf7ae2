// Interrupts of a long batch: SIGINT (Ctrl-C) and SIGTERM (a scheduler's
// time limit) do not end the process where it stands; they set a flag that
// the sweep runner reads between runs and that running runs read at the end
// of every timestep, so the table can be ended on a whole run and closed
// properly. A second interrupt ends the process at once, as
// usual, for when the first one was not enough.
#pragma once

namespace davrel3 {

// Installs the handlers for SIGINT and SIGTERM. Safe to call more than once.
void InstallInterruptHandlers();

// The first interrupting signal received since start-up (or the last
// ClearInterrupt), 0 if none.
int InterruptSignal();
inline bool Interrupted() { return InterruptSignal() != 0; }

// The exit status of a process ended by `signal`, as a shell reports it:
// 130 for SIGINT, 143 for SIGTERM.
int InterruptExitStatus(int signal);

// Records `signal` as if it had been received (for tests, and for callers
// that stop a batch for a reason of their own).
void RequestInterrupt(int signal);
void ClearInterrupt();

}  // namespace davrel3
