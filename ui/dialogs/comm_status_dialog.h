// TFCmStatus: the communication progress dialog of a transfer. Its rules are
// TCommStatusState's; this draws them.
#pragma once

#include <QDialog>

#include "host/comm_status.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace bridgit::ui {

class TFCmStatus : public QDialog, public TCommStatusDialog {
 public:
  explicit TFCmStatus(QWidget* parent);
  void Prepare() override { state_.Prepare(); }
  TModalResult ShowCommStatus(const std::string& caption, bool cancelVisible) override;
  void UpdateCommStatus(const std::string& text, int kind, int maximum, int position) override;
  // Work on several objects: object `index` (from 1) of `count` is next. The
  // dialog shows it with the whole run's bar, and Cancel first asks to stop
  // once this object is through; a second Cancel stops it at once.
  void StartObject(int index, int count, const std::string& name);
  bool StopRequested() const { return stopRequested_; }
  void EndRun();

 protected:
  void reject() override;  // Esc, the close box and Cancel

 private:
  void Sync();
  TCommStatusState state_;
  int runCount_ = 0;  // objects in the run; 0 outside one
  bool stopRequested_ = false;
  QLabel* lblRun;
  QProgressBar* barRun;
  QLabel* statusLabel;
  QProgressBar* progressBar;
  QPushButton* cancelButton;
};

}  // namespace bridgit::ui
