// The skill levels editor: it shows what the agents of the committed group
// hold; typed cells and fills reach the agents at once and exactly as a level
// file listing the same cells sets them (the same run record); whatever it
// refuses (a text that is not a number, a paste or level file that does not
// fit) changes nothing.
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>
#include <fstream>

#include <nlohmann/json.hpp>

#include "experiment/level_file.h"
#include "experiment/record.h"
#include "experiment/session.h"
#include "level_table_model.h"
#include "skill_levels_editor.h"

using davrel3::Field;
using davrel3::LevelKind;

namespace {

// A started-up workbench of `agents` agents and `skills` skills (OK pressed).
struct Group {
  davrel3::InMemoryPanel panel;
  davrel3::Workbench bench{panel};
  Group(int agents, int skills) {
    davrel3::StartUp(bench);
    panel.SetText(Field::NrofAg, std::to_string(agents));
    panel.SetText(Field::NrofSkills, std::to_string(skills));
    bench.OKButtonClick();
  }
  davrel3::LevelTable Held() const { return davrel3::HeldLevels(bench.State().System); }
  nlohmann::json Record() {
    const auto parameters = davrel3::ReadParameters(panel);
    const auto outcome = bench.StartButtonClick();
    return nlohmann::json::parse(davrel3::RunRecord(bench, outcome, parameters));
  }
};

void Select(SkillLevelsEditor& editor, int row, int column, int lastRow, int lastColumn) {
  QAbstractItemModel* model = editor.View()->model();
  editor.View()->selectionModel()->select(QItemSelection(model->index(row, column), model->index(lastRow, lastColumn)),
                                          QItemSelectionModel::ClearAndSelect);
}

}  // namespace

class TestSkillLevelsEditor : public QObject {
  Q_OBJECT

 private slots:
  void showsTheCommittedGroupAsItsAgentsHoldIt();
  void typedCellsReachTheAgentsAndTextsThatAreNoNumbersChangeNothing();
  void fillsReachTheRunAsALevelFileOfTheSameCellsDoes();
  void copyingAnAgentAndProfileFills();
  void refusedPastesAndLevelFilesChangeNothing();
  void savedLevelFileReadsBackIntoTheSameLevels();
};

void TestSkillLevelsEditor::showsTheCommittedGroupAsItsAgentsHoldIt() {
  Group g(10, 5);
  SkillLevelsEditor editor(g.bench);
  QCOMPARE(editor.View()->model()->rowCount(), 10);
  QCOMPARE(editor.View()->model()->columnCount(), 10);
  QVERIFY(editor.Table() == g.Held());
  QCOMPARE(editor.View()->model()->data(editor.View()->model()->index(0, 0)).toString(), QString("19"));
  QCOMPARE(editor.View()->model()->headerData(3, Qt::Horizontal).toString(), QString("Skill 2\nmot."));
  QCOMPARE(editor.View()->model()->headerData(9, Qt::Vertical).toString(), QString("Agent 10"));
  // The profile that set the levels is the one offered first.
  QCOMPARE(editor.ProfileBox()->currentData().toString(), QString("ProfileNoFit"));
  QCOMPARE(editor.CopySourceBox()->maximum(), 10);

  // After a commit of another size and a run, it shows what the agents hold then.
  g.panel.SetText(Field::NrofAg, "3");
  g.bench.OKButtonClick();
  g.bench.StartButtonClick();
  editor.ShowHeldLevels();
  QCOMPARE(editor.View()->model()->rowCount(), 3);
  QVERIFY(editor.Table() == g.Held());
  QVERIFY(!(editor.Table() == davrel3::FitLevels(davrel3::ProfileLevels(&davrel3::Workbench::ProfileNoFit), 3, 5)));
}

void TestSkillLevelsEditor::typedCellsReachTheAgentsAndTextsThatAreNoNumbersChangeNothing() {
  Group g(6, 5);
  SkillLevelsEditor editor(g.bench);
  QSignalSpy set(&editor, &SkillLevelsEditor::LevelsSet);
  QAbstractItemModel* model = editor.View()->model();
  // Agent 3, skill 2, motivation: row 2, column 3.
  QVERIFY(model->setData(model->index(2, 3), "12.75"));
  const davrel3::TSkill& skill = g.bench.State().System.Agents[2].Skills[1];
  QCOMPARE(skill.Motivation, 12.75);
  QCOMPARE(skill.Expertise, 17.0);     // its expertise is kept
  QCOMPARE(skill.InitialLevel, 17.0);  // and becomes the initial level, as a level file sets it
  QCOMPARE(set.count(), 1);
  QCOMPARE(set.at(0).at(0).value<davrel3::LevelsSource>().Kind, std::string("editor"));

  const davrel3::LevelTable before = g.Held();
  for (const char* text : {"abc", "", "nan", "inf", "1e999", "14,5", "+3"}) {
    QVERIFY2(!model->setData(model->index(0, 0), QString(text)), text);
    QVERIFY(editor.Note()->text().contains("is not a number"));
  }
  QVERIFY(!editor.FillValue("x1"));
  QVERIFY(g.Held() == before);
  QVERIFY(editor.Table() == before);
  QCOMPARE(set.count(), 1);

  // Typing into the view as a user does.
  editor.show();
  QVERIFY(QTest::qWaitForWindowExposed(&editor));
  editor.activateWindow();
  editor.View()->setFocus();
  editor.View()->setCurrentIndex(model->index(5, 8));  // agent 6, skill 5, expertise
  QTest::keyClick(editor.View(), '2');  // any key opens the cell's editor with it
  QWidget* cellEditor = QApplication::focusWidget();
  QVERIFY(cellEditor && cellEditor != editor.View());
  QTest::keyClicks(cellEditor, "1.5");
  QTest::keyClick(cellEditor, Qt::Key_Return);  // the delegate commits from the event loop
  QTRY_COMPARE(g.bench.State().System.Agents[5].Skills[4].Expertise, 21.5);
}

void TestSkillLevelsEditor::fillsReachTheRunAsALevelFileOfTheSameCellsDoes() {
  // Ten agents: agents 7 to 10 start at 0 and would take no unit.
  Group byEditor(10, 5), byFile(10, 5);
  SkillLevelsEditor editor(byEditor.bench);
  Select(editor, 6, 0, 9, 9);  // agents 7 to 10, every skill
  QVERIFY(editor.FillRotation());
  Select(editor, 0, 2, 1, 3);  // agents 1 and 2, skill 2
  QVERIFY(editor.FillValue("13.25"));
  editor.View()->model()->setData(editor.View()->model()->index(8, 9), "11");  // agent 9, skill 5, motivation

  QTemporaryDir dir;
  const std::string path = dir.filePath("levels.csv").toStdString();
  {
    std::ofstream file(path);
    file << "agent,skill,expertise,motivation\n";
    for (int a = 7; a <= 10; ++a) {
      for (int s = 1; s <= 5; ++s) {
        file << a << "," << s << "," << davrel3::RotationLevel(a, s) << ","
             << (a == 9 && s == 5 ? 11 : davrel3::RotationLevel(a, s)) << "\n";
      }
    }
    file << "1,2,13.25,13.25\n2,2,13.25,13.25\n";
  }
  davrel3::ApplyLevels(byFile.bench.State().System, davrel3::ReadLevelFile(path).Entries);
  QVERIFY(byEditor.Held() == byFile.Held());
  const auto a = byEditor.Record();
  const auto b = byFile.Record();
  QCOMPARE(QString::fromStdString(a["status"].get<std::string>()), QString("finished"));
  QVERIFY(a == b);
  QVERIFY(byEditor.bench.State().System.Agents[9].RunWorkTime > 0);
}

void TestSkillLevelsEditor::copyingAnAgentAndProfileFills() {
  Group g(8, 6);
  SkillLevelsEditor editor(g.bench);
  QVERIFY(!editor.CopyAgent(2));  // nothing selected: onto whom?
  QVERIFY(editor.Note()->text().contains("Select cells"));
  Select(editor, 6, 0, 7, 0);  // agents 7 and 8
  QVERIFY(editor.CopyAgent(2));
  const davrel3::LevelTable held = g.Held();
  for (int s = 1; s <= 6; ++s) {
    for (int agent : {7, 8}) {
      QCOMPARE(davrel3::LevelAt(held, LevelKind::Expertise, agent, s), davrel3::LevelAt(held, LevelKind::Expertise, 2, s));
      QCOMPARE(davrel3::LevelAt(held, LevelKind::Motivation, agent, s),
               davrel3::LevelAt(held, LevelKind::Motivation, 2, s));
    }
  }
  QVERIFY(!editor.CopyAgent(9));

  // The Fit profile on every cell: what Define's profile gives this group.
  editor.View()->clearSelection();
  QVERIFY(editor.FillProfile("ProfileFit"));
  QVERIFY(g.Held() == davrel3::FitLevels(davrel3::ProfileLevels(&davrel3::Workbench::ProfileFit), 8, 6));
  QVERIFY(!editor.FillProfile("ProfileNone"));
}

void TestSkillLevelsEditor::refusedPastesAndLevelFilesChangeNothing() {
  Group g(6, 5);
  SkillLevelsEditor editor(g.bench);
  QSignalSpy set(&editor, &SkillLevelsEditor::LevelsSet);
  const davrel3::LevelTable before = g.Held();
  QAbstractItemModel* model = editor.View()->model();
  editor.View()->setCurrentIndex(model->index(4, 8));
  QVERIFY(!editor.Paste("1\t2\t3\n"));  // runs past the last column
  QVERIFY(!editor.Paste("1\t2\n3\tx\n"));
  QVERIFY(editor.Note()->text().contains("Row 2, cell 2"));
  QVERIFY(!editor.Paste("\n"));

  QTemporaryDir dir;
  auto write = [&](const char* name, const std::string& text) {
    const QString path = dir.filePath(name);
    std::ofstream(path.toStdString()) << text;
    return path;
  };
  const std::string header = "agent,skill,expertise,motivation\n";
  QVERIFY(!editor.OpenLevelFile(write("outside.csv", header + "1,1,3,3\n7,1,3,3\n")));
  QVERIFY2(editor.Note()->text().contains("outside.csv, line 3: agent 7 is not in the group"),
           qPrintable(editor.Note()->text()));
  QVERIFY(!editor.OpenLevelFile(write("skill.csv", header + "1,6,3,3\n")));
  QVERIFY(!editor.OpenLevelFile(write("nan.csv", header + "1,1,nan,3\n")));
  QVERIFY(editor.Note()->text().contains("line 2: the expertise 'nan' is not a finite number"));
  QVERIFY(!editor.OpenLevelFile(dir.filePath("missing.csv")));
  QVERIFY(!editor.OpenLevelFile(dir.path()));
  QVERIFY(g.Held() == before);
  QVERIFY(editor.Table() == before);
  QCOMPARE(set.count(), 0);

  // A block that fits is pasted whole, and a file that fits is read.
  QVERIFY(editor.Paste("1\t2\r\n3\t4\r\n"));
  QCOMPARE(g.bench.State().System.Agents[4].Skills[4].Expertise, 1.0);
  QCOMPARE(g.bench.State().System.Agents[4].Skills[4].Motivation, 2.0);
  QCOMPARE(g.bench.State().System.Agents[5].Skills[4].Motivation, 4.0);
  QVERIFY(editor.OpenLevelFile(write("good.csv", header + "2,3,4.5,5.5\n")));
  QCOMPARE(g.bench.State().System.Agents[1].Skills[2].Motivation, 5.5);
  QCOMPARE(set.last().at(0).value<davrel3::LevelsSource>().Kind, std::string("file"));
  QCOMPARE(set.last().at(0).value<davrel3::LevelsSource>().Name, std::string("good.csv"));
}

void TestSkillLevelsEditor::savedLevelFileReadsBackIntoTheSameLevels() {
  Group g(7, 6);
  SkillLevelsEditor editor(g.bench);
  QVERIFY(editor.FillRotation());
  QVERIFY(editor.FillValue("0.1"));
  Select(editor, 0, 0, 0, 0);
  QVERIFY(editor.FillValue("-2.5e-3"));
  QTemporaryDir dir;
  const QString path = dir.filePath("saved.csv");
  QVERIFY(editor.SaveLevelFile(path));
  Group other(7, 6);
  davrel3::ApplyLevels(other.bench.State().System, davrel3::ReadLevelFile(path.toStdString()).Entries);
  QVERIFY(other.Held() == g.Held());
  QCOMPARE(davrel3::LevelAt(other.Held(), LevelKind::Expertise, 1, 1), -2.5e-3);
  // Copy gives the selected cells as tab-separated numbers.
  Select(editor, 0, 0, 0, 1);
  QCOMPARE(editor.CopyText(), QString("-0.0025\t0.1\n"));
  QVERIFY(!editor.SaveLevelFile(dir.filePath("no/such/folder/levels.csv")));
}

QTEST_MAIN(TestSkillLevelsEditor)
#include "test_skill_levels_editor.moc"
