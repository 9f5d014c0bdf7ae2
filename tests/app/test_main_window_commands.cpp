// The main window's commands and finish: Quit, About, what is remembered
// between launches (geometry, last folders), Copy from the grids, Tab onto
// the chosen radio item, edits wide enough for their values, conversion
// messages in plain words and the file notes on the status line. Settings go
// to a temporary folder under an organisation of their own.
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSettings>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>

#include "DV3Newcomer2009Agent.h"
#include "DV3Newcomer2009Par.h"
#include "DV3Newcomer2009Task.h"
#include "about_tab.h"
#include "agent_tab.h"
#include "experiment/version.h"
#include "file_commands.h"
#include "indicator_strip.h"
#include "main_menu_bar.h"
#include "newcomers_tab.h"
#include "parameters_tab.h"
#include "radio_group.h"
#include "status_line.h"
#include "string_grid.h"
#include "up_down.h"
#include "window_settings.h"
#include "window_test_helpers.h"

using davrel3::Field;

namespace {

using window_test::Retype;

// Runs `answer` on the next modal widget of type T once it is open.
template <typename T>
void AnswerNext(std::function<void(T*)> answer) {
  auto* timer = new QTimer;
  timer->setInterval(20);
  QObject::connect(timer, &QTimer::timeout, [timer, answer] {
    if (auto* widget = qobject_cast<T*>(QApplication::activeModalWidget())) {
      timer->stop();
      timer->deleteLater();
      answer(widget);
    }
  });
  timer->start();
}

// Whether the label shows its whole text in the space it has.
bool ShowsAll(const QLabel* label) {
  if (label->isHidden() || label->width() <= 0) return false;
  const QRect inside = label->contentsRect();
  const QRect needed = label->fontMetrics().boundingRect(inside, Qt::TextWordWrap, label->text());
  return needed.width() <= inside.width() && needed.height() <= inside.height();
}

}  // namespace

class MainWindowCommandsTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir settingsDir;
  std::unique_ptr<TParForm> form;
  QStringList messages;

 private slots:
  void initTestCase() {
    QVERIFY(settingsDir.isValid());
  }

  void settingsAreThoseOfTheProgramInAFolderOfTheTests() {
    // The program's own names, kept outside the user's settings.
    QCOMPARE(QCoreApplication::organizationName(), QString("Davrel3"));
    QCOMPARE(QCoreApplication::applicationName(), QString("Davrel3"));
    const QString file = QSettings().fileName();
    QVERIFY2(file.startsWith(QDir::tempPath() + "/davrel3-test-settings-"), qPrintable(file));
    const QString home = QDir::homePath() + "/.config/";
    QVERIFY2(!file.startsWith(home), qPrintable(file));
    // A folder remembered by a dialog lands there.
    window_settings::RememberFolderOf(window_settings::kExportFolder, settingsDir.filePath("picture.png"));
    QSettings().sync();
    QVERIFY(QFileInfo::exists(file));
    QCOMPARE(window_settings::LastFolder(window_settings::kExportFolder), QDir(settingsDir.path()).absolutePath());
  }

  void init() {
    QSettings().clear();
    messages.clear();
    form = std::make_unique<TParForm>();
    form->SetMessageFunction([this](const QString& text) { messages << text; });
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
  }
  void cleanup() { form.reset(); }

  void windowsStayInsideTheSmallScreen() {
    const QRect room = form->screen()->availableGeometry();
    QCOMPARE(room.size(), QSize(1366, 768));
    QVERIFY(room.contains(form->frameGeometry()));
    // Six agents of a hundred skills do not make the window taller.
    form->Panel().Write(Field::NrofSkills, 100);
    QTest::mouseClick(form->Indicators()->OKButton(), Qt::LeftButton);
    QVERIFY(messages.isEmpty());
    form->PageControl1()->setCurrentWidget(form->AgentTabSheet());
    QApplication::processEvents();
    QVERIFY(room.contains(form->frameGeometry()));
  }

  void quitClosesTheProgram() {
    QAction* quit = form->MenuBar()->QuitAction();
    QVERIFY(form->MenuBar()->FileMenu()->actions().contains(quit));
    QCOMPARE(quit->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
    QSignalSpy closed(form.get(), &TParForm::Closed);
    // From wherever the focus is in the window.
    form->ParTabSheet()->ExpMaxEdit()->setFocus();
    QTest::keySequence(form.get(), QKeySequence(Qt::CTRL | Qt::Key_Q));
    QCOMPARE(closed.count(), 1);
    QVERIFY(!form->isVisible());
  }

  void aboutShowsTheVersionAndAGuide() {
    QVERIFY(form->MenuBar()->HelpMenu()->actions().contains(form->MenuBar()->AboutAction()));
    QString text;
    QString title;
    QRect box;
    AnswerNext<QMessageBox>([&](QMessageBox* shown) {
      text = shown->text();
      title = shown->windowTitle();
      box = shown->frameGeometry();
      shown->accept();
    });
    form->MenuBar()->AboutAction()->trigger();
    QVERIFY(text.contains(QString::fromStdString(davrel3::ProgramVersion()).toHtmlEscaped()));
    QVERIFY(!QString::fromStdString(davrel3::ProgramVersion()).isEmpty());
    for (const char* word : {"START", "Define", "Run design", "Save run record", "Save CSV", "Design results"}) {
      QVERIFY2(text.contains(word), word);
    }
    QCOMPARE(title, QString("About Davrel3"));
    QVERIFY(form->screen()->availableGeometry().contains(box));
  }

  void geometryIsRestoredInsideTheScreen() {
    const QRect room = form->screen()->availableGeometry();
    form->resize(1200, 520);
    form->move(room.left() + 30, room.top() + 40);
    QApplication::processEvents();
    const QRect kept = form->geometry();
    form->SaveSettings();
    form.reset();

    TParForm again;
    again.RestoreSettings();
    QCOMPARE(again.geometry(), kept);

    // Kept from a larger screen: moved and shrunk inside this one.
    again.resize(room.width() + 400, room.height() + 300);
    again.move(room.right() - 100, room.bottom() - 50);
    again.SaveSettings();
    TParForm third;
    third.RestoreSettings();
    third.show();
    QVERIFY(QTest::qWaitForWindowExposed(&third));
    QTRY_VERIFY2(room.contains(third.frameGeometry()),
             qPrintable(QString("%1,%2 %3x%4").arg(third.x()).arg(third.y()).arg(third.width()).arg(third.height())));

    // Nothing kept: the layout's place and size.
    QSettings().clear();
    TParForm fresh;
    fresh.RestoreSettings();
    QCOMPARE(fresh.width(), 1094);
  }

  void fileDialogsStartInTheLastFolder() {
    QTemporaryDir first;
    QTemporaryDir second;
    const QString kept = second.filePath("kept.json");
    QVERIFY(form->Files().SaveParameters(kept));
    // Nothing remembered yet: the home folder.
    QString folder;
    AnswerNext<QFileDialog>([&](QFileDialog* dialog) {
      folder = dialog->directory().absolutePath();
      dialog->reject();
    });
    form->Files().AskOpenParameters();
    QCOMPARE(folder, QDir::home().absolutePath());

    // A file opened from a folder: the next open starts there, also in a new
    // window (the folder is kept in the settings).
    AnswerNext<QFileDialog>([&](QFileDialog* dialog) {
      dialog->setDirectory(second.path());
      dialog->selectFile(kept);
      // The whole path typed into the name field, as a user may type it: the
      // dialog's folder model fills in a thread of its own and may not yet
      // know the file when the answer comes.
      if (auto* name = dialog->findChild<QLineEdit*>("fileNameEdit")) name->setText(kept);
      static_cast<QDialog*>(dialog)->accept();
    });
    form->Files().AskOpenParameters();
    QVERIFY(messages.isEmpty());
    QVERIFY2(form->Status()->Note().startsWith("Loaded kept.json"), qPrintable(form->Status()->Note()));
    form.reset();
    TParForm again;
    AnswerNext<QFileDialog>([&](QFileDialog* dialog) {
      folder = dialog->directory().absolutePath();
      dialog->reject();
    });
    again.Files().AskSaveParameters();
    QCOMPARE(folder, QDir(second.path()).absolutePath());

    // Saving exports elsewhere leaves the parameter folder alone.
    window_settings::RememberFolderOf(window_settings::kExportFolder, first.filePath("chart.png"));
    QCOMPARE(window_settings::LastFolder(window_settings::kExportFolder), QDir(first.path()).absolutePath());
    QCOMPARE(window_settings::LastFolder(window_settings::kParameterFolder), QDir(second.path()).absolutePath());
    // A folder removed since is forgotten.
    QVERIFY(first.remove());
    QVERIFY(window_settings::LastFolder(window_settings::kExportFolder).isEmpty());
  }

  void copyPutsTabSeparatedTextWithHeadingsOnTheClipboard() {
    // The task grid: a selection with its timestep and action headings.
    StringGridView* task = form->TaskFrame()->TaskGrid1;
    form->PageControl1()->setCurrentWidget(form->TaskTabSheet());
    task->selectionModel()->select(QItemSelection(task->model()->index(0, 1), task->model()->index(1, 2)),
                                   QItemSelectionModel::Select);
    QApplication::clipboard()->clear();
    task->setFocus();
    QTest::keySequence(task, QKeySequence::Copy);
    const QString corner = task->CellText(0, 0);
    QCOMPARE(QApplication::clipboard()->text(), QString("%1\t2\t3\n1\tN\tN\n2\tN\tN\n").arg(corner));

    // An agent grid, selected by the mouse: its headings and skill numbers.
    TFrame1* frame = form->Frame(1);
    form->PageControl1()->setCurrentWidget(form->AgentTabSheet());
    QApplication::processEvents();
    StringGridView* grid = frame->AgentGrid;
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(2, 1)).center());
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ShiftModifier,
                      grid->visualRect(grid->model()->index(3, 2)).center());
    // The click selected; it committed nothing.
    QVERIFY(messages.isEmpty());
    QApplication::clipboard()->clear();
    QTest::keySequence(grid, QKeySequence::Copy);
    const QString expected = QString("skill\tmot.\texp.\n3\t%1\t%2\n4\t%3\t%4\n")
                                 .arg(frame->Cell(2, 3), frame->Cell(3, 3), frame->Cell(2, 4), frame->Cell(3, 4));
    QCOMPARE(QApplication::clipboard()->text(), expected);
    QVERIFY(!frame->Cell(2, 3).isEmpty());
  }

  void tabLandsOnTheChosenRadioItem() {
    RadioGroup* fit = form->ProcesTabSheet()->FitNoFitRadioGroup();
    RadioGroup* newcomer = form->ProcesTabSheet()->NewcomerRadioGroup();
    RadioGroup* hiLo = form->ProcesTabSheet()->HiLoRadioGroup();
    hiLo->SetItemIndex(2);
    auto item = [](RadioGroup* group, int index) { return group->findChildren<QRadioButton*>().at(index); };
    item(fit, 0)->setFocus();
    QCOMPARE(QApplication::focusWidget(), item(fit, 0));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), item(newcomer, 1));  // "Specialist"
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), item(hiLo, 2));  // "High"
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    QCOMPARE(QApplication::focusWidget(), item(newcomer, 1));
    // The arrows choose within the group; Tab then leaves from the new item.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    QCOMPARE(newcomer->ItemIndex(), 2);
    QCOMPARE(QApplication::focusWidget(), item(newcomer, 2));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    QCOMPARE(QApplication::focusWidget(), item(fit, 0));
  }

  // Where the window's parts stand, in the window's coordinates, on every
  // tab: the controls that belong together, by object name.
  QHash<QString, QRect> PartsInPlace() {
    QHash<QString, QRect> places;
    auto keep = [&](QWidget* widget) {
      QVERIFY(widget);
      QVERIFY2(widget->isVisible(), qPrintable(widget->objectName()));
      places.insert(widget->objectName(), QRect(widget->mapTo(form.get(), QPoint(0, 0)), widget->size()));
    };
    auto named = [&](const char* name) { return form->findChild<QWidget*>(name); };
    for (int tab = 0; tab < form->PageControl1()->count(); ++tab) {
      form->PageControl1()->setCurrentIndex(tab);
      QApplication::processEvents();
      QWidget* sheet = form->PageControl1()->currentWidget();
      // The room the sheet gives its controls.
      places.insert(sheet->objectName(), QRect(sheet->mapTo(form.get(), QPoint(0, 0)), sheet->size()));
      if (sheet == form->AgentTabSheet()) {
        for (int k = 0; k < 3; ++k) keep(form->Frame(k));
      } else if (sheet == form->TaskTabSheet()) {
        for (const char* name : {"Label1", "Label2", "Label3", "TaskGrid1"}) keep(named(name));
      } else if (sheet == form->ParTabSheet()) {
        for (const char* name : {"ParPanel", "ParHint"}) keep(named(name));
      } else if (sheet == form->ProcesTabSheet()) {
        for (const char* name : {"FitNoFitRadioGroup", "HiLoRadioGroup", "DefineHint", "DefineButton",
                                 "RunDesignButton", "DesignLabel"}) {
          keep(named(name));
        }
      } else {
        for (int i = 0; i < 4; ++i) keep(form->TabSheet1()->AboutLabel(i));
      }
    }
    form->PageControl1()->setCurrentWidget(form->ProcesTabSheet());
    for (const char* name : {"TaskCheckBox", "Edit3", "TaskNote", "CycleCheckBox", "Edit2", "CycleNote",
                             "OKButton", "CancelButton", "StartButton", "StatusCommitted"}) {
      keep(named(name));
    }
    return places;
  }

  void maximisedWindowKeepsItsControlsTogether_data() {
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("maximise");
    // The screen of this test program is 1366 x 768; a larger window is
    // made by resizing it.
    QTest::newRow("maximised on 1366x768") << QSize() << true;
    QTest::newRow("1920x1200") << QSize(1920, 1200) << false;
  }

  void maximisedWindowKeepsItsControlsTogether() {
    QFETCH(QSize, size);
    QFETCH(bool, maximise);
    const QSize layoutSize = form->size();
    const QHash<QString, QRect> normal = PartsInPlace();
    if (QTest::currentTestFailed()) return;
    if (maximise) {
      form->showMaximized();
      const QSize room = form->screen()->availableGeometry().size();
      QTRY_COMPARE(form->frameGeometry().size(), room);
      size = form->size();
    } else {
      form->resize(size);
      QTRY_COMPARE(form->size(), size);
    }
    QVERIFY(size.width() > layoutSize.width() + 200 && size.height() > layoutSize.height() + 300);
    const QHash<QString, QRect> grown = PartsInPlace();
    if (QTest::currentTestFailed()) return;

    // Each part keeps its size, and its place beside the others of its group.
    auto offset = [](const QHash<QString, QRect>& places, const char* part, const char* from) {
      return places[part].topLeft() - places[from].topLeft();
    };
    const QList<QPair<const char*, QStringList>> groups = {
        {"Frame11", {"Frame12", "Frame13"}},
        {"TaskGrid1", {"Label1", "Label2", "Label3"}},
        {"ParPanel", {"ParHint"}},
        {"FitNoFitRadioGroup", {"HiLoRadioGroup", "DefineHint", "DefineButton", "RunDesignButton", "DesignLabel"}},
        {"AboutLabel1", {"AboutLabel2", "AboutLabel3", "AboutLabel4"}},
        {"CycleCheckBox",
         {"TaskCheckBox", "Edit3", "TaskNote", "Edit2", "CycleNote", "OKButton", "CancelButton", "StartButton",
          "StatusCommitted"}},
    };
    for (const auto& [anchor, parts] : groups) {
      for (const QString& part : parts) {
        const QByteArray name = part.toLatin1();
        // A label may take more width than its text needs (the notes that
        // wrap keep theirs, checked below); a frame grows taller only.
        bool sized = grown[name].size() == normal[name].size();
        if (qobject_cast<QLabel*>(form->findChild<QWidget*>(part))) sized = grown[name].height() == normal[name].height();
        if (part.startsWith("Frame1")) sized = grown[name].width() == normal[name].width();
        QVERIFY2(sized, qPrintable(QString("%1 changed its size").arg(part)));
        QCOMPARE(offset(grown, name.constData(), anchor), offset(normal, name.constData(), anchor));
      }
    }
    // The tab sheets' controls stay where they were within their sheets; the
    // strip stays at the window's left under the tabs.
    for (const char* anchor : {"Frame11", "TaskGrid1", "ParPanel", "FitNoFitRadioGroup", "AboutLabel1"}) {
      QCOMPARE(grown[anchor].topLeft(), normal[anchor].topLeft());
    }
    QCOMPARE(grown["CycleCheckBox"].left(), normal["CycleCheckBox"].left());
    QCOMPARE(grown["TaskNote"].width(), normal["TaskNote"].width());
    QCOMPARE(grown["CycleNote"].width(), normal["CycleNote"].width());
    QCOMPARE(grown["StartButton"].top() - grown["ProcesTabSheet"].bottom(),
             normal["StartButton"].top() - normal["ProcesTabSheet"].bottom());
    // The tabs take the room: the agent frames are as wide as before and show
    // more of their rows.
    QVERIFY(grown["ProcesTabSheet"].height() > normal["ProcesTabSheet"].height() + 300);
    QVERIFY(grown["ProcesTabSheet"].width() > normal["ProcesTabSheet"].width() + 200);
    QCOMPARE(grown["Frame11"].width(), normal["Frame11"].width());
    QVERIFY(grown["Frame11"].height() > normal["Frame11"].height());
  }

  void editsAreWideEnoughForTheirLargestValues() {
    struct Case {
      QLineEdit* edit;
      QString largest;
    };
    QList<Case> cases;
    for (int i = 0; i < davrel3::kFieldCount; ++i) {
      const auto field = static_cast<Field>(i);
      QLineEdit* edit = form->Panel().Edit(field);
      QVERIFY(edit);
      const UpDown* upDown = form->Panel().UpDownOf(field);
      QString largest = upDown ? QString::number(upDown->Max()) : QString("100");
      // The task settings and the entrance time come from files and the
      // design too: a run of 100000 timesteps.
      if (field == Field::Cycle || field == Field::EntTurnAgent || field == Field::NrOfTasks ||
          field == Field::Action || field == Field::Var || field == Field::Dur) {
        largest = "100000";
      }
      cases.append({edit, largest});
    }
    for (int k = 0; k < 6; ++k) cases.append({form->Frame(k)->AgentEdit, "100"});
    cases.append({form->Indicators()->Edit2(), "100000"});
    for (const Case& c : cases) {
      c.edit->setText(c.largest);
      c.edit->setCursorPosition(0);
      // The text area of a line edit: its width less frame and margins.
      const int room = c.edit->width() - 2 * 2 - c.edit->textMargins().left() - c.edit->textMargins().right() - 4;
      QVERIFY2(c.edit->fontMetrics().horizontalAdvance(c.largest) <= room,
               qPrintable(QString("%1: %2 in %3 pixels").arg(c.edit->objectName(), c.largest).arg(c.edit->width())));
    }
  }

  void conversionMessagesNameTheBoxAndWhatItTakes() {
    Retype(form->ParTabSheet()->ExpMaxEdit(), "1e5");
    QTest::mouseClick(form->Indicators()->OKButton(), Qt::LeftButton);
    QCOMPARE(messages,
             QStringList{"'1e5' is not a valid integer value. \"Expertise maximum\" takes a whole number, written with "
                         "digits only (no decimal point, exponent, spaces or letters); its arrows go from 0 to 100."});
    messages.clear();
    Retype(form->ParTabSheet()->ExpMaxEdit(), "99999999999");
    QTest::mouseClick(form->Indicators()->OKButton(), Qt::LeftButton);
    QCOMPARE(messages, QStringList{"'99999999999' is not a valid integer value. \"Expertise maximum\" is too large: "
                                   "whole numbers go from -2147483648 to 2147483647; its arrows go from 0 to 100."});
    messages.clear();
    // A space is not a digit either; a box the focus is not in is found too.
    form->ParTabSheet()->RestEdit()->setText(" 5");
    Retype(form->ParTabSheet()->ExpMaxEdit(), "25");
    form->Indicators()->OKButton()->setFocus();
    QTest::mouseClick(form->Indicators()->OKButton(), Qt::LeftButton);
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages[0].startsWith("' 5' is not a valid integer value. \"Rest Rate\" takes a whole number"),
             qPrintable(messages[0]));
    // Nothing was committed: START still runs the committed group.
    QVERIFY(form->Indicators()->StartButton()->isEnabled());
  }

  void fileNotesStandWholeOnTheStatusLine() {
    QTemporaryDir dir;
    const QString name = "parameters of the rotation condition, group B, second session.json";
    QVERIFY(form->Files().SaveParameters(dir.filePath(name)));
    auto* note = form->Status()->findChild<QLabel*>("StatusNote");
    QVERIFY(note);
    QApplication::processEvents();
    QCOMPARE(note->text(), QString("Saved %1").arg(name));
    QVERIFY2(ShowsAll(note), qPrintable(QString("%1 wide").arg(note->width())));
    QVERIFY(form->rect().contains(note->geometry().translated(note->parentWidget()->mapTo(form.get(), QPoint()))));

    QVERIFY(form->Files().OpenParameters(dir.filePath(name)));
    QApplication::processEvents();
    // The start-up group's levels came with the file.
    QCOMPARE(note->text(), QString("Loaded %1 with the levels of 6 agents of 5 skills: press OK or Define to commit")
                               .arg(name));
    QVERIFY2(ShowsAll(note), qPrintable(QString("%1x%2 wide, needs %3").arg(note->width()).arg(note->height()).arg(note->heightForWidth(note->width()))));
    // The warning of differing items, long as it is, stands whole too.
    form->ProcesTabSheet()->FitNoFitRadioGroup()->SetItemIndex(1);
    QApplication::processEvents();
    auto* differ = form->Status()->findChild<QLabel*>("StatusItemsDiffer");
    QVERIFY(differ && !differ->text().isEmpty());
    QVERIFY(ShowsAll(differ));
    QVERIFY(ShowsAll(note));
    // The whole window still inside a 768-pixel screen.
    QVERIFY(form->frameGeometry().height() <= 740);
    QCOMPARE(form->width(), 1094);
    // The menu bar keeps its own captions.
    QCOMPARE(form->MenuBar()->actions().first()->text(), QString("&File"));
  }
};

// The offscreen platform with one 1366x768 screen: the smallest the windows
// are made for.
int main(int argc, char* argv[]) {
  QTemporaryDir configDir;
  if (!configDir.isValid()) return 1;
  const QString config = configDir.filePath("screens.json");
  QFile file(config);
  if (!file.open(QIODevice::WriteOnly) ||
      file.write(R"({"screens": [{"name": "Screen1366", "x": 0, "y": 0, "width": 1366, "height": 768,
                  "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})") <= 0) {
    return 1;
  }
  file.close();
  qputenv("QT_QPA_PLATFORM", QByteArray("offscreen:configfile=") + QFile::encodeName(config));
  QApplication app(argc, argv);
  app.setAttribute(Qt::AA_Use96Dpi, true);
  MainWindowCommandsTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "test_main_window_commands.moc"
