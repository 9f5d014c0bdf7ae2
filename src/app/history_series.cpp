#include "history_series.h"

#include <algorithm>

namespace history_series {

int RowsToRead(const davrel3::RunHistory& history, size_t storeRows) {
  const long long wanted = static_cast<long long>(history.HistoryLength) + 1;
  return static_cast<int>(std::clamp<long long>(wanted, 0, static_cast<long long>(storeRows)));
}

QList<QPointF> SkillPoints(const davrel3::RunHistory& history, SkillMeasure measure, int agents, int agentIndex,
                           int slot) {
  const auto& store = measure == SkillMeasure::Expertise ? history.ExpertiseHistory : history.MotivationHistory;
  QList<QPointF> points;
  if (agentIndex < 0 || agentIndex >= agents || slot < 0 || slot >= davrel3::kSkillSlots) return points;
  const int rows = RowsToRead(history, store.size());
  for (int t = 0; t < rows; ++t) {
    if (agentIndex >= static_cast<int>(store[t].size())) continue;
    const double v = store[t][agentIndex][slot];
    if (v != 0) points.append(QPointF(t, v));
  }
  return points;
}

QList<QPointF> StepWorkPoints(const davrel3::RunHistory& history, size_t column) {
  const int rows = RowsToRead(history, history.StepWorkHistory.size());
  QList<QPointF> points;
  points.reserve(rows);
  for (int t = 0; t < rows; ++t) {
    const std::vector<double>& row = history.StepWorkHistory[t];
    if (column < row.size()) points.append(QPointF(t, row[column]));
  }
  return points;
}

QList<QPointF> CoordinationPoints(const davrel3::RunHistory& history) {
  const int rows = RowsToRead(history, history.CoordinationHistory.size());
  QList<QPointF> points;
  points.reserve(rows);
  for (int t = 0; t < rows; ++t) points.append(QPointF(t, static_cast<double>(history.CoordinationHistory[t])));
  return points;
}

std::vector<int> AgentSeriesToRebuild(int panelAgents, size_t historyColumns, int seriesCount) {
  std::vector<int> rebuilt;
  for (int k = 1; k <= seriesCount; ++k) {
    if (k <= 2 || (panelAgents >= k && static_cast<size_t>(k - 1) < historyColumns)) rebuilt.push_back(k);
  }
  return rebuilt;
}

size_t StepWorkColumns(const davrel3::RunHistory& history) {
  return history.StepWorkHistory.empty() ? 0 : history.StepWorkHistory[0].size();
}

}  // namespace history_series
