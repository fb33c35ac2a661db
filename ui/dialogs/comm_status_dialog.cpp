#include "ui/dialogs/comm_status_dialog.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/dialogs/centre.h"
#include "ui/main/main_texts.h"

namespace bridgit::ui {

TFCmStatus::TFCmStatus(QWidget* parent) : QDialog(parent) {
  setObjectName("FCmStatus");
  setModal(true);
  auto* layout = new QVBoxLayout(this);
  lblRun = new QLabel(this);
  lblRun->setObjectName("lblRun");
  barRun = new QProgressBar(this);
  barRun->setObjectName("barRun");
  layout->addWidget(lblRun);
  layout->addWidget(barRun);
  ProgressBar2 = new QProgressBar(this);
  ProgressBar2->setObjectName("ProgressBar2");
  Label1 = new QLabel(this);
  Label1->setObjectName("Label1");
  Label1->setAlignment(Qt::AlignCenter);
  Label1->setWordWrap(true);
  Label1->setMinimumSize(161, 57);
  BitBtn1 = new QPushButton(tr("Cancel"), this);
  BitBtn1->setObjectName("BitBtn1");
  layout->addWidget(ProgressBar2);
  layout->addWidget(Label1);
  layout->addWidget(BitBtn1, 0, Qt::AlignCenter);
  connect(BitBtn1, &QPushButton::clicked, this, &TFCmStatus::reject);
}

TModalResult TFCmStatus::ShowCommStatus(const std::string& caption, bool cancelVisible) {
  if (!state_.Open(caption, cancelVisible)) return state_.result();
  Sync();
  CentreOver(this, parentWidget());
  exec();  // the transfer thread's hand-overs run in this loop
  return state_.result();
}

void TFCmStatus::UpdateCommStatus(const std::string& text, int kind, int maximum, int position) {
  const bool wasVisible = state_.visible();
  state_.Update(text, kind, maximum, position);
  Sync();
  if (wasVisible && !state_.visible()) done(state_.result());
}

void TFCmStatus::reject() {
  if (runCount_ > 0 && !stopRequested_ && state_.cancelEnabled()) {
    stopRequested_ = true;  // the object on its way arrives whole
    Sync();
    return;
  }
  if (state_.RequestCancel()) done(kModalCancel);
}

void TFCmStatus::StartObject(int index, int count, const std::string& name) {
  runCount_ = count;
  lblRun->setText(QString::fromStdString(ObjectOfRun(index, count, name)));
  barRun->setMaximum(count);
  barRun->setValue(index - 1);
  Sync();
}

void TFCmStatus::EndRun() {
  runCount_ = 0;
  stopRequested_ = false;
  Sync();
}

void TFCmStatus::Sync() {
  setWindowTitle(QString::fromStdString(state_.caption()));
  Label1->setText(QString::fromStdString(state_.message()).replace("\r\n", "\n"));
  ProgressBar2->setMaximum(std::max(1, state_.maximum()));
  ProgressBar2->setValue(std::min(state_.position(), std::max(1, state_.maximum())));
  lblRun->setVisible(runCount_ > 0);
  barRun->setVisible(runCount_ > 0);
  if (stopRequested_) lblRun->setText(QString::fromStdString(kStoppingAfterObject));
  BitBtn1->setText(stopRequested_ ? tr("Stop &Now") : tr("Cancel"));
  BitBtn1->setVisible(state_.cancelVisible());
  BitBtn1->setEnabled(state_.cancelEnabled());
}

}  // namespace bridgit::ui
