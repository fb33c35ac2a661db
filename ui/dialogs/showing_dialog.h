// A dialog whose visibility other threads may ask about: the flag follows the
// show and hide events, so a worker thread never touches the widget itself.
#pragma once

#include <QDialog>
#include <atomic>

namespace bridgit::ui {

class TShowingDialog : public QDialog {
 public:
  using QDialog::QDialog;
  bool Showing() const { return showing_; }

 protected:
  void showEvent(QShowEvent* e) override {
    showing_ = true;
    QDialog::showEvent(e);
  }
  void hideEvent(QHideEvent* e) override {
    showing_ = false;
    QDialog::hideEvent(e);
  }

 private:
  std::atomic<bool> showing_{false};
};

}  // namespace bridgit::ui
