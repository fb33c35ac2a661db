// The main window's menus and the rules that enable its controls and items.
#include <QAbstractItemView>
#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>

#include "link/port_names.h"
#include "shell/clipboard_files.h"
#include "ui/dialogs/command_window.h"
#include "ui/dialogs/download_prompt.h"
#include "ui/dialogs/working_dialogs.h"
#include "ui/main/image_list.h"
#include "ui/main/main_texts.h"
#include "ui/main/main_window.h"

namespace bridgit::ui {

QAction* TFZQDir::MenuItem(QMenu* menu, const char* name, const QString& caption, const QString& hint) {
  QAction* a = menu->addAction(caption);
  a->setObjectName(name);
  a->setStatusTip(hint);
  a->setToolTip(hint);
  return a;
}

void TFZQDir::BuildMenus() {
  QMenuBar* bar = menuBar();
  bar->setObjectName("mainMenu");
  const auto menu = [bar](const char* name, const QString& caption) {
    QMenu* m = bar->addMenu(caption);
    m->setObjectName(name);
    m->setToolTipsVisible(false);
    return m;
  };
  mnuFile = menu("mnuFile", "&File");
  mnuNewFolder = MenuItem(mnuFile, "mnuNewFolder", "Ne&w Folder", "Create a new folder.");
  mnuBackup = MenuItem(mnuFile, "mnuBackup", "&Backup...", "Backup the calculator variables.");
  mnuRestore = MenuItem(mnuFile, "mnuRestore", "Re&store...", "Restore the calculator variables.");
  mnuEval = MenuItem(mnuFile, "mnuEval", "&EVAL", "EVAL the variable on the calculator");
  mnuFile->addSeparator();
  mnuDelete = MenuItem(mnuFile, "mnuDelete", "&Delete", "Permanently remove selected item from the calculator.");
  mnuRename = MenuItem(mnuFile, "mnuRename", "Rena&me", "Rename selected item.");
  mnuProperty = MenuItem(mnuFile, "mnuProperty", "P&roperties", "Show the size and copy time for the selected item.");
  mnuFile->addSeparator();
  mnuConnect = MenuItem(mnuFile, "mnuConnect", kCaptionConnect, kHintConnect);
  mnuXferMode = MenuItem(mnuFile, "mnuXferMode", kCaptionBinaryMode, kHintBinaryMode);
  mnuXferMode->setCheckable(true);
  mnuXferMode->setChecked(true);
  mnuFile->addSeparator();
  mnuDownLoadServer = MenuItem(mnuFile, "mnuDownLoadServer", "Download &ZQ71 Server (Manual-XRECV)...", "Send an XModem Server to the ZQ71");
  mnuDownLoadFile = MenuItem(mnuFile, "mnuDownLoadFile", "Down&load File (Manual-XRECV)...", "Send file using XRECV on calculator.");
  mnuUploadFile = MenuItem(mnuFile, "mnuUploadFile", "&Upload File (Manual-XSEND)...", "Copy file to the PC using XSEND on the calculator.");
  mnuCaptureScreen = MenuItem(mnuFile, "mnuCaptureScreen", "C&apture Calculator Screen...", "Copy the calculator screen to the PC.");
  mnuFile->addSeparator();
  mnuClose = MenuItem(mnuFile, "mnuClose", "E&xit");

  mnuEdit = menu("mnuEdit", "&Edit");
  mnuCut = MenuItem(mnuEdit, "mnuCut", "Cu&t");
  mnuCopy = MenuItem(mnuEdit, "mnuCopy", "&Copy");
  mnuCopyAsText = MenuItem(mnuEdit, "mnuCopyAsText", "Copy as Text &File", "Get the file in text form");
  mnuCopyAsText->setShortcut(QKeySequence("Ctrl+T"));
  mnuPaste = MenuItem(mnuEdit, "mnuPaste", "&Paste");
  mnuEdit->addSeparator();
  mnuEditText = MenuItem(mnuEdit, "mnuEditText", "Edit as Te&xt", "Get the file in text form and edit");
  mnuEditText->setShortcut(QKeySequence("Ctrl+E"));
  mnuEdit->addSeparator();
  mnuSelectAll = MenuItem(mnuEdit, "mnuSelectAll", "Select &All");
  mnuSelectAll->setShortcut(QKeySequence("Ctrl+A"));
  mnuInvertSelection = MenuItem(mnuEdit, "mnuInvertSelection", "&Invert Selection");

  mnuView = menu("mnuView", "&View");
  mnuToolbar = MenuItem(mnuView, "mnuToolbar", "&Toolbar");
  mnuStatusBar = MenuItem(mnuView, "mnuStatusBar", "Status &Bar");
  mnuView->addSeparator();
  mnuLargeIcons = MenuItem(mnuView, "mnuLargeIcons", "Lar&ge Icons");
  mnuLargeIcons->setVisible(false);
  mnuSmallIcons = MenuItem(mnuView, "mnuSmallIcons", "Ico&ns");
  mnuList = MenuItem(mnuView, "mnuList", "&List");
  mnuDetails = MenuItem(mnuView, "mnuDetails", "&Details");
  auto* styles = new QActionGroup(this);
  for (QAction* a : {mnuToolbar, mnuStatusBar, mnuLargeIcons, mnuSmallIcons, mnuList, mnuDetails}) a->setCheckable(true);
  for (QAction* a : {mnuLargeIcons, mnuSmallIcons, mnuList, mnuDetails}) styles->addAction(a);
  mnuView->addSeparator();
  mnuRefresh = MenuItem(mnuView, "mnuRefresh", "&Refresh", "Read the directory from the calculator.");
  mnuRefresh->setShortcut(QKeySequence(Qt::Key_F5));
  mnuView->addSeparator();
  mnuOptions = MenuItem(mnuView, "mnuOptions", "&Options...");
  mnuRPL = MenuItem(mnuView, "mnuRPL", "Calculator &Command");
  mnuRPL->setCheckable(true);

  mnuROM = menu("mnuROM", "&ROM");
  mnuDownloadCalculatorROM = MenuItem(mnuROM, "mnuDownloadCalculatorROM", "&Download Calculator ROM...", "Update the Calculator ROM from a .bin file.");

  mnuHelp = menu("mnuHelp", "&Help");
  mnuContentsHelp = MenuItem(mnuHelp, "mnuContentsHelp", "&Contents and Index");
  mnuHelp->addSeparator();
  mnuCommHelp = MenuItem(mnuHelp, "mnuCommHelp", "Co&mmunications Topic");
  mnuTextHelp = MenuItem(mnuHelp, "mnuTextHelp", "&Text File Topic");
  mnuTroubleShooting = MenuItem(mnuHelp, "mnuTroubleShooting", "Trouble &Shooting Connections");
  mnuHelp->addSeparator();
  mnuAbout = MenuItem(mnuHelp, "mnuAbout", "&About");

  // The pop-up menu of both views: the same actions' twins, without shortcuts.
  popupMenu = new QMenu(this);
  popupMenu->setObjectName("popupMenu");
  const auto twin = [this](const char* name, QAction* of) {
    QAction* a = MenuItem(popupMenu, name, of->text(), of->statusTip());
    connect(a, &QAction::triggered, of, &QAction::trigger);
    return a;
  };
  mnuNewFolderPop = twin("mnuNewFolderPop", mnuNewFolder);
  mnuEvalPop = twin("mnuEvalPop", mnuEval);
  popupMenu->addSeparator();
  mnuCutPop = twin("mnuCutPop", mnuCut);
  mnuCopyPop = twin("mnuCopyPop", mnuCopy);
  mnuCopyAsTextPop = twin("mnuCopyAsTextPop", mnuCopyAsText);
  mnuPastePop = twin("mnuPastePop", mnuPaste);
  popupMenu->addSeparator();
  mnuEditTextPop = twin("mnuEditTextPop", mnuEditText);
  popupMenu->addSeparator();
  mnuDeletePop = twin("mnuDeletePop", mnuDelete);
  mnuRenamePop = twin("mnuRenamePop", mnuRename);
  popupMenu->addSeparator();
  mnuPropertyPop = twin("mnuPropertyPop", mnuProperty);
  mnuRefreshPop = twin("mnuRefreshPop", mnuRefresh);
  mnuRefreshPop->setText("Refres&h");  // R is Properties' letter here

  connect(mnuFile, &QMenu::aboutToShow, this, &TFZQDir::mnuFileClick);
  connect(mnuEdit, &QMenu::aboutToShow, this, &TFZQDir::ReadClipboardAndEnable);
  // The shortcuts act without a menu being opened: their enabling follows the
  // selection, the focused view and what the clipboard holds as it changes.
  connect(QApplication::clipboard(), &QClipboard::dataChanged, this, &TFZQDir::ReadClipboardAndEnable);
  connect(objectList, &QTreeWidget::itemSelectionChanged, this, &TFZQDir::PopupMenu1Popup);
  connect(folderTree, &QTreeWidget::currentItemChanged, this, &TFZQDir::PopupMenu1Popup);
  clipboardFiles_ = shell::ClipboardHasFiles();
  connect(mnuView, &QMenu::aboutToShow, this, &TFZQDir::mnuViewClick);
  connect(mnuROM, &QMenu::aboutToShow, this, &TFZQDir::mnuROMClick);
  connect(mnuConnect, &QAction::triggered, this, &TFZQDir::mnuConnectClick);
  connect(mnuXferMode, &QAction::triggered, this, &TFZQDir::tbtnXferModeClick);
  connect(mnuClose, &QAction::triggered, this, &QWidget::close);
  connect(mnuSelectAll, &QAction::triggered, this, [this] { objectList->selectAll(); });
  connect(mnuInvertSelection, &QAction::triggered, this, [this] {
    for (int i = 0; i < objectList->topLevelItemCount(); ++i) {
      QTreeWidgetItem* item = objectList->topLevelItem(i);
      item->setSelected(!item->isSelected());
    }
  });
  connect(mnuToolbar, &QAction::triggered, this, [this] { ToolBar->setVisible(!ToolBar->isVisible()); });
  connect(mnuStatusBar, &QAction::triggered, this, [this] { statusBar()->setVisible(!statusBar()->isVisible()); });
  connect(mnuSmallIcons, &QAction::triggered, this, [this] { SetViewStyle(kStyleSmallIcons); });
  connect(mnuList, &QAction::triggered, this, [this] { SetViewStyle(kStyleList); });
  connect(mnuDetails, &QAction::triggered, this, [this] { SetViewStyle(kStyleReport); });
  connect(mnuRefresh, &QAction::triggered, this, [this] { Guarded([this] { RefreshDirectory(); }); });
  const auto command = [this](QAction* item, void (TFZQDir::*handler)()) {
    connect(item, &QAction::triggered, this, [this, handler] { Guarded([this, handler] { (this->*handler)(); }); });
  };
  command(mnuCut, &TFZQDir::mnuCutClick);
  command(mnuCopy, &TFZQDir::mnuCopyClick);
  command(mnuCopyAsText, &TFZQDir::mnuCopyAsTextClick);
  command(mnuPaste, &TFZQDir::mnuPasteClick);
  command(mnuEditText, &TFZQDir::mnuEditTextClick);
  command(mnuDelete, &TFZQDir::DeleteSelection);
  command(mnuNewFolder, &TFZQDir::mnuNewFolderClick);
  command(mnuEval, &TFZQDir::mnuEvalClick);
  command(mnuRename, &TFZQDir::mnuRenameClick);
  command(mnuProperty, &TFZQDir::mnuPropertyClick);
  connect(mnuRPL, &QAction::triggered, this, &TFZQDir::mnuRPLClick);
  command(mnuBackup, &TFZQDir::mnuBackupClick);
  command(mnuRestore, &TFZQDir::mnuRestoreClick);
  command(mnuDownLoadServer, &TFZQDir::mnuDownLoadServerClick);
  command(mnuDownLoadFile, &TFZQDir::mnuDownLoadFileClick);
  command(mnuUploadFile, &TFZQDir::mnuUploadFileClick);
  command(mnuCaptureScreen, &TFZQDir::mnuCaptureScreenClick);
  command(mnuDownloadCalculatorROM, &TFZQDir::DownloadCalculatorROMClick);
  // The button disconnects first, so it is never tied to the menu item's
  // enabling (which the File menu sets off while connected).
  connect(tbtnScrnCapture, &QToolButton::clicked, this, [this] { Guarded([this] { mnuCaptureScreenClick(); }); });
  connect(mnuOptions, &QAction::triggered, this, &TFZQDir::mnuOptionsClick);
  connect(mnuContentsHelp, &QAction::triggered, this, &TFZQDir::mnuContentsHelpClick);
  connect(mnuCommHelp, &QAction::triggered, this, [this] { ShowHelpTopic(kHelpCommunications); });
  connect(mnuTextHelp, &QAction::triggered, this, [this] { ShowHelpTopic(kHelpTextFiles); });
  connect(mnuTroubleShooting, &QAction::triggered, this, [this] { ShowHelpTopic(kHelpTroubleShooting); });
  connect(mnuAbout, &QAction::triggered, this, &TFZQDir::mnuAboutClick);
  SetShortCuts();
}

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
  mnuCut->setShortcut(editing ? QKeySequence() : QKeySequence("Ctrl+X"));
  mnuCopy->setShortcut(editing ? QKeySequence() : QKeySequence("Ctrl+C"));
  mnuPaste->setShortcut(editing ? QKeySequence() : QKeySequence("Ctrl+V"));
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
