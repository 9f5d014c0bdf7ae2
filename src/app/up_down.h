// An up-down: a pair of arrow buttons bound to a QLineEdit that holds a whole
// number as text.
//
// The arrows step the up-down's own Position by 1 within Min..Max, stop at the
// ends (no wrap-around), write the Position into the edit as decimal text and
// then emit Click, also when the value stayed at an end. The edit's text is
// never checked, clamped or rejected: a typed number outside the range stays
// as typed and is the value whoever reads the edit sees. SetPosition moves the
// up-down only; it never rewrites the edit.
//
// Up and Down on the keyboard in the bound edit act as the arrows, while the
// up-down is enabled (so also in an edit that takes no typing).
#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

class UpDown : public QWidget {
  Q_OBJECT

 public:
  enum class Direction { Up, Down };

  UpDown(QLineEdit* associate, int min, int max, int position, QWidget* parent = nullptr);

  QLineEdit* Associate() const { return associate_; }
  int Min() const { return min_; }
  int Max() const { return max_; }
  int Position() const { return position_; }

  // A new range pulls the position into it.
  void SetMax(int max);
  void SetMin(int min);
  // Moves the up-down only, kept within Min..Max; the edit is left alone.
  void SetPosition(int position);

  // What a press on an arrow does.
  void ClickUp() { Step(Direction::Up); }
  void ClickDown() { Step(Direction::Down); }

 signals:
  // After an arrow has written the position into the edit.
  void Click(UpDown::Direction direction);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Step(Direction direction);

  QLineEdit* associate_;
  QToolButton* upButton_;
  QToolButton* downButton_;
  int min_;
  int max_;
  int position_;
};
