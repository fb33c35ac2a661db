// TFRplCmd: "Calculator Commands". The user types RPL commands for the
// connected calculator to run and sees the lowest levels of its stack. The
// history lives in the command box's list; "AutoStack" is kept between runs.
#pragma once

#include <QWidget>
#include <memory>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QSettings;

namespace bridgit {
class TSessionHost;
}
namespace bridgit::shell {
class TWindowPosSave;
}

namespace bridgit::ui {

// What the command window needs from the main window besides its state.
class TCalculatorServices {
 public:
  virtual ~TCalculatorServices() = default;
  // Runs a person's command; returns the calculator's error text, empty when
  // none. `stack`, when given, gets the stack read with it.
  virtual std::string RunCommand(const std::string& command, std::vector<std::string>* stack) = 0;
  virtual std::vector<std::string> ReadStack() = 0;
  // The main window's error report.
  virtual void ReportError(const std::exception& e) = 0;
};

class TFRplCmd : public QWidget {
 public:
  TFRplCmd(QWidget* mainWindow, QSettings* settings, TSessionHost& host, TCalculatorServices& services);
  ~TFRplCmd() override;

  void UpdateStack();
  // The command controls work only while connected and not busy.
  void SetControlState(bool connected, bool busy);
  bool AutoUpdate() const;
  void Send();
  // The most recent command first, no duplicates (letter case aside).
  void RecordHistory(const QString& text);

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void btnStackClick();
  void ShowCommandMenu(const QPoint& at);
  // The clipboard's text, cut to what the calculator's command line takes.
  void PasteLimited();
  void ShowMemoMenu(const QPoint& at);
  void ShowStack(const std::vector<std::string>& lines);
  // The calculator's error of the last command, under the stack; empty hides it.
  void ShowError(const std::string& error);
  bool Ready() const;
  TSessionHost& host_;
  TCalculatorServices& services_;
  QSettings* settings_;
  QPlainTextEdit* historyText;
  QComboBox* cmboCmd;
  QLabel* lblError;
  QCheckBox* chbAutoUpdate;
  QPushButton* btnStack;
  QPushButton* btnSend;
  std::unique_ptr<shell::TWindowPosSave> windowPosition;
};

}  // namespace bridgit::ui
