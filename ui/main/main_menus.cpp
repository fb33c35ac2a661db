// The rules that enable the main window's controls and menu items.
#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>

#include "link/port_names.h"
#include "shell/clipboard_files.h"
#include "ui/dialogs/command_window.h"
#include "ui/main/image_list.h"
#include "ui/main/main_texts.h"
#include "ui/main/main_window.h"

namespace bridgit::ui {

// A menu about to open, or a new clipboard: what it holds is read again.
void TFZQDir::ReadClipboardAndEnable() {
  clipboardFiles_ = shell::ClipboardHasFiles();
  PopupMenu1Popup();
}

void TFZQDir::SetFocusedView(QWidget* view) {
  if (focusedView_ == view) return;
  focusedView_ = view;
  ShowSelectionFocus();
  PopupMenu1Popup();
}

// Both views keep a selection; the one the commands and keys act on shows it
// in the active colour, the other in the inactive one, so that a person can
// tell them apart.
void TFZQDir::ShowSelectionFocus() {
  for (QTreeWidget* view : {folderTree, static_cast<QTreeWidget*>(objectList)}) {
    QPalette p = palette();
    if (view != focusedView_) {
      QColor inactive = p.color(QPalette::Inactive, QPalette::Highlight);
      QColor text = p.color(QPalette::Inactive, QPalette::HighlightedText);
      if (inactive == p.color(QPalette::Active, QPalette::Highlight)) {  // the style makes no difference
        inactive = p.color(QPalette::Active, QPalette::Midlight);
        text = p.color(QPalette::Active, QPalette::Text);
      }
      p.setColor(QPalette::Active, QPalette::Highlight, inactive);
      p.setColor(QPalette::Active, QPalette::HighlightedText, text);
    }
    view->setPalette(p);
  }
}

bool TFZQDir::ViewHasFocus() const {
  // The window's own focus, also while another window is active.
  const QWidget* f = focusWidget();
  return f && (f == folderTree || f == objectList || folderTree->isAncestorOf(f) || objectList->isAncestorOf(f));
}

bool TFZQDir::Editing() const {
  // An item's name being edited in place has an open line editor in its view.
  for (QWidget* view : {static_cast<QWidget*>(folderTree), static_cast<QWidget*>(objectList)})
    for (const QLineEdit* editor : view->findChildren<QLineEdit*>())
      if (editor->isVisible()) return true;
  return false;
}

void TFZQDir::UpdateControls() {
  if (!tbtnConnect || !mnuFile) return;  // still being built
  const bool p = host_->PromptShowing();
  if (FRplCmd) FRplCmd->SetControlState(Connected(), Busy() || p);
  const bool idle = !Busy() && !p;
  const bool viewsOn = Connected() && idle;
  // Disabling the view that has the focus makes Qt hand it to the next
  // control; the person's view gets it back when the busy spell ends.
  if (!viewsOn && !restoreViewFocus_) restoreViewFocus_ = ViewHasFocus();
  folderTree->setEnabled(viewsOn);
  objectList->setEnabled(viewsOn);
  paneSplitter->setEnabled(viewsOn);
  if (viewsOn && restoreViewFocus_) {
    restoreViewFocus_ = false;
    if (focusedView_) focusedView_->setFocus(Qt::OtherFocusReason);
  }
  tbtnScrnCapture->setEnabled(idle);
  tbtnConnect->setEnabled(idle);
  const bool usb = IsUsbPortName(cmboPort->currentText().toStdString());
  cmboPort->setEnabled(!Connected() && idle);
  cmboSpeed->setEnabled(!Connected() && idle && !usb);
  PopupMenu1Popup();
  if (Connected()) {
    const char* hint = host_->TextMode() ? kHintTextMode : kHintBinaryMode;
    tbtnXferMode->setIcon(ImageIcon(host_->TextMode() ? kImageTextMode : kImageBinaryMode));
    tbtnXferMode->setToolTip(hint);
    mnuXferMode->setText(host_->TextMode() ? kCaptionTextMode : kCaptionBinaryMode);
    tbtnXferMode->setAccessibleName(host_->TextMode() ? kNameBinaryMode : kNameTextMode);
    mnuXferMode->setChecked(!host_->TextMode());
    tbtnXferMode->setEnabled(idle);
    tbtnConnect->setIcon(ImageIcon(kImageDisconnect));
    tbtnConnect->setToolTip(kHintDisconnect);
    tbtnConnect->setAccessibleName(kNameDisconnect);
  } else {
    tbtnXferMode->setEnabled(false);
    tbtnConnect->setIcon(ImageIcon(kImageConnect));
    tbtnConnect->setToolTip(kHintQuickConnect);
    tbtnConnect->setAccessibleName(kNameConnect);
    statusVersion->clear();
  }
}

void TFZQDir::PopupMenu1Popup() {
  if (!mnuFile) return;
  const bool p = host_->PromptShowing();
  const bool idle = !Busy() && !p;
  bool any = false, one = false, act = false;
  if (focusedView_ == objectList) {
    const int selected = static_cast<int>(objectList->selectedItems().size());
    any = objectList->isEnabled() && selected > 0;
    one = objectList->isEnabled() && selected == 1;
    act = any;
  } else if (focusedView_ == folderTree) {
    QTreeWidgetItem* node = folderTree->currentItem();
    const bool root = node && !node->parent();
    any = folderTree->isEnabled() && node;
    one = any && !root;
    act = any && !root;
  }
  any = any && idle;
  one = one && idle;
  act = act && idle;
  mnuFile->menuAction()->setEnabled(!Busy());
  for (QMenu* m : {mnuEdit, mnuView, mnuROM, mnuHelp}) m->menuAction()->setEnabled(idle);
  const bool listFocused = focusedView_ == objectList;
  mnuSelectAll->setEnabled(Connected() && listFocused && idle);
  mnuInvertSelection->setEnabled(Connected() && listFocused && idle);
  mnuEval->setEnabled(one && listFocused);
  mnuEvalPop->setEnabled(one && listFocused);
  for (QAction* a : {mnuCut, mnuCutPop, mnuCopy, mnuCopyPop, mnuDelete, mnuDeletePop, mnuRename, mnuRenamePop})
    a->setEnabled(act);
  const QString copy = host_->TextMode() ? kCaptionCopyText : kCaptionCopyBinary;
  mnuCopy->setText(copy);
  mnuCopyPop->setText(copy);
  for (QAction* a : {mnuCopyAsText, mnuCopyAsTextPop, mnuEditText, mnuEditTextPop}) a->setEnabled(one);
  mnuProperty->setEnabled(any);
  mnuPropertyPop->setEnabled(any);
  for (QAction* a : {mnuXferMode, mnuRefresh, mnuRefreshPop, mnuNewFolder, mnuNewFolderPop, mnuBackup, mnuRestore})
    a->setEnabled(Connected() && idle);
  mnuPaste->setEnabled(clipboardFiles_ && objectList->isEnabled() && idle);
  mnuPastePop->setEnabled(mnuPaste->isEnabled());
  SetShortCuts();
}

void TFZQDir::SetShortCuts() {
  const bool editing = Editing();
  for (QAction* a : {mnuCut, mnuCopy, mnuPaste})
    a->setShortcut(editing ? QKeySequence() : a->property(kShortcutProperty).value<QKeySequence>());
}

void TFZQDir::mnuFileClick() {
  const bool promptUp = host_->PromptOpen();
  mnuConnect->setText(Connected() ? kCaptionDisconnect : kCaptionConnect);
  mnuConnect->setStatusTip(Connected() ? kHintDisconnectMenu : kHintConnect);
  mnuConnect->setEnabled(!promptUp);
  PopupMenu1Popup();
  // These use the calculator's own send and receive commands, not its server.
  for (QAction* a : {mnuDownLoadServer, mnuDownLoadFile, mnuUploadFile, mnuCaptureScreen}) a->setEnabled(!Connected() && !promptUp);
}

void TFZQDir::mnuROMClick() {
  const bool promptUp = host_->PromptOpen();
  mnuDownloadCalculatorROM->setEnabled(IsUsbPortName(cmboPort->currentText().toStdString()) && !Busy() && !promptUp);
}

void TFZQDir::mnuRPLClick() {
  if (!FRplCmd) return;
  if (FRplCmd->isVisible()) {
    FRplCmd->close();
    return;
  }
  FRplCmd->show();
  if (FRplCmd->isMinimized() || FRplCmd->isMaximized()) FRplCmd->showNormal();
  FRplCmd->raise();
  FRplCmd->activateWindow();
}

void TFZQDir::mnuViewClick() {
  mnuRPL->setChecked(FRplCmd && FRplCmd->isVisible());
  mnuToolbar->setChecked(ToolBar->isVisible());
  mnuStatusBar->setChecked(statusBar()->isVisible());
  mnuLargeIcons->setChecked(viewStyle_ == kStyleLargeIcons);
  mnuSmallIcons->setChecked(viewStyle_ == kStyleSmallIcons);
  mnuList->setChecked(viewStyle_ == kStyleList);
  mnuDetails->setChecked(viewStyle_ == kStyleReport);
}

}  // namespace bridgit::ui
