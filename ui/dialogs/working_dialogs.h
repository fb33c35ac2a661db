// The two windows shown while the PC waits on the calculator:
// TFCmndStatus ("Calculator is Working", with Cancel) while a command runs,
// TFCnctStatus ("Looking for Calculator") while a connection is sought.
#pragma once

#include <QDialog>
#include <atomic>

namespace bridgit::ui {

class TFCmndStatus : public QDialog {
 public:
  explicit TFCmndStatus(QWidget* mainWindow);
  // Shown modelessly; Cancel sets the flag and closes the window.
  void ShowWorking();
  void ResetCancel() { cancelled_ = false; }
  bool Cancelled() const { return cancelled_; }
  bool Showing() const { return showing_; }

 protected:
  void showEvent(QShowEvent* e) override;
  void hideEvent(QHideEvent* e) override;
  void reject() override;

 private:
  QWidget* main_;
  std::atomic<bool> cancelled_{false};
  std::atomic<bool> showing_{false};
};

class TFCnctStatus : public QDialog {
 public:
  explicit TFCnctStatus(QWidget* mainWindow);
  void ShowLooking();
  bool Showing() const { return showing_; }

 protected:
  void hideEvent(QHideEvent* e) override;

 private:
  QWidget* main_;
  std::atomic<bool> showing_{false};
};

}  // namespace bridgit::ui
