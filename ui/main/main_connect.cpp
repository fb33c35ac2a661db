// Ports, speed, connecting and disconnecting, the start-up splash and the
// command line.
#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QMenu>
#include <QTimer>
#include <QTreeWidget>

#include "base/log.h"
#include "host/prompt_kinds.h"
#include "link/port_list.h"
#include "link/port_names.h"
#include "session/connect_hint.h"
#include "ui/dialogs/about_form.h"
#include "ui/main/main_texts.h"
#include "ui/main/main_window.h"

namespace bridgit::ui {

namespace {
constexpr int kSplashFirstMs = 100;
constexpr int kSplashShownMs = 500;
constexpr int kSplashLastMs = 100;

// A port typed as a path that exists is a port even when it is not listed
// (a pseudo-terminal, a symlink to an adapter).
bool IsExistingPath(const QString& text) { return text.startsWith('/') && QFileInfo::exists(text); }
}  // namespace

void TFZQDir::SetPort(const QString& port) {
  for (int i = 0; i < cmboPort->count(); ++i) {
    if (SamePort(cmboPort->itemText(i).toStdString(), port.toStdString())) {
      cmboPort->setCurrentIndex(i);
      return;
    }
  }
  if (IsExistingPath(port))
    cmboPort->setEditText(port);
  else
    cmboPort->setCurrentIndex(0);  // a port that went away is not kept, nor saved back
}

void TFZQDir::ReloadPortList() {
  if (!Connected()) {
    try {
      server_->Connect("");  // closes a port left open by a manual operation
    } catch (const std::exception& e) {
      Log(e.what());
    }
  }
  const QString remembered = cmboPort->currentText();
  const QSignalBlocker quiet(cmboPort);
  cmboPort->clear();
  for (const std::string& name : ListPorts()) cmboPort->addItem(QString::fromStdString(name));
  int at = -1;
  for (int i = 0; i < cmboPort->count() && at < 0; ++i)
    if (SamePort(cmboPort->itemText(i).toStdString(), remembered.toStdString())) at = i;
  if (at < 0 && IsExistingPath(remembered)) {
    cmboPort->addItem(remembered);
    at = cmboPort->count() - 1;
  }
  cmboPort->setCurrentIndex(std::max(at, 0));
  mnuROM->menuAction()->setEnabled(IsUsbPortName(cmboPort->currentText().toStdString()));
  if (cmboPort->currentText() != remembered) cmboPortChange();
}

void TFZQDir::cmboPortChange() {
  const bool usb = IsUsbPortName(cmboPort->currentText().toStdString());
  mnuROM->menuAction()->setEnabled(usb);
  cmboSpeed->setEnabled(!Connected() && !usb);
  if (!loading_ && Connected()) {
    try {
      server_->Quit();
    } catch (const std::exception& e) {
      Log(e.what());
    }
  }
}

void TFZQDir::cmboSpeedChange() {
  if (Connected()) {
    try {
      server_->Quit();
    } catch (const std::exception& e) {
      Log(e.what());
    }
  }
  server_->Channel().SetSpeed(cmboSpeed->currentText().toStdString());
}

void TFZQDir::ConnectCalculator() {
  while (refreshTimer->isActive()) QCoreApplication::processEvents();  // a pending refresh runs first
  TBusyScope busy(*host_);
  home_.ClearChildren();
  if (QTreeWidgetItem* root = folderTree->topLevelItem(0)) qDeleteAll(root->takeChildren());
  objectList->clear();
  host_->SetConnected(true);  // locks the port and speed boxes during the attempt
  const TConnectAttempt attempt = BeginAttempt(true);
  try {
    server_->Channel().SetSpeed(cmboSpeed->currentText().toStdString());
    server_->Connect(cmboPort->currentText().toStdString());
    host_->SetConnected(server_->Channel().IsConnected());
    if (Connected()) {
      RefreshDirectory();
      folderTree->topLevelItem(0)->setExpanded(true);
    }
  } catch (const std::exception& e) {
    host_->SetConnected(server_->Channel().IsConnected());
    const std::string port = cmboPort->currentText().toStdString();
    std::string hint = ConnectionHint(attempt, port, server_->Channel().Speed(), host_->RPNPrompts(), {kHintSetSpeed, kHintListPorts});
    if (hint.empty() && IsAutoPortName(port)) hint = NotYoursHint(ExaminePorts(), {kHintSetSpeed, kHintListPorts});
    ShowError(e, hint);
  }
}

void TFZQDir::tbtnConnectClick() { ConnectOrQuit(false); }

// The menu's connect first shows how to start the calculator's server.
void TFZQDir::mnuConnectClick() { ConnectOrQuit(true); }

void TFZQDir::ConnectOrQuit(bool showHow) {
  if (!Connected()) {
    ReloadPortList();
    if (cmboPort->currentText().isEmpty()) return host_->Beep();
    if (showHow && !host_->ShowPrompt(kPromptStartServer, "")) return;
    ConnectCalculator();
  } else if (!Busy()) {
    try {
      server_->Quit();
    } catch (const std::exception& e) {
      ShowError(e);
    }
  }
}

void TFZQDir::ProcessCommandLine() {
  if (arguments_.isEmpty()) return;
  const std::string wanted = arguments_.front().toStdString();
  for (int i = 0; i < cmboPort->count(); ++i) {
    if (SamePort(cmboPort->itemText(i).toStdString(), wanted)) {
      cmboPort->setCurrentIndex(i);
      ConnectCalculator();
      return;
    }
  }
  if (IsExistingPath(arguments_.front())) {
    SetPort(arguments_.front());
    ConnectCalculator();
    return;
  }
  host_->Beep();
}

void TFZQDir::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (activated_) return;
  activated_ = true;
  SplashStep = 0;
  tmrAbout->start(kSplashFirstMs);
}

// The about box shows for a moment at start-up; then the command line runs.
void TFZQDir::tmrAboutTimer() {
  switch (SplashStep) {
    case 0:
      Log(VersionText());
      SplashStep = 1;
      tmrAbout->setInterval(kSplashShownMs);
      mnuAboutClick();  // modal: the next tick closes it
      FAboutForm->hide();
      break;
    case 1:
      FAboutForm->done(0);
      SplashStep = 2;
      tmrAbout->setInterval(kSplashLastMs);
      break;
    case 2:
      tmrAbout->stop();
      SplashStep = 3;
      ProcessCommandLine();
      break;
    default:
      tmrAbout->stop();
      break;
  }
}

}  // namespace bridgit::ui
