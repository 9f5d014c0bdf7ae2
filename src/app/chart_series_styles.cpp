#include "chart_series_styles.h"

namespace {

const QColor kPurple(128, 0, 128);
const QColor kRed(255, 0, 0);
const QColor kBlue(0, 0, 255);
const QColor kYellow(255, 255, 0);
const QColor kGreen(0, 128, 0);
const QColor kBlack(0, 0, 0);
const QColor kGray(128, 128, 128);
const QColor kLightMagenta(255, 128, 255);
const std::optional<QColor> kAutomatic;

// Skill markers: 2 by 2. Performance markers keep the chart's usual width
// and are flattened to a half-height of 2.
constexpr MarkerExtent kSkillExtent{2, 2};
constexpr MarkerExtent kPerformanceExtent{4, 2};
constexpr int kShownSkills = 6;
constexpr int kShownAgents = 6;

QString SkillTitle(int k) { return QStringLiteral("Skill %1").arg(k); }

}  // namespace

QList<SeriesStyle> ExpertiseSeriesStyles() {
  // Not a plain cycle of six: skill 6 is automatic, and skills 25 to 34 run in
  // two groups of five (the first without green, the second without black).
  const std::optional<QColor> colours[kSkillSeriesCount] = {
      kPurple, kRed, kBlue, kYellow, kGreen, kAutomatic,  // 1-6
      kPurple, kRed, kBlue, kYellow, kGreen, kBlack,      // 7-12
      kPurple, kRed, kBlue, kYellow, kGreen, kBlack,      // 13-18
      kPurple, kRed, kBlue, kYellow, kGreen, kBlack,      // 19-24
      kPurple, kRed, kBlue, kYellow, kBlack,              // 25-29
      kPurple, kRed, kBlue, kYellow, kGreen,              // 30-34
      kPurple, kRed, kBlue, kYellow, kGreen, kBlack,      // 35-40
  };
  QList<SeriesStyle> styles;
  for (int k = 1; k <= kSkillSeriesCount; ++k) {
    styles.append({QStringLiteral("FirstExp%1").arg(k), SkillTitle(k), colours[k - 1], kMarkerCycle[(k - 1) % 8],
                   kSkillExtent, k <= kShownSkills});
  }
  return styles;
}

QList<SeriesStyle> MotivationSeriesStyles() {
  const QColor cycle[6] = {kPurple, kRed, kBlue, kYellow, kGreen, kBlack};
  QList<SeriesStyle> styles;
  for (int k = 1; k <= kSkillSeriesCount; ++k) {
    MarkerShape marker;
    if (k <= 16) {
      marker = kMarkerCycle[(k - 1) % 8];
    } else if (k == 17) {
      marker = MarkerShape::Star;
    } else {
      marker = kMarkerCycle[(k - 18) % 8];
    }
    const std::optional<QColor> colour = k == 24 ? kAutomatic : std::optional<QColor>(cycle[(k - 1) % 6]);
    const QString name = k <= 8 ? QStringLiteral("FirstMot%1").arg(k) : QStringLiteral("Mot%1").arg(k);
    styles.append({name, SkillTitle(k), colour, marker, kSkillExtent, k <= kShownSkills});
  }
  return styles;
}

QList<SeriesStyle> PerformanceSeriesStyles() {
  QList<SeriesStyle> styles;
  styles.append({QStringLiteral("FirstPerfSys"), QStringLiteral("System"), kAutomatic, MarkerShape::DownTriangle,
                 kPerformanceExtent, false});
  styles.append({QStringLiteral("FirstPerfInt"), QStringLiteral("Coordination Time"), kGray,
                 MarkerShape::DiagonalCross, kPerformanceExtent, false});
  struct AgentLook {
    std::optional<QColor> colour;
    MarkerShape marker;
  };
  const AgentLook agents[kAgentSeriesCount] = {
      {kAutomatic, MarkerShape::Circle},       {kGray, MarkerShape::Cross},       {kYellow, MarkerShape::Rectangle},
      {kLightMagenta, MarkerShape::UpTriangle}, {kGray, MarkerShape::Star},        {kBlue, MarkerShape::Diamond},
      {kRed, MarkerShape::SmallDot},            {kBlue, MarkerShape::Circle},      {kRed, MarkerShape::Cross},
      {kBlue, MarkerShape::Rectangle},          {kRed, MarkerShape::UpTriangle},
  };
  for (int k = 1; k <= kAgentSeriesCount; ++k) {
    styles.append({QStringLiteral("FirstPerfAg%1").arg(k), QStringLiteral("Agent %1").arg(k), agents[k - 1].colour,
                   agents[k - 1].marker, kPerformanceExtent, k <= kShownAgents});
  }
  return styles;
}
