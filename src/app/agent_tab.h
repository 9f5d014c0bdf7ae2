// The "Agent" tab (AgentTabSheet): AgentPanel holding the six agent frames
// Frame11 ... Frame16 (frame k meant for agent k, the sixth set apart for the
// newcomer) and, when four or more agents are laid out, the legend below them.
// The panel sits in a scroll area: every frame shows all its columns, so the
// six frames together are wider than the window at its first size.
#pragma once

#include <QWidget>
#include <array>

class QFrame;
class QLabel;
class QScrollArea;
class TFrame1;

class AgentTab : public QWidget {
  Q_OBJECT

 public:
  explicit AgentTab(QWidget* parent = nullptr);

  // MakeAgentGrids for `agents` agents of `skills` skills: frames 1 and 2
  // always, frame k from k agents on, each prepared for the skills. The
  // counts are functions so that each use reads its edit afresh.
  template <typename ReadAgents, typename ReadSkills>
  void MakeAgentGrids(ReadAgents agents, ReadSkills skills);
  // ShowStatesAgents: frame k shows agent k.
  void ShowStatesAgents();

  QFrame* AgentPanel() const { return agentPanel_; }
  // Frame11 ... Frame16, by index 0 ... 5.
  TFrame1* Frame(int index) const { return frames_[index]; }
  const std::array<TFrame1*, 6>& Frames() const { return frames_; }
  QLabel* AgentLegend() const { return agentLegend_; }
  QScrollArea* ScrollArea() const { return scrollArea_; }
  // Scrolls the panel so that frame `index` is in view.
  void ScrollToFrame(int index);
  // The height AgentPanel would have on the fixed layout: 201, or 385 (legend
  // in view) from four agents on.
  int AgentPanelHeight() const { return agentPanelHeight_; }

 private:
  void PrepareFrame(int index, int skills);
  void HideFramesFromThird();
  void SetTall(bool tall);

  QFrame* agentPanel_ = nullptr;
  QScrollArea* scrollArea_ = nullptr;
  std::array<TFrame1*, 6> frames_{};
  QLabel* agentLegend_ = nullptr;
  int agentPanelHeight_ = 201;
};

template <typename ReadAgents, typename ReadSkills>
void AgentTab::MakeAgentGrids(ReadAgents agents, ReadSkills skills) {
  SetTall(false);
  HideFramesFromThird();
  PrepareFrame(0, skills());
  PrepareFrame(1, skills());
  for (int k = 2; k < 6; ++k) {
    if (agents() <= k) break;
    if (k == 3) SetTall(true);
    PrepareFrame(k, skills());
  }
}
