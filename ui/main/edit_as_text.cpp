// Edit as Text: the selected object fetched as a text file, opened in an
// outside editor, and sent back when the editor changed it.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTimer>
#include <exception>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "ui/main/editor_command.h"
#include "ui/main/main_texts.h"
#include "ui/main/main_window.h"
#include "ui/main/text_mode_scope.h"

namespace fs = std::filesystem;

namespace bridgit::ui {

namespace {

constexpr int kEditorStartMs = 10000;
constexpr int kEditorPollMs = 100;

// A file's full modification time and size: an editor that saved within the
// same second still counts as a change.
struct TStamp {
  fs::file_time_type time{};
  std::uintmax_t size = 0;
  bool readable = false;
  bool operator==(const TStamp&) const = default;
};
TStamp StampOf(const std::string& path) {
  std::error_code e1, e2;
  TStamp s{fs::last_write_time(path, e1), fs::file_size(path, e2), false};
  s.readable = !e1 && !e2 && std::ifstream(path).is_open();
  return s;
}

}  // namespace

void TFZQDir::mnuEditTextClick() {
  {
    TTextModeScope text(*host_);
    CopySelection(false);
  }
  const std::string file = LastCopiedFile;
  if (file.empty()) return;
  const TStamp before = StampOf(file);
  const TEditorLaunch launch = EditorLaunch(QString::fromStdString(host_->FileSettings().editor), QString::fromStdString(file));
  const std::string editorName = launch.editor.toStdString();
  if (launch.problem == TEditorLaunch::kNoTerminal) {
    host_->ShowMessage(NoTerminalText(editorName), kEditErrorCaption);
    return;
  }
  QProcess editor;
  // Nothing to read from us; what it prints goes where ours goes.
  editor.setStandardInputFile(QProcess::nullDevice());
  editor.setProcessChannelMode(QProcess::ForwardedChannels);
  bool started = false;
  QElapsedTimer running;
  if (launch.problem == TEditorLaunch::kNone) {
    editor.start(launch.program, launch.arguments);
    started = editor.waitForStarted(kEditorStartMs);
    running.start();
  }
  if (!started) {
    host_->ShowMessage(EditErrorText(editorName, file), kEditErrorCaption);
    return;
  }
  TBusyScope busy(*host_);
  while (editor.state() != QProcess::NotRunning) {
    editor.waitForFinished(kEditorPollMs);
    QCoreApplication::processEvents();
  }
  TStamp after = StampOf(file);
  if (after == before && running.elapsed() < EditorQuickReturnMs()) {
    // The editor gave the file to another process and went: the person says
    // when the work is saved.
    host_->ShowMessage(kSavedPrompt, kEditCaption);
    after = StampOf(file);
  }
  if (!after.readable) return;
  if (after != before) {
    bool replaceAll = true;
    bool sent = false;
    try {
      sent = PutFileToCalculator(file, replaceAll, 1);
    } catch (const std::exception& e) {
      ShowError(e);
    }
    if (!sent) {
      // The work stays where the message says.
      host_->ShowMessage(WriteErrorText(file), kWriteErrorCaption);
      return;
    }
    refreshTimer->start();
  }
  std::error_code ec;
  fs::remove(file, ec);
}

}  // namespace bridgit::ui
