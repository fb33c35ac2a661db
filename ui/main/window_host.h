// TWindowHost: the main window's session host. The link and the session reach
// the window only through it: the instruction prompt, the two working windows,
// the replace and wrong-type questions, message boxes, the busy cursor and the
// user-interface thread. What only the window can show (its controls, status
// bar, root caption and views) it hands on through the hooks.
#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <string>

#include "host/session_host.h"

class QWidget;

namespace bridgit::ui {

class TFBadFile;
class TFCmndStatus;
class TFCnctStatus;
class TFDownLd;
class TFReplaceFile;

class TWindowHost : public TSessionHost {
 public:
  struct THooks {
    std::function<void()> updateControls;
    std::function<void(const QString&)> statusText;
    std::function<void(const QString&)> rootCaption;
    std::function<void()> disableViews;
    // The hint shown under a message from the session, empty for none.
    std::function<std::string()> messageHint;
  };

  TWindowHost(QWidget& window, THooks hooks);
  ~TWindowHost() override;

  // The dialogs are made once the settings are read: the prompt dialog starts
  // with the RPN setting.
  void CreateDialogs();
  TFDownLd& PromptDialog() { return *prompt_; }
  // The instruction prompt is open.
  bool PromptOpen() const;
  // The prompt or "Looking for Calculator" is open: the window counts as busy.
  bool PromptShowing() const;
  // The entry mode the prompts use now (the prompt dialog owns it once it exists).
  bool PromptsInRPN() const;
  // The beeps so far: a refused command's only answer, so that it can be seen.
  int Beeps() const { return beeps_; }
  // The replace questions answered No so far: a put that returns true after
  // one of them stored nothing.
  int ReplacesDeclined() const { return declined_; }
  // A message box on the window, the hint, if any, under its text.
  void ShowBox(bool error, const std::string& caption, QString text, const std::string& hint);

  // TPromptHost / TSessionHost
  bool ShowMessagePrompt(const std::string& text, const std::string& caption) override;
  void Beep() override;
  bool CommandStatusVisible() const override;
  bool PromptVisible() const override;
  bool ShowPrompt(int kind, const std::string& caption) override;
  void HidePrompt(int kind) override;
  void ShowCommandStatus() override;
  void CloseCommandStatus() override;
  void ResetCommandCancel() override;
  bool CommandCancelled() const override;
  void ShowConnectionStatus() override;
  bool ConnectionStatusVisible() const override;
  void CloseConnectionStatus() override;
  void DisableViews() override;
  std::unique_ptr<TCommStatusDialog> CreateCommStatusDialog() override;
  TModalResult AskReplace(const std::string& name, int count) override;
  TModalResult AskBadFile(const std::string& name, const std::string& typeName, bool offer) override;
  void ShowMessage(const std::string& text, const std::string& caption) override;
  void ProcessMessages() override;
  void FocusMainWindow() override;
  bool OnUiThread() const override;
  void RunOnUiThread(const std::function<void()>& step) override;
  void ServeUntil(const std::function<bool()>& done) override;

 protected:
  void UpdateControls() override;
  void OnStatusText(const std::string& text) override;
  void OnBusyCursor(bool busy) override;
  void OnRootCaption(const std::string& caption) override;

 private:
  QWidget& window_;
  THooks hooks_;
  TFDownLd* prompt_ = nullptr;
  TFCmndStatus* working_ = nullptr;
  TFCnctStatus* looking_ = nullptr;
  TFReplaceFile* replace_ = nullptr;
  TFBadFile* badFile_ = nullptr;
  int beeps_ = 0;
  int declined_ = 0;
};

}  // namespace bridgit::ui
