// The two questions a put may ask: TFReplaceFile ("Confirm File Replace") when
// a file would replace a calculator variable, and TFBadFile ("Wrong File
// Type?") when a file does not match the connected calculator.
#pragma once

#include <QDialog>
#include <string>

#include "host/comm_status.h"

class QPlainTextEdit;
class QPushButton;

namespace bridgit::ui {

class TFReplaceFile : public QDialog {
 public:
  explicit TFReplaceFile(QWidget* mainWindow);
  // kModalYes, kModalNo, kModalAll or kModalCancel; All is offered for 2 or more.
  TModalResult AskReplace(const std::string& name, int count);

 private:
  QWidget* main_;
  QPlainTextEdit* messageText;
  QPushButton* btnAll;
};

class TFBadFile : public QDialog {
 public:
  explicit TFBadFile(QWidget* mainWindow);
  // With `offer`: kModalText, kModalBinary or kModalCancel; without: kModalOk
  // (Yes) or kModalCancel (No).
  TModalResult AskBadFile(const std::string& name, const std::string& typeName, bool offer);

 private:
  QWidget* main_;
  QPlainTextEdit* messageText;
  QPushButton* btnYes;
  QPushButton* btnNo;
  QPushButton* btnCancel;
  QPushButton* btnText;
  QPushButton* btnBinary;
  TModalResult choice_ = kModalNone;
};

}  // namespace bridgit::ui
