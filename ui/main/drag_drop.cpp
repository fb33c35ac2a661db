// Drag and drop with the desktop: objects dragged out of the tree or the list
// become files where they are dropped (fetched at the drop; the root node
// becomes a backup file), and files dropped on the list or a tree folder go
// into the calculator.
#include <QApplication>
#include <QFileInfo>
#include <QMouseEvent>
#include <QTimer>
#include <QTreeWidget>
#include <filesystem>
#include <system_error>

#include "shell/file_source.h"
#include "shell/file_target.h"
#include "ui/main/image_list.h"
#include "ui/main/main_window.h"
#include "ui/main/object_run.h"
#include "ui/main/view_items.h"

namespace bridgit::ui {

namespace {
constexpr int kListThreshold = 2;  // pixels the pointer moves before a drag starts
constexpr int kTreeThreshold = 6;
const QPoint kNoDrag(-1, -1);
}  // namespace

void TFZQDir::SetDropTargets(bool on) {
  FileTargetList->SetTarget(on ? objectList : nullptr);
  FileTargetTree->SetTarget(on ? folderTree : nullptr);
}

void TFZQDir::BuildDragDrop() {
  FileSourceList = std::make_unique<shell::TFileSource>();
  FileSourceTree = std::make_unique<shell::TFileSource>();
  FileTargetList = std::make_unique<shell::TFileTarget>();
  FileTargetTree = std::make_unique<shell::TFileTarget>();
  FileSourceList->OnDrop = [this](bool& go) { FileSourceDrop(*FileSourceList, go); };
  FileSourceTree->OnDrop = [this](bool& go) { FileSourceDrop(*FileSourceTree, go); };
  for (shell::TFileSource* source : {FileSourceList.get(), FileSourceTree.get()})
    source->FinalPath = [this, source](const shell::TSourceFile& f) { return SourceFilePath(*source, f); };
  FileTargetList->OnDrop = [this](QPoint at) { Guarded([&] { FileTargetListDrop(at); }); };
  FileTargetTree->OnDragOver = [this](QPoint at) {
    if (!folderTree->isEnabled()) return;
    if (QTreeWidgetItem* node = folderTree->itemAt(at)) SetDropHighlight(node);
  };
  FileTargetTree->OnLeave = [this] { SetDropHighlight(nullptr); };
  FileTargetTree->OnDrop = [this](QPoint at) { Guarded([&] { FileTargetTreeDrop(at); }); };
  SetDropTargets(true);
}

void TFZQDir::SetDropHighlight(QTreeWidgetItem* node) {
  if (dropHighlight_ == node) return;
  if (dropHighlight_) dropHighlight_->setBackground(0, QBrush());
  dropHighlight_ = node;
  if (node) node->setBackground(0, folderTree->palette().highlight().color().lighter(160));
}

// Mouse presses and moves on the views: the start of a drag.
bool TFZQDir::DragMouse(QObject* watched, QEvent* event) {
  const bool inList = watched == objectList->viewport();
  const bool inTree = watched == folderTree->viewport();
  if (!inList && !inTree) return false;
  QTreeWidget* view = inList ? objectList : folderTree;
  auto* mouse = static_cast<QMouseEvent*>(event);
  const QPoint at = mouse->position().toPoint();
  switch (event->type()) {
    case QEvent::MouseButtonPress:
      SetFocusedView(view);
      DragStarted = false;
      DragStart = kNoDrag;
      if (mouse->button() == Qt::LeftButton && (inList || view->itemAt(at))) DragStart = at;
      ClickPoint = DragStart;
      return false;
    case QEvent::MouseButtonRelease:
      if (mouse->button() == Qt::LeftButton) DragStart = kNoDrag;
      return false;
    case QEvent::MouseMove: {
      if (focusedView_ != view || DragStarted || DragStart == kNoDrag || !(mouse->buttons() & (Qt::LeftButton | Qt::RightButton)))
        return false;
      const int threshold = inList ? kListThreshold : kTreeThreshold;
      if (std::abs(at.x() - DragStart.x()) < threshold && std::abs(at.y() - DragStart.y()) < threshold) return false;
      // A drag is started from the event loop: nothing may escape from here.
      Guarded([&] {
        if (inList)
          StartListDrag();
        else
          StartTreeDrag();
      });
      return true;
    }
    default:
      return false;
  }
}

bool TFZQDir::StartListDrag() {
  shell::TFileSource* source = FillSource();
  if (!source) return false;
  DragStarted = true;
  const bool dropped = source->StartDrag(objectList);
  ReportDragError();
  return dropped;
}

bool TFZQDir::StartTreeDrag() {
  QTreeWidgetItem* node = folderTree->currentItem();
  if (!node) return false;
  shell::TFileSource* source = FillSource();
  // The whole memory cannot be dropped back onto this window.
  if (!node->parent()) SetDropTargets(false);
  DragStarted = true;
  const bool dropped = source && source->StartDrag(folderTree);
  SetDropTargets(true);
  ReportDragError();
  return dropped;
}

// The drop is happening: fetch the objects into the announced paths. A failed
// fetch cancels the drop, so that no missing or stale file is copied; the
// error is shown once the drag is over.
void TFZQDir::FileSourceDrop(shell::TFileSource& source, bool& continueDrop) {
  try {
    FetchSourceFiles(source);
  } catch (const std::exception& e) {
    continueDrop = false;
    dragError_ = e.what();
    // Asked for at the drop, after the drag: nobody else will say it.
    if (!source.Dragging()) QTimer::singleShot(0, this, [this] { ReportDragError(); });
  }
}

void TFZQDir::ReportDragError() {
  if (dragError_.empty()) return;
  const std::string error = std::exchange(dragError_, {});
  ShowError(std::runtime_error(error));
}

void TFZQDir::FileTargetListDrop(QPoint at) {
  host_->ProcessMessages();
  if (!objectList->isEnabled()) return;
  const QStringList files = FileTargetList->Files;
  server_->ChangeDir(CurrentPath);
  TBusyScope busy(*host_);
  // Dropped on a folder item: into that folder, which the refresh then shows.
  if (QTreeWidgetItem* item = objectList->itemAt(at); item && IsFolderItem(item)) {
    CurrentPath += " " + Caption(item);
    server_->ChangeDir(CurrentPath);
  }
  PutFiles(files);
  refreshTimer->start();
}

void TFZQDir::FileTargetTreeDrop(QPoint at) {
  host_->ProcessMessages();
  const QStringList files = FileTargetTree->Files;
  QTreeWidgetItem* highlighted = dropHighlight_;
  SetDropHighlight(nullptr);
  if (!folderTree->isEnabled()) return;
  if (QTreeWidgetItem* node = folderTree->itemAt(at))
    folderTree->setCurrentItem(node);  // shows the folder and makes it current on the calculator
  else if (!folderTree->currentItem() && highlighted)
    folderTree->setCurrentItem(highlighted);
  if (!folderTree->currentItem()) return;
  TBusyScope busy(*host_);
  server_->ChangeDir(CurrentPath);
  PutFiles(files);
  refreshTimer->start();
}

bool TFZQDir::PutFiles(const QStringList& files, bool move) {
  bool replaceAll = false;
  qsizetype moved = 0;
  TObjectRun run(&server_->ProgressDialog(), static_cast<int>(files.size()));
  for (const QString& file : files) {
    if (!run.Next(QFileInfo(file).fileName().toStdString())) break;
    bool stored = false;
    const bool go = PutFileToCalculator(file.toStdString(), replaceAll, static_cast<int>(files.size()), &stored);
    // A file that cannot be removed stays where it was: nothing is lost.
    std::error_code ec;
    if (move && stored && std::filesystem::remove(file.toStdString(), ec)) ++moved;
    if (!go) break;
  }
  return moved == files.size();
}

}  // namespace bridgit::ui
