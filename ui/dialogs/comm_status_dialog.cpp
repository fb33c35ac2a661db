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
  progressBar = new QProgressBar(this);
  progressBar->setObjectName("progressBar");
  statusLabel = new QLabel(this);
  statusLabel->setObjectName("statusLabel");
  statusLabel->setAlignment(Qt::AlignCenter);
  statusLabel->setWordWrap(true);
  statusLabel->setMinimumSize(161, 57);
  cancelButton = new QPushButton(tr("Cancel"), this);
  cancelButton->setObjectName("cancelButton");
  layout->addWidget(progressBar);
  layout->addWidget(statusLabel);
  layout->addWidget(cancelButton, 0, Qt::AlignCenter);
  connect(cancelButton, &QPushButton::clicked, this, &TFCmStatus::reject);
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
  statusLabel->setText(QString::fromStdString(state_.message()).replace("\r\n", "\n"));
  progressBar->setMaximum(std::max(1, state_.maximum()));
  progressBar->setValue(std::min(state_.position(), std::max(1, state_.maximum())));
  lblRun->setVisible(runCount_ > 0);
  barRun->setVisible(runCount_ > 0);
  if (stopRequested_) lblRun->setText(QString::fromStdString(kStoppingAfterObject));
  cancelButton->setText(stopRequested_ ? tr("Stop &Now") : tr("Cancel"));
  cancelButton->setVisible(state_.cancelVisible());
  cancelButton->setEnabled(state_.cancelEnabled());
}

}  // namespace bridgit::ui
