#include "DV3Newcomer2009Task.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>

TTaskFrame::TTaskFrame(QWidget* parent) : QFrame(parent) {
  model_ = new TextGridModel(TextGridModel::Headings::AsHeaders, this);
  TaskGrid1 = new StringGridView(model_, kColumnWidth, kRowHeight, this);
  TaskGrid1->setObjectName("TaskGrid1");
  TaskGrid1->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  TaskGrid1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  TaskGrid1->setFixedSize(1010, 169);

  Label1 = new QLabel("actions", this);
  Label1->setObjectName("Label1");
  Label2 = new QLabel("cycles", this);
  Label2->setObjectName("Label2");
  Label3 = new QLabel(
      "Timestep/Agent                              Part of the task that has been performed at a specfic "
      "timestep by a specific agent.",
      this);
  Label3->setObjectName("Label3");

  auto* layout = new QGridLayout(this);
  layout->setContentsMargins(4, 0, 4, 4);
  layout->setHorizontalSpacing(6);
  layout->setVerticalSpacing(2);
  // "cycles" stands over the grid's first columns, after the heading column.
  auto* cyclesRow = new QHBoxLayout;
  cyclesRow->addSpacing(128);
  cyclesRow->addWidget(Label2);
  cyclesRow->addStretch(1);
  layout->addLayout(cyclesRow, 0, 1);
  layout->addWidget(Label1, 1, 0, Qt::AlignVCenter);
  layout->addWidget(TaskGrid1, 1, 1);
  layout->addWidget(Label3, 2, 1, Qt::AlignLeft);
  layout->setColumnStretch(2, 1);
  layout->setRowStretch(3, 1);
  Label3->setContentsMargins(32, 0, 0, 0);
}

void TTaskFrame::SetGrid(davrel3::TextGrid* grid) { model_->SetGrid(grid); }

void TTaskFrame::GridRebuilt() { model_->Rebuilt(); }

void TTaskFrame::CellWritten(long long column, long long row) { model_->CellWritten(column, row); }
