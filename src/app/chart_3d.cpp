#include "chart_3d.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QOpenGLContext>
#include <QPainter>
#include <QSaveFile>
#include <QWindow>
#include <QWidget>
#include <QtCharts/QLineSeries>
#include <QMouseEvent>
#include <QtDataVisualization/Q3DInputHandler>
#include <QtDataVisualization/Q3DScatter>
#include <QtDataVisualization/Q3DTheme>
#include <QtDataVisualization/QScatter3DSeries>
#include <QtDataVisualization/QScatterDataProxy>
#include <QtDataVisualization/QValue3DAxis>
#include <QtDataVisualization/QValue3DAxisFormatter>
#include <QBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <algorithm>
#include <cmath>

namespace {

// Platforms that never put a window on a screen. Their OpenGL, where they
// have one, does not carry a 3-D graph: Qt Data Visualization crashes while
// setting up its renderer there.
bool WindowlessPlatform() {
  const QString platform = QGuiApplication::platformName();
  return platform == QLatin1String("offscreen") || platform == QLatin1String("minimal");
}

bool ProbeOpenGL() {
  if (WindowlessPlatform()) return false;
  QOpenGLContext context;
  if (!context.create()) return false;
  // The graph renders into a window of its own: that must take a context.
  QWindow window;
  window.setSurfaceType(QSurface::OpenGLSurface);
  window.setFormat(context.format());
  window.resize(16, 16);
  window.create();
  if (!window.handle() || !context.makeCurrent(&window)) return false;
  context.doneCurrent();
  return true;
}

// A mesh that recalls the series' 2-D marker, so that series of one colour
// can still be told apart in depth.
QAbstract3DSeries::Mesh MeshFor(MarkerShape shape) {
  switch (shape) {
    case MarkerShape::Rectangle:
      return QAbstract3DSeries::MeshCube;
    case MarkerShape::DownTriangle:
    case MarkerShape::UpTriangle:
      return QAbstract3DSeries::MeshPyramid;
    case MarkerShape::Diamond:
      return QAbstract3DSeries::MeshBevelCube;
    case MarkerShape::Cross:
    case MarkerShape::DiagonalCross:
    case MarkerShape::Star:
      return QAbstract3DSeries::MeshMinimal;
    case MarkerShape::Circle:
    case MarkerShape::SmallDot:
      break;
  }
  return QAbstract3DSeries::MeshSphere;
}

// Labels of the depth axis: at depth d the short label of the series that
// stands there ("3" for "Skill 3", "1" for "Agent 1", "CT" for "Coordination
// Time"), nothing between two series. Whole titles would overlap where the
// series stand close together; the legend beside the graph names them.
class DepthLabels : public QValue3DAxisFormatter {
 public:
  explicit DepthLabels(QStringList names = {}) : names_(std::move(names)) {}

 protected:
  QValue3DAxisFormatter* createNewInstance() const override { return new DepthLabels; }
  void populateCopy(QValue3DAxisFormatter& copy) const override {
    QValue3DAxisFormatter::populateCopy(copy);
    static_cast<DepthLabels&>(copy).names_ = names_;
  }
  QString stringForValue(qreal value, const QString&) const override {
    const double nearest = std::round(value);
    if (std::abs(value - nearest) > 1e-3) return QString();
    const int index = ThreeDChart::PositionAtDepth(static_cast<float>(nearest));
    return index >= 0 && index < names_.size() ? names_[index] : QString();
  }

 private:
  QStringList names_;
};

// A round step for about six ticks over `span`.
double NiceStep(double span) {
  if (span <= 0) return 1;
  const double raw = span / 6;
  const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
  for (double factor : {1.0, 2.0, 5.0}) {
    if (raw <= factor * magnitude) return factor * magnitude;
  }
  return 10 * magnitude;
}

// The graph's own input, plus a context menu on a right-click that stays in
// place: a right drag still turns the camera.
class MenuInputHandler : public Q3DInputHandler {
 public:
  MenuInputHandler(ThreeDChart* chart, QWindow* window) : chart_(chart), window_(window) {}

  void mousePressEvent(QMouseEvent* event, const QPoint& mousePos) override {
    if (event->button() == Qt::RightButton) rightPress_ = mousePos;
    Q3DInputHandler::mousePressEvent(event, mousePos);
  }
  void mouseReleaseEvent(QMouseEvent* event, const QPoint& mousePos) override {
    Q3DInputHandler::mouseReleaseEvent(event, mousePos);
    if (event->button() == Qt::RightButton && (mousePos - rightPress_).manhattanLength() < 4) {
      emit chart_->contextMenuRequested(window_->mapToGlobal(mousePos));
    }
  }

 private:
  ThreeDChart* chart_;
  QWindow* window_;
  QPoint rightPress_;
};

}  // namespace

QString ThreeDChart::DepthLabel(const QString& title) {
  // The number a title ends with: "Skill 12" -> "12", "Agent 3" -> "3".
  qsizetype digits = title.size();
  while (digits > 0 && title[digits - 1].isDigit()) --digits;
  if (digits < title.size()) return title.mid(digits);
  // Else the initials of its words: "System" -> "S", "Coordination Time" -> "CT".
  QString initials;
  for (const QString& word : title.split(QLatin1Char(' '), Qt::SkipEmptyParts)) initials += word[0].toUpper();
  return initials;
}

bool OpenGLAvailable() {
  static const bool available = ProbeOpenGL();
  return available;
}

ThreeDChart::ThreeDChart(const QString& valueTitle, std::optional<ValueRange> fixedRange,
                         const QList<SeriesStyle>& styles, bool walls, QObject* parent)
    : QObject(parent), fixedRange_(fixedRange) {
  graph_ = new Q3DScatter();
  graph_->setShadowQuality(QAbstract3DGraph::ShadowQualityNone);
  graph_->setOrthoProjection(false);
  // Rounds run from left to right, the series stand one behind another.
  // Zoomed in so that the graph fills the wide, low page and its axis
  // labels are big enough to read at the window's opening height.
  graph_->scene()->activeCamera()->setCameraPosition(-35, 20, 100);
  // The axis labels below the floor take more room than the titles above the
  // graph: the camera looks a little below the centre to show them whole.
  graph_->scene()->activeCamera()->setTarget(QVector3D(0.0f, -0.4f, 0.0f));
  graph_->setAspectRatio(2.5);
  graph_->setHorizontalAspectRatio(1.8);

  Q3DTheme* theme = graph_->activeTheme();
  theme->setType(Q3DTheme::ThemeQt);
  theme->setBackgroundColor(Qt::white);
  theme->setWindowColor(Qt::white);
  theme->setLabelBackgroundEnabled(false);
  theme->setLabelTextColor(Qt::black);
  theme->setGridLineColor(QColor(190, 190, 190));
  theme->setBackgroundEnabled(walls);
  theme->setColorStyle(Q3DTheme::ColorStyleUniform);
  QFont font = theme->font();
  font.setPointSize(22);
  theme->setFont(font);

  auto* rows = new QValue3DAxis;
  rows->setTitle(QStringLiteral("Rounds"));
  rows->setTitleVisible(true);
  rows->setLabelFormat(QStringLiteral("%d"));
  auto* values = new QValue3DAxis;
  values->setTitle(valueTitle);
  values->setTitleVisible(true);
  values->setLabelFormat(QStringLiteral("%.0f"));
  auto* depth = new QValue3DAxis;
  depth->setTitle(QStringLiteral("Parameter"));
  depth->setTitleVisible(true);
  QStringList names;
  for (const SeriesStyle& style : styles) names.append(DepthLabel(style.title));
  depth->setFormatter(new DepthLabels(names));
  // The labels turn to face the camera, so that the short depth labels stay
  // upright and apart however the graph is turned.
  for (QValue3DAxis* axis : {rows, values, depth}) axis->setLabelAutoRotation(90);
  graph_->setAxisX(rows);
  graph_->setAxisY(values);
  graph_->setAxisZ(depth);
  if (fixedRange_) values->setRange(fixedRange_->minimum, fixedRange_->maximum);

  for (const SeriesStyle& style : styles) {
    auto* series = new QScatter3DSeries;
    series->setName(style.title);
    series->setMesh(MeshFor(style.marker));
    series->setItemSize(0.05f);
    series->setItemLabelFormat(QStringLiteral("@seriesName: round @xLabel, @yLabel"));
    series->setVisible(style.shown);
    graph_->addSeries(series);
    series_.append(series);
  }

  graph_->setActiveInputHandler(new MenuInputHandler(this, graph_));

  container_ = QWidget::createWindowContainer(graph_);
  container_->setMinimumSize(200, 150);
  container_->setFocusPolicy(Qt::StrongFocus);

  // The graph has no legend of its own: a column beside it names the shown
  // series in their colours, in legend order.
  view_ = new QWidget;
  view_->setAutoFillBackground(true);
  QPalette white = view_->palette();
  white.setColor(QPalette::Window, Qt::white);
  view_->setPalette(white);
  legend_ = new QWidget(view_);
  legend_->setObjectName(QStringLiteral("ThreeDLegend"));
  auto* legendLayout = new QVBoxLayout(legend_);
  legendLayout->setContentsMargins(6, 6, 6, 6);
  legendLayout->setSpacing(2);
  auto* layout = new QHBoxLayout(view_);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(container_, 1);
  layout->addWidget(legend_, 0, Qt::AlignTop);
}

void ThreeDChart::FillLegend() {
  auto* layout = static_cast<QVBoxLayout*>(legend_->layout());
  while (QLayoutItem* item = layout->takeAt(0)) {
    delete item->widget();
    delete item;
  }
  entries_.clear();
  for (const QScatter3DSeries* series : series_) {
    if (!series->isVisible()) continue;
    QPixmap swatch(10, 10);
    swatch.fill(series->baseColor());
    auto* row = new QWidget(legend_);
    auto* rowLayout = new QHBoxLayout(row);
    rowLayout->setContentsMargins(0, 0, 0, 0);
    rowLayout->setSpacing(4);
    auto* colour = new QLabel(row);
    colour->setPixmap(swatch);
    auto* name = new QLabel(series->name(), row);
    name->setTextFormat(Qt::PlainText);
    rowLayout->addWidget(colour);
    rowLayout->addWidget(name);
    rowLayout->addStretch(1);
    layout->addWidget(row);
    entries_.append(series->name());
  }
}

// The container owns the graph window; the container itself belongs to the
// layout it was placed in, or to no one yet.
ThreeDChart::~ThreeDChart() {
  if (view_ && !view_->parent()) delete view_;
}

void ThreeDChart::Fill(const QList<QLineSeries*>& lines) {
  const int count = static_cast<int>(std::min(lines.size(), series_.size()));
  for (int i = 0; i < count; ++i) {
    const QLineSeries* line = lines[i];
    QScatter3DSeries* scatter = series_[i];
    const QList<QPointF> points = line->points();
    auto* items = new QScatterDataArray;
    items->reserve(points.size());
    for (const QPointF& p : points) items->append(QScatterDataItem(QVector3D(p.x(), p.y(), DepthOf(i))));
    scatter->dataProxy()->resetArray(items);
    scatter->setBaseColor(line->color());
    scatter->setName(line->name());
    scatter->setVisible(line->isVisible());
  }
  FitRanges(lines);
  FillLegend();
}

bool ThreeDChart::SaveImage(const QString& path, QString* error) const {
  const QString shown = QDir::toNativeSeparators(path);
  if (QFileInfo(path).suffix().toLower() != QLatin1String("png")) {
    if (error) *error = tr("Cannot save \"%1\": the 3-D view is saved as a PNG picture (.png).").arg(shown);
    return false;
  }
  // What the user sees: the graph, and its legend column beside it, both
  // at twice their size on screen.
  constexpr int kScale = 2;
  const QSize graphSize = container_->size().expandedTo(QSize(400, 300));
  const QImage graph = graph_->renderToImage(4, graphSize * kScale);
  const bool withLegend = !entries_.isEmpty();
  const QSize legendSize = withLegend ? legend_->sizeHint().expandedTo(legend_->size()) : QSize(0, 0);
  QImage image;
  if (!graph.isNull()) {
    image = QImage(QSize(graphSize.width() + legendSize.width(), std::max(graphSize.height(), legendSize.height())) *
                       kScale,
                   QImage::Format_ARGB32_Premultiplied);
  }
  if (!image.isNull()) {
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.drawImage(QPoint(0, 0), graph);
    if (withLegend) {
      painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
      painter.translate(graphSize.width() * kScale, 0);
      painter.scale(kScale, kScale);
      legend_->render(&painter, QPoint(), QRegion(), QWidget::DrawChildren);
    }
  }
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (image.isNull() || !image.save(&buffer, "PNG")) {
    if (error) *error = tr("Cannot draw the 3-D view for \"%1\".").arg(shown);
    return false;
  }
  // All or nothing: the old file stays until the new one is complete.
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
    if (error) *error = tr("Cannot write \"%1\": %2").arg(shown, file.errorString());
    return false;
  }
  return true;
}

void ThreeDChart::SetValueRange(const ValueRange& range) {
  fixedRange_ = range;
  graph_->axisY()->setRange(range.minimum, range.maximum);
}

float ThreeDChart::DepthOf(int position) { return static_cast<float>(position + 1); }

int ThreeDChart::PositionAtDepth(float depth) { return static_cast<int>(std::lround(depth)) - 1; }

void ThreeDChart::FitRanges(const QList<QLineSeries*>& lines) {
  // The depth axis spans the shown series, so that a few of forty stand apart.
  int front = -1;
  int back = -1;
  for (int i = 0; i < lines.size(); ++i) {
    if (!lines[i]->isVisible()) continue;
    if (front < 0) front = i;
    back = i;
  }
  if (front < 0) {
    front = 0;
    back = static_cast<int>(lines.size()) - 1;
  }
  const float first = DepthOf(front);
  const float last = std::max(DepthOf(back), first + 1);
  graph_->axisZ()->setRange(first, last);
  // One segment per series while they are few, so that each has its label;
  // with many, labels stand at whole steps of series.
  const int span = static_cast<int>(last - first);
  int step = 1;
  while (span / step > 12) ++step;
  graph_->axisZ()->setRange(first, first + static_cast<float>(((span + step - 1) / step) * step));
  graph_->axisZ()->setSegmentCount(std::max(1, (span + step - 1) / step));

  double maxRow = 1;
  double low = 0;
  double high = 0;
  for (const QLineSeries* line : lines) {
    if (!line->isVisible()) continue;
    for (const QPointF& p : line->points()) {
      maxRow = std::max(maxRow, p.x());
      low = std::min(low, p.y());
      high = std::max(high, p.y());
    }
  }
  // The rounds axis starts at 1, as in the 2-D chart.
  const double rowStep = NiceStep(maxRow - 1);
  graph_->axisX()->setRange(1, std::max(2.0, std::ceil(maxRow / rowStep) * rowStep));
  if (!fixedRange_) {
    const double step = NiceStep(high - low);
    const double top = high > low ? std::ceil(high / step) * step : low + 1;
    graph_->axisY()->setRange(std::floor(low / step) * step, top);
  }
}
