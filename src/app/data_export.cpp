#include "data_export.h"

#include "program_message.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QMessageBox>
#include <QPainter>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSvgGenerator>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QGraphicsLayout>
#include <functional>

#include "chart_view.h"
#include "string_grid.h"
#include "window_settings.h"

namespace data_export {

namespace {

// Pictures are drawn at twice the window's resolution: sharp enough for print
// at the size the chart has on screen.
constexpr qreal kImageScale = 2.0;

QString Field(const QString& text, QChar separator) {
  const bool quote = text.contains(separator) || text.contains(QLatin1Char('"')) || text.contains(QLatin1Char('\n')) ||
                     text.contains(QLatin1Char('\r'));
  if (!quote) return text;
  QString quoted = text;
  quoted.replace(QLatin1String("\""), QLatin1String("\"\""));
  return QLatin1Char('"') + quoted + QLatin1Char('"');
}

void AppendRow(QString& out, const QStringList& cells, QChar separator) {
  for (int i = 0; i < cells.size(); ++i) {
    if (i > 0) out += separator;
    out += Field(cells[i], separator);
  }
  out += QLatin1Char('\n');
}

// Writes the bytes all or nothing: QSaveFile keeps the old file until commit.
bool SaveBytes(const QString& path, const QByteArray& bytes, QString* error) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) {
    if (error) *error = QObject::tr("Cannot write \"%1\": %2").arg(QDir::toNativeSeparators(path), file.errorString());
    return false;
  }
  if (file.write(bytes) != bytes.size() || !file.commit()) {
    if (error) *error = QObject::tr("Cannot write \"%1\": %2").arg(QDir::toNativeSeparators(path), file.errorString());
    file.cancelWriting();
    return false;
  }
  return true;
}

// What a picture is of, for its messages and its SVG description.
struct PictureKind {
  QString noun;         // "chart", "picture"
  QString description;  // "Chart drawn by %1"
};

// Draws a picture of `size` with `draw` and saves it as the suffix of `path`
// asks: ".png" at twice the screen resolution on white, ".svg" as a drawing
// titled after the file. Any other suffix, or a picture that cannot be drawn,
// is an error and writes nothing.
bool SavePicture(const QString& path, QSize size, const std::function<void(QPainter&)>& draw, const PictureKind& kind,
                 QString* error) {
  const QString shown = QDir::toNativeSeparators(path);
  const QString suffix = QFileInfo(path).suffix().toLower();
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (suffix == QLatin1String("png")) {
    QImage image(size * kImageScale, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) {
      if (error) *error = QObject::tr("Cannot draw the %1 for \"%2\": not enough memory.").arg(kind.noun, shown);
      return false;
    }
    image.setDevicePixelRatio(kImageScale);
    image.fill(Qt::white);
    {
      QPainter painter(&image);
      painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
      draw(painter);
    }
    image.save(&buffer, "PNG");
  } else if (suffix == QLatin1String("svg")) {
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setSize(size);
    generator.setViewBox(QRect(QPoint(0, 0), size));
    generator.setTitle(QFileInfo(path).completeBaseName());
    generator.setDescription(kind.description.arg(QGuiApplication::applicationDisplayName()));
    QPainter painter(&generator);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    draw(painter);
  } else {
    if (error) {
      *error = QObject::tr("Cannot save \"%1\": a %2 is saved as a PNG picture (.png) or an SVG drawing (.svg).")
                   .arg(shown, kind.noun);
    }
    return false;
  }
  if (bytes.isEmpty()) {
    if (error) *error = QObject::tr("Cannot draw the %1 for \"%2\".").arg(kind.noun, shown);
    return false;
  }
  return SaveBytes(path, bytes, error);
}

// The name a chart view suggests for its picture: its value axis title if it
// has one (the charts' titles are blank), else the view's object name.
QString SuggestedChartName(QChartView* view) {
  QString name;
  if (QChart* chart = view->chart()) {
    for (QAbstractAxis* axis : chart->axes(Qt::Vertical)) {
      if (!axis->titleText().trimmed().isEmpty()) {
        name = axis->titleText().trimmed();
        break;
      }
    }
  }
  if (name.isEmpty()) name = view->objectName();
  if (name.isEmpty()) name = QStringLiteral("chart");
  name.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9_-]+")), QStringLiteral("-"));
  return name;
}

}  // namespace

QString GridText(const QAbstractItemModel& model, QChar separator) {
  const int rows = model.rowCount();
  const int columns = model.columnCount();
  // A grid whose heading row and column are the view's header sections shows
  // them as its first row and column; the corner is the grid's own cell.
  const auto* grid = qobject_cast<const TextGridModel*>(&model);
  const bool headers = grid && grid->Grid() && grid->HeadingsShown() == TextGridModel::Headings::AsHeaders;
  QString out;
  if (headers) {
    QStringList row{QString::fromStdString(grid->Grid()->Cell(0, 0))};
    for (int c = 0; c < columns; ++c) row << model.headerData(c, Qt::Horizontal).toString();
    AppendRow(out, row, separator);
  }
  for (int r = 0; r < rows; ++r) {
    QStringList row;
    if (headers) row << model.headerData(r, Qt::Vertical).toString();
    for (int c = 0; c < columns; ++c) row << model.data(model.index(r, c)).toString();
    AppendRow(out, row, separator);
  }
  return out;
}

QString RowsText(const QList<QStringList>& rows, QChar separator) {
  QString out;
  for (const QStringList& row : rows) AppendRow(out, row, separator);
  return out;
}

bool SaveText(const QString& path, const QString& text, QString* error) {
  return SaveBytes(path, text.toUtf8(), error);
}

void CopyText(const QString& text) { QGuiApplication::clipboard()->setText(text); }

bool SaveChartImage(QWidget* chartView, const QString& path, QString* error) {
  auto* view = qobject_cast<QChartView*>(chartView);
  if (!view) {
    if (error) *error = QObject::tr("There is no chart to save.");
    return false;
  }
  // A view that was sized while hidden fits its chart to that size only
  // when it is shown; fit it now so that the picture has the view's size.
  // (What the view does in its resize event, which a hidden view has not had.)
  if (QChart* chart = view->chart(); chart && chart->size().toSize() != view->size()) {
    chart->resize(view->size());
    view->setSceneRect(chart->geometry());
  }
  // The chart lays itself out on the next event loop pass; the picture must
  // not wait for it.
  if (view->chart() && view->chart()->layout()) view->chart()->layout()->activate();
  return SavePicture(
      path, view->size(),
      [view](QPainter& painter) {
        view->render(&painter, QRectF(QPointF(0, 0), view->size()), view->viewport()->rect());
      },
      {QObject::tr("chart"), QObject::tr("Chart drawn by %1")}, error);
}

bool SaveWidgetImage(QWidget* widget, const QString& path, QString* error) {
  if (!widget || widget->size().isEmpty()) {
    if (error) *error = QObject::tr("There is no picture to save.");
    return false;
  }
  return SavePicture(
      path, widget->size(), [widget](QPainter& painter) { widget->render(&painter); },
      {QObject::tr("picture"), QObject::tr("Drawn by %1")}, error);
}

void InstallChartExportMenu(QWidget* chartView) {
  auto* view = qobject_cast<QChartView*>(chartView);
  if (!view) return;
  auto* save = new QAction(QObject::tr("Save image..."), view);
  save->setObjectName(QStringLiteral("SaveImageAction"));
  QObject::connect(save, &QAction::triggered, view, [view] {
    const QString path = AskSavePath(view, QObject::tr("Save image"), SuggestedChartName(view) + ".png",
                                     {QObject::tr("PNG picture (*.png)"), QObject::tr("SVG drawing (*.svg)")});
    if (path.isEmpty()) return;
    QString error;
    if (!SaveChartImage(view, path, &error)) ReportSaveError(view, error);
  });
  view->addAction(save);
  // A ChartView builds its own menu ("Reset zoom") and appends the view's
  // actions; any other chart view shows its actions as its menu.
  if (!qobject_cast<ChartView*>(view)) view->setContextMenuPolicy(Qt::ActionsContextMenu);
}

QString AskSavePath(QWidget* parent, const QString& caption, const QString& suggestedName, const QStringList& filters,
                    const QString& folderKind, QString* chosenFilter) {
  QFileDialog dialog(parent, caption);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setNameFilters(filters);
  const QString last = window_settings::LastFolder(folderKind);
  const QString folder = last.isEmpty() ? QDir::homePath() : last;
  dialog.setDirectory(folder);
  dialog.selectFile(suggestedName);
  // The suffix of the chosen filter is added to a name typed without one,
  // and follows the filter when the user switches it.
  const auto suffixOf = [](const QString& filter) {
    const QRegularExpressionMatch match = QRegularExpression(QStringLiteral("\\*\\.(\\w+)")).match(filter);
    return match.hasMatch() ? match.captured(1) : QString();
  };
  dialog.setDefaultSuffix(suffixOf(filters.value(0)));
  QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                   [&dialog, suffixOf](const QString& filter) { dialog.setDefaultSuffix(suffixOf(filter)); });
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  const QString path = dialog.selectedFiles().first();
  window_settings::RememberFolderOf(folderKind, path);
  if (chosenFilter) *chosenFilter = dialog.selectedNameFilter();
  return path;
}

void ReportSaveError(QWidget* parent, const QString& error) {
  program_message::Show(parent, error);
}

}  // namespace data_export
