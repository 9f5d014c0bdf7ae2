// The "Newcomers" tab (ProcesTabSheet): the experimental condition. Three
// radio groups ("Fit", "Newcomer", "Skills Newcomer"), the entrance panel
// (TurnoverPanel with the entrance-time edit EntTurnAgent), Define, and "Run
// design", which runs all 18 conditions beside the window's own model.
//
// Choosing a radio item does nothing by itself; the window reads the items
// when a button is pressed or a run reaches the newcomer's entrance.
#pragma once

#include <QWidget>

class QFrame;
class QLineEdit;
class QPushButton;
class RadioGroup;
class WidgetPanel;

class NewcomersTab : public QWidget {
  Q_OBJECT

 public:
  explicit NewcomersTab(QWidget* parent = nullptr);

  // Binds the three choices and the entrance controls to the panel.
  void BindTo(WidgetPanel& panel) const;

  RadioGroup* FitNoFitRadioGroup() const { return fitNoFit_; }
  RadioGroup* NewcomerRadioGroup() const { return newcomer_; }
  RadioGroup* HiLoRadioGroup() const { return hiLo_; }
  QFrame* TurnoverPanel() const { return turnoverPanel_; }
  QLineEdit* EntTurnAgent() const { return entTurnAgent_; }
  QPushButton* DefineButton() const { return defineButton_; }
  QPushButton* RunDesignButton() const { return runDesignButton_; }

 private:
  RadioGroup* fitNoFit_ = nullptr;
  RadioGroup* newcomer_ = nullptr;
  RadioGroup* hiLo_ = nullptr;
  QFrame* turnoverPanel_ = nullptr;
  QLineEdit* entTurnAgent_ = nullptr;
  QPushButton* defineButton_ = nullptr;
  QPushButton* runDesignButton_ = nullptr;
};
