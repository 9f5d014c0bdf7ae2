// The strip below the main window's page control: the step-through indicator
// check boxes with their display edits and notes, and the Default, OK, Cancel
// and START buttons. It also holds the indicator controls the window never
// shows, which therefore always read as unticked and empty.
#pragma once

#include <QWidget>

class QCheckBox;
class QLineEdit;
class QPushButton;

class IndicatorStrip : public QWidget {
  Q_OBJECT

 public:
  explicit IndicatorStrip(QWidget* parent = nullptr);

  QCheckBox* TaskCheckBox() const { return taskCheckBox_; }
  QLineEdit* Edit3() const { return edit3_; }
  QCheckBox* CycleCheckBox() const { return cycleCheckBox_; }
  QLineEdit* Edit2() const { return edit2_; }
  QPushButton* DefaultButton() const { return defaultButton_; }
  QPushButton* OKButton() const { return okButton_; }
  QPushButton* CancelButton() const { return cancelButton_; }
  QPushButton* StartButton() const { return startButton_; }
  // Never shown.
  QCheckBox* ProcesBox() const { return procesBox_; }
  QLineEdit* Edit1() const { return edit1_; }
  QCheckBox* AllCheckBox() const { return allCheckBox_; }
  QCheckBox* PerfCheckBox() const { return perfCheckBox_; }
  QCheckBox* InflCheckBox() const { return inflCheckBox_; }
  QCheckBox* AgVariationCheckBox() const { return agVariationCheckBox_; }
  QLineEdit* CountEdit() const { return countEdit_; }

 private:
  void CreateHiddenControls();

  QCheckBox* taskCheckBox_ = nullptr;
  QLineEdit* edit3_ = nullptr;
  QCheckBox* cycleCheckBox_ = nullptr;
  QLineEdit* edit2_ = nullptr;
  QPushButton* defaultButton_ = nullptr;
  QPushButton* okButton_ = nullptr;
  QPushButton* cancelButton_ = nullptr;
  QPushButton* startButton_ = nullptr;
  QCheckBox* procesBox_ = nullptr;
  QLineEdit* edit1_ = nullptr;
  QCheckBox* allCheckBox_ = nullptr;
  QCheckBox* perfCheckBox_ = nullptr;
  QCheckBox* inflCheckBox_ = nullptr;
  QCheckBox* agVariationCheckBox_ = nullptr;
  QLineEdit* countEdit_ = nullptr;
};
