// The file commands on what the views show: copy (binary or text) and cut to
// the clipboard as files, paste files into the calculator, delete, new folder,
// EVAL, and edit as text in an outside editor with the changes sent back.
#include <QApplication>
#include <QProcess>
#include <QTimer>
#include <QTreeWidget>
#include <filesystem>
#include <system_error>

#include "base/files.h"
#include "base/log.h"
#include "calcdata/escapes.h"
#include "calcdata/var_name.h"
#include "shell/clipboard_files.h"
#include "shell/file_source.h"
#include "shell/file_target.h"
#include "ui/dialogs/command_window.h"
#include "ui/main/editor_command.h"
#include "ui/main/image_list.h"
#include "ui/main/main_texts.h"
#include "ui/main/main_window.h"
#include "ui/main/view_items.h"

namespace fs = std::filesystem;

namespace bridgit::ui {

namespace {

constexpr int kEditorStartMs = 10000;
constexpr int kEditorPollMs = 100;

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

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

// Restores the transfer mode when a command that forces text mode ends.
class TTextModeScope {
 public:
  explicit TTextModeScope(TSessionHost& host) : host_(host), was_(host.TextMode()) { host_.SetTextMode(true); }
  ~TTextModeScope() { host_.SetTextMode(was_); }

 private:
  TSessionHost& host_;
  bool was_;
};

}  // namespace

void TFZQDir::Guarded(const std::function<void()>& command) {
  try {
    command();
  } catch (const std::exception& e) {
    ShowError(e);
  }
}

void TFZQDir::CopySelection(bool cut) {
  LastCopiedFile.clear();
  struct TFile {
    std::string path;
    int type;
    long long size;
  };
  std::vector<TFile> files;
  std::string folderPath = CurrentPath;
  const std::string temp = TempFolder();
  if (focusedView_ == ListView1) {
    for (int i = 0; i < ListView1->topLevelItemCount(); ++i) {
      const QTreeWidgetItem* item = ListView1->topLevelItem(i);
      if (item->isSelected())
        files.push_back({temp + PcFileName(Caption(item)), item->data(0, kIconRole).toInt(), item->text(kColumnSize).toLongLong()});
    }
  } else if (focusedView_ == TreeView1) {
    const QTreeWidgetItem* node = TreeView1->currentItem();
    const TXPObject* entry = EntryOf(node);
    if (!entry || !node->parent()) return;
    files.push_back({temp + PcFileName(Caption(node)), entry->TypeIcon, entry->TotalSize()});
    // The folder is fetched from the folder that holds it.
    if (const TXPObject* parent = EntryOf(node->parent())) folderPath = parent->FullPath();
  } else {
    return;
  }
  if (files.empty()) return;
  TBusyScope busy(*this);
  server_->ChangeDir(folderPath);
  const std::string ext = TextMode() ? ".txt" : FileSettings().addExtension ? ".zq" : "";
  QStringList paths;
  for (TFile& f : files) {
    const std::string file = f.path + ext;
    const std::string nameCaret = f.path.substr(temp.size());
    if (!server_->GetToFile(nameCaret, file, f.type, f.size)) throw std::runtime_error(kCanceledByUser);
    f.path = file;
    paths << QString::fromStdString(file);
  }
  shell::TFileSource& source = focusedView_ == ListView1 ? *FileSourceList : *FileSourceTree;
  source.Files.clear();
  for (const QString& p : paths) source.Files.push_back({p, {}});
  source.CopyToClipboard(cut);
  LastCopiedFile = files.back().path;
}

void TFZQDir::mnuCopyClick() { CopySelection(false); }

void TFZQDir::mnuCutClick() {
  CopySelection(true);  // raises on a failed get: nothing is deleted then
  DeleteSelection();
}

void TFZQDir::mnuCopyAsTextClick() {
  TTextModeScope text(*this);
  CopySelection(false);
}

void TFZQDir::mnuPasteClick() {
  if (!ListView1->isEnabled()) return;
  TBusyScope busy(*this);
  FileTargetList->PasteFromClipboard();
  const QStringList files = FileTargetList->Files;
  server_->ChangeDir(CurrentPath);
  PutFiles(files);
  Timer1->start();
}

bool TFZQDir::PutFileToCalculator(const std::string& path, bool& replaceAll, int fileCount) {
  std::string name = fs::path(path).filename().string();
  const std::string ext = Lower(fs::path(name).extension().string());
  if (ext == ".zq" || ext == ".txt" || ext == ".zqbackup") name.resize(name.size() - ext.size());
  if (ext != ".zqbackup") {
    const std::string calcName = CalcName(name);
    bool exists = false;
    for (int i = 0; i < ListView1->topLevelItemCount() && !exists; ++i) exists = Caption(ListView1->topLevelItem(i)) == calcName;
    return server_->PutFile(calcName, path, fileCount, replaceAll, exists);
  }
  // A backup file restores the whole calculator, and ends the run either way.
  Beep();
  if (ShowMessagePrompt(EraseQuestion(fs::path(path).filename().string()), kEraseCaption)) RestoreFromFile(path);
  return false;
}

void TFZQDir::DeleteSelection() {
  if (focusedView_ == ListView1) {
    if (!ListView1->isEnabled()) return;
    TBusyScope busy(*this);
    server_->ChangeDir(CurrentPath);
    std::vector<std::pair<std::string, bool>> doomed;
    for (int i = 0; i < ListView1->topLevelItemCount(); ++i)
      if (const QTreeWidgetItem* item = ListView1->topLevelItem(i); item->isSelected()) doomed.emplace_back(Caption(item), IsFolderItem(item));
    for (const auto& [name, folder] : doomed) server_->Purge(name, folder);
  } else if (focusedView_ == TreeView1) {
    if (!TreeView1->isEnabled()) return;
    QTreeWidgetItem* node = TreeView1->currentItem();
    if (!node || !node->parent()) return;  // HOME itself is never deleted
    TBusyScope busy(*this);
    const std::string name = Caption(node);
    QTreeWidgetItem* parent = node->parent();
    TreeView1->setCurrentItem(parent);  // shows the parent and makes it current on the calculator
    if (const TXPObject* folder = EntryOf(parent)) CurrentPath = folder->FullPath();
    server_->Purge(name, true);
  } else {
    return;
  }
  Timer1->start();
}

void TFZQDir::mnuNewFolderClick() {
  if (focusedView_ == ListView1) {
    if (!ListView1->isEnabled()) return;
    TBusyScope busy(*this);
    server_->ChangeDir(CurrentPath);
    server_->CreateDir(kNewFolderName);
    LastSelectedName = kNewFolderName;
  } else if (focusedView_ == TreeView1) {
    QTreeWidgetItem* node = TreeView1->currentItem();
    if (!TreeView1->isEnabled() || !node) return;
    // Beside the selected folder; inside HOME when HOME is selected.
    QTreeWidgetItem* folder = node->parent() ? node->parent() : node;
    if (const TXPObject* entry = EntryOf(folder)) CurrentPath = entry->FullPath();
    TBusyScope busy(*this);
    server_->ChangeDir(CurrentPath);
    server_->CreateDir(kNewFolderName);
    CurrentPath += std::string(" ") + kNewFolderName;
  } else {
    return;
  }
  Timer1->start();
}

void TFZQDir::mnuEvalClick() {
  if (!Connected() || Busy() || focusedView_ != ListView1) return;
  QTreeWidgetItem* item = ListView1->currentItem();
  if (!item || !item->isSelected()) {
    const auto selected = ListView1->selectedItems();
    if (selected.isEmpty()) return;
    item = selected.front();
  }
  if (IsFolderItem(item)) return OpenItem(item);
  TBusyScope busy(*this);
  const std::string name = Caption(item);
  if (!CheckVarName(name, *this)) return;
  server_->ChangeDir(CurrentPath);
  SendCalculatorCommand(name);
  if (FRplCmd && FRplCmd->AutoUpdate()) FRplCmd->UpdateStack();
  Timer1->start();
}

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

void TFZQDir::SendCalculatorCommand(const std::string& command) { server_->SendCalculatorCommand(command); }

std::vector<std::string> TFZQDir::ReadStack() { return server_->ReadStack(); }

}  // namespace bridgit::ui
