#include "allocation_page.h"

#include <QGridLayout>
#include <QLabel>

#include "string_grid.h"

namespace {

constexpr int kColumnWidth = 30;
constexpr int kRowHeight = 20;

QLabel* PlainLabel(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setTextFormat(Qt::PlainText);
  return label;
}

}  // namespace

AllocationPage::AllocationPage(davrel3::TextGrid& grid, QWidget* parent) : QWidget(parent) {
  auto* layout = new QGridLayout(this);
  layout->setContentsMargins(4, 2, 4, 4);
  layout->setHorizontalSpacing(8);
  layout->setVerticalSpacing(2);
  auto* model = new TextGridModel(TextGridModel::Headings::AsHeaders, this);
  model->SetGrid(&grid);
  grid_ = new StringGridView(model, kColumnWidth, kRowHeight);
  grid_->setObjectName(QStringLiteral("AllocationGrid"));
  grid_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  grid_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  layout->addWidget(PlainLabel(QStringLiteral("Action"), this), 0, 0, Qt::AlignVCenter);
  layout->addWidget(grid_, 0, 1);
  layout->addWidget(PlainLabel(QStringLiteral("Timestep/Agent"), this), 1, 1, Qt::AlignLeft);
  layout->setColumnStretch(1, 1);
  layout->setRowStretch(0, 1);
}

void AllocationPage::Refresh() { grid_->GridModel()->Rebuilt(); }
