// The skill levels editor inside the main window: "Skill levels..." opens it
// on what the agents hold, it follows every commit (OK, a configuration,
// Define) and run, its levels are kept by the next commit; and START names on
// the status line the present agents that can never take a unit, while the
// run's record stays that of the same levels set without the window.
#include <QAction>
#include <QMenu>
#include <QComboBox>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>
#include <fstream>
#include <sstream>

#include <nlohmann/json.hpp>

#include "DV3Newcomer2009Par.h"
#include "experiment/record.h"
#include "experiment/session.h"
#include "experiment/skill_levels.h"
#include "indicator_strip.h"
#include "main_menu_bar.h"
#include "newcomers_tab.h"
#include "file_commands.h"
#include "skill_levels_editor.h"
#include "status_line.h"

using davrel3::Field;

namespace {

void SelectRow(SkillLevelsEditor& editor, int row) {
  QAbstractItemModel* model = editor.View()->model();
  editor.View()->selectionModel()->select(
      QItemSelection(model->index(row, 0), model->index(row, model->columnCount() - 1)),
      QItemSelectionModel::ClearAndSelect);
}

QString Cell(SkillLevelsEditor& editor, int row, int column) {
  return editor.View()->model()->data(editor.View()->model()->index(row, column)).toString();
}

QString ReadText(const QString& path) {
  std::ifstream in(path.toStdString(), std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return QString::fromStdString(text.str());
}

QAction* ConfigurationAction(TParForm& form, const QString& name) {
  for (QAction* action : form.MenuBar()->ConfigurationsMenu()->actions()) {
    if (action->objectName() == "Configuration_" + name) return action;
  }
  return nullptr;
}

}  // namespace

class TestLevelsInWindow : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    form = std::make_unique<TParForm>();
    messages.clear();
    form->SetMessageFunction([this](const QString& text) { messages << text; });
  }
  void cleanup() { form.reset(); }

  void theMenuEntryOpensTheEditorOnWhatTheAgentsHold();
  void theEditorFollowsEveryCommitAndRun();
  void theNextCommitKeepsTheEditorsLevels();
  void startNamesTheAgentsWithoutWorkAndTheRunIsTheSame();
  void parameterFilesCarryTheLevelsToTheNextCommit();

 private:
  std::unique_ptr<TParForm> form;
  QStringList messages;
};

void TestLevelsInWindow::theMenuEntryOpensTheEditorOnWhatTheAgentsHold() {
  QAction* entry = form->SkillLevelsAction();
  QVERIFY(entry);
  QVERIFY(form->MenuBar()->ConfigurationsMenu()->actions().contains(entry));
  QCOMPARE(entry->text(), QString("Skill levels..."));
  entry->trigger();
  SkillLevelsEditor& editor = form->LevelsEditor();
  QVERIFY(editor.isVisible());
  // The start-up group: six agents of five skills, ProfileNoFit's
  // 15 + ((a + s + 2) mod 5) for agents and skills 1 to 5.
  QCOMPARE(editor.View()->model()->rowCount(), 6);
  QCOMPARE(editor.View()->model()->columnCount(), 10);
  QCOMPARE(Cell(editor, 0, 0), QString("19"));
  QCOMPARE(Cell(editor, 1, 0), QString("15"));
  QCOMPARE(Cell(editor, 0, 2), QString("15"));
  QVERIFY(messages.isEmpty());
}

void TestLevelsInWindow::theEditorFollowsEveryCommitAndRun() {
  form->ShowLevelsEditor();
  SkillLevelsEditor& editor = form->LevelsEditor();

  // OK with a larger group: the table grows with it.
  form->Panel().SetText(Field::NrofAg, "10");
  form->Panel().SetText(Field::NrofSkills, "7");
  QTest::mouseClick(form->Indicators()->OKButton(), Qt::LeftButton);
  QVERIFY2(messages.isEmpty(), qPrintable(messages.join("; ")));
  QCOMPARE(editor.View()->model()->rowCount(), 10);
  QCOMPARE(editor.View()->model()->columnCount(), 14);

  // A configuration: five agents of five skills, 11 + ((a + s - 2) mod 5).
  QAction* rotation = ConfigurationAction(*form, "jobrot1");
  QVERIFY(rotation);
  rotation->trigger();
  QCOMPARE(editor.View()->model()->rowCount(), 5);
  QCOMPARE(Cell(editor, 0, 0), QString("11"));
  QCOMPARE(Cell(editor, 4, 8), QString("14"));
  QCOMPARE(Cell(editor, 2, 2), QString("14"));
  QCOMPARE(editor.ProfileBox()->currentData().toString(), QString("ProfileRotationLow"));

  // Define: the condition's profile.
  QTest::mouseClick(form->ProcesTabSheet()->DefineButton(), Qt::LeftButton);
  QVERIFY2(messages.isEmpty(), qPrintable(messages.join("; ")));
  const davrel3::TSystem& system = form->Bench().State().System;
  QCOMPARE(editor.View()->model()->rowCount(), system.NrOfAgents);
  QCOMPARE(Cell(editor, 0, 0).toDouble(), system.Agents[0].Skills[0].Expertise);
  QCOMPARE(editor.ProfileBox()->currentData().toString(), QString::fromStdString(form->Bench().LevelsProfile()));

  // A run moves the levels; the table shows where it left them.
  const davrel3::LevelTable before = editor.Table();
  QTest::mouseClick(form->Indicators()->StartButton(), Qt::LeftButton);
  QVERIFY(form->Status()->RunSummary().startsWith("Last run: finished"));
  QVERIFY(!(editor.Table() == before));
  QCOMPARE(Cell(editor, 0, 0).toDouble(), form->Bench().State().System.Agents[0].Skills[0].Expertise);
}

void TestLevelsInWindow::theNextCommitKeepsTheEditorsLevels() {
  SkillLevelsEditor& editor = form->LevelsEditor();
  SelectRow(editor, 1);
  QVERIFY(editor.FillValue("17.25"));
  // At once in the agents, and in the agent frames.
  QCOMPARE(form->Bench().State().System.Agents[1].Skills[3].Expertise, 17.25);
  QCOMPARE(form->Bench().State().System.Agents[1].Skills[3].Motivation, 17.25);
  QTest::mouseClick(form->Indicators()->OKButton(), Qt::LeftButton);
  QVERIFY(messages.isEmpty());
  // OK keeps what the agents hold; the table shows it after the commit.
  for (int s = 0; s < 5; ++s) QCOMPARE(form->Bench().State().System.Agents[1].Skills[s].Expertise, 17.25);
  QCOMPARE(Cell(editor, 1, 5), QString("17.25"));
  QCOMPARE(Cell(editor, 0, 0), QString("19"));
}

void TestLevelsInWindow::startNamesTheAgentsWithoutWorkAndTheRunIsTheSame() {
  form->Panel().SetText(Field::NrofAg, "9");
  form->Panel().SetText(Field::NrofSkills, "5");
  QTest::mouseClick(form->Indicators()->OKButton(), Qt::LeftButton);
  QVERIFY(messages.isEmpty());
  SkillLevelsEditor& editor = form->LevelsEditor();
  QVERIFY(editor.FillRotation());
  // Agents 3, 8 and 9 get nothing above the threshold; so does the newcomer
  // (agent 6), whose entrance gives it new levels: it is not named.
  for (int row : {2, 5, 7, 8}) {
    SelectRow(editor, row);
    QVERIFY(editor.FillValue("0"));
  }
  QVERIFY(form->Status()->ExtraWarning().isEmpty());
  QTest::mouseClick(form->Indicators()->StartButton(), Qt::LeftButton);
  QVERIFY2(messages.isEmpty(), qPrintable(messages.join("; ")));
  QCOMPARE(form->Status()->ExtraWarning(),
           QString("Agents 3, 8, 9 have expertise at or below the expertise threshold on every skill of the task and "
                   "will take no unit"));
  QVERIFY(form->Status()->Text().contains("Agents 3, 8, 9 have expertise"));
  QTemporaryDir dir;
  QVERIFY(form->Files().SaveRunRecord(dir.filePath("window.json")));
  const auto windowRecord = nlohmann::json::parse(ReadText(dir.filePath("window.json")).toStdString());

  // The same levels set without the window, as a level file of every cell sets them.
  davrel3::InMemoryPanel panel;
  davrel3::Workbench bench{panel};
  davrel3::StartUp(bench);
  panel.SetText(Field::NrofAg, "9");
  panel.SetText(Field::NrofSkills, "5");
  bench.OKButtonClick();
  std::vector<davrel3::LevelEntry> entries;
  for (int a = 1; a <= 9; ++a) {
    for (int s = 1; s <= 5; ++s) {
      const bool idle = a == 3 || a == 6 || a == 8 || a == 9;
      const double level = idle ? 0.0 : 14.0 + (a + s - 2) % 5;
      entries.push_back({a, s, level, level, 0});
    }
  }
  davrel3::ApplyLevels(bench.State().System, entries);
  const auto parameters = davrel3::ReadParameters(panel);
  const auto outcome = bench.StartButtonClick();
  const auto headless = nlohmann::json::parse(davrel3::RunRecord(bench, outcome, parameters));
  // The window saves the runner's --json form: the one run in "runs".
  QCOMPARE(windowRecord["runs"].size(), std::size_t{1});
  QVERIFY(windowRecord["runs"][0] == headless);

  // A commit ends the warning, and levels that give everyone work give none.
  QVERIFY(editor.FillRotation());
  QVERIFY(form->Status()->ExtraWarning().isEmpty());
  QTest::mouseClick(form->Indicators()->OKButton(), Qt::LeftButton);
  QTest::mouseClick(form->Indicators()->StartButton(), Qt::LeftButton);
  QVERIFY(form->Status()->ExtraWarning().isEmpty());
}

void TestLevelsInWindow::parameterFilesCarryTheLevelsToTheNextCommit() {
  form->Panel().SetText(Field::NrofAg, "8");
  QTest::mouseClick(form->Indicators()->OKButton(), Qt::LeftButton);
  SkillLevelsEditor& editor = form->LevelsEditor();
  SelectRow(editor, 7);
  QVERIFY(editor.FillValue("21.5"));
  QTemporaryDir dir;
  const QString path = dir.filePath("eight.json");
  QVERIFY(form->Files().SaveParameters(path));

  // Another group meanwhile; opening the file and OK bring agent 8's levels back.
  form->Panel().SetText(Field::NrofAg, "6");
  QTest::mouseClick(form->Indicators()->OKButton(), Qt::LeftButton);
  QVERIFY(form->Files().OpenParameters(path));
  QVERIFY(form->Status()->Note().contains("with the levels of 8 agents of 5 skills"));
  QCOMPARE(form->Panel().Text(Field::NrofAg), std::string("8"));
  QTest::mouseClick(form->Indicators()->OKButton(), Qt::LeftButton);
  QVERIFY2(messages.isEmpty(), qPrintable(messages.join("; ")));
  QCOMPARE(form->Bench().State().System.Agents[7].Skills[4].Expertise, 21.5);
  QCOMPARE(Cell(editor, 7, 9), QString("21.5"));

  // Opened again, then committed with another size: refused in words, no level set.
  QVERIFY(form->Files().OpenParameters(path));
  SelectRow(editor, 0);
  QVERIFY(editor.FillValue("13"));
  form->Panel().SetText(Field::NrofAg, "7");
  QTest::mouseClick(form->Indicators()->OKButton(), Qt::LeftButton);
  QCOMPARE(messages.size(), 1);
  QVERIFY(messages[0].contains("are for 8 agents of 5 skills, but the committed group has 7 agents"));
  QCOMPARE(form->Bench().State().System.Agents[0].Skills[0].Expertise, 13.0);
}

QTEST_MAIN(TestLevelsInWindow)
#include "test_levels_in_window.moc"
