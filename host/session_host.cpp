#include "host/session_host.h"

#include "base/log.h"

namespace bridgit {

void TSessionHost::ShowStatus(const std::string& text) {
  OnStatusText(text);
  if (OnUiThread()) ProcessMessages();
}

void TSessionHost::SetConnected(bool flag) {
  const bool dropped = connected_ && !flag;
  connected_ = flag;
  UpdateControls();
  if (!flag) CloseCommandStatus();
  // A command whose link dropped leaves the window idle. Only on the change:
  // the manual operations are busy while disconnected.
  if (dropped) SetBusy(false);
}

void TSessionHost::SetBusy(bool flag) {
  if (flag == busy_) return;
  OnBusyCursor(flag);
  busy_ = flag;
  UpdateControls();
}

void TSessionHost::SetTextMode(bool flag) {
  textMode_ = flag;
  UpdateControls();
}

void TSessionHost::SetModel(const std::string& model) {
  calculatorModel_ = model;
  SetDisplayModel(model);
}

void TSessionHost::SetDisplayModel(const std::string& name) {
  displayModel_ = name.empty() ? calculatorModel_ : name;
  OnRootCaption(RootCaption());
  Log("Calculator model = " + displayModel_);
}

std::string TSessionHost::RootCaption() const { return "HOME (ZQ-" + displayModel_ + ")"; }

bool TSessionHost::FlagM36IsSet() const { return !calculatorFlags_.empty() && calculatorFlags_[0] == '1'; }

char TSessionHost::DecimalSeparator() const {
  return calculatorFlags_.size() >= 2 && calculatorFlags_[1] == '1' ? ',' : '.';
}

}  // namespace bridgit
