// Whole-calculator and manual transfers from the File and ROM menus: backup
// and restore, sending a file or the server library to the calculator's own
// receive command, receiving from its send command, the screen capture loop
// and loading a ROM.
#include <QComboBox>
#include <QDate>
#include <QFileDialog>
#include <QLocale>
#include <QTimer>

#include "base/files.h"
#include "calcdata/texts.h"
#include "host/prompt_kinds.h"
#include "link/port_names.h"
#include "ui/dialogs/capture_window.h"
#include "ui/main/main_texts.h"
#include "ui/main/main_window.h"
#include "ui/main/transfer_rules.h"

namespace bridgit::ui {

namespace {

const char* const kBackupTitle = "Archive Calculator to PC";
const char* const kBackupFilter = "ZQ Archives (*.zqbackup *.ZQBACKUP)";
const char* const kAllFiles = "All Files (*)";
const char* const kServerLibrary = "XSrvr71.zq";
constexpr int kFastCaptureAbove = 15600;  // speeds above this capture at 115200

QString ObjectFilter(bool addExtension) {
  return addExtension ? QString("ZQ Files (*.zq *.ZQ);;") + kAllFiles : QString(kAllFiles);
}

}  // namespace

std::string BackupFileName(const std::string& model, const QDate& date) {
  // "d-mmm-yyyy": the day without a leading zero, the short month name.
  return model + "_" + QString::number(date.day()).toStdString() + "-" +
         QLocale().monthName(date.month(), QLocale::ShortFormat).toStdString() + "-" + QString::number(date.year()).toStdString() +
         ".zqbackup";
}

int CaptureSpeed(const std::string& port, int speed) {
  if (!IsSerialPortName(port) || speed == 9600 || speed == 115200) return 0;
  return speed > kFastCaptureAbove ? 115200 : 9600;
}

// The session keeps what a backup or an upload received; it goes to the file
// cut to the object's length, or whole with a warning when that cannot be found.
TFCapture* TFZQDir::CaptureWindow() const { return FCapture; }

bool TFZQDir::WriteReceivedObject(const std::string& path) {
  std::string received;
  const bool trimmed = server_->TakeReceivedObject(received);
  if (received.empty()) return false;
  int error = 0;
  if (!WriteFileSafely(path, received, error)) throw std::runtime_error("Cannot write to file " + path);
  if (!trimmed)
    host_->ShowMessage(path + "\r\n" + "Cannot decompile this file.\r\n" + "Length has been left with padding.\r\n" + "File may still be ok.",
                "Decompile Error");
  return true;
}

bool TFZQDir::BackupToFile(const std::string& path) {
  const long long size = home_.TotalSize();
  const bool ok = server_->Backup(path, size);
  host_->SetBusy(false);
  return WriteReceivedObject(path) && ok;
}

void TFZQDir::mnuBackupClick() {
  QFileDialog dialog(this, kBackupTitle);
  dialog.setObjectName("saveDialog");
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setNameFilters({kBackupFilter, kAllFiles});
  dialog.setDefaultSuffix("zqbackup");
  dialog.selectFile(QString::fromStdString(BackupFileName(host_->CalculatorModel(), QDate::currentDate())));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  {
    TBusyScope busy(*host_);
    host_->ProcessMessages();
    BackupToFile(dialog.selectedFiles().front().toStdString());
  }
  if (Connected()) refreshTimer->start();
}

void TFZQDir::RestoreFromFile(const std::string& path) {
  host_->ProcessMessages();
  if (server_->Restore(path)) {
    // The calculator leaves its server to reorganise its memory.
    host_->SetConnected(false);
    if (host_->ShowPrompt(kPromptRestored, "")) tbtnConnectClick();
  } else if (Connected()) {
    refreshTimer->start();
  }
}

void TFZQDir::mnuRestoreClick() {
  const QString file = QFileDialog::getOpenFileName(this, kBackupTitle, {}, QString(kBackupFilter) + ";;" + kAllFiles);
  if (!file.isEmpty()) RestoreFromFile(file.toStdString());
}

void TFZQDir::ManualDownload(const std::string& path, int before, int after) {
  if (Connected()) server_->Quit();
  if (!server_->OpenDirect(cmboPort->currentText().toStdString())) return;
  host_->ShowPrompt(before, "");
  UpdateControls();
  host_->ProcessMessages();
  const bool ok = server_->ManualSend(path);
  host_->SetConnected(false);
  host_->HidePrompt(before);
  if (ok) host_->ShowPrompt(after, "");
}

void TFZQDir::mnuDownLoadServerClick() {
  const std::string library = FindShippedFile(kServerLibrary);
  if (library.empty()) throw std::runtime_error(std::string("The server library ") + kServerLibrary + " is not installed beside the program.");
  ManualDownload(library, kPromptServerDownload, kPromptServerSent);
}

void TFZQDir::mnuDownLoadFileClick() {
  const QString file = QFileDialog::getOpenFileName(this, "Download File to Calculator", {}, ObjectFilter(host_->FileSettings().addExtension));
  if (!file.isEmpty()) ManualDownload(file.toStdString(), kPromptDownload, kPromptDownloaded);
}

void TFZQDir::mnuUploadFileClick() {
  QFileDialog dialog(this, "Upload File to PC");
  dialog.setObjectName("saveDialog");
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setNameFilter(ObjectFilter(host_->FileSettings().addExtension));
  if (host_->FileSettings().addExtension) dialog.setDefaultSuffix("zq");
  if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) UploadFile(dialog.selectedFiles().front().toStdString());
}

void TFZQDir::UploadFile(const std::string& path) {
  if (host_->ShowPrompt(kPromptUpload, "") && server_->OpenDirect(cmboPort->currentText().toStdString())) {
    host_->SetConnected(server_->Channel().IsConnected());
    TBusyScope busy(*host_);
    host_->ProcessMessages();
    server_->ManualReceive(path, 0);
    WriteReceivedObject(path);
    host_->SetConnected(false);
  }
  server_->ClearLastData();
}

void TFZQDir::mnuCaptureScreenClick() {
  if (Connected()) server_->Quit();
  host_->SetRequiredSpeed(CaptureSpeed(cmboPort->currentText().toStdString(), cmboSpeed->currentText().toInt()));
  if (host_->RequiredSpeed() != 0) {
    host_->Beep();
    const std::string question = "Screen Capture requires that the calculator operate at \r\n" + std::to_string(host_->RequiredSpeed()) +
                                 " baud  (see IOPAR in VAR).\r\n\r\n" + "May I change the speed temporarily for the Screen Capture?";
    if (!host_->ShowMessagePrompt(question, "Set the Calculator")) return;
  }
  for (bool first = true;;) {
    std::string image;
    if (!server_->OpenDirect(cmboPort->currentText().toStdString())) return;
    if (first) {
      host_->ShowPrompt(kPromptCapture, "");
    } else {
      host_->ShowPrompt(kPromptAnotherCapture, "Do Another Capture?");
      if (FCapture) FCapture->activateWindow();
    }
    UpdateControls();
    capturing_ = BeginAttempt(false);
    server_->CaptureScreen(image);
    capturing_.reset();
    host_->HidePrompt(first ? kPromptCapture : kPromptAnotherCapture);
    host_->SetConnected(false);
    if (image.empty()) return;
    if (!FCapture) FCapture = new TFCapture(settings_, *host_, nullptr);
    FCapture->ShowCapture(image);
    first = false;
  }
}

void TFZQDir::DownloadCalculatorROMClick() {
  if (Connected()) server_->Quit();
  const QString file = QFileDialog::getOpenFileName(this, "Download ROM", {}, "ROM Files (*.bin *.BIN);;All Files (*)");
  if (!file.isEmpty()) SendRomFile(file.toStdString());
}

void TFZQDir::SendRomFile(const std::string& path) {
  if (host_->ShowPrompt(kPromptRom, "") && server_->OpenDirect(cmboPort->currentText().toStdString()) && !server_->SendRom(path))
    host_->ShowMessage("Download of ROM file \r\n" + path + "\r\n" + "failed.", "Download Error");
  host_->SetConnected(false);
  host_->SetBusy(false);
}

}  // namespace bridgit::ui
