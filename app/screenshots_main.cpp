// bridgit-screenshots PORT CONTROL FOLDER: pictures of the window and its
// dialogs for review. Connects the main window to the simulated calculator at
// PORT (9600 baud; CONTROL is the simulator's control socket), then opens each
// window in turn and saves what it shows as FOLDER/NAME.png.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
#include <QToolButton>
#include <QTreeWidget>
#include <QWhatsThis>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "app/dialog_driver.h"
#include "base/clock.h"
#include "host/prompt_kinds.h"
#include "ui/dialogs/about_form.h"
#include "ui/dialogs/capture_window.h"
#include "ui/dialogs/command_window.h"
#include "ui/dialogs/comm_status_dialog.h"
#include "ui/dialogs/download_prompt.h"
#include "ui/dialogs/help_viewer.h"
#include "ui/dialogs/log_form.h"
#include "ui/dialogs/options_dialog.h"
#include "ui/dialogs/property_dialog.h"
#include "ui/dialogs/question_dialogs.h"
#include "ui/dialogs/working_dialogs.h"
#include "ui/main/help_filter.h"
#include "ui/main/main_window.h"

namespace {

using bridgit::ui::Click;
using bridgit::ui::TDialogDriver;
using bridgit::ui::WaitUntil;

QString g_folder;

// One line to the simulator's control socket.
void SimControl(const std::string& socketPath, const std::string& line) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::strncpy(addr.sun_path, socketPath.c_str(), sizeof addr.sun_path - 1);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) {
    const std::string msg = line + "\n";
    [[maybe_unused]] const auto written = ::write(fd, msg.data(), msg.size());
    char answer[256];
    [[maybe_unused]] const auto got = ::read(fd, answer, sizeof answer);
  }
  ::close(fd);
}
int g_saved = 0;

void Shoot(QWidget* w, const QString& name) {
  QCoreApplication::processEvents();
  if (w->grab().save(g_folder + "/" + name + ".png")) {
    std::printf("%s/%s.png\n", qPrintable(g_folder), qPrintable(name));
    ++g_saved;
  }
}

// What the screen shows in `area`: a window with a pop-up over it.
void ShootScreen(const QRect& area, const QString& name) {
  QCoreApplication::processEvents();
  bridgit::SleepMs(100);
  QCoreApplication::processEvents();
  if (QGuiApplication::primaryScreen()->grabWindow(0, area.x(), area.y(), area.width(), area.height()).save(g_folder + "/" + name + ".png")) {
    std::printf("%s/%s.png\n", qPrintable(g_folder), qPrintable(name));
    ++g_saved;
  }
}

// Shift+F1, then a click on `control`: its What's This answer.
void WhatsThisClick(QWidget* control) {
  QKeyEvent shiftF1(QEvent::KeyPress, Qt::Key_F1, Qt::ShiftModifier);
  QApplication::sendEvent(QApplication::focusWidget() ? QApplication::focusWidget() : control->window(), &shiftF1);
  const QPointF at = control->rect().center();
  QMouseEvent press(QEvent::MouseButtonPress, at, control->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(control, &press);
  QMouseEvent release(QEvent::MouseButtonRelease, at, control->mapToGlobal(at), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(control, &release);
}

// The next window of this object name is pictured, then closed with `button`.
void ShootWhenShown(TDialogDriver& driver, const char* window, const QString& name, const char* button) {
  driver.When(window, [name, button](QWidget* w) {
    Shoot(w, name);
    Click(w, button);
  });
}

// The instruction prompts, the question boxes and the status dialogs.
void ShootPromptsAndDialogs(bridgit::ui::TFZQDir& window, TDialogDriver& driver) {
  // A modeless prompt while it waits, then modal questions.
  auto& prompt = window.PromptDialog();
  prompt.ShowPrompt(bridgit::kPromptDownload, "");
  Shoot(&prompt, "prompt-download");
  prompt.hide();
  ShootWhenShown(driver, "FDownLd", "prompt-start-server", "btnCancel");
  prompt.ShowPrompt(bridgit::kPromptStartServer, "");
  ShootWhenShown(driver, "FDownLd", "prompt-restored", "btnCancel");
  prompt.ShowPrompt(bridgit::kPromptRestored, "");

  ShootWhenShown(driver, "FOptions", "options", "btnCancel");
  window.mnuOptionsClick();
  ShootWhenShown(driver, "FProperty", "properties", "closeButton");
  static_cast<bridgit::ui::TFProperty*>(window.findChild<QDialog*>("FProperty"))->ShowProperties("PROG\nLIST\nNOTES\n", 2400, 5);
  ShootWhenShown(driver, "FReplaceFile", "replace-file", "btnNo");
  window.Host().AskReplace("PROG", 2);
  ShootWhenShown(driver, "FBadFile", "wrong-file-type", "btnCancel");
  window.Host().AskBadFile("picture.bmp", "Unknown", true);

  window.Host().ShowCommandStatus();
  Shoot(window.findChild<QDialog*>("FCmndStatus"), "calculator-is-working");
  window.Host().CloseCommandStatus();
  window.Host().ShowConnectionStatus();
  Shoot(window.findChild<QDialog*>("FCnctStatus"), "looking-for-calculator");
  window.Host().CloseConnectionStatus();

  auto progress = window.Host().CreateCommStatusDialog();
  auto* status = static_cast<bridgit::ui::TFCmStatus*>(progress.get());
  driver.When("FCmStatus", [&](QWidget* w) {
    status->UpdateCommStatus("Block 40 of 100\r\n3.2 KB at 960 B/s", 2, 100, 40);
    Shoot(w, "transfer-progress");
    status->UpdateCommStatus("", 3, 0, 0);
  });
  status->ShowCommStatus("Copying PROG", true);
}

// The command window with a stack, and a What's This pop-up over it.
void ShootCommandWindow(bridgit::ui::TFZQDir& window) {
  window.mnuRPLClick();
  auto* command = window.CommandWindow();
  if (!command) return;
  command->findChild<QComboBox*>("cmboCmd")->setEditText("1 2 + \"Hello\" { 1 2 3 }");
  command->Send();
  Shoot(command, "command-window");
  command->activateWindow();
  if (auto* autoUpdate = command->findChild<QCheckBox*>("chbAutoUpdate")) {
    WhatsThisClick(autoUpdate);
    if (QWidget* popup = bridgit::ui::HelpPopup()) ShootScreen(command->frameGeometry().united(popup->geometry()), "whats-this-popup");
    QWhatsThis::hideText();
    if (QWhatsThis::inWhatsThisMode()) QWhatsThis::leaveWhatsThisMode();
  }
  command->close();
}

// A screen capture, zoomed, with its frame; the simulator is told which
// screen to show while the capture prompt waits.
void ShootCapture(bridgit::ui::TFZQDir& window, const std::string& control) {
  TDialogDriver capture;
  capture.When("FDownLd", [&](QWidget* w) {
    Shoot(w, "prompt-capture");
    SimControl(control, "screen page");
  });
  capture.When("FDownLd", [&](QWidget* w) { Click(w, "btnCancel"); });
  window.mnuCaptureScreenClick();
  if (auto* shot = window.CaptureWindow()) {
    Shoot(shot, "capture-window");
    shot->close();
  }
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 4) {
    std::fprintf(stderr, "usage: bridgit-screenshots PORT CONTROL FOLDER\n");
    return 2;
  }
  const std::string control = argv[2];
  g_folder = QString::fromLocal8Bit(argv[3]);
  QDir().mkpath(g_folder);
  QTemporaryDir config;
  QSettings settings(config.filePath("Bridgit.conf"), QSettings::IniFormat);
  settings.setValue("Speed", "9600");
  settings.setValue("Connectivity/Left", "40");
  settings.setValue("Connectivity/Top", "40");
  settings.setValue("Connectivity/Width", "640");
  settings.setValue("Connectivity/Height", "420");

  bridgit::ui::TFZQDir window(&settings);
  TDialogDriver driver;
  ShootWhenShown(driver, "FAboutForm", "about-box", "btnOK");
  window.show();
  WaitUntil([&] { return driver.Done(); }, 5000);
  window.SetPort(QString::fromLocal8Bit(argv[1]));
  window.findChild<QToolButton*>("tbtnConnect")->click();
  if (!window.Connected()) {
    std::fprintf(stderr, "bridgit-screenshots: could not connect to %s\n", argv[1]);
    return 1;
  }
  auto* tree = window.findChild<QTreeWidget*>("folderTree");
  tree->setCurrentItem(tree->topLevelItem(0));
  Shoot(&window, "main-window-connected");

  window.btnLogClick();
  Shoot(&window.LogForm(), "log-window");
  window.LogForm().hide();

  ShootPromptsAndDialogs(window, driver);

  // The list inside a folder, sorted by size, a variable selected.
  auto* list = window.findChild<QTreeWidget*>("objectList");
  window.ListView1ColumnClick(2);
  if (list->topLevelItemCount() > 2) list->topLevelItem(2)->setSelected(true);
  Shoot(&window, "list-sorted-by-size");
  window.ListView1ColumnClick(0);

  ShootCommandWindow(window);
  ShootCapture(window, control);

  window.ShowHelpTopic(125001);
  Shoot(&window.HelpViewer(), "help-communications");
  window.ShowHelpTopic(135000);
  Shoot(&window.HelpViewer(), "help-screen-capture");
  window.HelpViewer().close();

  window.close();
  return g_saved > 0 ? 0 : 1;
}
