#include "agent_tab.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include "DV3Newcomer2009Agent.h"
#include "window_style.h"

using namespace window_style;

AgentTab::AgentTab(QWidget* parent) : QWidget(parent) {
  setObjectName("AgentTabSheet");
  agentPanel_ = MakePanel("AgentPanel", this, palette().color(QPalette::Button));
  agentPanel_->setFrameShape(QFrame::NoFrame);

  auto* frames = new QHBoxLayout;
  frames->setContentsMargins(8, 0, 8, 0);
  frames->setSpacing(13);
  for (int k = 0; k < 6; ++k) {
    frames_[k] = new TFrame1(agentPanel_);
    frames_[k]->setObjectName(QString("Frame1%1").arg(k + 1));
    // The newcomer's frame stands apart from the group's.
    if (k == 5) frames->addSpacing(40);
    frames->addWidget(frames_[k]);
  }
  frames->addStretch(1);

  agentLegend_ = MakeLabel(
      "Expertise and motivational values of agents at each timestep.  The values of agent 6, the newcomer, are "
      "visible after he/she enters the group.",
      agentPanel_, "AgentLegend");
  auto* panelLayout = new QVBoxLayout(agentPanel_);
  panelLayout->setContentsMargins(0, 0, 0, 4);
  panelLayout->setSpacing(4);
  panelLayout->addLayout(frames, 1);
  auto* legendRow = new QHBoxLayout;
  legendRow->setContentsMargins(16, 0, 0, 0);
  legendRow->addWidget(agentLegend_);
  legendRow->addStretch(1);
  panelLayout->addLayout(legendRow);

  // The six frames with every column are wider than the tab: the panel
  // scrolls sideways, and fills the tab when the window is wider.
  scrollArea_ = new QScrollArea(this);
  scrollArea_->setObjectName("AgentScrollArea");
  scrollArea_->setFrameShape(QFrame::NoFrame);
  scrollArea_->setWidgetResizable(true);
  scrollArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  scrollArea_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  scrollArea_->setWidget(agentPanel_);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(scrollArea_);
}

void AgentTab::ScrollToFrame(int index) { scrollArea_->ensureWidgetVisible(frames_[index], 0, 0); }

void AgentTab::ShowStatesAgents() {
  for (int k = 1; k <= 6; ++k) frames_[k - 1]->ShowAgent(k);
}

void AgentTab::PrepareFrame(int index, int skills) {
  frames_[index]->show();
  frames_[index]->MakeGrid(skills);
}

void AgentTab::HideFramesFromThird() {
  for (int k = 2; k < 6; ++k) frames_[k]->hide();
}

void AgentTab::SetTall(bool tall) {
  agentPanelHeight_ = tall ? 385 : 201;
  // The legend lies below the 201-pixel panel and comes into view with the
  // taller one.
  agentLegend_->setVisible(tall);
}
