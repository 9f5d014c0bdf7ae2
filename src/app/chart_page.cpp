#include "chart_page.h"

#include <QGraphicsLayout>
#include <QMenu>
#include <QStackedWidget>
#include <QtCharts/QChart>
#include <QtCharts/QLegend>
#include <QtCharts/QLegendMarker>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>

#include "chart_ranges.h"
#include "chart_view.h"
#include "data_export.h"

namespace {

constexpr int kAnimationMilliseconds = 400;

}  // namespace

ChartPage::ChartPage(const QString& valueTitle, ValueAxis valueAxis, QList<SeriesStyle> styles, bool walls3d,
                     const QFont& font, const QColor& legendColour, QWidget* dialogParent)
    : QObject(dialogParent),
      valueTitle_(valueTitle),
      valueAxis_(valueAxis),
      styles_(std::move(styles)),
      walls3d_(walls3d),
      dialogParent_(dialogParent) {
  chart_ = new QChart;
  // The title is one empty line: space above the plot, no text.
  chart_->setTitle(QStringLiteral(" "));
  chart_->setTitleFont(font);
  chart_->setBackgroundBrush(Qt::white);
  chart_->setBackgroundRoundness(0);
  chart_->setPlotAreaBackgroundBrush(Qt::white);
  chart_->setPlotAreaBackgroundVisible(true);
  chart_->setMargins(QMargins(0, 0, 0, 0));
  chart_->layout()->setContentsMargins(0, 0, 0, 0);
  // Zooming moves the lines smoothly. The axes jump: animating them while the
  // number of tick labels changes crashes Qt Charts.
  chart_->setAnimationOptions(QChart::SeriesAnimations);
  chart_->setAnimationDuration(kAnimationMilliseconds);

  QLegend* legend = chart_->legend();
  legend->setVisible(true);
  legend->setAlignment(Qt::AlignRight);
  legend->setFont(font);
  legend->setMarkerShape(QLegend::MarkerShapeFromSeries);
  legend->setBackgroundVisible(true);
  legend->setBrush(legendColour);
  legend->setPen(Qt::NoPen);
  legend->setShowToolTips(true);

  rounds_ = new QValueAxis(chart_);
  rounds_->setTitleText(QStringLiteral("Rounds"));
  rounds_->setLabelFormat(QStringLiteral("%.0f"));
  rounds_->setTickType(QValueAxis::TicksDynamic);
  rounds_->setTickAnchor(0);
  values_ = new QValueAxis(chart_);
  values_->setTitleText(valueTitle);
  values_->setLabelFormat(QStringLiteral("%.0f"));
  // The left wall: white with a dotted frame line.
  values_->setLinePen(QPen(QColor(96, 96, 96), 1, Qt::DotLine));
  for (QValueAxis* axis : {rounds_, values_}) {
    axis->setTitleFont(font);
    axis->setLabelsFont(font);
    axis->setGridLinePen(QPen(QColor(224, 224, 224), 1));
    axis->setMinorGridLineVisible(false);
  }
  chart_->addAxis(rounds_, Qt::AlignBottom);
  chart_->addAxis(values_, Qt::AlignLeft);
  if (valueAxis_ == ValueAxis::SkillLevel) {
    values_->setTickType(QValueAxis::TicksDynamic);
    values_->setTickAnchor(0);
  }

  for (const SeriesStyle& style : styles_) {
    auto* series = new QLineSeries(chart_);
    series->setObjectName(style.objectName);
    series->setName(style.title);
    // The theme hands out its colour when the series is added; a series with
    // a colour of its own overrides it afterwards.
    chart_->addSeries(series);
    series->attachAxis(rounds_);
    series->attachAxis(values_);
    const QColor colour = style.colour.value_or(series->color());
    QPen pen(colour, 1.2);
    series->setPen(pen);
    series->setPointsVisible(true);
    series->setPointLabelsVisible(false);
    series->setMarkerSize(MarkerImageSide(style.extent));
    series->setLightMarker(MarkerImage(style.marker, colour, style.extent));
    series->setVisible(style.shown);
    series_.append(series);
    present_.append(true);
    wanted_.append(style.shown);
    connect(series, &QLineSeries::visibleChanged, this, [this] { SeriesVisibilityChanged(); });
  }
  for (QLegendMarker* marker : legend->markers()) {
    UpdateLegendMarker(marker);
    // A click on a legend entry shows or hides its series.
    connect(marker, &QLegendMarker::clicked, this, [this, marker] {
      ToggleSeries(static_cast<int>(series_.indexOf(qobject_cast<QLineSeries*>(marker->series()))));
    });
  }

  view_ = new ChartView(chart_);
  view_->setObjectName(valueTitle);
  view_->setBackgroundBrush(Qt::white);
  data_export::InstallChartExportMenu(view_);
  connect(view_, &ChartView::resetRequested, this, [this] { ResetZoom(); });
  // The legend has room for about seventeen entries in a window of the
  // opening height; the context menu reaches every series of the group.
  seriesMenu_ = new QMenu(tr("Show series"), view_);
  seriesMenu_->setObjectName(QStringLiteral("SeriesMenu"));
  connect(seriesMenu_, &QMenu::aboutToShow, this, [this] { FillSeriesMenu(); });
  view_->addAction(seriesMenu_->menuAction());
  stack_ = new QStackedWidget;
  stack_->addWidget(view_);
  ApplyRanges();
}

ChartPage::~ChartPage() = default;

QWidget* ChartPage::Widget() const { return stack_; }

void ChartPage::SetPresent(int series, bool present) {
  if (present_[series] == present) return;
  present_[series] = present;
  // The visibility change updates the legend, the axes and the 3-D view.
  series_[series]->setVisible(present && wanted_[series]);
  UpdateLegend();
}

void ChartPage::ToggleSeries(int series) {
  if (series < 0 || series >= series_.size()) return;
  wanted_[series] = !wanted_[series];
  series_[series]->setVisible(wanted_[series] && present_[series]);
}

void ChartPage::FillSeriesMenu() {
  seriesMenu_->clear();
  for (int i = 0; i < series_.size(); ++i) {
    if (!present_[i]) continue;
    QAction* action = seriesMenu_->addAction(series_[i]->name());
    action->setCheckable(true);
    action->setChecked(series_[i]->isVisible());
    connect(action, &QAction::triggered, this, [this, i] { ToggleSeries(i); });
  }
}

void ChartPage::SetPoints(int series, const QList<QPointF>& points) {
  series_[series]->clearPointsConfiguration();
  series_[series]->replace(points);
}

void ChartPage::Refresh(int historyLength) {
  historyLength_ = historyLength;
  ApplyRanges();
  if (threeD_) threeD_->Fill(series_);
}

void ChartPage::ApplyRanges() {
  QList<QList<QPointF>> shown;
  for (const QLineSeries* line : series_) {
    if (line->isVisible()) shown.append(line->points());
  }
  const chart_ranges::Extent extent = chart_ranges::ExtentOf(shown);
  const chart_ranges::Range rounds = chart_ranges::RoundsRange(extent, historyLength_);
  rounds_->setRange(rounds.minimum, rounds.maximum);
  rounds_->setTickInterval(chart_ranges::NiceInterval(rounds.maximum - rounds.minimum));
  if (valueAxis_ == ValueAxis::SkillLevel) {
    const chart_ranges::Range values = chart_ranges::SkillValueRange(extent, committedMaximum_);
    values_->setRange(values.minimum, values.maximum);
    values_->setTickInterval(chart_ranges::SkillTickInterval(values.maximum));
    if (threeD_) threeD_->SetValueRange(ValueRange{values.minimum, values.maximum});
  } else {
    const chart_ranges::Range values = chart_ranges::AutomaticRange(extent);
    values_->setRange(values.minimum, values.maximum);
    if (extent.any && extent.high > extent.low) {
      values_->applyNiceNumbers();
    } else {
      values_->setTickCount(5);
    }
  }
}

void ChartPage::ResetZoom() {
  chart_->zoomReset();
  ApplyRanges();
}

void ChartPage::SeriesVisibilityChanged() {
  UpdateLegend();
  ApplyRanges();
  if (threeD_) threeD_->Fill(series_);
}

void ChartPage::UpdateLegend() {
  for (QLegendMarker* marker : chart_->legend()->markers()) UpdateLegendMarker(marker);
  // Entries that come back need their place again: the legend does not lay
  // itself out anew when only a marker's visibility changes.
  chart_->legend()->layout()->invalidate();
}

void ChartPage::UpdateLegendMarker(QLegendMarker* marker) {
  // A hidden series keeps its legend entry, greyed, so that it can be shown
  // again with a click; an absent one has none.
  const int i = static_cast<int>(series_.indexOf(qobject_cast<QLineSeries*>(marker->series())));
  marker->setVisible(i < 0 || present_[i]);
  const bool shown = marker->series() && marker->series()->isVisible();
  QColor label = QColor(Qt::black);
  if (!shown) label.setAlphaF(0.4);
  marker->setLabelBrush(label);
  QBrush brush = marker->brush();
  QColor fill = brush.color();
  fill.setAlphaF(shown ? 1.0 : 0.3);
  brush.setColor(fill);
  marker->setBrush(brush);
}

bool ChartPage::EnsureThreeD() {
  if (threeD_) return true;
  if (!OpenGLAvailable()) return false;
  std::optional<ValueRange> range;
  if (valueAxis_ == ValueAxis::SkillLevel) range = ValueRange{values_->min(), values_->max()};
  threeD_ = std::make_unique<ThreeDChart>(valueTitle_, range, styles_, walls3d_);
  connect(threeD_.get(), &ThreeDChart::contextMenuRequested, this, [this](const QPoint& where) {
    QMenu menu(dialogParent_);
    menu.addAction(tr("Save image..."), this, [this] { SaveThreeDImage(); });
    menu.addAction(seriesMenu_->menuAction());
    menu.exec(where);
  });
  stack_->addWidget(threeD_->Widget());
  return true;
}

void ChartPage::ShowThreeD(bool threeD) {
  if (threeD && threeD_) threeD_->Fill(series_);
  stack_->setCurrentIndex(threeD && threeD_ ? 1 : 0);
}

bool ChartPage::ShowsThreeD() const { return threeD_ && stack_->currentWidget() == threeD_->Widget(); }

void ChartPage::SaveThreeDImage() {
  if (!threeD_) return;
  QString name = valueTitle_;
  name.replace(QLatin1Char(' '), QLatin1Char('-'));
  const QString path = data_export::AskSavePath(dialogParent_, tr("Save image"), name + QStringLiteral("-3d.png"),
                                                {tr("PNG picture (*.png)")});
  if (path.isEmpty()) return;
  QString error;
  if (!threeD_->SaveImage(path, &error)) data_export::ReportSaveError(dialogParent_, error);
}
