// The communication progress dialog of a transfer: its rules as plain state
// (TCommStatusState), which the window draws and the headless host keeps, and
// the interface the session and the transfer starter use.
#pragma once

#include <string>

namespace bridgit {

// How a modal dialog or question was answered. The dialogs close with these
// values; "Wrong File Type?" also answers Text or Binary.
enum TModalResult : int {
  kModalNone = 0,
  kModalOk = 1,
  kModalCancel = 2,
  kModalYes = 6,
  kModalNo = 7,
  kModalAll = 8,
  kModalText = -1,
  kModalBinary = -2,
};

class TCommStatusState {
 public:
  // Forgets a finish left over from an earlier transfer (before a thread starts).
  void Prepare() { pendingFinish_ = false; }
  // The dialog comes up: caption set, message empty, bar at 0 of 1, Cancel shown
  // as asked and enabled. False when a finish arrived before it came up: the
  // dialog then closes at once with OK.
  bool Open(const std::string& caption, bool cancelVisible);
  // A status of the transfer; ignored unless the dialog is up. Writes the log
  // line the status calls for.
  void Update(const std::string& text, int kind, int maximum, int position);
  // The user asks to close (Cancel): refused while Cancel is disabled.
  bool RequestCancel();

  bool visible() const { return visible_; }
  TModalResult result() const { return result_; }
  const std::string& caption() const { return caption_; }
  const std::string& message() const { return message_; }
  int maximum() const { return maximum_; }
  int position() const { return position_; }
  bool cancelVisible() const { return cancelVisible_; }
  bool cancelEnabled() const { return cancelEnabled_; }

 private:
  void Close(TModalResult result);
  bool visible_ = false;
  bool pendingFinish_ = false;
  TModalResult result_ = kModalNone;
  std::string caption_;
  std::string message_;
  int maximum_ = 1;
  int position_ = 0;
  bool cancelVisible_ = true;
  bool cancelEnabled_ = true;
};

class TCommStatusDialog {
 public:
  virtual ~TCommStatusDialog() = default;
  virtual void Prepare() = 0;
  // Shown modally: returns kModalOk when the transfer finished, kModalCancel when
  // the user cancelled. Steps handed over by the transfer thread run meanwhile.
  virtual TModalResult ShowCommStatus(const std::string& caption, bool cancelVisible) = 0;
  virtual void UpdateCommStatus(const std::string& text, int kind, int maximum, int position) = 0;
};

}  // namespace bridgit
