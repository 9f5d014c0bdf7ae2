// "Run design" from the main window: starts the 18 conditions on worker
// threads from the texts the edits hold now, shows their progress in a
// dialog the user may cancel, and opens the "Design results" window when all
// are done. The window's own committed model is never touched.
#pragma once

#include <QObject>
#include <QString>
#include <functional>

class DesignResultsWindow;
class DesignRunner;
class QProgressDialog;
class QPushButton;
class QWidget;
class WidgetPanel;
struct DesignResult;

class DesignControl : public QObject {
  Q_OBJECT

 public:
  using MessageFunction = std::function<void(const QString& text)>;

  // `runButton` is disabled while a design runs; a refusal is shown with
  // `showMessage`.
  DesignControl(QWidget* window, QPushButton* runButton, WidgetPanel& panel, MessageFunction showMessage);

  void RunDesignButtonClick();
  DesignRunner* Runner() const { return runner_; }
  // Created by the first design run that finishes.
  DesignResultsWindow* DesignResults() const { return results_; }

 private:
  void Progress(int done, int total);
  void Finished(const DesignResult& result);
  void Stopped();

  QWidget* window_;
  QPushButton* runButton_;
  WidgetPanel& panel_;
  MessageFunction showMessage_;
  DesignRunner* runner_ = nullptr;
  QProgressDialog* progress_ = nullptr;
  DesignResultsWindow* results_ = nullptr;
};
