#include "ui/main/window_host.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QThread>

#include "session/texts.h"
#include "ui/dialogs/comm_status_dialog.h"
#include "ui/dialogs/download_prompt.h"
#include "ui/dialogs/question_dialogs.h"
#include "ui/dialogs/working_dialogs.h"

namespace bridgit::ui {

TWindowHost::TWindowHost(QWidget& window, THooks hooks) : window_(window), hooks_(std::move(hooks)) {}

TWindowHost::~TWindowHost() = default;

void TWindowHost::CreateDialogs() {
  prompt_ = new TFDownLd(&window_, RPNPrompts());
  working_ = new TFCmndStatus(&window_);
  looking_ = new TFCnctStatus(&window_);
  replace_ = new TFReplaceFile(&window_);
  badFile_ = new TFBadFile(&window_);
}

bool TWindowHost::PromptOpen() const { return prompt_ && prompt_->isVisible(); }

bool TWindowHost::PromptShowing() const { return PromptOpen() || (looking_ && looking_->isVisible()); }

bool TWindowHost::PromptsInRPN() const { return prompt_ ? prompt_->RPN() : RPNPrompts(); }

void TWindowHost::ShowBox(bool error, const std::string& caption, QString text, const std::string& hint) {
  text.replace("\r\n", "\n");
  if (!hint.empty()) {
    // A box needs neither the "hint: " lead nor the indentation that sets the
    // hint's lines apart on a terminal.
    QString advice = QString::fromStdString(hint)
                         .replace(QString::fromLatin1(texts::kHint.data(), texts::kHint.size()), "")
                         .replace("\n" + QString::fromLatin1(texts::kHintIndent.data(), texts::kHintIndent.size()), "\n");
    advice[0] = advice[0].toUpper();
    text += "\n\n" + advice;
  }
  QMessageBox box(error ? QMessageBox::Critical : QMessageBox::Information, QString::fromStdString(caption), text, QMessageBox::Ok, &window_);
  // A path is never broken over lines: the lines of an error or a hint are their own.
  if (auto* label = box.findChild<QLabel*>("qt_msgbox_label"); label && (error || !hint.empty())) label->setWordWrap(false);
  box.exec();
}

void TWindowHost::UpdateControls() {
  if (hooks_.updateControls) hooks_.updateControls();
}

void TWindowHost::OnStatusText(const std::string& text) {
  if (hooks_.statusText) hooks_.statusText(QString::fromLatin1(text.c_str()).replace("\r\n", " "));
}

void TWindowHost::OnBusyCursor(bool busy) {
  if (busy)
    QApplication::setOverrideCursor(Qt::WaitCursor);
  else
    QApplication::restoreOverrideCursor();
}

void TWindowHost::OnRootCaption(const std::string& caption) {
  if (hooks_.rootCaption) hooks_.rootCaption(QString::fromStdString(caption));
}

bool TWindowHost::ShowMessagePrompt(const std::string& text, const std::string& caption) {
  const bool ok = prompt_->ShowMessagePrompt(text, caption);
  UpdateControls();
  return ok;
}

bool TWindowHost::ShowPrompt(int kind, const std::string& caption) {
  const bool ok = prompt_->ShowPrompt(kind, caption);
  UpdateControls();
  return ok;
}

void TWindowHost::HidePrompt(int kind) {
  prompt_->HidePrompt(kind);
  UpdateControls();
}

bool TWindowHost::PromptVisible() const { return prompt_->Showing(); }

void TWindowHost::Beep() {
  ++beeps_;
  QApplication::beep();
}

bool TWindowHost::CommandStatusVisible() const { return working_->Showing(); }
void TWindowHost::ShowCommandStatus() { working_->ShowWorking(); }
void TWindowHost::CloseCommandStatus() { working_->hide(); }
void TWindowHost::ResetCommandCancel() { working_->ResetCancel(); }
bool TWindowHost::CommandCancelled() const { return working_->Cancelled(); }

void TWindowHost::ShowConnectionStatus() {
  looking_->ShowLooking();
  UpdateControls();
}

bool TWindowHost::ConnectionStatusVisible() const { return looking_->Showing(); }

void TWindowHost::CloseConnectionStatus() {
  looking_->hide();
  UpdateControls();
}

void TWindowHost::DisableViews() {
  if (hooks_.disableViews) hooks_.disableViews();
}

std::unique_ptr<TCommStatusDialog> TWindowHost::CreateCommStatusDialog() { return std::make_unique<TFCmStatus>(&window_); }

TModalResult TWindowHost::AskReplace(const std::string& name, int count) {
  const TModalResult answer = replace_->AskReplace(name, count);
  if (answer == kModalNo) ++declined_;
  return answer;
}

TModalResult TWindowHost::AskBadFile(const std::string& name, const std::string& typeName, bool offer) {
  return badFile_->AskBadFile(name, typeName, offer);
}

void TWindowHost::ShowMessage(const std::string& text, const std::string& caption) {
  ShowBox(false, caption, QString::fromLatin1(text.c_str()), hooks_.messageHint ? hooks_.messageHint() : std::string());
}

void TWindowHost::ProcessMessages() {
  if (OnUiThread()) QCoreApplication::processEvents();
}

void TWindowHost::FocusMainWindow() {
  window_.raise();
  window_.activateWindow();
}

bool TWindowHost::OnUiThread() const { return QThread::currentThread() == window_.thread(); }

void TWindowHost::RunOnUiThread(const std::function<void()>& step) {
  if (OnUiThread()) {
    step();
    return;
  }
  QMetaObject::invokeMethod(&window_, [&step] { step(); }, Qt::BlockingQueuedConnection);
}

void TWindowHost::ServeUntil(const std::function<bool()>& done) {
  while (!done()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QThread::msleep(1);
  }
}

}  // namespace bridgit::ui
