// The one place that says how much memory a run takes and that gives a
// run's history its limit. A batch reserves a run's bytes from its memory
// budget before the run starts (RunStartBytes, from the sizes the panel
// holds, before the commit allocates anything) and as it grows
// (RunBytesNow, at the end of every timestep); the history's own limit keeps
// a run that alone would pass the budget from growing past it, and stops it
// with a message instead.
//
// The figures are estimates of what the records and grids hold (elements
// times their size, plus a margin per vector and per text cell); they bound
// memory, they do not measure it.
#pragma once

#include <cstdint>

#include "presets/workbench.h"

namespace davrel3 {

// The per-timestep history of `rows` rows of `agents` agents: every array
// that grows with the run, not only expertise and motivation.
std::int64_t HistoryRowsBytes(std::int64_t rows, std::int64_t agents);

// The most bytes the series rows (series.h) of `rows` timesteps of
// `agents` agents with `slots` skill slots each can take.
std::int64_t SeriesRowsBytes(std::int64_t rows, std::int64_t agents, std::int64_t slots);

// What a commit of the sizes the panel holds, and a run of it up to the 246
// rows a commit sizes, would take: the group (and the group it replaces),
// the task, the division-of-labour counts of every task, the result rows,
// and with `history` (a run whose series is kept) the per-timestep history
// with its grid texts and series rows; a run for the table alone keeps none
// of those. Texts that are not numbers count as 0 (the commit refuses them
// anyway).
std::int64_t RunStartBytes(const ParameterPanel& panel, bool history = true);

// What the run on this workbench holds now: RunStartBytes of its panel, with
// the history as allocated by now, the room its next row may take (a history
// that grows allocates its new arrays beside the old ones) and the series
// rows of the timesteps reached. A group that serves tables only counts no
// history.
std::int64_t RunBytesNow(const Workbench& bench);
// The same with RunStartBytes of its panel worked out before.
std::int64_t RunBytesNow(const Workbench& bench, std::int64_t startBytes);

// The history limit (expertise and motivation bytes, as RunHistory::ByteLimit
// counts them) that keeps a run's whole per-timestep history within
// `budget`.
std::int64_t HistoryLimitFor(std::int64_t budget);

// Gives the workbench's commits and runs the history limit of `budget`.
void SetMemoryBudget(Workbench& bench, std::int64_t budget);

}  // namespace davrel3
