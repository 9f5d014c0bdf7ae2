#include "work_time_page.h"

#include <QGridLayout>
#include <QLabel>

#include "string_grid.h"
#include "work_time_view.h"

namespace {

constexpr int kColumnWidth = 55;
constexpr int kRowHeight = 20;

QLabel* PlainLabel(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setTextFormat(Qt::PlainText);
  return label;
}

}  // namespace

WorkTimePage::WorkTimePage(const davrel3::TextGrid& model, QWidget* parent)
    : QWidget(parent), model_(model), shown_(work_time_view::WorkTimeView(model)) {
  auto* layout = new QGridLayout(this);
  layout->setContentsMargins(4, 2, 4, 4);
  layout->setHorizontalSpacing(8);
  layout->setVerticalSpacing(2);

  auto* gridModel = new TextGridModel(TextGridModel::Headings::AsHeaders, this);
  gridModel->SetGrid(&shown_);
  grid_ = new StringGridView(gridModel, kColumnWidth, kRowHeight);
  grid_->setObjectName(QStringLiteral("WorkTimeGrid"));
  // The table takes the room its cells need, and scrolls when the page is
  // too small for it.
  grid_->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
  grid_->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Maximum);

  layout->addWidget(PlainLabel(QStringLiteral("task"), this), 0, 1, Qt::AlignHCenter);
  layout->addWidget(PlainLabel(QStringLiteral("agent"), this), 1, 0, Qt::AlignTop);
  layout->addWidget(grid_, 1, 1, Qt::AlignLeft | Qt::AlignTop);

  auto* legend = new QGridLayout;
  legend->setHorizontalSpacing(12);
  legend->setVerticalSpacing(6);
  legend->setRowStretch(0, 1);
  legend->addWidget(PlainLabel(QStringLiteral("Slow: Performance time of slowest agent (as used in article)"), this),
                    1, 0);
  legend->addWidget(PlainLabel(QStringLiteral("Sum: Total Performance time (as used in article)"), this), 2, 0);
  legend->addWidget(PlainLabel(QStringLiteral("MeanNoFit: Mean Performance time in No Fit condtitions"), this), 3, 0);
  legend->addWidget(PlainLabel(QStringLiteral("(No significance in Fit conditions)"), this), 3, 1);
  legend->addWidget(PlainLabel(QStringLiteral("MeanFit: Mean Performance time in Fit conditions"), this), 4, 0);
  legend->addWidget(PlainLabel(QStringLiteral("(No significance in No Fit conditions)"), this), 4, 1);
  legend->setColumnStretch(2, 1);
  layout->addLayout(legend, 1, 2);
  layout->setColumnStretch(2, 1);
  layout->setRowStretch(2, 1);
}

void WorkTimePage::Refresh() {
  shown_ = work_time_view::WorkTimeView(model_);
  grid_->GridModel()->Rebuilt();
  grid_->updateGeometry();
}
