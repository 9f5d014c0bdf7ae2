#include "about_tab.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "window_style.h"

using namespace window_style;

AboutTab::AboutTab(QWidget* parent) : QWidget(parent) {
  setObjectName("TabSheet1");
  const QStringList texts = {"  ", "", "Please report any comments, bugs, etc.., to the author.",
                             "Davrel3 - a simulation of task allocation in self-organising work groups"};
  auto* layout = SheetLayout(this);
  layout->setContentsMargins(16, 24, 8, 12);
  layout->setSpacing(0);
  for (int i = 0; i < 4; ++i) {
    labels_[i] = MakeLabel(texts[i], this, QString("AboutLabel%1").arg(i + 1));
    labels_[i]->setFont(PixelFont(13));
    labels_[i]->setFixedHeight(24);
  }
  for (int i = 0; i < 3; ++i) layout->addWidget(labels_[i]);
  layout->addStretch(1);
  auto* credit = new QHBoxLayout;
  credit->addSpacing(448);
  credit->addWidget(labels_[3]);
  credit->addStretch(1);
  layout->addLayout(credit);
}
