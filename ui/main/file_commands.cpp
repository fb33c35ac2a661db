// The file commands on what the views show: copy (binary or text) and cut to
// the clipboard as files, paste files into the calculator, delete, new folder,
// EVAL. Edit as text is in edit_as_text.cpp.
#include <QApplication>
#include <QClipboard>
#include <QDate>
#include <QTimer>
#include <QTreeWidget>
#include <filesystem>
#include <system_error>

#include "base/files.h"
#include "base/log.h"
#include "calcdata/escapes.h"
#include "calcdata/var_name.h"
#include "link/comm_error.h"
#include "shell/clipboard_files.h"
#include "shell/file_source.h"
#include "shell/file_target.h"
#include "ui/dialogs/command_window.h"
#include "ui/main/image_list.h"
#include "ui/main/main_texts.h"
#include "ui/main/main_window.h"
#include "ui/main/object_run.h"
#include "ui/main/text_mode_scope.h"
#include "ui/main/transfer_rules.h"
#include "ui/main/view_items.h"

namespace fs = std::filesystem;

namespace bridgit::ui {

void TFZQDir::Guarded(const std::function<void()>& command) {
  try {
    command();
  } catch (const std::exception& e) {
    ShowError(e);
  }
}

// The drag source of the focused view, its Files the temporary folder plus the
// file name of each selected object (no extension yet), each with its list
// item or tree entry. Null when nothing can be copied.
shell::TFileSource* TFZQDir::FillSource() {
  const std::string temp = TempFolder();
  if (focusedView_ == objectList) {
    FileSourceList->Files.clear();
    for (int i = 0; i < objectList->topLevelItemCount(); ++i) {
      QTreeWidgetItem* item = objectList->topLevelItem(i);
      if (item->isSelected())
        FileSourceList->Files.push_back({QString::fromStdString(temp + PcFileName(Caption(item))), QVariant::fromValue<void*>(item)});
    }
    return FileSourceList->Files.isEmpty() ? nullptr : FileSourceList.get();
  }
  if (focusedView_ == folderTree) {
    QTreeWidgetItem* node = folderTree->currentItem();
    if (!node) return nullptr;
    FileSourceTree->Files.clear();
    FileSourceTree->Files.push_back({QString::fromStdString(temp + PcFileName(Caption(node))), QVariant::fromValue<void*>(EntryOf(node))});
    return FileSourceTree.get();
  }
  return nullptr;
}

// Where a file of a source is made: its path with the extension of the
// transfer mode; for the root node of the tree, a backup file.
QString TFZQDir::SourceFilePath(const shell::TFileSource& source, const shell::TSourceFile& f) const {
  const fs::path path = f.path.toStdString();
  if (&source == FileSourceTree.get() && path.filename().string() == PcFileName(Caption(folderTree->topLevelItem(0))))
    return QString::fromStdString((path.parent_path() / BackupFileName(host_->CalculatorModel(), QDate::currentDate())).string());
  const std::string ext = host_->TextMode() ? ".txt" : host_->FileSettings().addExtension ? ".zq" : "";
  return f.path + QString::fromStdString(ext);
}

// Fetches the objects of a source into their files (SourceFilePath), the
// root node of the tree as a backup. A fetch that fails raises the connection
// error when the link went, a quiet stop when the person cancelled it.
void TFZQDir::FetchSourceFiles(shell::TFileSource& source) {
  const bool tree = &source == FileSourceTree.get();
  TBusyScope busy(*host_);
  server_->ChangeDir(CurrentPath);
  const std::string root = PcFileName(Caption(folderTree->topLevelItem(0)));
  TObjectRun run(&server_->ProgressDialog(), static_cast<int>(source.Files.size()));
  for (shell::TSourceFile& f : source.Files) {
    const fs::path path = f.path.toStdString();
    if (!run.Next(path.filename().string())) throw TQuietStop();  // the clipboard stays as it was
    const std::string file = SourceFilePath(source, f).toStdString();
    if (tree && path.filename().string() == root) {
      const fs::path backup = file;
      std::error_code ec;
      fs::remove(backup, ec);  // an older file of that name must not pass for this backup
      // Only the file this backup wrote: anything else found at that name
      // (one that could not be removed) is never handed out as the backup.
      if (!BackupToFile(backup.string())) throw std::runtime_error(kCanceledByUser);
      f.path = QString::fromStdString(backup.string());
      continue;
    }
    int type = 0;
    long long size = 0;
    if (tree) {
      const auto* entry = static_cast<const TXPObject*>(f.object.value<void*>());
      type = entry->TypeIcon;
      size = entry->TotalSize();
      // A folder is fetched from the folder that holds it.
      if (entry->Parent) server_->ChangeDir(entry->Parent->FullPath());
    } else {
      const auto* item = static_cast<const QTreeWidgetItem*>(f.object.value<void*>());
      type = item->data(0, kIconRole).toInt();
      size = item->text(kColumnSize).toLongLong();
    }
    if (!server_->GetToFile(path.filename().string(), file, type, size)) {
      if (server_->TransferCancelled()) throw TQuietStop();
      if (!Connected()) throw TConnectionError();  // the calculator went away mid-copy
      throw std::runtime_error(kCanceledByUser);
    }
    f.path = QString::fromStdString(file);
  }
}

void TFZQDir::CopySelection(bool cut) {
  LastCopiedFile.clear();
  // The root node is copied only by dragging it out (a backup).
  if (focusedView_ == folderTree && (!folderTree->currentItem() || !folderTree->currentItem()->parent())) return;
  shell::TFileSource* source = FillSource();
  if (!source) return;
  FetchSourceFiles(*source);
  source->CopyToClipboard(cut);
  LastCopiedFile = source->Files.back().path.toStdString();
}

void TFZQDir::mnuCopyClick() { CopySelection(false); }

void TFZQDir::mnuCutClick() {
  CopySelection(true);  // raises on a failed get: nothing is deleted then
  DeleteSelection();
}

void TFZQDir::mnuCopyAsTextClick() {
  TTextModeScope text(*host_);
  CopySelection(false);
}

void TFZQDir::mnuPasteClick() {
  if (!objectList->isEnabled()) return;
  TBusyScope busy(*host_);
  // No files now: an empty list, never an earlier one.
  const bool cut = FileTargetList->PasteFromClipboard() == shell::kEffectMove;
  const QStringList files = FileTargetList->Files;
  server_->ChangeDir(CurrentPath);
  // Files cut in a file manager move: each leaves the PC once the calculator
  // holds it, and a clipboard whose files have all moved names nothing more.
  if (PutFiles(files, cut) && cut) QApplication::clipboard()->clear();
  refreshTimer->start();
}

bool TFZQDir::PutFileToCalculator(const std::string& path, bool& replaceAll, int fileCount, bool* stored) {
  if (stored) *stored = false;
  std::string name = fs::path(path).filename().string();
  const std::string ext = LowerExtension(name);
  if (ext == ".zq" || ext == ".txt" || ext == ".zqbackup") name.resize(name.size() - ext.size());
  if (ext != ".zqbackup") {
    const std::string calcName = CalcName(name);
    bool exists = false;
    for (int i = 0; i < objectList->topLevelItemCount() && !exists; ++i) exists = Caption(objectList->topLevelItem(i)) == calcName;
    const int declined = host_->ReplacesDeclined();
    const bool sent = server_->PutFile(calcName, path, fileCount, replaceAll, exists);
    if (stored) *stored = sent && host_->ReplacesDeclined() == declined;  // "No" skips the file and goes on
    return sent;
  }
  // A backup file restores the whole calculator, and ends the run either way.
  host_->Beep();
  if (host_->ShowMessagePrompt(EraseQuestion(fs::path(path).filename().string()), kEraseCaption)) RestoreFromFile(path);
  return false;
}

namespace {

// Everything a folder holds, its sub-folders' contents included.
long long ObjectsInside(const TXPObject& folder) {
  long long n = 0;
  for (const auto& c : folder.Children) n += 1 + (c->IsDirectory() ? ObjectsInside(*c) : 0);
  return n;
}

const TXPObject* ChildNamed(const TXPObject* folder, const std::string& name) {
  if (folder)
    for (const auto& c : folder->Children)
      if (c->Name == name) return c.get();
  return nullptr;
}

}  // namespace

bool TFZQDir::AgreeToPurge(const TXPObject* folder) {
  const long long count = folder ? ObjectsInside(*folder) : 0;
  return count == 0 || host_->ShowMessagePrompt(DeleteFolderQuestion(folder->Name, count), kDeleteFolderCaption);
}

// What a file manager selects after a delete: the item after the deleted ones,
// else the one before; a plain object's delete never lands on a folder, so
// that a second Delete cannot take a folder unasked.
void TFZQDir::SelectNeighbourOfDeleted() {
  int first = -1, last = -1;
  bool plainOnly = true;
  for (int i = 0; i < objectList->topLevelItemCount(); ++i)
    if (const QTreeWidgetItem* item = objectList->topLevelItem(i); item->isSelected()) {
      if (first < 0) first = i;
      last = i;
      plainOnly = plainOnly && !IsFolderItem(item);
    }
  QTreeWidgetItem* next = objectList->topLevelItem(last + 1);
  if (!next && first > 0) next = objectList->topLevelItem(first - 1);
  if (next && plainOnly && IsFolderItem(next)) next = nullptr;
  LastSelectedName = next ? Caption(next) : std::string();
  listSelectionGone_ = !next;
}

void TFZQDir::DeleteSelection() {
  if (focusedView_ == objectList) {
    if (!objectList->isEnabled()) return;
    std::vector<std::pair<std::string, bool>> doomed;
    for (int i = 0; i < objectList->topLevelItemCount(); ++i)
      if (const QTreeWidgetItem* item = objectList->topLevelItem(i); item->isSelected()) doomed.emplace_back(Caption(item), IsFolderItem(item));
    for (const auto& [name, folder] : doomed)
      if (folder && !AgreeToPurge(ChildNamed(CurrentFolder(), name))) return;
    SelectNeighbourOfDeleted();
    TBusyScope busy(*host_);
    server_->ChangeDir(CurrentPath);
    for (const auto& [name, folder] : doomed) server_->Purge(name, folder);
  } else if (focusedView_ == folderTree) {
    if (!folderTree->isEnabled()) return;
    QTreeWidgetItem* node = folderTree->currentItem();
    if (!node || !node->parent()) return;  // HOME itself is never deleted
    if (!AgreeToPurge(EntryOf(node))) return;
    TBusyScope busy(*host_);
    const std::string name = Caption(node);
    QTreeWidgetItem* parent = node->parent();
    folderTree->setCurrentItem(parent);  // shows the parent and makes it current on the calculator
    if (const TXPObject* folder = EntryOf(parent)) CurrentPath = folder->FullPath();
    server_->Purge(name, true);
  } else {
    return;
  }
  refreshTimer->start();
}

void TFZQDir::mnuNewFolderClick() {
  if (focusedView_ == objectList) {
    if (!objectList->isEnabled()) return;
    TBusyScope busy(*host_);
    server_->ChangeDir(CurrentPath);
    server_->CreateDir(kNewFolderName);
    LastSelectedName = kNewFolderName;
  } else if (focusedView_ == folderTree) {
    QTreeWidgetItem* node = folderTree->currentItem();
    if (!folderTree->isEnabled() || !node) return;
    // Beside the selected folder; inside HOME when HOME is selected.
    QTreeWidgetItem* folder = node->parent() ? node->parent() : node;
    if (const TXPObject* entry = EntryOf(folder)) CurrentPath = entry->FullPath();
    TBusyScope busy(*host_);
    server_->ChangeDir(CurrentPath);
    server_->CreateDir(kNewFolderName);
    CurrentPath += std::string(" ") + kNewFolderName;
  } else {
    return;
  }
  refreshTimer->start();
}

void TFZQDir::mnuEvalClick() {
  if (!Connected() || Busy() || focusedView_ != objectList) return;
  QTreeWidgetItem* item = objectList->currentItem();
  if (!item || !item->isSelected()) {
    const auto selected = objectList->selectedItems();
    if (selected.isEmpty()) return;
    item = selected.front();
  }
  if (IsFolderItem(item)) return OpenItem(item);
  TBusyScope busy(*host_);
  const std::string name = Caption(item);
  if (!CheckVarName(name, *host_)) return;
  server_->ChangeDir(CurrentPath);
  server_->SendCalculatorCommand(name);
  if (FRplCmd && FRplCmd->AutoUpdate()) FRplCmd->UpdateStack();
  refreshTimer->start();
}

}  // namespace bridgit::ui
