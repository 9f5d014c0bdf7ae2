// Experiments at scale from the main window: "Run design" gives the very rows
// (and CSV text) of the headless runner for the parameters typed, without
// touching the committed model, and can be cancelled; parameter sets go to a
// file and come back into the panel only; a bad file changes nothing; the run
// record saved equals the runner's --json; the named configurations commit
// from the menu.
#include <QFileInfo>
#include <QApplication>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QClipboard>
#include <QCryptographicHash>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableView>
#include <QChartView>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "DV3Newcomer2009Agent.h"
#include "DV3Newcomer2009Chart.h"
#include "DV3Newcomer2009Par.h"
#include "about_tab.h"
#include "agent_tab.h"
#include "design_control.h"
#include "file_commands.h"
#include "indicator_strip.h"
#include "main_menu_bar.h"
#include "newcomers_tab.h"
#include "parameters_tab.h"
#include "status_line.h"
#include "experiment/record.h"
#include "experiment/session.h"
#include "design_results.h"
#include "design_runner.h"
#include "radio_group.h"
#include "skill_levels_editor.h"
#include "up_down.h"
#include "window_test_helpers.h"

using davrel3::Choice;
using davrel3::Field;
using davrel3::kFieldCount;

namespace {

using window_test::ReadFile;

// The runner built with this test.
QString BatchExecutable() {
  return QStringLiteral(DAVREL3_BATCH_EXE);
}

// Runs davrel3-batch with the arguments; its standard output, or a failure.
QByteArray RunBatch(const QStringList& arguments, int* exitCode = nullptr) {
  QProcess process;
  process.start(BatchExecutable(), arguments);
  if (!process.waitForFinished(120000)) return {};
  if (exitCode) *exitCode = process.exitCode();
  return process.readAllStandardOutput();
}

// --set FIELD=TEXT for every field but the entrance time, as the edits hold
// them: how a researcher scripts what the window shows.
QStringList SetArguments(TParForm& form) {
  QStringList arguments;
  for (int f = 0; f < kFieldCount; ++f) {
    const auto field = static_cast<Field>(f);
    if (field == Field::EntTurnAgent) continue;
    arguments << "--set"
              << QString("%1=%2").arg(QString::fromUtf8(davrel3::FieldName(field).data(),
                                                        int(davrel3::FieldName(field).size())),
                                      form.Panel().Edit(field)->text());
  }
  return arguments;
}

// Everything the panel holds: texts, up-down positions, radio items.
QStringList PanelState(TParForm& form) {
  QStringList state;
  for (int f = 0; f < kFieldCount; ++f) {
    const auto field = static_cast<Field>(f);
    state << form.Panel().Edit(field)->text();
    state << QString::number(form.Panel().UpDownOf(field) ? form.Panel().UpDownOf(field)->Position() : -1);
  }
  for (RadioGroup* group : {form.ProcesTabSheet()->FitNoFitRadioGroup(), form.ProcesTabSheet()->NewcomerRadioGroup(), form.ProcesTabSheet()->HiLoRadioGroup()}) {
    state << QString::number(group->ItemIndex());
  }
  return state;
}

// The committed group's levels, to show that something left it alone.
std::vector<double> Levels(const davrel3::Workbench& bench) {
  std::vector<double> levels;
  for (const auto& agent : bench.State().System.Agents) {
    for (const auto& skill : agent.Skills) levels.insert(levels.end(), {skill.Expertise, skill.Motivation});
  }
  return levels;
}

void WriteFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

}  // namespace

class ExperimentsTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<TParForm> form;
  std::unique_ptr<TChartForm> chart;
  QStringList messages;
  QTemporaryDir dir;

  // Runs the design through the button and waits for its results window.
  DesignResultsWindow* RunDesign() {
    form->ProcesTabSheet()->RunDesignButton()->click();
    if (!QTest::qWaitFor([this] { return !form->Design().Runner()->IsRunning() && form->Design().DesignResults(); }, 60000)) {
      return nullptr;
    }
    return form->Design().DesignResults();
  }

 private slots:
  void initTestCase() {
    QVERIFY(dir.isValid());
    QVERIFY2(QFile::exists(BatchExecutable()), qPrintable("no runner at " + BatchExecutable()));
  }

  void init() {
    messages.clear();
    // As the program starts: the main window, then the chart window drawing
    // once on the empty history.
    form = std::make_unique<TParForm>();
    form->SetMessageFunction([this](const QString& text) { messages << text; });
    chart = std::make_unique<TChartForm>(form->Bench());
    chart->FormCreate();
    form->SetAfterRunDraw([this] { chart->Draw(); });
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
  }

  void cleanup() {
    chart.reset();
    form.reset();
  }

  // ---------------------------------------------------------------- design

  void designEqualsTheRunner_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("threads");
    QTest::newRow("as started") << "" << "" << 0;
    QTest::newRow("slower learning, one thread") << "LearnSpeed" << "37" << 1;
    QTest::newRow("longer task, three threads") << "Cycle" << "260" << 3;
    QTest::newRow("text that is not a number") << "ExpMax" << "abc" << 2;
  }

  void designEqualsTheRunner() {
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(int, threads);
    // Typed, not committed: the design reads the edits as they are.
    if (!field.isEmpty()) form->Panel().SetText(*davrel3::FieldFromName(field.toStdString()), text.toStdString());
    form->ProcesTabSheet()->HiLoRadioGroup()->SetItemIndex(2);  // the design sets every item itself
    form->Design().Runner()->SetThreads(threads);
    const QStringList panelBefore = PanelState(*form);
    const std::vector<double> levelsBefore = Levels(form->Bench());
    const bool startBefore = form->Indicators()->StartButton()->isEnabled();

    QSignalSpy progress(form->Design().Runner(), &DesignRunner::Progress);
    if (text == "abc") {
      // Parameters that would be refused run nothing, in the window as in the
      // runner (exit 2, no row), and the message says why.
      form->ProcesTabSheet()->RunDesignButton()->click();
      QVERIFY(!form->Design().Runner()->IsRunning());
      QVERIFY(!form->Design().DesignResults());
      QCOMPARE(messages, QStringList{"'abc' is not a valid integer value"});
      QVERIFY(form->ProcesTabSheet()->RunDesignButton()->isEnabled());
      int exitCode = -1;
      QVERIFY(RunBatch(QStringList{"--design"} + SetArguments(*form), &exitCode).isEmpty());
      QCOMPARE(exitCode, 2);
      QCOMPARE(PanelState(*form), panelBefore);
      return;
    }
    DesignResultsWindow* results = RunDesign();
    QVERIFY(results);
    QVERIFY(results->isVisible());
    QCOMPARE(results->windowTitle(), QString("Design results"));
    QVERIFY(form->ProcesTabSheet()->RunDesignButton()->isEnabled());

    // The runner's own output for the same texts, byte for byte.
    int exitCode = -1;
    const QByteArray expected = RunBatch(QStringList{"--design", "--threads", "2"} + SetArguments(*form), &exitCode);
    QVERIFY(!expected.isEmpty());
    QCOMPARE(results->CsvText(), QString::fromUtf8(expected));
    // And the rows themselves, number for number, from the library.
    davrel3::SessionOptions options;
    for (const QString& argument : SetArguments(*form).filter("=")) {
      const auto eq = argument.indexOf('=');
      options.sets.emplace_back(*davrel3::FieldFromName(argument.left(eq).toStdString()),
                                argument.mid(eq + 1).toStdString());
    }
    const auto rows = davrel3::RunDesign(options);
    const auto& shown = results->Model()->Result().rows;
    QCOMPARE(shown.size(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
      QCOMPARE(shown[i].run, rows[i].run);
      QVERIFY(shown[i].parameters.fields == rows[i].parameters.fields);
      QVERIFY(shown[i].parameters.items == rows[i].parameters.items);
      QCOMPARE(shown[i].status, rows[i].status);
      QCOMPARE(shown[i].timesteps, rows[i].timesteps);
      QVERIFY(shown[i].agentTimes == rows[i].agentTimes);
      QVERIFY(shown[i].slow == rows[i].slow && shown[i].sum == rows[i].sum);
      QVERIFY(shown[i].meanNoFit == rows[i].meanNoFit && shown[i].meanFit == rows[i].meanFit);
    }
    QCOMPARE(exitCode, 0);

    // One progress step per condition, the last one complete.
    QCOMPARE(progress.count(), 18);
    for (int i = 0; i < 18; ++i) QCOMPARE(progress.at(i).at(0).toInt(), i + 1);
    QCOMPARE(progress.last().at(1).toInt(), 18);

    // The window's own model and panel are as they were.
    QCOMPARE(PanelState(*form), panelBefore);
    QVERIFY(Levels(form->Bench()) == levelsBefore);
    QCOMPARE(form->Indicators()->StartButton()->isEnabled(), startBefore);
    QVERIFY(messages.isEmpty());
  }

  void resultsViewShowsAndWritesTheRows() {
    DesignResultsWindow* results = RunDesign();
    QVERIFY(results);
    const DesignResult& result = results->Model()->Result();
    QCOMPARE(result.agents, 6);
    QAbstractItemModel* model = results->Table()->model();
    QCOMPARE(model->rowCount(), 18);
    QStringList headers;
    for (int c = 0; c < model->columnCount(); ++c) headers << model->headerData(c, Qt::Horizontal).toString();
    QCOMPARE(headers, (QStringList{"Fit", "Newcomer", "Skills", "Task", "Status", "Timesteps", "Agent 1", "Agent 2",
                                   "Agent 3", "Agent 4", "Agent 5", "Agent 6", "Slow", "Sum", "MeanNoFit",
                                   "MeanFit", "dol", "dol_before", "dol_after"}));
    // Row 4 is No Fit, Specialist, Low: two decimals shown, the full value
    // in the tooltip.
    const auto& row = result.rows[3];
    QCOMPARE(model->index(3, 0).data().toString(), QString("No Fit"));
    QCOMPARE(model->index(3, 1).data().toString(), QString("Specialist"));
    QCOMPARE(model->index(3, 2).data().toString(), QString("Low"));
    QCOMPARE(model->index(3, 4).data().toString(), QString("finished"));
    QCOMPARE(model->index(3, 12).data().toString(), QString::number(row.slow, 'f', 2));
    QCOMPARE(model->index(3, 12).data(Qt::ToolTipRole).toString().toDouble(), row.slow);
    QCOMPARE(model->index(3, 11).data().toString(), QString::number(row.agentTimes[5], 'f', 2));

    // The chart: "Slow" and "Sum" of each of the 18 conditions.
    QBarSeries* bars = results->Bars();
    QCOMPARE(bars->count(), 2);
    QCOMPARE(bars->barSets()[0]->label(), QString("Slow"));
    QCOMPARE(bars->barSets()[1]->label(), QString("Sum"));
    for (int i = 0; i < 18; ++i) {
      QCOMPARE(bars->barSets()[0]->at(i), result.rows[i].slow);
      QCOMPARE(bars->barSets()[1]->at(i), result.rows[i].sum);
    }

    // Copy and save write full precision; the CSV is the runner's text.
    QApplication::clipboard()->clear();
    results->findChild<QPushButton*>("CopyButton")->click();
    QString tabs = results->CsvText();
    tabs.replace(',', '\t');
    QCOMPARE(QApplication::clipboard()->text(), tabs);
    QVERIFY(tabs.contains(QString::fromStdString(davrel3::ShortestNumber(row.slow))));
    QString error;
    QVERIFY(results->SaveCsv(dir.filePath("design.csv"), &error));
    const QByteArray saved = ReadFile(dir.filePath("design.csv"));
    QCOMPARE(QString::fromUtf8(saved), results->CsvText());
    // Its manifest, as the runner's --output writes one: the hash of the
    // saved bytes, the counts, and a runner command that prints the same table.
    const QJsonObject manifest = QJsonDocument::fromJson(ReadFile(dir.filePath("design.csv.manifest.json"))).object();
    QCOMPARE(manifest["format"].toString(), QString("davrel3-table-manifest"));
    QCOMPARE(manifest["sha256"].toString(),
             QString(QCryptographicHash::hash(saved, QCryptographicHash::Sha256).toHex()));
    QCOMPARE(manifest["runs"].toInt(), 18);
    QCOMPARE(manifest["rows"].toInt(), static_cast<int>(result.rows.size()));
    QCOMPARE(manifest["table"].toString(), QString("design.csv"));
    QCOMPARE(manifest["schema_version"].toInt(), 2);
    QVERIFY(!manifest["version"].toString().isEmpty());
    QVERIFY(manifest["started"].toString() <= manifest["ended"].toString());
    QStringList command;
    for (const auto& part : manifest["command_line"].toArray()) command << part.toString();
    QCOMPARE(command.value(0), QString("davrel3-batch"));
    QCOMPARE(RunBatch(command.mid(1)), saved);
    QVERIFY2(results->SaveImage(dir.filePath("design.png"), &error), qPrintable(error));
    QVERIFY(!QImage(dir.filePath("design.png")).isNull());
    QVERIFY2(results->SaveImage(dir.filePath("design.svg"), &error), qPrintable(error));
    QVERIFY(ReadFile(dir.filePath("design.svg")).contains("<svg"));
    QVERIFY(!results->SaveCsv(dir.filePath("no/such/folder/design.csv"), &error));
    QVERIFY(!error.isEmpty());

    // A second run fills the same window afresh.
    form->Panel().SetText(Field::Cycle, "120");
    QCOMPARE(RunDesign(), results);
    QVERIFY(results->Model()->Result().rows[0].timesteps != row.timesteps || result.rows[0].timesteps == 120);
    QCOMPARE(results->Model()->Result().rows[0].timesteps, 120LL);
  }

  void resultsShowTheLabourColumnsAndChart() {
    DesignResultsWindow* results = RunDesign();
    QVERIFY(results);
    QAbstractItemModel* model = results->Table()->model();
    // The runner's table for the same design, read by column name.
    const QStringList lines = results->CsvText().split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 19);
    const QStringList names = lines[0].split(',');
    const int firstShown = 6 + 6 + 4;  // lead columns, agents, time measures
    int undefined = 0;
    for (const char* name : {"dol", "dol_before", "dol_after"}) {
      const int csvColumn = static_cast<int>(names.indexOf(name));
      QVERIFY2(csvColumn >= 0, name);
      const int shownColumn = firstShown + (QString(name) == "dol" ? 0 : QString(name) == "dol_before" ? 1 : 2);
      QCOMPARE(model->headerData(shownColumn, Qt::Horizontal).toString(), QString(name));
      for (int r = 0; r < 18; ++r) {
        const QString cell = lines[r + 1].split(',').value(csvColumn);
        const QModelIndex index = model->index(r, shownColumn);
        if (cell.isEmpty()) {
          ++undefined;
          QVERIFY(index.data().toString().isEmpty());
          QVERIFY(!index.data(Qt::ToolTipRole).isValid());
        } else {
          QCOMPARE(index.data(Qt::ToolTipRole).toString(), cell);
          QCOMPARE(index.data().toString(), QString::number(cell.toDouble(), 'f', 3));
        }
      }
    }
    // Without a newcomer (6 conditions) nothing is performed after the entrance.
    QCOMPARE(undefined, 6);
    // The chart: dol_before and dol_after per condition, no bar where undefined.
    QBarSeries* bars = results->LabourBars();
    QCOMPARE(bars->count(), 2);
    QCOMPARE(bars->barSets()[0]->label(), QString("dol_before"));
    QCOMPARE(bars->barSets()[1]->label(), QString("dol_after"));
    const auto& rows = results->Model()->Result().rows;
    for (int i = 0; i < 18; ++i) {
      QCOMPARE(bars->barSets()[0]->at(i), rows[i].dolBefore.value_or(0.0));
      QCOMPARE(bars->barSets()[1]->at(i), rows[i].dolAfter.value_or(0.0));
      QVERIFY(rows[i].dolBefore.has_value());
    }
    auto* axis = qobject_cast<QBarCategoryAxis*>(results->LabourChartView()->chart()->axes(Qt::Horizontal).value(0));
    QVERIFY(axis);
    QCOMPARE(axis->count(), 18);
    QCOMPARE(axis->at(4), QString("No Fit<br>Spec.<br>Mod"));
    // "Save image..." saves the chart on the open tab.
    results->Charts()->setCurrentWidget(results->LabourChartView());
    QString error;
    QVERIFY2(results->SaveImage(dir.filePath("labour.svg"), &error), qPrintable(error));
    QVERIFY(ReadFile(dir.filePath("labour.svg")).contains("dol_after"));
    results->Charts()->setCurrentIndex(0);
  }

  void resultsWindowFitsTheScreen() {
    DesignResultsWindow* results = RunDesign();
    QVERIFY(results);
    // A 1366 x 768 screen less a panel, and a large one.
    const QRect small(0, 0, 1366, 740);
    results->FitInto(small, QPoint(200, 500));
    const QRect frame(results->pos(), results->size() + QSize(16, 40));
    QVERIFY2(small.contains(frame), qPrintable(QString("%1,%2 %3x%4").arg(frame.x()).arg(frame.y())
                                                  .arg(frame.width()).arg(frame.height())));
    QVERIFY(results->height() >= 600);
    const QRect large(0, 0, 1920, 1160);
    results->FitInto(large, QPoint(10, 320));
    QCOMPARE(results->size(), QSize(1180, 900));
    QVERIFY(large.contains(QRect(results->pos(), results->size() + QSize(16, 40))));
    // A screen smaller than the contents: the window fits and its contents scroll.
    const QRect tiny(0, 0, 640, 480);
    results->FitInto(tiny, QPoint(0, 0));
    QVERIFY(results->width() <= 640 && results->height() <= 480);
    results->show();
    QVERIFY(QTest::qWaitForWindowExposed(results));
    QTRY_VERIFY(results->Scroll()->verticalScrollBar()->maximum() > 0);
    QVERIFY(results->Scroll()->horizontalScrollBar()->maximum() > 0);
  }

  void cancelStopsTheDesignAndAllowsANewOne() {
    form->Design().Runner()->SetThreads(1);
    QSignalSpy finished(form->Design().Runner(), &DesignRunner::Finished);
    QSignalSpy cancelled(form->Design().Runner(), &DesignRunner::Cancelled);
    form->ProcesTabSheet()->RunDesignButton()->click();
    QVERIFY(form->Design().Runner()->IsRunning());
    QVERIFY(!form->ProcesTabSheet()->RunDesignButton()->isEnabled());
    auto* progress = form->findChild<QProgressDialog*>("DesignProgress");
    QVERIFY(progress);
    // What the dialog's "Cancel" button does.
    auto* cancel = progress->findChild<QPushButton*>();
    QVERIFY(cancel);
    QCOMPARE(cancel->text(), QString("Cancel"));
    cancel->click();
    QCOMPARE(cancelled.count(), 1);
    QVERIFY(!form->Design().Runner()->IsRunning());
    QVERIFY(form->ProcesTabSheet()->RunDesignButton()->isEnabled());
    // Conditions already begun finish on their threads; nothing comes of them.
    QTest::qWait(1500);
    QCOMPARE(finished.count(), 0);
    QVERIFY(!form->Design().DesignResults());

    QVERIFY(RunDesign());
    QCOMPARE(finished.count(), 1);
    QCOMPARE(form->Design().DesignResults()->Model()->Result().rows.size(), std::size_t(18));
  }

  // ---------------------------------------------------------------- workers

  void aConditionThatThrowsBecomesAFailedRow() {
    // Observers that break where a worker's condition could break: in the
    // commit's layout step, and with something that is not even an exception
    // class, in the run's refresh of the agent frames.
    struct ThrowsInCommit : davrel3::RunObserver {
      void MakeGrids() override { throw std::runtime_error("the layout broke"); }
    } commit;
    struct ThrowsInRun : davrel3::RunObserver {
      void ShowStatesAgents() override { throw 7; }
    } run;
    const davrel3::SessionOptions options = DesignOptions(form->Panel());
    const davrel3::Condition condition{1, 2, 0};
    for (auto [watch, reason] : {std::pair<davrel3::RunObserver*, QString>{&commit, "the layout broke"},
                                 std::pair<davrel3::RunObserver*, QString>{&run, "an unknown error occurred"}}) {
      const auto rows = RunConditionGuarded(options, condition, 4, *watch);
      QCOMPARE(rows.size(), std::size_t(1));
      QCOMPARE(rows[0].status, davrel3::RunStatus::Failed);
      QCOMPARE(rows[0].run, 5LL);
      QCOMPARE(QString::fromStdString(rows[0].message), "The condition could not be run: " + reason);
      QCOMPARE(rows[0].Item(Choice::FitNoFit), 1);
      QCOMPARE(rows[0].Item(Choice::Newcomer), 2);
    }
  }

  void cancelStopsRunningConditionsAtTheirNextTimestep() {
    // A condition asked to stop ends after its first timestep, as cancelled.
    struct StopAtOnce : davrel3::RunObserver {
      bool CancelRequested() override { return true; }
    } stop;
    const auto rows = RunConditionGuarded(DesignOptions(form->Panel()), davrel3::Condition{0, 1, 1}, 0, stop);
    QCOMPARE(rows.size(), std::size_t(1));
    QCOMPARE(rows[0].status, davrel3::RunStatus::Cancelled);
    QCOMPARE(QString::fromStdString(rows[0].message), QString("The run was cancelled in task 1 at timestep 1"));
    QCOMPARE(QString::fromUtf8(davrel3::RunStatusName(rows[0].status).data()), QString("cancelled"));
  }

  // ---------------------------------------------------------------- parameter files

  void parameterSetRoundTripsIntoThePanelOnly() {
    form->Panel().SetText(Field::ExpMax, "33");
    form->ParTabSheet()->BoreUpDown()->ClickDown();
    form->ParTabSheet()->BoreUpDown()->ClickDown();
    form->ParTabSheet()->LearnSpeedEdit()->setText("not yet a number");
    form->ProcesTabSheet()->FitNoFitRadioGroup()->SetItemIndex(1);
    form->ProcesTabSheet()->NewcomerRadioGroup()->SetItemIndex(2);
    form->ProcesTabSheet()->HiLoRadioGroup()->SetItemIndex(1);
    const QStringList saved = PanelState(*form);
    const QString path = dir.filePath("parameters.json");
    QVERIFY(form->Files().SaveParameters(path));
    QVERIFY(messages.isEmpty());

    // A fresh window opens the file: the panel shows it, nothing committed.
    cleanup();
    init();
    const std::vector<double> levels = Levels(form->Bench());
    QVERIFY(PanelState(*form) != saved);
    QVERIFY(form->Files().OpenParameters(path));
    QVERIFY(messages.isEmpty());
    // The texts and items as saved; each up-down then follows its edit's
    // value (within its range), so an arrow steps from what is shown.
    QStringList expected = saved;
    for (int f = 0; f < kFieldCount; ++f) {
      UpDown* upDown = form->Panel().UpDownOf(static_cast<Field>(f));
      bool number = false;
      const int value = expected[2 * f].toInt(&number);
      if (upDown && number) expected[2 * f + 1] = QString::number(std::clamp(value, upDown->Min(), upDown->Max()));
    }
    QCOMPARE(expected[13], QString("1"));  // LearnInt: text "1", saved at position 0
    QCOMPARE(PanelState(*form), expected);
    QCOMPARE(form->ParTabSheet()->BoreUpDown()->Position(), 98);
    QCOMPARE(form->ParTabSheet()->ExpMaxUpDown()->Position(), 33);
    QVERIFY(form->Status()->Note().contains("press OK or Define"));
    QVERIFY(Levels(form->Bench()) == levels);
    // Cancel brings back the committed values: they never changed.
    form->CancelButtonClick();
    QCOMPARE(form->ParTabSheet()->ExpMaxEdit()->text(), QString("25"));
    // The opened texts commit as typed ones do.
    QVERIFY(form->Files().OpenParameters(path));
    form->Panel().SetText(Field::LearnSpeed, "100");
    form->OKButtonClick();
    QVERIFY(messages.isEmpty());
    QCOMPARE(form->Bench().State().System.Agents[0].Skills[0].ExpMax, 33);
    // The commit says it set the file's levels, and nothing else.
    QCOMPARE(form->Status()->Note(), QString("The levels of %1 set").arg(QFileInfo(path).fileName()));
  }

  void aSavedParameterFileRunsHeadlessToTheWindowsRecord() {
    // A set made in the window: texts, an up-down, the three radio items.
    form->ParTabSheet()->LearnSpeedEdit()->setText("70");
    form->Panel().SetText(Field::Cycle, "150");
    form->ParTabSheet()->BoreUpDown()->ClickDown();
    form->ProcesTabSheet()->FitNoFitRadioGroup()->SetItemIndex(1);
    form->ProcesTabSheet()->NewcomerRadioGroup()->SetItemIndex(2);
    form->ProcesTabSheet()->HiLoRadioGroup()->SetItemIndex(2);
    const QString parameters = dir.filePath("headless.json");
    QVERIFY(form->Files().SaveParameters(parameters));
    form->OKButtonClick();
    form->StartButtonClick();
    QVERIFY(messages.isEmpty());
    const QString record = dir.filePath("window-run.json");
    QVERIFY(form->Files().SaveRunRecord(record));
    int exitCode = -1;
    const QByteArray headless = RunBatch({"--parameters", parameters, "--json"}, &exitCode);
    QCOMPARE(exitCode, 0);
    QVERIFY2(headless == ReadFile(record), "the runner's record of the saved set differs from the window's");
  }

  void aFileSavedWithEditedLevelsRunsHeadlessToTheWindowsRecord() {
    // Eight agents, two of them given decimal levels in the editor, saved
    // right after the commit: the runner's record is the window's, byte for
    // byte.
    form->Panel().SetText(Field::NrofAg, "8");
    form->OKButtonClick();
    form->ShowLevelsEditor();
    SkillLevelsEditor& editor = form->LevelsEditor();
    QAbstractItemModel* model = editor.View()->model();
    for (int row : {1, 7}) {
      editor.View()->selectionModel()->select(QItemSelection(model->index(row, 0), model->index(row, 6)),
                                              QItemSelectionModel::ClearAndSelect);
      QVERIFY(editor.FillValue(row == 1 ? "12.375" : "0.1"));
    }
    QCOMPARE(form->Bench().State().System.Agents[7].Skills[2].Expertise, 0.1);
    const QString parameters = dir.filePath("edited.json");
    QVERIFY(form->Files().SaveParameters(parameters));
    form->StartButtonClick();
    QVERIFY2(messages.isEmpty(), qPrintable(messages.join("; ")));
    const QString record = dir.filePath("edited-run.json");
    QVERIFY(form->Files().SaveRunRecord(record));
    int exitCode = -1;
    QCOMPARE(RunBatch({"--parameters", parameters, "--json"}, &exitCode), ReadFile(record));
    QCOMPARE(exitCode, 0);

    // Saved after that run and a shorter task: the file holds what the run
    // left, and the runner's run of it ends where the window's does.
    form->Panel().SetText(Field::Cycle, "120");
    form->OKButtonClick();
    QVERIFY(form->Files().SaveParameters(parameters));
    const QJsonObject file = QJsonDocument::fromJson(ReadFile(parameters)).object();
    QCOMPARE(file["levels"].toObject()["agents"].toInt(), 8);
    QCOMPARE(file["levels"].toObject()["expertise"].toArray()[6].toArray()[2].toDouble(),
             form->Bench().State().System.Agents[6].Skills[2].Expertise);
    form->StartButtonClick();
    QVERIFY(form->Files().SaveRunRecord(record));
    const QByteArray headless = RunBatch({"--parameters", parameters, "--json"}, &exitCode);
    QCOMPARE(exitCode, 0);
    const auto run = [](const QByteArray& text) {
      return QJsonDocument::fromJson(text).object()["runs"].toArray()[0].toObject();
    };
    const QJsonObject windowRun = run(ReadFile(record));
    const QJsonObject headlessRun = run(headless);
    // The history and the allocation grid keep what the earlier run wrote
    // where this one writes nothing: that is the window's, not the group's.
    for (const char* key : {"status", "parameters", "timesteps", "task_work", "work_time_grid", "agents",
                            "division_of_labour"}) {
      QVERIFY2(windowRun[key] == headlessRun[key], key);
    }
  }

  void badParameterFilesChangeNothing_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("named");
    QTest::newRow("not JSON") << QByteArray("{\"format\": ") << "not JSON";
    QTest::newRow("another format") << QByteArray(R"({"format": "csv", "version": 1})") << "format";
    QTest::newRow("unknown field")
        << QByteArray(R"({"format": "davrel3-parameters", "version": 1,
                          "fields": {"ExpMax": {"text": "77"}, "Speed": {"text": "1"}}})")
        << "Speed";
    QTest::newRow("item out of range")
        << QByteArray(R"({"format": "davrel3-parameters", "version": 1,
                          "fields": {"ExpMax": {"text": "77"}}, "items": {"HiLo": 3}})")
        << "HiLo";
    QTest::newRow("a level too large")
        << QByteArray(R"({"format": "davrel3-parameters", "version": 2, "fields": {"ExpMax": {"text": "77"}},
                          "levels": {"agents": 1, "skills": 1, "expertise": [[1e999]], "motivation": [[1]]}})")
        << "1e999";
    QTest::newRow("levels of the wrong shape")
        << QByteArray(R"({"format": "davrel3-parameters", "version": 2, "fields": {"ExpMax": {"text": "77"}},
                          "levels": {"agents": 2, "skills": 1, "expertise": [[1], [2]], "motivation": [[1]]}})")
        << "2 lists";
    QTest::newRow("levels in a version 1 file")
        << QByteArray(R"({"format": "davrel3-parameters", "version": 1, "fields": {"ExpMax": {"text": "77"}},
                          "levels": {"agents": 1, "skills": 1, "expertise": [[1]], "motivation": [[1]]}})")
        << "version 2";
  }

  void badParameterFilesChangeNothing() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, named);
    const QString path = dir.filePath("bad.json");
    WriteFile(path, bytes);
    const QStringList before = PanelState(*form);
    QVERIFY(!form->Files().OpenParameters(path));
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages[0].contains(named), qPrintable(messages[0]));
    QVERIFY(messages[0].contains("bad.json"));
    QCOMPARE(PanelState(*form), before);
    // Nor does the next commit get any level from it.
    const std::vector<double> levels = Levels(form->Bench());
    form->OKButtonClick();
    QVERIFY(Levels(form->Bench()) == levels);
  }

  void aLoadedSetThatNoCommitAcceptsChangesNothing() {
    // Sizes that once overflowed in construction and ended in std::bad_alloc.
    const QString path = dir.filePath("extreme.json");
    WriteFile(path, R"({"format": "davrel3-parameters", "version": 1, "fields": {
                         "Var": {"text": "-2147483648"}, "Action": {"text": "2147483647"},
                         "Cycle": {"text": "0"}}})");
    const int actions = form->Bench().State().Task.Actions;
    QVERIFY(form->Indicators()->StartButton()->isEnabled());
    QVERIFY(form->Files().OpenParameters(path));
    form->Indicators()->OKButton()->click();
    QCOMPARE(messages.size(), 1);
    QCOMPARE(messages[0], QString("The system does not have enough skills to perform the task"));
    // Default commits without OK's checks: the size guard refuses it.
    form->Indicators()->DefaultButton()->setEnabled(true);
    form->Indicators()->DefaultButton()->click();
    QCOMPARE(messages.size(), 2);
    QCOMPARE(messages[1], QString("The number of actions (Action) must not exceed 100000"));
    QCOMPARE(form->Bench().State().Task.Actions, actions);
    QVERIFY(form->Indicators()->StartButton()->isEnabled());
    // Texts loaded after the commit reach no run: START refuses them.
    form->Indicators()->StartButton()->click();
    QCOMPARE(messages.size(), 3);
    QCOMPARE(messages[2], QString("The number of actions (Action) must not exceed 100000"));
    QVERIFY(form->Indicators()->StartButton()->isEnabled());
    QCOMPARE(form->Bench().State().Task.PerformedCount, 0LL);
  }

  void missingAndUnwritableFilesAreReported() {
    QVERIFY(!form->Files().OpenParameters(dir.filePath("nothing-here.json")));
    QCOMPARE(messages.size(), 1);
    QVERIFY(messages[0].contains("nothing-here.json"));
    QVERIFY(!form->Files().SaveParameters(dir.filePath("no/such/folder/p.json")));
    QCOMPARE(messages.size(), 2);
  }

  // ---------------------------------------------------------------- run record

  void runRecordEqualsTheRunnersJson_data() {
    QTest::addColumn<QString>("learnSpeed");
    QTest::newRow("start-up run") << "";
    QTest::newRow("typed and committed with OK") << "60";
  }

  void runRecordEqualsTheRunnersJson() {
    QFETCH(QString, learnSpeed);
    QVERIFY(!form->MenuBar()->SaveRunRecordAction()->isEnabled());
    QStringList arguments{"--json"};
    if (!learnSpeed.isEmpty()) {
      form->ParTabSheet()->LearnSpeedEdit()->setText(learnSpeed);
      form->OKButtonClick();
      arguments << "--set" << "LearnSpeed=" + learnSpeed;
    }
    form->StartButtonClick();
    QVERIFY(messages.isEmpty());
    QVERIFY(form->MenuBar()->SaveRunRecordAction()->isEnabled());
    const QString path = dir.filePath("run.json");
    QVERIFY(form->Files().SaveRunRecord(path));
    const QByteArray expected = RunBatch(arguments);
    QVERIFY(!expected.isEmpty());
    QVERIFY2(ReadFile(path) == expected, "the saved record differs from davrel3-batch --json");

    // A commit replaces the run's model: its record is no longer offered.
    form->DefineButtonClick();
    QVERIFY(!form->Files().HasRunRecord());
    QVERIFY(!form->MenuBar()->SaveRunRecordAction()->isEnabled());
    QVERIFY(!form->Files().SaveRunRecord(dir.filePath("late.json")));
    QCOMPARE(messages.size(), 1);
    QVERIFY(!QFile::exists(dir.filePath("late.json")));
  }

  // ---------------------------------------------------------------- menus

  void menuBarSitsAboveTheTabs() {
    QCOMPARE(form->layout()->menuBar(), form->MenuBar());
    QVERIFY(form->MenuBar()->isVisible());
    QVERIFY(form->PageControl1()->geometry().top() >= form->MenuBar()->geometry().bottom());
    // The strip below the tabs is still whole inside the window.
    QVERIFY(form->Indicators()->StartButton()->geometry().bottom() < form->height());
    QCOMPARE(form->MenuBar()->OpenParametersAction()->text(), QString("Open parameters..."));
    QCOMPARE(form->MenuBar()->OpenParametersAction()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_O));
    QCOMPARE(form->MenuBar()->SaveParametersAction()->text(), QString("Save parameters..."));
    QCOMPARE(form->MenuBar()->SaveParametersAction()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_S));
    QCOMPARE(form->MenuBar()->SaveRunRecordAction()->text(), QString("Save run record..."));
    QCOMPARE(form->MenuBar()->SaveRunRecordAction()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_R));
    QStringList captions;
    for (QAction* action : form->MenuBar()->ConfigurationsMenu()->actions()) {
      if (!action->isSeparator()) captions << action->text();
    }
    QCOMPARE(captions, (QStringList{"Default", "Rotate", "Boredom", "Variety", "Specialists", "Job rotation I",
                                    "Job rotation II", "Two agents", "Three agents", "Agent variety",
                                    "Skill levels..."}));
    // The Run design button is the Define button's plain companion.
    QVERIFY(!form->ProcesTabSheet()->RunDesignButton()->font().bold());
    QVERIFY(form->ProcesTabSheet()->RunDesignButton()->isVisibleTo(form->ProcesTabSheet()));
  }

  void configurationsCommitAsTheirHandlersDo_data() {
    QTest::addColumn<QString>("name");
    for (const auto& configuration : davrel3::Configurations()) {
      if (std::string(configuration.name) != "startup") QTest::newRow(configuration.name) << configuration.name;
    }
  }

  void configurationsCommitAsTheirHandlersDo() {
    QFETCH(QString, name);
    // A run first: every configuration must enable START again.
    form->StartButtonClick();
    QVERIFY(!form->Indicators()->StartButton()->isEnabled());
    auto* action = form->MenuBar()->ConfigurationsMenu()->findChild<QAction*>("Configuration_" + name);
    if (!action) action = form->findChild<QAction*>("Configuration_" + name);
    QVERIFY(action);
    action->trigger();
    QVERIFY2(messages.isEmpty(), qPrintable(messages.join("; ")));

    // The same configuration in a workbench of its own.
    davrel3::InMemoryPanel panel;
    davrel3::Workbench bench(panel);
    davrel3::StartUp(bench);
    bench.StartButtonClick();
    for (const auto& configuration : davrel3::Configurations()) {
      if (name == configuration.name) (bench.*configuration.apply)();
    }
    for (int f = 0; f < kFieldCount; ++f) {
      const auto field = static_cast<Field>(f);
      QCOMPARE(form->Panel().Text(field), panel.Text(field));
    }
    QVERIFY(Levels(form->Bench()) == Levels(bench));
    QVERIFY(form->Indicators()->StartButton()->isEnabled());
    QCOMPARE(form->Indicators()->DefaultButton()->isEnabled(), bench.DefaultEnabled());
    // The frames follow the new group.
    const int agents = bench.State().System.NrOfAgents;
    for (int k = 2; k < 6; ++k) QCOMPARE(!form->Frame(k)->isHidden(), k < agents);
  }
};

QTEST_MAIN(ExperimentsTest)
#include "test_experiments.moc"
