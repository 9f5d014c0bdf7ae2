// What a user does with the main window: start-up, the up-downs, typing and
// committing, OK's refusals, Cancel, Define, START and stepping through a
// run. The message boxes are answered by a replacement message function that
// records their texts; one test answers real modal boxes.
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QScrollBar>
#include <QWheelEvent>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QtTest>
#include <memory>
#include <unistd.h>

#include "DV3Newcomer2009Agent.h"
#include "DV3Newcomer2009Par.h"
#include "about_tab.h"
#include "agent_tab.h"
#include "design_control.h"
#include "file_commands.h"
#include "indicator_strip.h"
#include "main_menu_bar.h"
#include "newcomers_tab.h"
#include "parameters_tab.h"
#include "run_progress.h"
#include "status_line.h"
#include <QProgressDialog>
#include "DV3Newcomer2009Task.h"
#include "model/measures.h"
#include "model/model_state.h"
#include "presets/workbench.h"
#include "experiment/memory_budget.h"
#include "experiment/run_memory.h"
#include "radio_group.h"
#include "up_down.h"
#include "window_test_helpers.h"

using davrel3::Field;

namespace {

using window_test::Retype;

void ClickArrow(UpDown* upDown, UpDown::Direction direction) {
  auto* button = upDown->findChild<QToolButton*>(direction == UpDown::Direction::Up ? "up" : "down");
  QVERIFY(button);
  QTest::mouseClick(button, Qt::LeftButton);
}

// The texts of one agent frame's grid, row by row.
QStringList FrameTexts(const TFrame1* frame) {
  QStringList texts;
  for (int row = 0; row < frame->RowCount(); ++row) {
    for (int column = 0; column < TFrame1::kColumns; ++column) texts << frame->Cell(column, row);
  }
  return texts;
}

// What ShowAgent would write for every skill row of agent k right now.
QStringList ExpectedRows(const davrel3::TSystem& system, int k) {
  QStringList texts;
  const davrel3::TAgent& agent = system.Agents[k - 1];
  auto hundredths = [](double v) { return QString::fromStdString(davrel3::FormatHundredths(v)); };
  for (const davrel3::TSkill& skill : agent.Skills) {
    texts << (skill.Chosen ? "I " : "You") << hundredths(skill.Motivation) << hundredths(skill.Expertise)
          << (skill.Loser ? "Yes" : "No") << hundredths(skill.IValue) << hundredths(skill.YouValue)
          << (agent.Present ? "Yes" : "No");
  }
  return texts;
}

QStringList ShownRows(const TFrame1* frame, int skills) {
  QStringList texts;
  for (int row = 1; row <= skills; ++row) {
    for (int column = 1; column <= 7; ++column) texts << frame->Cell(column, row);
  }
  return texts;
}

// The largest timestep number among the performed cells of the task grid,
// and how many cells are performed.
struct GridProgress {
  int lastTimestep = 0;
  int performed = 0;
  int open = 0;
};

GridProgress Progress(const davrel3::TextGrid& grid) {
  static const QRegularExpression performed("^(\\d+)/(\\d+)$");
  GridProgress progress;
  for (int column = 1; column < grid.ColumnCount(); ++column) {
    for (int row = 1; row < grid.RowCount(); ++row) {
      const QString text = QString::fromStdString(grid.Cell(column, row));
      const auto match = performed.match(text);
      if (match.hasMatch()) {
        ++progress.performed;
        progress.lastTimestep = std::max(progress.lastTimestep, match.captured(1).toInt());
      } else if (text == "N") {
        ++progress.open;
      }
    }
  }
  return progress;
}

// The process's resident memory now, from /proc/self/statm (pages).
std::int64_t ResidentBytes() {
  QFile statm("/proc/self/statm");
  if (!statm.open(QIODevice::ReadOnly)) return 0;
  const QList<QByteArray> fields = statm.readAll().split(' ');
  return fields.size() > 1 ? fields[1].toLongLong() * sysconf(_SC_PAGESIZE) : 0;
}

// The peak of the resident memory since the last reset (VmHWM).
std::int64_t PeakResidentBytes() {
  QFile status("/proc/self/status");
  if (!status.open(QIODevice::ReadOnly)) return 0;
  for (const QByteArray& line : status.readAll().split('\n')) {
    if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').first().toLongLong() * 1024;
  }
  return 0;
}

// Sets the peak back to the memory resident now; false where Linux does not
// allow it.
bool ResetPeakResident() {
  QFile clear("/proc/self/clear_refs");
  return clear.open(QIODevice::WriteOnly) && clear.write("5") == 1 && clear.flush();
}

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<TParForm> form;
  QStringList messages;

 private slots:
  void init() {
    messages.clear();
    form = std::make_unique<TParForm>();
    form->SetMessageFunction([this](const QString& text) { messages << text; });
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
  }
  void cleanup() { form.reset(); }

  void startUpState() {
    QCOMPARE(form->windowTitle(), QString("Davrel3"));
    // The layout's width; the status line adds its row below the strip, and
    // the whole window stays inside a 768-pixel screen.
    QCOMPARE(form->width(), 1094);
    QVERIFY(form->height() >= 348 && form->frameGeometry().height() <= 740);
    QCOMPARE(form->PageControl1()->count(), 5);
    const QStringList tabs = {"Agent", "Task", "Parameters", "Newcomers", "About"};
    for (int i = 0; i < tabs.size(); ++i) QCOMPARE(form->PageControl1()->tabText(i), tabs[i]);
    QCOMPARE(form->PageControl1()->currentWidget(), form->ProcesTabSheet());
    QVERIFY(form->Indicators()->StartButton()->isEnabled());
    QVERIFY(form->Indicators()->DefaultButton()->isHidden());
    QVERIFY(!form->Indicators()->DefaultButton()->isEnabled());

    // The start-up configuration, as the edits show it.
    const QList<std::pair<QLineEdit*, QString>> texts = {
        {form->ParTabSheet()->NrofAgEdit(), "6"},     {form->ParTabSheet()->NrofSkillsEdit(), "5"},  {form->ParTabSheet()->InhParEdit(), "1"},
        {form->ParTabSheet()->ExcParEdit(), "1"},     {form->ParTabSheet()->ExpRateEdit(), "50"},    {form->ParTabSheet()->MotRateEdit(), "50"},
        {form->ParTabSheet()->LearnIntEdit(), "1"},   {form->ParTabSheet()->ExpMaxEdit(), "25"},     {form->ParTabSheet()->ExpThreshEdit(), "10"},
        {form->ParTabSheet()->LearnSpeedEdit(), "100"}, {form->ParTabSheet()->ForgetSpeedEdit(), "3"}, {form->ParTabSheet()->MotMaxEdit(), "25"},
        {form->ParTabSheet()->MotThreshEdit(), "10"}, {form->ParTabSheet()->BoreEdit(), "100"},      {form->ParTabSheet()->RestEdit(), "100"},
        {form->ParTabSheet()->FairEdit(), "0"},       {form->ParTabSheet()->NrOfTasksEdit(), "1"},   {form->ParTabSheet()->CycleEdit(), "200"},
        {form->ParTabSheet()->ActionEdit(), "5"},     {form->ParTabSheet()->VarEdit(), "0"},         {form->ParTabSheet()->DurEdit(), "10"},
        {form->ProcesTabSheet()->EntTurnAgent(), "100"},
    };
    for (const auto& [edit, text] : texts) {
      QCOMPARE(edit->text(), text);
      // The workbench reads these very widgets.
      const auto field = davrel3::FieldFromName(edit->objectName().chopped(4).toStdString());
      if (field) QCOMPARE(QString::fromStdString(form->Panel().Text(*field)), text);
    }
    // The preset writes LearnInt's text only: its up-down keeps the layout's 0.
    QCOMPARE(form->ParTabSheet()->LearnIntUpDown()->Position(), 0);
    QCOMPARE(form->ParTabSheet()->ExpRateUpDown()->Position(), 50);
    QVERIFY(!form->ProcesTabSheet()->TurnoverPanel()->isHidden());
    QVERIFY(!form->ProcesTabSheet()->EntTurnAgent()->isEnabled());
    QCOMPARE(form->ProcesTabSheet()->FitNoFitRadioGroup()->ItemIndex(), 0);
    QCOMPARE(form->ProcesTabSheet()->NewcomerRadioGroup()->ItemIndex(), 1);
    QCOMPARE(form->ProcesTabSheet()->HiLoRadioGroup()->ItemIndex(), 0);

    // Six agents: every frame is shown, frame k shows agent k, the legend is
    // in view.
    for (int k = 0; k < 6; ++k) {
      TFrame1* frame = form->Frame(k);
      QCOMPARE(frame->objectName(), QString("Frame1%1").arg(k + 1));
      QVERIFY(!frame->isHidden());
      QCOMPARE(frame->AgentEdit->text(), QString::number(k + 1));
      QCOMPARE(frame->AgentEditUpDown->Max(), 6);
      QCOMPARE(frame->RowCount(), 6);
      QCOMPARE(frame->Cell(0, 0), QString("skill"));
      QCOMPARE(frame->Cell(5, 0), QString("I"));
      QCOMPARE(frame->Cell(7, 0), QString("Present"));
      QCOMPARE(frame->Cell(0, 5), QString("5"));
      QCOMPARE(ShownRows(frame, 5), ExpectedRows(form->Bench().State().System, k + 1));
      // A display that scrolls and selects; its clicks commit nothing.
      QVERIFY(frame->AgentGrid->isEnabled());
    }
    QCOMPARE(form->AgentTabSheet()->AgentPanelHeight(), 385);
    QVERIFY(!form->AgentTabSheet()->AgentLegend()->isHidden());

    // The task grid: 200 cycles by 5 actions, headed 1..200 and 1..5, all "N".
    StringGridView* grid = form->TaskFrame()->TaskGrid1;
    QCOMPARE(form->TaskFrame()->objectName(), QString("TTaskFrame"));
    QCOMPARE(grid->model()->columnCount(), 200);
    QCOMPARE(grid->model()->rowCount(), 5);
    QCOMPARE(grid->model()->headerData(0, Qt::Horizontal).toString(), QString("1"));
    QCOMPARE(grid->model()->headerData(199, Qt::Horizontal).toString(), QString("200"));
    for (int r = 0; r < 5; ++r) QCOMPARE(grid->model()->headerData(r, Qt::Vertical).toString(), QString::number(r + 1));
    const GridProgress progress = Progress(form->Bench().State().TaskGrid);
    QCOMPARE(progress.open, 1000);
    QCOMPARE(grid->model()->index(4, 199).data().toString(), QString("N"));
    QCOMPARE(grid->horizontalHeader()->defaultSectionSize(), 30);
    QCOMPARE(grid->verticalHeader()->defaultSectionSize(), 20);
    QCOMPARE(form->Frame(0)->AgentGrid->horizontalHeader()->defaultSectionSize(), 36);
    QCOMPARE(form->Frame(0)->AgentGrid->verticalHeader()->defaultSectionSize(), 24);

    // The indicators: only "Indicate new timestep" can be ticked; the hidden
    // ones exist and read as unticked.
    QVERIFY(!form->Indicators()->TaskCheckBox()->isEnabled());
    QVERIFY(form->Indicators()->CycleCheckBox()->isEnabled());
    QVERIFY(!form->Indicators()->CycleCheckBox()->isChecked());
    QVERIFY(!form->Indicators()->Edit2()->isEnabled());
    QVERIFY(!form->Indicators()->Edit3()->isEnabled());
    QVERIFY(form->Indicators()->Edit2()->text().isEmpty());
    for (QCheckBox* box : {form->Indicators()->ProcesBox(), form->Indicators()->AllCheckBox(), form->Indicators()->PerfCheckBox(), form->Indicators()->InflCheckBox(),
                           form->Indicators()->AgVariationCheckBox()}) {
      QVERIFY(box->isHidden());
      QVERIFY(!box->isChecked());
    }
    QVERIFY(form->Indicators()->Edit1()->isHidden());
    QVERIFY(form->Indicators()->CountEdit()->isHidden());

    QCOMPARE(form->TabSheet1()->AboutLabel(3)->text(),
             QString("Davrel3 - a simulation of task allocation in self-organising work groups"));
    QVERIFY(messages.isEmpty());
  }

  void upDownsStopAtTheirEnds_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("min");
    QTest::addColumn<int>("max");
    for (const char* name : {"NrofAgUpDown", "NrofSkillsUpDown"}) QTest::newRow(name) << QString(name) << 1 << 100;
    for (const char* name : {"InhParUpDown", "ExcParUpDown"}) QTest::newRow(name) << QString(name) << 1 << 10;
    QTest::newRow("LearnIntUpDown") << QString("LearnIntUpDown") << 0 << 10;
    for (const char* name : {"ExpRateUpDown", "ExpMaxUpDown", "ExpThreshUpDown", "LearnSpeedUpDown",
                             "ForgetSpeedUpDown", "MotMaxUpDown", "MotThreshUpDown", "BoreUpDown", "RestUpDown"}) {
      QTest::newRow(name) << QString(name) << 0 << 100;
    }
  }

  void upDownsStopAtTheirEnds() {
    QFETCH(QString, name);
    QFETCH(int, min);
    QFETCH(int, max);
    auto* upDown = form->findChild<UpDown*>(name);
    QVERIFY(upDown);
    QCOMPARE(upDown->Min(), min);
    QCOMPARE(upDown->Max(), max);
    QLineEdit* edit = upDown->Associate();
    QSignalSpy clicks(upDown, &UpDown::Click);

    upDown->SetPosition(max - 1);
    ClickArrow(upDown, UpDown::Direction::Up);
    QCOMPARE(edit->text(), QString::number(max));
    ClickArrow(upDown, UpDown::Direction::Up);
    QCOMPARE(edit->text(), QString::number(max));
    QCOMPARE(upDown->Position(), max);

    upDown->SetPosition(min + 1);
    ClickArrow(upDown, UpDown::Direction::Down);
    ClickArrow(upDown, UpDown::Direction::Down);
    QCOMPARE(edit->text(), QString::number(min));
    QCOMPARE(upDown->Position(), min);
    // Every press raises the click, also the ones at an end.
    QCOMPARE(clicks.count(), 4);
  }

  void arrowsStepFromTheirOwnPosition() {
    // The edit says 150 (typed); the up-down still stands at 25.
    Retype(form->ParTabSheet()->ExpMaxEdit(), "150");
    QCOMPARE(form->ParTabSheet()->ExpMaxEdit()->text(), QString("150"));
    QCOMPARE(form->ParTabSheet()->ExpMaxUpDown()->Position(), 25);
    ClickArrow(form->ParTabSheet()->ExpMaxUpDown(), UpDown::Direction::Up);
    QCOMPARE(form->ParTabSheet()->ExpMaxEdit()->text(), QString("26"));

    // A preset's position moves the up-down only.
    form->Panel().SetPosition(Field::Cycle, 100);
    QCOMPARE(form->ParTabSheet()->CycleUpDown()->Position(), 100);
    QCOMPARE(form->ParTabSheet()->CycleEdit()->text(), QString("200"));
  }

  void expertiseRateDrivesMotivationRate() {
    form->ParTabSheet()->ExpRateUpDown()->SetPosition(50);
    ClickArrow(form->ParTabSheet()->ExpRateUpDown(), UpDown::Direction::Up);
    QCOMPARE(form->ParTabSheet()->ExpRateEdit()->text(), QString("51"));
    QCOMPARE(form->ParTabSheet()->MotRateEdit()->text(), QString("49"));

    form->ParTabSheet()->ExpRateUpDown()->SetPosition(0);
    ClickArrow(form->ParTabSheet()->ExpRateUpDown(), UpDown::Direction::Down);
    QCOMPARE(form->ParTabSheet()->ExpRateEdit()->text(), QString("0"));
    QCOMPARE(form->ParTabSheet()->MotRateEdit()->text(), QString("100"));

    form->ParTabSheet()->ExpRateUpDown()->SetPosition(100);
    ClickArrow(form->ParTabSheet()->ExpRateUpDown(), UpDown::Direction::Up);
    QCOMPARE(form->ParTabSheet()->ExpRateEdit()->text(), QString("100"));
    QCOMPARE(form->ParTabSheet()->MotRateEdit()->text(), QString("0"));

    // The keyboard's arrows in the locked edit act as the up-down's.
    form->ParTabSheet()->ExpRateEdit()->setFocus();
    QTest::keyClick(form->ParTabSheet()->ExpRateEdit(), Qt::Key_Down);
    QCOMPARE(form->ParTabSheet()->ExpRateEdit()->text(), QString("99"));
    QCOMPARE(form->ParTabSheet()->MotRateEdit()->text(), QString("1"));
    QVERIFY(!form->findChild<UpDown*>("MotRateUpDown"));
    QVERIFY(messages.isEmpty());
  }

  void lockedAndDisabledControlsTakeNoInput() {
    Retype(form->ParTabSheet()->NrofAgEdit(), "9");
    QCOMPARE(form->ParTabSheet()->NrofAgEdit()->text(), QString("6"));
    Retype(form->ParTabSheet()->ExpRateEdit(), "7");
    QCOMPARE(form->ParTabSheet()->ExpRateEdit()->text(), QString("50"));
    // Its arrows still work.
    ClickArrow(form->ParTabSheet()->NrofAgUpDown(), UpDown::Direction::Down);
    QCOMPARE(form->ParTabSheet()->NrofAgEdit()->text(), QString("5"));

    QVERIFY(!form->ParTabSheet()->TaskPanel()->isEnabled());
    for (QLineEdit* edit : {form->ParTabSheet()->NrOfTasksEdit(), form->ParTabSheet()->CycleEdit(), form->ParTabSheet()->ActionEdit(), form->ParTabSheet()->VarEdit(), form->ParTabSheet()->DurEdit(),
                            form->ParTabSheet()->FairEdit()}) {
      const QString before = edit->text();
      QVERIFY(!edit->isEnabled());
      QTest::keyClicks(edit, "7");
      QTest::keyClick(edit, Qt::Key_Up);
      QCOMPARE(edit->text(), before);
    }
    for (UpDown* upDown : {form->ParTabSheet()->NrOfTasksUpDown(), form->ParTabSheet()->CycleUpDown(), form->ParTabSheet()->ActionUpDown(), form->ParTabSheet()->VarUpDown(),
                           form->ParTabSheet()->DurUpDown(), form->ParTabSheet()->FairUpDown()}) {
      QVERIFY(!upDown->isEnabled());
      const QString before = upDown->Associate()->text();
      ClickArrow(upDown, UpDown::Direction::Up);
      QCOMPARE(upDown->Associate()->text(), before);
    }
    QVERIFY(!form->ParTabSheet()->FairLabel()->isEnabled());
  }

  void typedValueOutsideTheRangeIsCommitted() {
    Retype(form->ParTabSheet()->ExpMaxEdit(), "150");
    QTest::mouseClick(form->Indicators()->OKButton(), Qt::LeftButton);
    QVERIFY2(messages.isEmpty(), qPrintable(messages.join('|')));
    QCOMPARE(form->ParTabSheet()->ExpMaxEdit()->text(), QString("150"));
    for (const auto& agent : form->Bench().State().System.Agents) {
      for (const auto& skill : agent.Skills) QCOMPARE(skill.ExpMax, 150);
    }
    QVERIFY(form->Indicators()->StartButton()->isEnabled());
  }

  void okRefusesAndChangesNothing() {
    // Finish a run first, so that a commit would be seen re-enabling START.
    QTest::mouseClick(form->Indicators()->StartButton(), Qt::LeftButton);
    QVERIFY(!form->Indicators()->StartButton()->isEnabled());

    // Var above Action: the first check wins even when the second fails too.
    form->ParTabSheet()->VarEdit()->setText("6");
    QTest::mouseClick(form->Indicators()->OKButton(), Qt::LeftButton);
    QCOMPARE(messages, QStringList{"Task variation exceeds number of actions"});
    QVERIFY(!form->Indicators()->StartButton()->isEnabled());

    // Four skills for five actions: the user gets there with an arrow.
    messages.clear();
    form->ParTabSheet()->VarEdit()->setText("0");
    ClickArrow(form->ParTabSheet()->NrofSkillsUpDown(), UpDown::Direction::Down);
    QCOMPARE(form->ParTabSheet()->NrofSkillsEdit()->text(), QString("4"));
    QTest::mouseClick(form->Indicators()->OKButton(), Qt::LeftButton);
    QCOMPARE(messages, QStringList{"The system does not have enough skills to perform the task"});
    QCOMPARE(form->Bench().State().System.Agents[0].NrOfSkills, 5);
    QVERIFY(!form->Indicators()->StartButton()->isEnabled());

    // Equal values pass.
    messages.clear();
    ClickArrow(form->ParTabSheet()->NrofSkillsUpDown(), UpDown::Direction::Up);
    QTest::mouseClick(form->Indicators()->OKButton(), Qt::LeftButton);
    QVERIFY(messages.isEmpty());
    QVERIFY(form->Indicators()->StartButton()->isEnabled());
  }

  void cancelWritesTheCommittedValuesBack() {
    ClickArrow(form->ParTabSheet()->ExpRateUpDown(), UpDown::Direction::Up);
    QCOMPARE(form->ParTabSheet()->ExpRateEdit()->text(), QString("51"));
    QCOMPARE(form->ParTabSheet()->MotRateEdit()->text(), QString("49"));
    ClickArrow(form->ParTabSheet()->LearnSpeedUpDown(), UpDown::Direction::Down);
    Retype(form->ParTabSheet()->LearnSpeedEdit(), "7");
    Retype(form->ParTabSheet()->MotThreshEdit(), "x");
    ClickArrow(form->ParTabSheet()->NrofAgUpDown(), UpDown::Direction::Down);

    QTest::mouseClick(form->Indicators()->CancelButton(), Qt::LeftButton);
    QVERIFY(messages.isEmpty());
    QCOMPARE(form->ParTabSheet()->ExpRateEdit()->text(), QString("50"));
    QCOMPARE(form->ParTabSheet()->MotRateEdit()->text(), QString("49"));  // a display Cancel leaves alone
    QCOMPARE(form->ParTabSheet()->LearnSpeedEdit()->text(), QString("100"));
    // The up-downs follow the texts Cancel wrote, so an arrow steps from what
    // is shown (100 at its maximum, not 99).
    QCOMPARE(form->ParTabSheet()->LearnSpeedUpDown()->Position(), 100);
    QCOMPARE(form->ParTabSheet()->NrofAgUpDown()->Position(), 6);
    ClickArrow(form->ParTabSheet()->NrofAgUpDown(), UpDown::Direction::Down);
    QCOMPARE(form->ParTabSheet()->NrofAgEdit()->text(), QString("5"));
    QTest::mouseClick(form->Indicators()->CancelButton(), Qt::LeftButton);
    QCOMPARE(form->ParTabSheet()->MotThreshEdit()->text(), QString("10"));
    QCOMPARE(form->ParTabSheet()->NrofAgEdit()->text(), QString("6"));
    QCOMPARE(form->ParTabSheet()->InhParEdit()->text(), QString("1"));
  }

  void defineCommitsTheChosenFit_data() {
    QTest::addColumn<int>("fit");
    QTest::addColumn<int>("skills");
    QTest::newRow("No Fit") << 0 << 5;
    QTest::newRow("Fit") << 1 << 6;
  }

  void defineCommitsTheChosenFit() {
    QFETCH(int, fit);
    QFETCH(int, skills);
    QTest::mouseClick(form->Indicators()->StartButton(), Qt::LeftButton);
    QVERIFY(!form->Indicators()->StartButton()->isEnabled());
    QVERIFY(form->Indicators()->DefaultButton()->isEnabled());

    form->ProcesTabSheet()->FitNoFitRadioGroup()->SetItemIndex(fit);
    QTest::mouseClick(form->ProcesTabSheet()->DefineButton(), Qt::LeftButton);
    QVERIFY(messages.isEmpty());
    QCOMPARE(form->ParTabSheet()->NrofSkillsEdit()->text(), QString::number(skills));
    QCOMPARE(form->ParTabSheet()->ActionEdit()->text(), QString::number(skills));
    QCOMPARE(form->ProcesTabSheet()->EntTurnAgent()->text(), QString("100"));
    QVERIFY(form->Indicators()->StartButton()->isEnabled());
    QVERIFY(!form->Indicators()->DefaultButton()->isEnabled());

    const auto& state = form->Bench().State();
    QCOMPARE(state.System.Agents[0].NrOfSkills, skills);
    QCOMPARE(form->TaskFrame()->TaskGrid1->model()->rowCount(), skills);
    QCOMPARE(Progress(state.TaskGrid).open, 200 * skills);
    for (int k = 0; k < 5; ++k) {
      QCOMPARE(form->Frame(k)->RowCount(), skills + 1);
      QCOMPARE(ShownRows(form->Frame(k), skills), ExpectedRows(state.System, k + 1));
    }
  }

  void startRunsAndDisablesStart() {
    QVERIFY(form->Indicators()->StartButton()->isEnabled());
    bool drawn = false;
    form->SetAfterRunDraw([&] { drawn = true; });
    QTest::mouseClick(form->Indicators()->StartButton(), Qt::LeftButton);
    QVERIFY2(messages.isEmpty(), qPrintable(messages.join('|')));
    QVERIFY(drawn);
    QVERIFY(!form->Indicators()->StartButton()->isEnabled());
    QVERIFY(form->Indicators()->DefaultButton()->isEnabled());
    QVERIFY(form->Indicators()->DefaultButton()->isHidden());
    QVERIFY(form->Indicators()->Edit2()->text().isEmpty());  // not stepping through

    // Every unit is performed and the frames show the final state.
    const auto& state = form->Bench().State();
    const GridProgress progress = Progress(state.TaskGrid);
    QCOMPARE(progress.performed, 1000);
    QCOMPARE(progress.open, 0);
    for (int k = 0; k < 6; ++k) QCOMPARE(ShownRows(form->Frame(k), 5), ExpectedRows(state.System, k + 1));

    // Clicking the disabled button does nothing; a commit enables it again.
    QTest::mouseClick(form->Indicators()->StartButton(), Qt::LeftButton);
    QVERIFY(messages.isEmpty());
    QTest::mouseClick(form->Indicators()->OKButton(), Qt::LeftButton);
    QVERIFY(form->Indicators()->StartButton()->isEnabled());
  }

  void badTextShowsTheConversionErrorAndLeavesTheModel() {
    const auto before = form->Bench().State().System.Agents[0].Skills[0];
    Retype(form->ParTabSheet()->MotMaxEdit(), "7a");
    ClickArrow(form->ParTabSheet()->ExpMaxUpDown(), UpDown::Direction::Up);
    QTest::mouseClick(form->Indicators()->OKButton(), Qt::LeftButton);
    // The conversion message, then which box holds the text and what it takes.
    QCOMPARE(messages, QStringList{"'7a' is not a valid integer value. \"Motivation maximum\" takes a whole number, written with digits only (no decimal point, exponent, spaces or letters); its arrows go "
                                   "from 0 to 100."});
    const auto& after = form->Bench().State().System.Agents[0].Skills[0];
    QCOMPARE(after.MotMax, before.MotMax);
    QCOMPARE(after.ExpMax, before.ExpMax);
    QVERIFY(form->Indicators()->StartButton()->isEnabled());

    // The empty text fails the same way, and the window keeps going.
    messages.clear();
    Retype(form->ParTabSheet()->MotMaxEdit(), "");
    QTest::mouseClick(form->Indicators()->OKButton(), Qt::LeftButton);
    QCOMPARE(messages, QStringList{"'' is not a valid integer value. \"Motivation maximum\" is empty: it takes a "
                                   "whole number, written with digits only; its arrows go from 0 to 100."});
    Retype(form->ParTabSheet()->MotMaxEdit(), "30");
    messages.clear();
    QTest::mouseClick(form->Indicators()->OKButton(), Qt::LeftButton);
    QVERIFY(messages.isEmpty());
    QCOMPARE(form->Bench().State().System.Agents[0].Skills[0].MotMax, 30);
  }

  void failedRunIsReported() {
    // A run reads the number of tasks when it starts; a bad text ends it.
    form->ParTabSheet()->NrOfTasksEdit()->setText("one");
    QTest::mouseClick(form->Indicators()->StartButton(), Qt::LeftButton);
    QCOMPARE(messages, QStringList{"'one' is not a valid integer value. \"Number of tasks\" takes a whole number, written with digits only (no decimal point, exponent, spaces or letters); its arrows go from "
                                   "0 to 40."});
    QVERIFY(form->Indicators()->StartButton()->isEnabled());
  }

  void noBoxesWithoutTheIndicator() {
    QVERIFY(!form->Indicators()->CycleCheckBox()->isChecked());
    QTest::mouseClick(form->Indicators()->StartButton(), Qt::LeftButton);
    QVERIFY(messages.isEmpty());
    QVERIFY(form->Indicators()->Edit2()->text().isEmpty());
  }

  void stepThroughShowsEachRound() {
    QTest::mouseClick(form->Indicators()->CycleCheckBox(), Qt::LeftButton);
    QVERIFY(form->Indicators()->CycleCheckBox()->isChecked());
    form->PageControl1()->setCurrentWidget(form->TaskTabSheet());

    const auto& state = form->Bench().State();
    // What the frames show before START: the first box still shows it.
    std::array<QStringList, 6> shownBefore;
    for (int k = 0; k < 6; ++k) shownBefore[k] = FrameTexts(form->Frame(k));
    std::array<QStringList, 6> stateAtPreviousBox;
    int boxes = 0;
    QStringList faults;
    form->SetMessageFunction([&](const QString& text) {
      ++boxes;
      if (text != "New Round") faults << "text " + text;
      const GridProgress progress = Progress(state.TaskGrid);
      if (boxes == 1) {
        if (!form->Indicators()->Edit2()->text().isEmpty()) faults << "Edit2 at the first box";
        if (progress.performed != 0) faults << "performed units at the first box";
        for (int k = 0; k < 6; ++k) {
          if (FrameTexts(form->Frame(k)) != shownBefore[k]) faults << "frame changed before the first box";
        }
      } else {
        // Box k: Edit2 reads k - 1, the grid shows timesteps up to k - 1, the
        // frames the agents as they were at the previous box.
        if (form->Indicators()->Edit2()->text() != QString::number(boxes - 1)) faults << "Edit2 " + form->Indicators()->Edit2()->text();
        if (progress.lastTimestep > boxes - 1) faults << QString("timestep %1 at box %2").arg(progress.lastTimestep).arg(boxes);
        for (int k = 0; k < 6; ++k) {
          if (ShownRows(form->Frame(k), 5) != stateAtPreviousBox[k]) faults << QString("frame %1 at box %2").arg(k + 1).arg(boxes);
        }
      }
      // START took the newcomer out; it enters at timestep 100.
      if (boxes >= 2 && boxes <= 100) {
        for (int r = 1; r <= 5; ++r) {
          if (form->Frame(5)->Cell(7, r) != "No") faults << QString("newcomer present at box %1").arg(boxes);
        }
      }
      for (int k = 0; k < 6; ++k) stateAtPreviousBox[k] = ExpectedRows(state.System, k + 1);
    });
    // The view hears of every unit performed, so it repaints while a box is open.
    QSignalSpy cellsChanged(form->TaskFrame()->TaskGrid1->model(), &QAbstractItemModel::dataChanged);
    QSignalSpy gridReset(form->TaskFrame()->TaskGrid1->model(), &QAbstractItemModel::modelReset);
    QTest::mouseClick(form->Indicators()->StartButton(), Qt::LeftButton);
    QVERIFY2(faults.isEmpty(), qPrintable(faults.mid(0, 5).join('|')));
    QCOMPARE(cellsChanged.count(), 1000);
    QCOMPARE(gridReset.count(), 1);
    // One box per timestep of the single task: the last timestep performed
    // the last unit.
    const GridProgress progress = Progress(state.TaskGrid);
    QCOMPARE(progress.open, 0);
    QVERIFY(boxes > 1);
    QCOMPARE(boxes, progress.lastTimestep);
    QCOMPARE(form->Indicators()->Edit2()->text(), QString::number(boxes));
    QVERIFY(!form->Indicators()->StartButton()->isEnabled());
  }

  void stepBoxesOfferStopIndicating() {
    // A short run (two agents, five cycles of two actions), answered on the
    // real boxes: OK twice, then "Stop indicating".
    form->SetMessageFunction(nullptr);
    form->Bench().TwoAgentsbuttonClick();
    form->Indicators()->CycleCheckBox()->setChecked(true);
    form->PageControl1()->setCurrentWidget(form->TaskTabSheet());
    int boxes = 0;
    QStringList faults;
    QTimer answer;
    answer.setInterval(5);
    QObject::connect(&answer, &QTimer::timeout, [&] {
      auto* box = form->findChild<QMessageBox*>("StepBox");
      if (!box || !box->isVisible()) return;
      ++boxes;
      if (box->text() != "New Round") faults << box->text();
      if (box->windowTitle() != "Davrel3") faults << "title " + box->windowTitle();
      if (box->buttons().size() != 2) faults << "buttons";
      // While the box is open, only the tabs take input.
      if (form->Indicators()->isEnabled() || form->MenuBar()->isEnabled()) faults << "inputs enabled";
      if (!form->PageControl1()->isEnabled()) faults << "tabs disabled";
      if (boxes < 3) {
        box->button(QMessageBox::Ok)->click();
      } else {
        box->findChild<QPushButton*>("StopIndicatingButton")->click();
      }
    });
    answer.start();
    QTest::mouseClick(form->Indicators()->StartButton(), Qt::LeftButton);
    answer.stop();
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join('|')));
    // Three boxes, then the run went on to its end without any.
    QCOMPARE(boxes, 3);
    QVERIFY(!form->Indicators()->CycleCheckBox()->isChecked());
    QCOMPARE(Progress(form->Bench().State().TaskGrid).open, 0);
    QVERIFY(form->Indicators()->isEnabled());
    QVERIFY(form->Status()->RunSummary().startsWith("Last run: finished"));
  }

  void closingDuringABoxEndsTheRunAndTheProgram() {
    form->SetMessageFunction(nullptr);
    form->Indicators()->CycleCheckBox()->setChecked(true);
    QSignalSpy closed(form.get(), &TParForm::Closed);
    int boxes = 0;
    QTimer answer;
    answer.setInterval(5);
    QObject::connect(&answer, &QTimer::timeout, [&] {
      auto* box = form->findChild<QMessageBox*>("StepBox");
      if (!box || !box->isVisible()) return;
      if (++boxes == 2) form->close();
      else box->button(QMessageBox::Ok)->click();
    });
    answer.start();
    QTest::mouseClick(form->Indicators()->StartButton(), Qt::LeftButton);
    answer.stop();
    QCOMPARE(boxes, 2);
    QCOMPARE(closed.count(), 1);
    QVERIFY(form->Status()->RunSummary().startsWith("Last run: cancelled"));
  }

  void longRunShowsProgressAndCancels() {
    // Twenty agents through 100000 cycles: seconds of work, far more than the
    // half second after which the dialog shows (six agents now take about
    // that long, too close to it).
    form->Panel().SetText(Field::NrofAg, "20");
    form->Panel().SetText(Field::Cycle, "100000");
    QTest::mouseClick(form->Indicators()->OKButton(), Qt::LeftButton);
    QVERIFY(messages.isEmpty());
    bool sawDialog = false;
    QTimer answer;
    answer.setInterval(20);
    QObject::connect(&answer, &QTimer::timeout, [&] {
      QProgressDialog* dialog = form->Progress().Dialog();
      if (!dialog || !dialog->isVisible()) return;
      sawDialog = dialog->isModal() && dialog->labelText().startsWith("The run is in task 1 at timestep");
      dialog->cancel();
    });
    answer.start();
    QTest::mouseClick(form->Indicators()->StartButton(), Qt::LeftButton);
    answer.stop();
    QVERIFY(sawDialog);
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages[0].startsWith("The run was cancelled in task 1 at timestep"), qPrintable(messages[0]));
    QVERIFY(form->Status()->RunSummary().startsWith("Last run: cancelled"));
    // As after a stalled run: START disabled, Default enabled.
    QVERIFY(!form->Indicators()->StartButton()->isEnabled());
    QVERIFY(form->Indicators()->DefaultButton()->isEnabled());
    QVERIFY(!form->Progress().Dialog()->isVisible());
  }

  void aFailedRunGivesBackItsMemory() {
    // Twenty agents through 100000 cycles, under a budget the history passes
    // after some 20000 timesteps: the run fails there, having held about
    // 250 MB.
    form->Panel().SetText(Field::NrofAg, "20");
    form->Panel().SetText(Field::Cycle, "100000");
    QTest::mouseClick(form->Indicators()->OKButton(), Qt::LeftButton);
    QVERIFY2(messages.isEmpty(), qPrintable(messages.join('|')));
    davrel3::SetMemoryBudget(form->Bench(), std::int64_t{256} << 20);
    const std::int64_t before = ResidentBytes();
    const bool peakKnown = ResetPeakResident();
    QTest::mouseClick(form->Indicators()->StartButton(), Qt::LeftButton);
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages[0].contains("the history would grow past its memory budget"), qPrintable(messages[0]));
    QVERIFY(form->Status()->RunSummary().startsWith("Last run: failed"));
    if (peakKnown) {
      const std::int64_t peak = PeakResidentBytes();
      QVERIFY2(peak - before > (std::int64_t{150} << 20), qPrintable(QString::number(peak - before)));
    }
    // The failed run is not drawn; the store keeps the rows a commit lays out.
    QCOMPARE(form->Bench().State().History.Rows, std::int64_t{davrel3::kDefaultHistoryLength + 1});
    QCOMPARE(form->Bench().State().History.HistoryLength, davrel3::kDefaultHistoryLength);
    const std::int64_t after = ResidentBytes();
    QVERIFY2(after - before < (std::int64_t{50} << 20),
             qPrintable(QString("%1 MB more than before the run").arg((after - before) >> 20)));
    // The window goes on: a smaller run with the same group finishes.
    messages.clear();
    davrel3::SetMemoryBudget(form->Bench(), davrel3::DefaultMemoryBudget());
    form->Panel().SetText(Field::Cycle, "20");
    QTest::mouseClick(form->Indicators()->OKButton(), Qt::LeftButton);
    QTest::mouseClick(form->Indicators()->StartButton(), Qt::LeftButton);
    QVERIFY2(form->Status()->RunSummary().startsWith("Last run: finished"), qPrintable(form->Status()->RunSummary()));
  }

  void aCancelledRunKeepsTheRowsItDrawsOnly() {
    // Long enough to be cancelled from its progress dialog, as above.
    form->Panel().SetText(Field::NrofAg, "20");
    form->Panel().SetText(Field::Cycle, "100000");
    QTest::mouseClick(form->Indicators()->OKButton(), Qt::LeftButton);
    QTimer answer;
    answer.setInterval(20);
    QObject::connect(&answer, &QTimer::timeout, [&] {
      QProgressDialog* dialog = form->Progress().Dialog();
      if (dialog && dialog->isVisible()) dialog->cancel();
    });
    answer.start();
    QTest::mouseClick(form->Indicators()->StartButton(), Qt::LeftButton);
    answer.stop();
    QVERIFY(form->Status()->RunSummary().startsWith("Last run: cancelled"));
    // Every row the run reached stays (the charts draw them), with no room
    // reserved beyond them.
    const davrel3::RunHistory& history = form->Bench().State().History;
    QVERIFY(history.HistoryLength > davrel3::kDefaultHistoryLength);
    QCOMPARE(history.Rows, std::int64_t{history.HistoryLength} + 1);
    QCOMPARE(history.ExpertiseHistory.capacity(), history.ExpertiseHistory.size());
    QCOMPARE(history.MotivationHistory.capacity(), history.MotivationHistory.size());
    QCOMPARE(history.StepWorkHistory.capacity(), history.StepWorkHistory.size());
  }

  void statusLineTellsWhatIsCommitted() {
    QCOMPARE(form->Status()->Committed(), QString("Committed (Start-up): No Fit, Specialist, Low; 6 agents, 5 skills"));
    QVERIFY(form->Status()->ItemsDiffer().isEmpty());
    // Ticking "Fit" without Define: the line says plainly that it differs.
    form->ProcesTabSheet()->FitNoFitRadioGroup()->SetItemIndex(1);
    QVERIFY(form->Status()->ItemsDiffer().contains("Fit, Specialist, Low"));
    QVERIFY(form->Status()->ItemsDiffer().contains("press Define"));
    QTest::mouseClick(form->ProcesTabSheet()->DefineButton(), Qt::LeftButton);
    QCOMPARE(form->Status()->Committed(), QString("Committed (Define): Fit, Specialist, Low; 6 agents, 6 skills"));
    QVERIFY(form->Status()->ItemsDiffer().isEmpty());
    QTest::mouseClick(form->Indicators()->StartButton(), Qt::LeftButton);
    QVERIFY(form->Status()->RunSummary().startsWith("Last run: finished, "));
    QVERIFY(form->Status()->RunSummary().endsWith(" timesteps"));
    // The next commit replaces the run.
    QTest::mouseClick(form->Indicators()->OKButton(), Qt::LeftButton);
    QVERIFY(form->Status()->RunSummary().isEmpty());
    QVERIFY(form->Status()->Committed().startsWith("Committed (OK): "));
    // Whatever commits, the line's sizes are the committed group's, the
    // model's own (the start-up group has 5 skills, the Fit condition 6).
    for (const davrel3::Configuration& configuration : davrel3::Configurations()) {
      form->ApplyConfiguration(configuration.apply);
      const davrel3::TSystem& system = form->Bench().State().System;
      QVERIFY2(form->Status()->Committed().endsWith(QString("; %1 agents, %2 skills")
                                                        .arg(system.NrOfAgents)
                                                        .arg(davrel3::CommittedSkills(system))),
               qPrintable(QString(configuration.name) + ": " + form->Status()->Committed()));
    }
    form->ApplyConfiguration(&davrel3::Workbench::FormCreate);
    QVERIFY(form->Status()->Committed().endsWith("; 6 agents, 5 skills"));
    // Another part of the window may add its own warning.
    form->Status()->SetExtraWarning("Levels changed");
    QVERIFY(form->Status()->Text().contains("Levels changed"));
  }

  void agentFramesFollowTheGroupSize() {
    // Two agents: only the first two frames, the short panel.
    for (int i = 0; i < 4; ++i) ClickArrow(form->ParTabSheet()->NrofAgUpDown(), UpDown::Direction::Down);
    QTest::mouseClick(form->Indicators()->OKButton(), Qt::LeftButton);
    QVERIFY(messages.isEmpty());
    QCOMPARE(form->AgentTabSheet()->AgentPanelHeight(), 201);
    QVERIFY(form->AgentTabSheet()->AgentLegend()->isHidden());
    for (int k = 0; k < 6; ++k) QCOMPARE(!form->Frame(k)->isHidden(), k < 2);
    QCOMPARE(form->Frame(0)->AgentEditUpDown->Max(), 2);

    // Four agents: four frames, the tall panel with its legend.
    ClickArrow(form->ParTabSheet()->NrofAgUpDown(), UpDown::Direction::Up);
    ClickArrow(form->ParTabSheet()->NrofAgUpDown(), UpDown::Direction::Up);
    QTest::mouseClick(form->Indicators()->OKButton(), Qt::LeftButton);
    QCOMPARE(form->AgentTabSheet()->AgentPanelHeight(), 385);
    QVERIFY(!form->AgentTabSheet()->AgentLegend()->isHidden());
    for (int k = 0; k < 6; ++k) QCOMPARE(!form->Frame(k)->isHidden(), k < 4);

    // One agent: frames 1 and 2 stay; frame 2 keeps what it showed.
    const QStringList frame2 = FrameTexts(form->Frame(1));
    for (int i = 0; i < 3; ++i) ClickArrow(form->ParTabSheet()->NrofAgUpDown(), UpDown::Direction::Down);
    QTest::mouseClick(form->Indicators()->OKButton(), Qt::LeftButton);
    QVERIFY(messages.isEmpty());
    QVERIFY(!form->Frame(0)->isHidden());
    QVERIFY(!form->Frame(1)->isHidden());
    QVERIFY(form->Frame(2)->isHidden());
    QCOMPARE(FrameTexts(form->Frame(1)), frame2);
  }

  void agentFrameShowsTheChosenAgent() {
    TFrame1* frame = form->Frame(0);
    ClickArrow(frame->AgentEditUpDown, UpDown::Direction::Up);
    QCOMPARE(frame->AgentEdit->text(), QString("2"));
    QCOMPARE(frame->AgentNr, 2);
    QCOMPARE(ShownRows(frame, 5), ExpectedRows(form->Bench().State().System, 2));
    // Six agents: up at 6 stays at 6.
    for (int i = 0; i < 6; ++i) ClickArrow(frame->AgentEditUpDown, UpDown::Direction::Up);
    QCOMPARE(frame->AgentEdit->text(), QString("6"));
    QCOMPARE(frame->AgentNr, 6);

    // The number formats: x100, halves to even; "I " for a chosen skill.
    auto& skill = form->Bench().State().System.Agents[0].Skills[0];
    skill.IValue = 0.125;
    skill.YouValue = 0.135;
    skill.Motivation = 19;
    skill.Chosen = true;
    form->ShowStatesAgents();
    QCOMPARE(frame->AgentEdit->text(), QString("1"));
    QCOMPARE(frame->AgentNr, 6);  // ShowAgent leaves the chosen number alone
    QCOMPARE(frame->Cell(1, 1), QString("I "));
    QCOMPARE(frame->Cell(2, 1), QString("1900"));
    QCOMPARE(frame->Cell(5, 1), QString("12"));
    QCOMPARE(frame->Cell(6, 1), QString("14"));
  }

  void agentBoxTypedShowsThatAgent() {
    TFrame1* frame = form->Frame(0);
    form->PageControl1()->setCurrentWidget(form->AgentTabSheet());
    // Typed and Enter: frame 1 shows agent 2, its arrows stand at 2.
    Retype(frame->AgentEdit, "2");
    QTest::keyClick(frame->AgentEdit, Qt::Key_Return);
    QCOMPARE(frame->AgentNr, 2);
    QCOMPARE(frame->AgentEditUpDown->Position(), 2);
    QCOMPARE(ShownRows(frame, 5), ExpectedRows(form->Bench().State().System, 2));
    QVERIFY(messages.isEmpty());

    // Typed and leaving the box: agent 3.
    Retype(frame->AgentEdit, "3");
    form->Frame(1)->AgentEdit->setFocus();
    QTRY_COMPARE(frame->AgentNr, 3);
    QCOMPARE(ShownRows(frame, 5), ExpectedRows(form->Bench().State().System, 3));

    // A number outside the group shows nothing new; the status line says why.
    const QStringList shown = ShownRows(frame, 5);
    Retype(frame->AgentEdit, "9");
    QTest::keyClick(frame->AgentEdit, Qt::Key_Return);
    QCOMPARE(ShownRows(frame, 5), shown);
    QCOMPARE(form->Status()->Note(), QString("There is no agent 9: the group has agents 1 to 6"));
    QVERIFY(messages.isEmpty());

    // Text: the message names the box; frame and number stay.
    Retype(frame->AgentEdit, "abc");
    QTest::keyClick(frame->AgentEdit, Qt::Key_Return);
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages[0].startsWith("'abc' is not a valid integer value. The agent box of frame 1 takes a whole number"),
             qPrintable(messages[0]));
    QVERIFY2(messages[0].endsWith("the group has agents 1 to 6."), qPrintable(messages[0]));
    QCOMPARE(frame->AgentNr, 9);
    QCOMPARE(ShownRows(frame, 5), shown);

    // Back to a real agent: the note goes.
    messages.clear();
    Retype(frame->AgentEdit, "5");
    QTest::keyClick(frame->AgentEdit, Qt::Key_Enter);
    QCOMPARE(ShownRows(frame, 5), ExpectedRows(form->Bench().State().System, 5));
    QVERIFY(form->Status()->Note().isEmpty());
    QVERIFY(messages.isEmpty());
  }

  void agentFramesShowEveryColumn() {
    form->PageControl1()->setCurrentWidget(form->AgentTabSheet());
    QApplication::processEvents();
    const QStringList headings = {"choice", "mot.", "exp.", "loser", "I", "You", "Present"};
    for (int k = 0; k < 6; ++k) {
      TFrame1* frame = form->Frame(k);
      StringGridView* grid = frame->AgentGrid;
      const QRect viewport = grid->viewport()->rect();
      // Five skills fit: no scroll bar at all.
      QVERIFY(!grid->verticalScrollBar()->isVisible());
      for (int c = 0; c < headings.size(); ++c) {
        QCOMPARE(grid->model()->headerData(c, Qt::Horizontal).toString(), headings[c]);
        // The heading in full, and every cell of the column inside the grid.
        QVERIFY(grid->columnWidth(c) >= grid->horizontalHeader()->fontMetrics().horizontalAdvance(headings[c]));
        for (int r = 0; r < 5; ++r) {
          const QRect cell = grid->visualRect(grid->model()->index(r, c));
          QVERIFY2(viewport.contains(cell), qPrintable(QString("frame %1 column %2 row %3").arg(k + 1).arg(c).arg(r)));
        }
      }
      auto* corner = grid->findChild<QLabel*>("SkillHeading");
      QVERIFY(corner && corner->isVisible());
      QCOMPARE(corner->text(), QString("skill"));
      // Each frame can be brought into view in the tab.
      form->AgentTabSheet()->ScrollToFrame(k);
      QApplication::processEvents();
      QScrollArea* area = form->AgentTabSheet()->ScrollArea();
      const QRect inView(frame->mapTo(area->viewport(), QPoint(0, 0)), frame->size());
      QVERIFY2(area->viewport()->rect().contains(inView), qPrintable(QString("frame %1").arg(k + 1)));
    }
  }

  void hundredSkillsAreAllReachable() {
    form->Panel().Write(Field::NrofSkills, 100);
    QTest::mouseClick(form->Indicators()->OKButton(), Qt::LeftButton);
    QVERIFY(messages.isEmpty());
    form->PageControl1()->setCurrentWidget(form->AgentTabSheet());
    QApplication::processEvents();
    TFrame1* frame = form->Frame(0);
    StringGridView* grid = frame->AgentGrid;
    QCOMPARE(grid->model()->rowCount(), 100);
    QCOMPARE(grid->model()->headerData(99, Qt::Vertical).toString(), QString("100"));
    // A live scroll bar beside the columns, not over them.
    QScrollBar* bar = grid->verticalScrollBar();
    QVERIFY(bar->isVisible());
    QVERIFY(bar->isEnabled());
    QVERIFY(bar->maximum() > 0);
    QVERIFY(grid->viewport()->geometry().right() < bar->parentWidget()->mapTo(grid, bar->geometry().topLeft()).x());
    // The last skill's row, last column included, scrolled into view.
    const QModelIndex last = grid->model()->index(99, 6);
    grid->scrollTo(last);
    QApplication::processEvents();
    QVERIFY(grid->viewport()->rect().contains(grid->visualRect(last)));
    QCOMPARE(last.data().toString(), ExpectedRows(form->Bench().State().System, 1).at(99 * 7 + 6));
    // The wheel scrolls too.
    grid->scrollToTop();
    QCOMPARE(bar->value(), 0);
    QWheelEvent wheel(QPointF(20, 40), grid->viewport()->mapToGlobal(QPointF(20, 40)), QPoint(), QPoint(0, -120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(grid->viewport(), &wheel);
    QVERIFY(bar->value() > 0);
  }

  void agentGridClickStoresAndCommits() {
    TFrame1* frame = form->Frame(0);
    auto* model = frame->AgentGrid->model();
    // Before an agent is chosen nothing is stored, yet the commit runs.
    QTest::mouseClick(form->Indicators()->StartButton(), Qt::LeftButton);
    QVERIFY(!form->Indicators()->StartButton()->isEnabled());
    form->Frame11AgentGridClick();
    QVERIFY(messages.isEmpty());
    QVERIFY(form->Indicators()->StartButton()->isEnabled());

    ClickArrow(frame->AgentEditUpDown, UpDown::Direction::Up);
    ClickArrow(frame->AgentEditUpDown, UpDown::Direction::Down);
    QCOMPARE(frame->AgentNr, 1);
    QVERIFY(model->setData(model->index(0, 1), "20"));  // mot. of skill 1
    QVERIFY(model->setData(model->index(0, 2), "21"));  // exp. of skill 1
    // The cells hold hundredths; read back as values, 1500 passes no maximum.
    form->Frame11AgentGridClick();
    QCOMPARE(messages.size(), 4);
    for (const QString& message : messages) QCOMPARE(message, QString("Maximum is 100"));
    const auto& skills = form->Bench().State().System.Agents[0].Skills;
    QCOMPARE(skills[0].Motivation, 20.0);
    QCOMPARE(skills[0].Expertise, 21.0);
    QCOMPARE(frame->Cell(2, 1), QString("2000"));

    // A cell that is not a number stops before the commit.
    messages.clear();
    QTest::mouseClick(form->Indicators()->StartButton(), Qt::LeftButton);
    QVERIFY(model->setData(model->index(0, 1), "x"));
    form->Frame11AgentGridClick();
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages[0].startsWith("'x' is not a valid integer value. "), qPrintable(messages[0]));
    QVERIFY(!form->Indicators()->StartButton()->isEnabled());
  }
};

QTEST_MAIN(MainWindowTest)
#include "test_main_window.moc"
