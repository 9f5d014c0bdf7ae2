// Data out of the windows: the texts of a grid as CSV or tab-separated text,
// saved to a file or put on the clipboard, and a chart saved as a PNG or SVG
// picture. Researchers put these into papers, so what is written is exactly
// what the window shows: the same heading row and column, the same texts.
//
// Nothing here runs by itself: every function is called from a command the
// user gave (a context-menu entry, a Save button). File errors come back as a
// message text for the caller to show; nothing throws.
#pragma once

#include <QAbstractItemModel>
#include <QChar>
#include <QList>
#include <QString>
#include <QStringList>

class QWidget;

namespace data_export {

// Every cell of the model, heading row and column included, one line per row,
// each ended by "\n". A model whose headings are its header sections (a
// TextGridModel shown AsHeaders) gives them as the first row and column, with
// the corner cell from the grid, so the table has the shape the user sees.
// With ',' as separator a cell holding a comma, a quote or a line break is
// quoted and its quotes doubled (RFC 4180); with any other separator (tab for
// the clipboard) the same rule applies to that separator.
QString GridText(const QAbstractItemModel& model, QChar separator);

// The same text for rows of cells given directly (a selection of a grid).
QString RowsText(const QList<QStringList>& rows, QChar separator);

// Writes the text as UTF-8, all or nothing (the old file stays if anything
// fails). False with a readable reason in *error (if given) on failure.
bool SaveText(const QString& path, const QString& text, QString* error);

// Puts the text on the system clipboard.
void CopyText(const QString& text);

// Saves the chart of a QChartView: ".png" as a picture at twice the screen
// resolution, ".svg" as a vector drawing of the chart scene (suffix compared
// without case). Any other suffix, or a widget that is no QChartView, is an
// error and writes nothing.
bool SaveChartImage(QWidget* chartView, const QString& path, QString* error);

// Saves what a widget shows, children included: ".png" at twice the screen
// resolution, ".svg" as a drawing; any other suffix is an error and writes
// nothing. For pictures that are not one chart (a page of several figures,
// the visible part of a map).
bool SaveWidgetImage(QWidget* widget, const QString& path, QString* error);

// Adds "Save image..." to the chart view's context menu: it asks for a file
// name (PNG or SVG) and reports a failure in a message box.
void InstallChartExportMenu(QWidget* chartView);

// The dialog side of the commands above, shared by every window that saves.
// AskSavePath asks for a file name (non-native dialog, starting in the folder
// a dialog of `folderKind` last used, remembered between launches) and
// returns "" if the user cancels; a name typed without a suffix gets the one
// of the chosen filter. *chosenFilter (if given) receives the filter the user
// saved with. ReportSaveError shows why a save failed.
QString AskSavePath(QWidget* parent, const QString& caption, const QString& suggestedName, const QStringList& filters,
                    const QString& folderKind = QStringLiteral("export"), QString* chosenFilter = nullptr);
void ReportSaveError(QWidget* parent, const QString& error);

}  // namespace data_export
