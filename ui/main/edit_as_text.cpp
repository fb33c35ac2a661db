// Edit as Text: the selected object fetched as a text file, opened in an
// outside editor, and sent back when the editor changed it.
#include <QCoreApplication>
#include <QProcess>
#include <QTimer>
#include <filesystem>
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
  s.readable = !e1 && !e2;
  return s;
}

}  // namespace

void TFZQDir::mnuEditTextClick() {
  {
    TTextModeScope text(*this);
    CopySelection(false);
  }
  const std::string file = LastCopiedFile;
  if (file.empty()) return;
  const TStamp before = StampOf(file);
  const QString setting = QString::fromStdString(FileSettings().editor);
  QStringList command = EditorCommand(setting);
  const std::string editorName = command.isEmpty() ? setting.toStdString() : command.join(' ').toStdString();
  QProcess editor;
  bool started = false;
  if (!command.isEmpty()) {
    const QString program = command.takeFirst();
    editor.start(program, command << QString::fromStdString(file));
    started = editor.waitForStarted(kEditorStartMs);
  }
  if (!started) {
    ShowMessage(EditErrorText(editorName, file), kEditErrorCaption);
    return;
  }
  TBusyScope busy(*this);
  while (editor.state() != QProcess::NotRunning) {
    editor.waitForFinished(kEditorPollMs);
    QCoreApplication::processEvents();
  }
  const TStamp after = StampOf(file);
  if (!after.readable) return;
  if (after != before) {
    bool replaceAll = true;
    if (!PutFileToCalculator(file, replaceAll, 1)) {
      // The user's work stays where the message says.
      ShowMessage(WriteErrorText(file), kWriteErrorCaption);
      return;
    }
    Timer1->start();
  }
  std::error_code ec;
  fs::remove(file, ec);
}

}  // namespace bridgit::ui
