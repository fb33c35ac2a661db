// TFDownLd: the instruction prompt dialog. It shows the keystrokes the user
// must make on the calculator, worded for its ALG or RPN entry mode, and either
// waits for OK (modal kinds) or stays up while the PC waits for the calculator
// (modeless kinds, Cancel only). It also serves as a plain yes/no box.
#pragma once

#include "ui/dialogs/showing_dialog.h"
#include <atomic>

class QGroupBox;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace bridgit::ui {

class TFDownLd : public TShowingDialog {
 public:
  // `rpn`: the entry mode shown first (the "RPNPrompts" setting).
  TFDownLd(QWidget* mainWindow, bool rpn);

  // True when the user confirmed a modal prompt; always false for the
  // modeless kinds, which return at once with the dialog left up.
  bool ShowPrompt(int kind, const std::string& caption);
  bool ShowMessagePrompt(const std::string& text, const std::string& caption);
  // Hides the dialog only when it shows this kind.
  void HidePrompt(int kind);
  // Fills and lays out the dialog for a kind (also on an ALG/RPN change).
  void SetPrompt(int kind);

  bool RPN() const { return rpn_; }
  int Kind() const { return kind_; }
  // Safe from any thread: the waiting operation polls it.

 protected:
  void showEvent(QShowEvent* e) override;
  void reject() override;

 private:
  QWidget* main_;
  QPlainTextEdit* instructionsText;
  QPushButton* btnOK;
  QPushButton* btnCancel;
  QGroupBox* grpPrompt;
  QRadioButton* rbtnALG;
  QRadioButton* rbtnRPN;
  bool rpn_;
  int kind_ = 0;
  std::string question_;
};

}  // namespace bridgit::ui
