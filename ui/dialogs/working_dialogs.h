// The two windows shown while the PC waits on the calculator:
// TFCmndStatus ("Calculator is Working", with Cancel) while a command runs,
// TFCnctStatus ("Looking for Calculator") while a connection is sought.
#pragma once

#include <atomic>

#include "ui/dialogs/showing_dialog.h"

namespace bridgit::ui {

class TFCmndStatus : public TShowingDialog {
 public:
  explicit TFCmndStatus(QWidget* mainWindow);
  // Shown modelessly; Cancel sets the flag and closes the window.
  void ShowWorking();
  void ResetCancel() { cancelled_ = false; }
  bool Cancelled() const { return cancelled_; }

 protected:
  void showEvent(QShowEvent* e) override;
  void reject() override;

 private:
  QWidget* main_;
  std::atomic<bool> cancelled_{false};
};

class TFCnctStatus : public TShowingDialog {
 public:
  explicit TFCnctStatus(QWidget* mainWindow);
  void ShowLooking();

 private:
  QWidget* main_;
};

}  // namespace bridgit::ui
