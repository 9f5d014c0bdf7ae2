#include "status_line.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QStringList>
#include <QVBoxLayout>

#include "model/parameter_panel.h"

namespace status_text {

QString ConditionText(int fit, int newcomer, int hiLo) {
  auto item = [](davrel3::Choice choice, int index) {
    if (index < 0 || index >= davrel3::ChoiceItemCount(choice)) return QString("none");
    const std::string_view name = davrel3::ChoiceItems(choice)[index];
    return QString::fromUtf8(name.data(), static_cast<int>(name.size()));
  };
  return QString("%1, %2, %3")
      .arg(item(davrel3::Choice::FitNoFit, fit), item(davrel3::Choice::Newcomer, newcomer),
           item(davrel3::Choice::HiLo, hiLo));
}

QString RunSummaryText(const davrel3::RunOutcome& outcome) {
  const std::string_view status = davrel3::RunStatusName(outcome.status);
  QString text = QString("Last run: %1").arg(QString::fromUtf8(status.data(), static_cast<int>(status.size())));
  if (outcome.timesteps.size() == 1) {
    const long long steps = outcome.timesteps.front();
    text += QString(", %1 timestep%2").arg(steps).arg(steps == 1 ? "" : "s");
  } else if (!outcome.timesteps.empty()) {
    QStringList counts;
    for (long long steps : outcome.timesteps) counts << QString::number(steps);
    text += QString(", timesteps per task %1").arg(counts.join(", "));
  }
  return text;
}

}  // namespace status_text

namespace {

QLabel* Part(const QString& name, bool warning, QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setObjectName(name);
  label->setTextFormat(Qt::PlainText);
  label->setVisible(false);
  if (warning) {
    QPalette red = label->palette();
    red.setColor(QPalette::WindowText, QColor(170, 0, 0));
    label->setPalette(red);
  }
  return label;
}

void SetPart(QLabel* label, const QString& text) {
  label->setText(text);
  label->setVisible(!text.isEmpty());
}

}  // namespace

StatusLine::StatusLine(QWidget* parent) : QWidget(parent) {
  setObjectName("StatusLine");
  committed_ = Part("StatusCommitted", false, this);
  run_ = Part("StatusRun", false, this);
  differ_ = Part("StatusItemsDiffer", true, this);
  extra_ = Part("StatusExtraWarning", true, this);
  note_ = Part("StatusNote", false, this);
  // Long texts (a warning, a file name) wrap instead of widening the window
  // or being cut.
  differ_->setWordWrap(true);
  extra_->setWordWrap(true);
  note_->setWordWrap(true);
  // The committed group and the last run share the first row; each warning
  // and the note take a row of their own, the whole width, so that they are
  // never cut.
  auto* first = new QHBoxLayout;
  first->setContentsMargins(0, 0, 0, 0);
  first->setSpacing(18);
  first->addWidget(committed_);
  first->addWidget(run_);
  first->addStretch(1);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(16, 2, 8, 2);
  layout->setSpacing(2);
  layout->addLayout(first);
  for (QLabel* label : {differ_, extra_, note_}) layout->addWidget(label);
}

void StatusLine::SetCommitted(const QString& text) { SetPart(committed_, text); }
void StatusLine::SetRunSummary(const QString& text) { SetPart(run_, text); }
void StatusLine::SetItemsDiffer(const QString& text) { SetPart(differ_, text); }
void StatusLine::SetExtraWarning(const QString& text) { SetPart(extra_, text); }
void StatusLine::SetNote(const QString& text) { SetPart(note_, text); }

QString StatusLine::Committed() const { return committed_->text(); }
QString StatusLine::RunSummary() const { return run_->text(); }
QString StatusLine::ItemsDiffer() const { return differ_->text(); }
QString StatusLine::ExtraWarning() const { return extra_->text(); }
QString StatusLine::Note() const { return note_->text(); }

QString StatusLine::Text() const {
  QStringList parts;
  for (const QLabel* label : {committed_, run_, differ_, extra_, note_}) {
    if (!label->text().isEmpty()) parts << label->text();
  }
  return parts.join("  |  ");
}
