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
  int ShowCommStatus(const std::string& caption, bool cancelVisible) override;
  void UpdateCommStatus(const std::string& text, int kind, int maximum, int position) override;

 protected:
  void reject() override;  // Esc, the close box and Cancel

 private:
  void Sync();
  TCommStatusState state_;
  QLabel* Label1;
  QProgressBar* ProgressBar2;
  QPushButton* BitBtn1;
};

}  // namespace bridgit::ui
