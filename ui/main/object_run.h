// Work on several objects (a copy, a paste, a drop): the progress dialog says
// which object of how many is on its way, and a Cancel pressed meanwhile
// stops the work between two objects, so that none is left half done.
#pragma once

#include <string>

#include "host/comm_status.h"
#include "ui/dialogs/comm_status_dialog.h"

namespace bridgit::ui {

class TObjectRun {
 public:
  TObjectRun(TCommStatusDialog* dialog, int count) : dialog_(dynamic_cast<TFCmStatus*>(dialog)), count_(count) {}
  ~TObjectRun() {
    if (dialog_) dialog_->EndRun();
  }
  TObjectRun(const TObjectRun&) = delete;
  TObjectRun& operator=(const TObjectRun&) = delete;

  // False when the person asked to stop: this object is not started.
  bool Next(const std::string& name) {
    if (count_ < 2 || !dialog_) return true;  // one object has its own Cancel
    if (dialog_->StopRequested()) return false;
    dialog_->StartObject(++index_, count_, name);
    return true;
  }

 private:
  TFCmStatus* dialog_;
  int count_;
  int index_ = 0;
};

}  // namespace bridgit::ui
