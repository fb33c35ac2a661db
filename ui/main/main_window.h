// TFZQDir: the main window. It holds the session, shows the calculator's
// memory as a folder tree and a list, carries the connection controls, and is
// the session host: the link and the session reach the window only through the
// TSessionHost interface it implements.
#pragma once

#include <QMainWindow>
#include <atomic>
#include <memory>

#include "host/session_host.h"
#include "session/xmodem_server.h"

class QComboBox;
class QLabel;
class QToolButton;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class QSettings;

namespace bridgit::ui {

class TFLogForm;

class TFZQDir : public QMainWindow, public TSessionHost {
 public:
  // `settings`: where the window's values are kept (the user's by default).
  explicit TFZQDir(QSettings* settings = nullptr, QWidget* parent = nullptr);
  ~TFZQDir() override;

  TXModemServer& Server() { return *server_; }
  TFLogForm& LogForm() { return *logForm_; }
  std::string CurrentPath;

  // Command handlers.
  void tbtnConnectClick();
  void tbtnXferModeClick();
  void btnLogClick();
  void RefreshDirectory();
  // Selects the port (a list entry or any path) and the speed.
  void SetPort(const QString& port);

  // TPromptHost / TSessionHost
  bool ShowMessagePrompt(const std::string& text, const std::string& caption) override;
  void Beep() override;
  bool CommandStatusVisible() const override { return commandStatusVisible_; }
  bool PromptVisible() const override { return promptVisible_; }
  bool ShowPrompt(int kind, const std::string& caption) override;
  void HidePrompt(int kind) override;
  void ShowCommandStatus() override { commandStatusVisible_ = true; }
  void CloseCommandStatus() override { commandStatusVisible_ = false; }
  void ResetCommandCancel() override { commandCancelled_ = false; }
  bool CommandCancelled() const override { return commandCancelled_; }
  void ShowConnectionStatus() override { connectionStatusVisible_ = true; }
  bool ConnectionStatusVisible() const override { return connectionStatusVisible_; }
  std::unique_ptr<TCommStatusDialog> CreateCommStatusDialog() override;
  int AskReplace(const std::string& name, int count) override;
  int AskBadFile(const std::string& name, const std::string& typeName, bool offer) override;
  void ShowMessage(const std::string& text, const std::string& caption) override;
  void ProcessMessages() override;
  void CloseConnectionStatus() override { connectionStatusVisible_ = false; }
  void FocusMainWindow() override { activateWindow(); }
  bool OnUiThread() const override;
  void RunOnUiThread(const std::function<void()>& step) override;
  void ServeUntil(const std::function<bool()>& done) override;

 protected:
  void UpdateControls() override;
  void OnStatusText(const std::string& text) override;
  void OnBusyCursor(bool busy) override;
  void OnRootCaption(const std::string& caption) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildControls();
  void ReadSettings();
  void WriteSettings();
  void FillPorts();
  void FillTree(QTreeWidgetItem* node, TXPObject& folder);
  void FillList(TXPObject& folder);
  void ShowError(const std::exception& e);

  std::unique_ptr<QSettings> ownSettings_;
  QSettings* settings_;
  std::unique_ptr<TXModemServer> server_;
  TXPObject home_;
  TFLogForm* logForm_;
  QComboBox* cmboPort;
  QComboBox* cmboSpeed;
  QToolButton* tbtnConnect;
  QToolButton* tbtnXferMode;
  QPushButton* btnLog;
  QTreeWidget* TreeView1;
  QTreeWidget* ListView1;
  QLabel* statusPanel0;
  QLabel* statusPanel1;
  std::atomic<bool> commandStatusVisible_{false};
  std::atomic<bool> promptVisible_{false};
  std::atomic<bool> commandCancelled_{false};
  std::atomic<bool> connectionStatusVisible_{false};
  int promptKind_ = -1;
};

}  // namespace bridgit::ui
