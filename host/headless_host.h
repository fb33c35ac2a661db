// The session host without a window: for the command line and the tests.
//
// Questions are answered by a policy the owner sets (declined by default),
// status texts and prompts go to an optional observer, dialog visibility is
// plain state. Steps handed over from worker threads run when the owner thread
// serves them (THandOver).
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "host/hand_over.h"
#include "host/session_host.h"

namespace bridgit {

class THeadlessHost;

// The progress dialog without a window: it serves the hand-overs of the
// transfer thread until the transfer finishes or a cancel is requested (from a
// signal handler, another thread or a test).
class THeadlessCommStatus : public TCommStatusDialog {
 public:
  explicit THeadlessCommStatus(THeadlessHost& host) : host_(host) {}
  void Prepare() override { state_.Prepare(); }
  TModalResult ShowCommStatus(const std::string& caption, bool cancelVisible) override;
  void UpdateCommStatus(const std::string& text, int kind, int maximum, int position) override;
  const TCommStatusState& state() const { return state_; }

 private:
  THeadlessHost& host_;
  TCommStatusState state_;
};

class THeadlessHost : public TSessionHost {
 public:
  // Answers a yes/no question: (text, caption) -> yes.
  using TQuestionPolicy = std::function<bool(const std::string& text, const std::string& caption)>;
  // Answers an instruction prompt of a modal kind: (kind, caption) -> confirmed.
  using TPromptPolicy = std::function<bool(int kind, const std::string& caption)>;

  void SetQuestionPolicy(TQuestionPolicy p) { questionPolicy_ = std::move(p); }
  // Answers of the replace and wrong-file questions: (name, text) -> modal result.
  using TChoicePolicy = std::function<TModalResult(const std::string& name, const std::string& text)>;
  void SetReplacePolicy(TChoicePolicy p) { replacePolicy_ = std::move(p); }
  void SetBadFilePolicy(TChoicePolicy p) { badFilePolicy_ = std::move(p); }
  void SetPromptPolicy(TPromptPolicy p) { promptPolicy_ = std::move(p); }
  void SetStatusObserver(std::function<void(const std::string&)> f) { statusObserver_ = std::move(f); }

  // Progress of a transfer: (state) after each change, for a console bar.
  void SetProgressObserver(std::function<void(const TCommStatusState&)> f) { progressObserver_ = std::move(f); }
  // Asks the progress dialog that is up (or the next one) to cancel; safe from
  // any thread and from a signal handler.
  void RequestCancel() { cancelRequested_ = true; }
  bool TakeCancelRequest() { return cancelRequested_.exchange(false); }
  // Message boxes shown so far: (caption, text).
  const std::vector<std::pair<std::string, std::string>>& Messages() const { return messages_; }

  void SetCommandStatusVisible(bool v) { commandStatusVisible_ = v; }
  void SetPromptVisible(bool v) { promptVisible_ = v; }

  THandOver& HandOver() { return handOver_; }

  // TPromptHost
  bool ShowMessagePrompt(const std::string& text, const std::string& caption) override;
  void Beep() override { ++beeps_; }
  int Beeps() const { return beeps_; }

  // TSessionHost
  bool CommandStatusVisible() const override { return commandStatusVisible_; }
  bool PromptVisible() const override { return promptVisible_; }
  bool ShowPrompt(int kind, const std::string& caption) override;
  void HidePrompt(int kind) override;
  std::unique_ptr<TCommStatusDialog> CreateCommStatusDialog() override;
  TModalResult AskReplace(const std::string& name, int count) override;
  TModalResult AskBadFile(const std::string& name, const std::string& typeName, bool offer) override;
  void ShowMessage(const std::string& text, const std::string& caption) override;
  void ProcessMessages() override { handOver_.Serve(); }
  void CloseConnectionStatus() override { connectionStatusVisible_ = false; }
  void ShowCommandStatus() override { commandStatusVisible_ = true; }
  void CloseCommandStatus() override { commandStatusVisible_ = false; }
  void ResetCommandCancel() override { commandCancelled_ = false; }
  bool CommandCancelled() const override { return commandCancelled_; }
  // As if the user pressed Cancel in "Calculator is Working".
  void PressCommandCancel() { commandCancelled_ = true; }
  void ShowConnectionStatus() override { connectionStatusVisible_ = true; }
  bool ConnectionStatusVisible() const override { return connectionStatusVisible_; }
  void FocusMainWindow() override {}
  bool OnUiThread() const override { return handOver_.OnOwnerThread(); }
  void RunOnUiThread(const std::function<void()>& step) override { handOver_.Run(step); }
  void ServeUntil(const std::function<bool()>& done) override;

  const std::string& LastStatus() const { return lastStatus_; }

 protected:
  void OnStatusText(const std::string& text) override;

 private:
  TQuestionPolicy questionPolicy_;
  TChoicePolicy replacePolicy_;
  TChoicePolicy badFilePolicy_;
  TPromptPolicy promptPolicy_;
  std::function<void(const std::string&)> statusObserver_;
  std::function<void(const TCommStatusState&)> progressObserver_;
  std::atomic<bool> cancelRequested_{false};
  std::vector<std::pair<std::string, std::string>> messages_;
  friend class THeadlessCommStatus;
  std::atomic<bool> commandStatusVisible_{false};
  std::atomic<bool> promptVisible_{false};
  std::atomic<bool> commandCancelled_{false};
  std::atomic<bool> connectionStatusVisible_{false};
  int promptKind_ = -1;
  int beeps_ = 0;
  std::string lastStatus_;
  THandOver handOver_;
};

}  // namespace bridgit
