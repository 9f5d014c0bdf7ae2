#include "history_series.h"

#include <algorithm>

namespace history_series {

int RowsToRead(const davrel3::RunHistory& history, size_t storeRows) {
  const long long wanted = static_cast<long long>(history.HistoryLength) + 1;
  return static_cast<int>(std::clamp<long long>(wanted, 0, static_cast<long long>(storeRows)));
}

QList<QPointF> SkillPoints(const davrel3::RunHistory& history, SkillMeasure measure, int agents, int agentIndex,
                           int slot) {
  const auto at = measure == SkillMeasure::Expertise ? davrel3::ExpertiseAt : davrel3::MotivationAt;
  QList<QPointF> points;
  if (agentIndex < 0 || agentIndex >= agents || slot < 0 || slot >= davrel3::kSkillSlots) return points;
  if (agentIndex >= history.Agents) return points;
  const int rows = RowsToRead(history, static_cast<size_t>(history.Rows));
  for (int t = 0; t < rows; ++t) {
    const double v = at(history, t, agentIndex, slot);
    if (v != 0) points.append(QPointF(t, v));
  }
  return points;
}

QList<QPointF> StepWorkPoints(const davrel3::RunHistory& history, size_t column) {
  QList<QPointF> points;
  if (column >= StepWorkColumns(history)) return points;
  const int rows = RowsToRead(history, static_cast<size_t>(history.Rows));
  points.reserve(rows);
  for (int t = 0; t < rows; ++t) points.append(QPointF(t, davrel3::StepWorkAt(history, t, static_cast<int>(column))));
  return points;
}

QList<QPointF> CoordinationPoints(const davrel3::RunHistory& history) {
  const int rows = RowsToRead(history, static_cast<size_t>(history.Rows));
  QList<QPointF> points;
  points.reserve(rows);
  for (int t = 0; t < rows; ++t) points.append(QPointF(t, static_cast<double>(davrel3::CoordinationAt(history, t))));
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
  return history.Rows > 0 ? static_cast<size_t>(history.Agents) + 1 : 0;
}

}  // namespace history_series
