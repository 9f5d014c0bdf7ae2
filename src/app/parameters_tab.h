// The "Parameters" tab (ParTabSheet): ParPanel with its four group panels
// "System", "Expertise", "Motivation" and "Tasks", one row per parameter:
// caption, edit and (all but "% Motivation ") up-down. The edits hold the
// parameter set; the tab keeps no other copy.
//
// The whole "Tasks" group and the "Equity" row are disabled; the edits of the
// "System" and "Tasks" groups take no typing, only their arrows.
#pragma once

#include <QWidget>
#include <array>

#include "model/parameter_panel.h"

class QFrame;
class QLabel;
class QLineEdit;
class UpDown;
class WidgetPanel;

class ParametersTab : public QWidget {
  Q_OBJECT

 public:
  explicit ParametersTab(QWidget* parent = nullptr);

  // Binds every edit and up-down of the tab to its field of the panel
  // (all fields but the entrance time, which the "Newcomers" tab holds).
  void BindTo(WidgetPanel& panel) const;

  // The edit and the up-down of a field; nullptr for the entrance time and
  // for the up-down "% Motivation " does not have.
  QLineEdit* Edit(davrel3::Field field) const { return edits_[static_cast<int>(field)]; }
  UpDown* UpDownOf(davrel3::Field field) const { return upDowns_[static_cast<int>(field)]; }

  QFrame* ParPanel() const { return parPanel_; }
  QFrame* SystemPanel() const { return systemPanel_; }
  QFrame* ExpPanel() const { return expPanel_; }
  QFrame* MotPanel() const { return motPanel_; }
  QFrame* TaskPanel() const { return taskPanel_; }
  QLabel* FairLabel() const { return fairLabel_; }

  // The controls by the names the window's layout gives them.
  QLineEdit* NrofAgEdit() const { return Edit(davrel3::Field::NrofAg); }
  QLineEdit* NrofSkillsEdit() const { return Edit(davrel3::Field::NrofSkills); }
  QLineEdit* InhParEdit() const { return Edit(davrel3::Field::InhPar); }
  QLineEdit* ExcParEdit() const { return Edit(davrel3::Field::ExcPar); }
  QLineEdit* ExpRateEdit() const { return Edit(davrel3::Field::ExpRate); }
  QLineEdit* MotRateEdit() const { return Edit(davrel3::Field::MotRate); }
  QLineEdit* LearnIntEdit() const { return Edit(davrel3::Field::LearnInt); }
  QLineEdit* ExpMaxEdit() const { return Edit(davrel3::Field::ExpMax); }
  QLineEdit* ExpThreshEdit() const { return Edit(davrel3::Field::ExpThresh); }
  QLineEdit* LearnSpeedEdit() const { return Edit(davrel3::Field::LearnSpeed); }
  QLineEdit* ForgetSpeedEdit() const { return Edit(davrel3::Field::ForgetSpeed); }
  QLineEdit* MotMaxEdit() const { return Edit(davrel3::Field::MotMax); }
  QLineEdit* MotThreshEdit() const { return Edit(davrel3::Field::MotThresh); }
  QLineEdit* BoreEdit() const { return Edit(davrel3::Field::Bore); }
  QLineEdit* RestEdit() const { return Edit(davrel3::Field::Rest); }
  QLineEdit* FairEdit() const { return Edit(davrel3::Field::Fair); }
  QLineEdit* NrOfTasksEdit() const { return Edit(davrel3::Field::NrOfTasks); }
  QLineEdit* CycleEdit() const { return Edit(davrel3::Field::Cycle); }
  QLineEdit* ActionEdit() const { return Edit(davrel3::Field::Action); }
  QLineEdit* VarEdit() const { return Edit(davrel3::Field::Var); }
  QLineEdit* DurEdit() const { return Edit(davrel3::Field::Dur); }
  UpDown* NrofAgUpDown() const { return UpDownOf(davrel3::Field::NrofAg); }
  UpDown* NrofSkillsUpDown() const { return UpDownOf(davrel3::Field::NrofSkills); }
  UpDown* InhParUpDown() const { return UpDownOf(davrel3::Field::InhPar); }
  UpDown* ExcParUpDown() const { return UpDownOf(davrel3::Field::ExcPar); }
  UpDown* ExpRateUpDown() const { return UpDownOf(davrel3::Field::ExpRate); }
  UpDown* LearnIntUpDown() const { return UpDownOf(davrel3::Field::LearnInt); }
  UpDown* ExpMaxUpDown() const { return UpDownOf(davrel3::Field::ExpMax); }
  UpDown* ExpThreshUpDown() const { return UpDownOf(davrel3::Field::ExpThresh); }
  UpDown* LearnSpeedUpDown() const { return UpDownOf(davrel3::Field::LearnSpeed); }
  UpDown* ForgetSpeedUpDown() const { return UpDownOf(davrel3::Field::ForgetSpeed); }
  UpDown* MotMaxUpDown() const { return UpDownOf(davrel3::Field::MotMax); }
  UpDown* MotThreshUpDown() const { return UpDownOf(davrel3::Field::MotThresh); }
  UpDown* BoreUpDown() const { return UpDownOf(davrel3::Field::Bore); }
  UpDown* RestUpDown() const { return UpDownOf(davrel3::Field::Rest); }
  UpDown* FairUpDown() const { return UpDownOf(davrel3::Field::Fair); }
  UpDown* NrOfTasksUpDown() const { return UpDownOf(davrel3::Field::NrOfTasks); }
  UpDown* CycleUpDown() const { return UpDownOf(davrel3::Field::Cycle); }
  UpDown* ActionUpDown() const { return UpDownOf(davrel3::Field::Action); }
  UpDown* VarUpDown() const { return UpDownOf(davrel3::Field::Var); }
  UpDown* DurUpDown() const { return UpDownOf(davrel3::Field::Dur); }

 private:
  struct Row;
  QLabel* AddRow(class QGridLayout* grid, int row, const Row& spec, int editWidth, QWidget* group);

  std::array<QLineEdit*, davrel3::kFieldCount> edits_{};
  std::array<UpDown*, davrel3::kFieldCount> upDowns_{};
  QFrame* parPanel_ = nullptr;
  QFrame* systemPanel_ = nullptr;
  QFrame* expPanel_ = nullptr;
  QFrame* motPanel_ = nullptr;
  QFrame* taskPanel_ = nullptr;
  QLabel* fairLabel_ = nullptr;
};
