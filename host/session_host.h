// The session host interface: the state the window holds on behalf of the link
// and the session, and the window steps they call. The window implements it
// with real widgets; the command line and the tests with THeadlessHost.
//
// The state changes and their rules live here, once; a front end supplies only
// the visible effects through the protected hooks.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "host/comm_status.h"
#include "host/prompt_host.h"

namespace bridgit {

struct TFileSettings {
  bool addExtension = true;      // "AddExt"
  bool addCR = false;            // "AddCR": LF written as CR LF in text files
  bool translateControl = false; // "TRANS031"
  int translationLevel = 3;      // "TRANSIO", 0 to 3
  std::string editor;            // "Editor": a command line, the file is appended
};

class TSessionHost : public TPromptHost {
 public:
  inline static const std::string kInitialFlags = "00000000";

  // --- State (read by the link, the session and the command window).
  bool Connected() const { return connected_; }
  bool Busy() const { return busy_; }
  bool TextMode() const { return textMode_; }
  const std::string& CalculatorModel() const { return calculatorModel_; }
  const std::string& DisplayModel() const { return displayModel_; }
  const std::string& VersionInfo() const { return versionInfo_; }
  const std::string& CalculatorFlags() const { return calculatorFlags_; }
  int RequiredSpeed() const { return requiredSpeed_; }
  bool RPNPrompts() const { return rpnPrompts_; }
  TFileSettings& FileSettings() { return fileSettings_; }
  const TFileSettings& FileSettings() const { return fileSettings_; }

  void SetVersionInfo(std::string v) { versionInfo_ = std::move(v); }
  void SetCalculatorFlags(std::string f) { calculatorFlags_ = std::move(f); }
  void SetRequiredSpeed(int speed) { requiredSpeed_ = speed; }
  void SetRPNPrompts(bool rpn) { rpnPrompts_ = rpn; }

  // --- Operations with their rules.
  // Shows a status text at once (the session's OnStatusChange).
  void ShowStatus(const std::string& text);
  // Connected := flag; controls updated; leaving the connected state closes the
  // command status dialog and clears Busy.
  void SetConnected(bool flag);
  // Only a change of value has an effect.
  void SetBusy(bool flag);
  void SetTextMode(bool flag);
  // The model family, then the display name (which falls back to the family).
  void SetModel(const std::string& model);
  void SetDisplayModel(const std::string& name);
  // The root node's caption: "HOME (ZQ-" + display model + ")".
  std::string RootCaption() const;
  bool FlagM36IsSet() const;
  char DecimalSeparator() const;

  // --- Dialog state the link and the session ask about. May be called from
  // any thread.
  virtual bool CommandStatusVisible() const = 0;
  virtual bool PromptVisible() const = 0;

  // --- Instruction prompts (kinds 0 to 10). Modeless kinds return false at once.
  virtual bool ShowPrompt(int kind, const std::string& caption) = 0;
  virtual void HidePrompt(int kind) = 0;

  // --- The command status dialog "Calculator is Working" (modeless, with Cancel).
  virtual void ShowCommandStatus() = 0;
  virtual void CloseCommandStatus() = 0;
  virtual void ResetCommandCancel() = 0;
  // The user pressed its Cancel. May be called from any thread.
  virtual bool CommandCancelled() const = 0;
  // --- The connection status window "Looking for Calculator".
  virtual void ShowConnectionStatus() = 0;
  virtual bool ConnectionStatusVisible() const = 0;
  // The directory views are disabled while a long command runs.
  virtual void DisableViews() {}

  // --- Dialogs.
  // A communication progress dialog for the session to own.
  virtual std::unique_ptr<TCommStatusDialog> CreateCommStatusDialog() = 0;
  // "Confirm File Replace": kModalYes, kModalNo, kModalAll or kModalCancel.
  // The All button is offered only for 2 or more files.
  virtual TModalResult AskReplace(const std::string& name, int count) = 0;
  // "Wrong File Type?": with `offer`, kModalText, kModalBinary or kModalCancel;
  // without, kModalOk (send) or kModalCancel.
  virtual TModalResult AskBadFile(const std::string& name, const std::string& typeName, bool offer) = 0;
  // A message box with an OK button.
  virtual void ShowMessage(const std::string& text, const std::string& caption) = 0;

  // --- Window steps.
  // Lets the user interface handle what is pending (user-interface thread only).
  virtual void ProcessMessages() = 0;
  virtual void CloseConnectionStatus() = 0;
  virtual void FocusMainWindow() = 0;

  // --- The thread that owns the user interface.
  virtual bool OnUiThread() const = 0;
  // Runs the step on the user-interface thread and waits for it (a direct call
  // when already there).
  virtual void RunOnUiThread(const std::function<void()>& step) = 0;
  // Waits on the user-interface thread until `done` holds, running the steps
  // handed over meanwhile (a plain wait there could deadlock with a worker).
  virtual void ServeUntil(const std::function<bool()>& done) = 0;

 protected:
  // Visible effects, for the front end.
  virtual void UpdateControls() {}
  virtual void OnStatusText(const std::string& /*text*/) {}
  virtual void OnBusyCursor(bool /*busy*/) {}
  virtual void OnRootCaption(const std::string& /*caption*/) {}

 private:
  bool connected_ = false;
  bool busy_ = false;
  bool textMode_ = false;
  std::string calculatorModel_;
  std::string displayModel_;
  std::string versionInfo_;
  std::string calculatorFlags_ = kInitialFlags;
  int requiredSpeed_ = 0;
  bool rpnPrompts_ = true;
  TFileSettings fileSettings_;
};

// Busy for the life of a scope, restored on every exit (a command inside
// another leaves the outer one busy).
class TBusyScope {
 public:
  explicit TBusyScope(TSessionHost& host) : host_(host), was_(host.Busy()) { host_.SetBusy(true); }
  ~TBusyScope() { host_.SetBusy(was_); }
  TBusyScope(const TBusyScope&) = delete;
  TBusyScope& operator=(const TBusyScope&) = delete;

 private:
  TSessionHost& host_;
  bool was_;
};

}  // namespace bridgit
