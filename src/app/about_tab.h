// The "About" tab (TabSheet1): four text labels, the last carrying the
// program's credit line.
#pragma once

#include <QWidget>
#include <array>

class QLabel;

class AboutTab : public QWidget {
  Q_OBJECT

 public:
  explicit AboutTab(QWidget* parent = nullptr);

  // AboutLabel1 ... AboutLabel4, by index 0 ... 3.
  QLabel* AboutLabel(int index) const { return labels_[index]; }

 private:
  std::array<QLabel*, 4> labels_{};
};
