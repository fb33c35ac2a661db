#include "ui/dialogs/working_dialogs.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/dialogs/centre.h"

namespace bridgit::ui {

namespace {
constexpr int kLookingShift = 20;  // the search window sits a little left of centre

// A bar that moves to and fro: this program's stand-in for the system's
// copy and search animations.
QProgressBar* Animation(QWidget* parent) {
  auto* a = new QProgressBar(parent);
  a->setObjectName("animation");
  a->setRange(0, 0);
  a->setTextVisible(false);
  a->setMaximumHeight(12);
  return a;
}
}  // namespace

TFCmndStatus::TFCmndStatus(QWidget* mainWindow) : TShowingDialog(mainWindow), main_(mainWindow) {
  setObjectName("FCmndStatus");
  setWindowTitle("Calculator is Working");
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::CustomizeWindowHint);
  auto* memPrompt = new QLabel(
      "The calculator is busy, please wait for it to complete\n"
      "the commands.\n\n"
      "You may press CANCEL to stop the PC side of the \n"
      "connection but the calculator will continue on its own.",
      this);
  memPrompt->setObjectName("memPrompt");
  auto* cancelButton = new QPushButton(tr("Cancel"), this);
  cancelButton->setObjectName("cancelButton");
  cancelButton->setDefault(true);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Animation(this));
  layout->addWidget(memPrompt);
  layout->addWidget(cancelButton, 0, Qt::AlignCenter);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  connect(cancelButton, &QPushButton::clicked, this, &TFCmndStatus::reject);
}

void TFCmndStatus::ShowWorking() {
  show();
  raise();
}

void TFCmndStatus::showEvent(QShowEvent* e) {
  CentreOver(this, main_);
  TShowingDialog::showEvent(e);
  if (auto* b = findChild<QPushButton*>("cancelButton")) b->setFocus();
}

void TFCmndStatus::reject() {
  cancelled_ = true;
  QDialog::reject();
}

TFCnctStatus::TFCnctStatus(QWidget* mainWindow) : TShowingDialog(mainWindow), main_(mainWindow) {
  setObjectName("FCnctStatus");
  setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
  auto* lblLooking = new QLabel("Looking for Calculator", this);
  lblLooking->setObjectName("lblLooking");
  lblLooking->setAlignment(Qt::AlignCenter);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Animation(this));
  layout->addWidget(lblLooking);
  resize(220, 70);
}

void TFCnctStatus::ShowLooking() {
  show();
  CentreOver(this, main_);
  move(x() - kLookingShift, y());
  QCoreApplication::processEvents();  // painted before the search blocks the loop
}

}  // namespace bridgit::ui
