// The fixed look of the chart window's 93 line series: object name, title,
// colour, marker and whether the series is shown when the window starts.
//
// The lists are in legend order. A series without a colour takes the one the
// chart's theme hands out when the series is added ("automatic").
#pragma once

#include <QColor>
#include <QList>
#include <QString>
#include <optional>

#include "chart_markers.h"

struct SeriesStyle {
  QString objectName;  // FirstExp1, Mot9, FirstPerfSys, ...
  QString title;       // "Skill 1", "System", ...
  std::optional<QColor> colour;
  MarkerShape marker = MarkerShape::Circle;
  MarkerExtent extent;
  bool shown = true;
};

inline constexpr int kSkillSeriesCount = 40;
inline constexpr int kAgentSeriesCount = 11;

// "Skill 1" ... "Skill 40" of the Expertise chart.
QList<SeriesStyle> ExpertiseSeriesStyles();
// "Skill 1" ... "Skill 40" of the Motivation chart.
QList<SeriesStyle> MotivationSeriesStyles();
// "System", "Coordination Time", "Agent 1" ... "Agent 11".
QList<SeriesStyle> PerformanceSeriesStyles();
