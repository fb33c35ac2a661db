// The main window's menus as a table: one row for each menu, item and
// separator, in the order shown, read by one builder. The pop-up menu of the
// views holds twins of main-menu items: same handler and hint, no shortcut.
#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeWidget>

#include "shell/clipboard_files.h"
#include "ui/main/main_texts.h"
#include "ui/main/main_window.h"

namespace bridgit::ui {

struct TMenuRow {
  enum TFlag : unsigned { kCheckable = 1, kChecked = 2, kHidden = 4, kViewStyle = 8, kGuarded = 16 };
  const char* name = nullptr;  // none: a separator
  const char* caption = "";    // with its Alt letter; a twin's empty caption is its original's
  const char* shortcut = "";
  const char* hint = "";       // the status bar's hint, also the tool tip
  int help = 0;                // the help page the item opens
  QMenu* TFZQDir::*menu = nullptr;  // a menu row: the menu it starts
  QAction* TFZQDir::*action = nullptr;
  void (*run)(TFZQDir&) = nullptr;
  unsigned flags = 0;  // TFlag bits; kGuarded: errors go to the window's error report
  QAction* TFZQDir::*twinOf = nullptr;  // a pop-up item: the item it triggers
};

namespace {

using TRow = TMenuRow;
using TAction = QAction* TFZQDir::*;
using TRun = void (*)(TFZQDir&);
constexpr unsigned kCheck = TRow::kCheckable, kGuard = TRow::kGuarded, kStyle = TRow::kViewStyle | TRow::kCheckable;

// Calls a handler of the window (a pointer's call needs no access of its own).
template <auto Handler>
void Call(TFZQDir& window) {
  (window.*Handler)();
}

constexpr TRow Menu(const char* name, const char* caption, QMenu* TFZQDir::*menu) {
  return {.name = name, .caption = caption, .menu = menu};
}
constexpr TRow Item(const char* name, const char* caption, const char* shortcut, const char* hint, TAction action,
                    TRun run, unsigned flags = 0) {
  return {.name = name, .caption = caption, .shortcut = shortcut, .hint = hint, .action = action, .run = run, .flags = flags};
}
constexpr TRow Topic(const char* name, const char* caption, int help, TAction action) {
  return {.name = name, .caption = caption, .help = help, .action = action};
}
constexpr TRow Twin(const char* name, TAction action, TAction of, const char* caption = "") {
  return {.name = name, .caption = caption, .action = action, .twinOf = of};
}
constexpr TRow Separator() { return {}; }

}  // namespace

// A friend of the window: its rows name the window's items and handlers.
struct TMenuTable {
  static const TMenuRow kRows[];
};

using W = TFZQDir;

const TMenuRow TMenuTable::kRows[] = {
    Menu("mnuFile", "&File", &W::mnuFile),
    Item("mnuNewFolder", "Ne&w Folder", "", "Create a new folder.", &W::mnuNewFolder, Call<&W::mnuNewFolderClick>, kGuard),
    Item("mnuBackup", "&Backup...", "", "Backup the calculator variables.", &W::mnuBackup, Call<&W::mnuBackupClick>, kGuard),
    Item("mnuRestore", "Re&store...", "", "Restore the calculator variables.", &W::mnuRestore, Call<&W::mnuRestoreClick>, kGuard),
    Item("mnuEval", "&EVAL", "", "EVAL the variable on the calculator", &W::mnuEval, Call<&W::mnuEvalClick>, kGuard),
    Separator(),
    Item("mnuDelete", "&Delete", "", "Permanently remove selected item from the calculator.", &W::mnuDelete,
         Call<&W::DeleteSelection>, kGuard),
    Item("mnuRename", "Rena&me", "", "Rename selected item.", &W::mnuRename, Call<&W::mnuRenameClick>, kGuard),
    Item("mnuProperty", "P&roperties", "", "Show the size and copy time for the selected item.", &W::mnuProperty,
         Call<&W::mnuPropertyClick>, kGuard),
    Separator(),
    Item("mnuConnect", kCaptionConnect, "", kHintConnect, &W::mnuConnect, Call<&W::mnuConnectClick>),
    Item("mnuXferMode", kCaptionBinaryMode, "", kHintBinaryMode, &W::mnuXferMode, Call<&W::tbtnXferModeClick>,
         kCheck | TRow::kChecked),
    Separator(),
    Item("mnuDownLoadServer", "Download &ZQ71 Server (Manual-XRECV)...", "", "Send an XModem Server to the ZQ71",
         &W::mnuDownLoadServer, Call<&W::mnuDownLoadServerClick>, kGuard),
    Item("mnuDownLoadFile", "Down&load File (Manual-XRECV)...", "", "Send file using XRECV on calculator.",
         &W::mnuDownLoadFile, Call<&W::mnuDownLoadFileClick>, kGuard),
    Item("mnuUploadFile", "&Upload File (Manual-XSEND)...", "", "Copy file to the PC using XSEND on the calculator.",
         &W::mnuUploadFile, Call<&W::mnuUploadFileClick>, kGuard),
    Item("mnuCaptureScreen", "C&apture Calculator Screen...", "", "Copy the calculator screen to the PC.",
         &W::mnuCaptureScreen, Call<&W::mnuCaptureScreenClick>, kGuard),
    Separator(),
    Item("mnuClose", "E&xit", "", "", &W::mnuClose, [](W& w) { w.close(); }),

    Menu("mnuEdit", "&Edit", &W::mnuEdit),
    Item("mnuCut", "Cu&t", "Ctrl+X", "", &W::mnuCut, Call<&W::mnuCutClick>, kGuard),
    Item("mnuCopy", "&Copy", "Ctrl+C", "", &W::mnuCopy, Call<&W::mnuCopyClick>, kGuard),
    Item("mnuCopyAsText", "Copy as Text &File", "Ctrl+T", "Get the file in text form", &W::mnuCopyAsText,
         Call<&W::mnuCopyAsTextClick>, kGuard),
    Item("mnuPaste", "&Paste", "Ctrl+V", "", &W::mnuPaste, Call<&W::mnuPasteClick>, kGuard),
    Separator(),
    Item("mnuEditText", "Edit as Te&xt", "Ctrl+E", "Get the file in text form and edit", &W::mnuEditText,
         Call<&W::mnuEditTextClick>, kGuard),
    Separator(),
    Item("mnuSelectAll", "Select &All", "Ctrl+A", "", &W::mnuSelectAll, [](W& w) { w.objectList->selectAll(); }),
    Item("mnuInvertSelection", "&Invert Selection", "", "", &W::mnuInvertSelection, [](W& w) {
      for (int i = 0; i < w.objectList->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = w.objectList->topLevelItem(i);
        item->setSelected(!item->isSelected());
      }
    }),

    Menu("mnuView", "&View", &W::mnuView),
    Item("mnuToolbar", "&Toolbar", "", "", &W::mnuToolbar, [](W& w) { w.ToolBar->setVisible(!w.ToolBar->isVisible()); }, kCheck),
    Item("mnuStatusBar", "Status &Bar", "", "", &W::mnuStatusBar,
         [](W& w) { w.statusBar()->setVisible(!w.statusBar()->isVisible()); }, kCheck),
    Separator(),
    Item("mnuLargeIcons", "Lar&ge Icons", "", "", &W::mnuLargeIcons, nullptr, kStyle | TRow::kHidden),
    Item("mnuSmallIcons", "Ico&ns", "", "", &W::mnuSmallIcons, [](W& w) { w.SetViewStyle(kStyleSmallIcons); }, kStyle),
    Item("mnuList", "&List", "", "", &W::mnuList, [](W& w) { w.SetViewStyle(kStyleList); }, kStyle),
    Item("mnuDetails", "&Details", "", "", &W::mnuDetails, [](W& w) { w.SetViewStyle(kStyleReport); }, kStyle),
    Separator(),
    Item("mnuRefresh", "&Refresh", "F5", "Read the directory from the calculator.", &W::mnuRefresh,
         Call<&W::RefreshDirectory>, kGuard),
    Separator(),
    Item("mnuOptions", "&Options...", "", "", &W::mnuOptions, Call<&W::mnuOptionsClick>),
    Item("mnuRPL", "Calculator &Command", "", "", &W::mnuRPL, Call<&W::mnuRPLClick>, kCheck),

    Menu("mnuROM", "&ROM", &W::mnuROM),
    Item("mnuDownloadCalculatorROM", "&Download Calculator ROM...", "", "Update the Calculator ROM from a .bin file.",
         &W::mnuDownloadCalculatorROM, Call<&W::DownloadCalculatorROMClick>, kGuard),

    Menu("mnuHelp", "&Help", &W::mnuHelp),
    Item("mnuContentsHelp", "&Contents and Index", "", "", &W::mnuContentsHelp, Call<&W::mnuContentsHelpClick>),
    Separator(),
    Topic("mnuCommHelp", "Co&mmunications Topic", kHelpCommunications, &W::mnuCommHelp),
    Topic("mnuTextHelp", "&Text File Topic", kHelpTextFiles, &W::mnuTextHelp),
    Topic("mnuTroubleShooting", "Trouble &Shooting Connections", kHelpTroubleShooting, &W::mnuTroubleShooting),
    Separator(),
    Item("mnuAbout", "&About", "", "", &W::mnuAbout, Call<&W::mnuAboutClick>),

    Menu("popupMenu", "", &W::popupMenu),
    Twin("mnuNewFolderPop", &W::mnuNewFolderPop, &W::mnuNewFolder),
    Twin("mnuEvalPop", &W::mnuEvalPop, &W::mnuEval),
    Separator(),
    Twin("mnuCutPop", &W::mnuCutPop, &W::mnuCut),
    Twin("mnuCopyPop", &W::mnuCopyPop, &W::mnuCopy),
    Twin("mnuCopyAsTextPop", &W::mnuCopyAsTextPop, &W::mnuCopyAsText),
    Twin("mnuPastePop", &W::mnuPastePop, &W::mnuPaste),
    Separator(),
    Twin("mnuEditTextPop", &W::mnuEditTextPop, &W::mnuEditText),
    Separator(),
    Twin("mnuDeletePop", &W::mnuDeletePop, &W::mnuDelete),
    Twin("mnuRenamePop", &W::mnuRenamePop, &W::mnuRename),
    Separator(),
    Twin("mnuPropertyPop", &W::mnuPropertyPop, &W::mnuProperty),
    Twin("mnuRefreshPop", &W::mnuRefreshPop, &W::mnuRefresh, "Refres&h"),  // R is Properties' letter here
};

void TFZQDir::BuildMenus() {
  QMenuBar* bar = menuBar();
  bar->setObjectName("mainMenu");
  auto* styles = new QActionGroup(this);
  QMenu* menu = nullptr;
  for (const TMenuRow& row : TMenuTable::kRows) {
    if (row.menu) {
      // The pop-up menu of the views is the one menu outside the bar.
      menu = row.menu == &TFZQDir::popupMenu ? new QMenu(this) : bar->addMenu(row.caption);
      menu->setObjectName(row.name);
      menu->setToolTipsVisible(false);
      this->*row.menu = menu;
    } else if (!row.name) {
      menu->addSeparator();
    } else {
      QAction* item = AddMenuItem(menu, row);
      if (row.flags & TRow::kViewStyle) styles->addAction(item);
    }
  }
  ConnectMenuRules();
}

QAction* TFZQDir::AddMenuItem(QMenu* menu, const TMenuRow& row) {
  QAction* of = row.twinOf ? this->*row.twinOf : nullptr;
  QAction* a = menu->addAction(*row.caption || !of ? QString(row.caption) : of->text());
  this->*row.action = a;
  a->setObjectName(row.name);
  const QString hint = of ? of->statusTip() : QString(row.hint);
  a->setStatusTip(hint);
  a->setToolTip(hint);
  if (*row.shortcut) {
    a->setShortcut(QKeySequence(row.shortcut));
    a->setProperty(kShortcutProperty, a->shortcut());  // SetShortCuts takes some away while a name is edited
  }
  a->setCheckable(row.flags & TRow::kCheckable);
  if (row.flags & TRow::kChecked) a->setChecked(true);
  if (row.flags & TRow::kHidden) a->setVisible(false);
  if (of) {
    connect(a, &QAction::triggered, of, &QAction::trigger);
  } else if (row.help) {
    connect(a, &QAction::triggered, this, [this, id = row.help] { ShowHelpTopic(id); });
  } else if (row.run && (row.flags & TRow::kGuarded)) {
    connect(a, &QAction::triggered, this, [this, run = row.run] { Guarded([this, run] { run(*this); }); });
  } else if (row.run) {
    connect(a, &QAction::triggered, this, [this, run = row.run] { run(*this); });
  }
  return a;
}

// The enabling rules run when a menu opens, and also as the selection, the
// focused view and the clipboard change: the shortcuts act without a menu.
void TFZQDir::ConnectMenuRules() {
  connect(mnuFile, &QMenu::aboutToShow, this, &TFZQDir::mnuFileClick);
  connect(mnuEdit, &QMenu::aboutToShow, this, &TFZQDir::ReadClipboardAndEnable);
  connect(QApplication::clipboard(), &QClipboard::dataChanged, this, &TFZQDir::ReadClipboardAndEnable);
  connect(objectList, &QTreeWidget::itemSelectionChanged, this, &TFZQDir::PopupMenu1Popup);
  connect(folderTree, &QTreeWidget::currentItemChanged, this, &TFZQDir::PopupMenu1Popup);
  clipboardFiles_ = shell::ClipboardHasFiles();
  connect(mnuView, &QMenu::aboutToShow, this, &TFZQDir::mnuViewClick);
  connect(mnuROM, &QMenu::aboutToShow, this, &TFZQDir::mnuROMClick);
  SetShortCuts();
}

}  // namespace bridgit::ui
