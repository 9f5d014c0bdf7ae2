// From the run history to the points of the chart window's line series.
// Pure functions of the history and the committed group: no widget, no
// state. Each reads only what the store holds (rows 0 .. HistoryLength, the
// agents and columns the last commit gave it), whatever the controls say.
#pragma once

#include <QList>
#include <QPointF>
#include <vector>

#include "model/history.h"

namespace history_series {

enum class SkillMeasure { Expertise, Motivation };

// How many history rows a draw reads: 0 .. HistoryLength, as far as the
// store has them.
int RowsToRead(const davrel3::RunHistory& history, size_t storeRows);

// The points of skill slot `slot` of agent `agentIndex` (from 0): one point
// (row, value) for every row whose value is not exactly 0; a 0 is "not
// recorded" and the line runs on to the next recorded row. An agent outside
// the committed group of `agents` gives no points.
QList<QPointF> SkillPoints(const davrel3::RunHistory& history, SkillMeasure measure, int agents, int agentIndex,
                           int slot);

// One point (row, work time) per row of StepWorkHistory's `column`, zeros
// included; a row without that column gives none.
QList<QPointF> StepWorkPoints(const davrel3::RunHistory& history, size_t column);

// One point (row, value) per row of CoordinationHistory.
QList<QPointF> CoordinationPoints(const davrel3::RunHistory& history);

// The numbers k (from 1) of the "Agent k" series a draw rebuilds: agents 1
// and 2 always, agent k from 3 on while the panel's group size reaches k and
// the history has column k - 1. The others keep the points of an earlier draw.
std::vector<int> AgentSeriesToRebuild(int panelAgents, size_t historyColumns, int seriesCount);

// The columns a row of StepWorkHistory has: the committed agents, then the
// system column.
size_t StepWorkColumns(const davrel3::RunHistory& history);

}  // namespace history_series
