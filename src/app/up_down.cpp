#include "up_down.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace {

QToolButton* MakeArrow(Qt::ArrowType arrow, QWidget* parent) {
  auto* button = new QToolButton(parent);
  button->setArrowType(arrow);
  button->setAutoRepeat(true);
  button->setFocusPolicy(Qt::NoFocus);
  button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
  button->setFixedWidth(15);
  return button;
}

}  // namespace

UpDown::UpDown(QLineEdit* associate, int min, int max, int position, QWidget* parent)
    : QWidget(parent), associate_(associate), min_(min), max_(max), position_(position) {
  upButton_ = MakeArrow(Qt::UpArrow, this);
  downButton_ = MakeArrow(Qt::DownArrow, this);
  upButton_->setObjectName("up");
  downButton_->setObjectName("down");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(upButton_);
  layout->addWidget(downButton_);
  setFixedWidth(15);
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  connect(upButton_, &QToolButton::clicked, this, [this] { ClickUp(); });
  connect(downButton_, &QToolButton::clicked, this, [this] { ClickDown(); });
  if (associate_) {
    associate_->installEventFilter(this);
    setFixedHeight(associate_->sizeHint().height());
  }
  SetPosition(position);
}

void UpDown::SetMax(int max) {
  max_ = max;
  SetPosition(position_);
}

void UpDown::SetMin(int min) {
  min_ = min;
  SetPosition(position_);
}

void UpDown::SetPosition(int position) {
  position_ = std::max(min_, std::min(max_, position));
}

void UpDown::Step(Direction direction) {
  if (direction == Direction::Up && position_ < max_) ++position_;
  if (direction == Direction::Down && position_ > min_) --position_;
  if (associate_) associate_->setText(QString::number(position_));
  emit Click(direction);
}

bool UpDown::eventFilter(QObject* watched, QEvent* event) {
  if (watched == associate_ && event->type() == QEvent::KeyPress && isEnabled()) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Up || key == Qt::Key_Down) {
      Step(key == Qt::Key_Up ? Direction::Up : Direction::Down);
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}
