// TFZQDir: the main window. It holds the session, shows the calculator's
// memory as a folder tree and a list, and carries the menus and the connection
// controls. The link and the session reach it only through its session host
// (window_host.h).
//
// The window's work is spread over several files by concern:
//   main_window.cpp   creation, controls, closing
//   menu_table.cpp    the menus as a table, and their builder
//   main_menus.cpp    the rules that enable controls and menu items
//   main_settings.cpp the stored settings
//   main_connect.cpp  ports, speed, connecting, the start-up splash
//   main_keys.cpp     keyboard, focus and help handling
//   dir_view.cpp      the folder tree and the list: filling, sorting, renaming
//   file_commands.cpp copy, paste, delete, new folder, EVAL, edit as text
//   transfer_commands.cpp backup, restore and the manual transfers
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <memory>
#include <stdexcept>
#include <optional>

#include "host/session_host.h"
#include "session/connect_hint.h"
#include "session/xmodem_server.h"
#include "ui/dialogs/command_window.h"
#include "ui/main/command_services.h"
#include "ui/main/key_sequence.h"
#include "ui/main/window_host.h"

class QAction;
class QComboBox;
class QKeyEvent;
class QLabel;
class QMenu;
class QPushButton;
class QSettings;
class QSplitter;
class QTimer;
class QToolBar;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace bridgit::shell {
class TFileSource;
struct TSourceFile;
class TFileTarget;
class TWindowPosSave;
}

namespace bridgit::ui {

class TFAboutForm;
class TFCapture;
class TFLogForm;
class TFOptions;
class TFProperty;
class THelpViewer;

class TFRplCmd;

struct TMenuRow;

// A command stopped by the person's own Cancel: it ends with no message.
struct TQuietStop : std::runtime_error {
  TQuietStop() : std::runtime_error("") {}
};

class TFZQDir : public QMainWindow {
 public:
  // `settings`: where the window's values are kept (the user's by default).
  // `arguments`: the command line after the program name.
  explicit TFZQDir(QSettings* settings = nullptr, QStringList arguments = {}, QWidget* parent = nullptr);
  ~TFZQDir() override;

  TXModemServer& Server() { return *server_; }
  TWindowHost& Host() { return *host_; }
  bool Connected() const { return host_->Connected(); }
  bool Busy() const { return host_->Busy(); }
  TFLogForm& LogForm() { return *FLogForm; }
  TFDownLd& PromptDialog() { return host_->PromptDialog(); }
  THelpViewer& HelpViewer();
  TFRplCmd* CommandWindow() const { return FRplCmd; }
  TFCapture* CaptureWindow() const;
  std::string CurrentPath;

  // --- Commands others start too (the help, the screenshots, the tests).
  void tbtnConnectClick();  // the tool button: connects at once
  void btnLogClick();
  void mnuOptionsClick();
  void mnuContentsHelpClick();
  void ShowHelpTopic(int id);
  void mnuRPLClick();
  void mnuCaptureScreenClick();
  // Port list refresh: the present port stays selected while it is listed.
  void ReloadPortList();
  // Selects the port entry, or shows any other path as typed.
  void SetPort(const QString& port);
  // The menu enabling rules (also when the Edit or pop-up menu opens).
  void PopupMenu1Popup();
  void mnuROMClick();

  // --- The directory view (dir_view.cpp).
  // Only the filling, without a word to the calculator.
  void FillList(QTreeWidgetItem* node);
  TXPObject& Home() { return home_; }
  QTreeWidgetItem* RootNode() const;
  // A click on a column header: the sort column, or the other direction.
  void ListView1ColumnClick(int logicalColumn);

  // --- Transfers after their file dialogs (transfer_commands.cpp).
  // True when the backup was received and written to `path`.
  bool BackupToFile(const std::string& path);
  void RestoreFromFile(const std::string& path);
  // Sends a file to the calculator's own receive command, between two prompts.
  void ManualDownload(const std::string& path, int promptBefore, int promptAfter);
  void UploadFile(const std::string& path);
  void SendRomFile(const std::string& path);

  // --- The drag sources (drag_drop.cpp).
  shell::TFileSource& ListSource() { return *FileSourceList; }
  shell::TFileSource& TreeSource() { return *FileSourceTree; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  friend struct TMenuTable;  // its rows name the items' handlers

  // --- Commands (menus, tool bar).
  void mnuConnectClick();  // the menu: shows how to start the server first
  void ConnectCalculator();
  void tbtnXferModeClick();
  void mnuAboutClick();
  void RefreshDirectory();
  // Runs the start-up command line: a first argument naming a listed port
  // (letter case and the COMn alias aside) connects to it without a prompt.
  void ProcessCommandLine();
  void mnuFileClick();
  void mnuViewClick();
  // Ctrl+X/C/V belong to the label editor while a name is being edited.
  void SetShortCuts();
  // dir_view.cpp
  // Fills the list with the folder of a tree node and makes it current.
  void TreeView1Change(QTreeWidgetItem* node);
  QTreeWidgetItem* FindNodeForPath() const;
  // Enters a folder item; edits any other item as text.
  void OpenItem(QTreeWidgetItem* item);
  void SortList();
  void mnuPropertyClick();
  void mnuRenameClick();
  // file_commands.cpp
  void mnuCopyClick();
  void mnuCutClick();
  void mnuCopyAsTextClick();
  void mnuPasteClick();
  void DeleteSelection();
  void mnuNewFolderClick();
  void mnuEvalClick();
  void mnuEditTextClick();
  // False: stop the run (a backup file, or a put that failed). `stored`, when
  // given, says whether the calculator now holds the file's object.
  bool PutFileToCalculator(const std::string& path, bool& replaceAll, int fileCount, bool* stored = nullptr);
  // transfer_commands.cpp
  void mnuBackupClick();
  void mnuRestoreClick();
  void mnuDownLoadServerClick();
  void mnuDownLoadFileClick();
  void mnuUploadFileClick();
  void DownloadCalculatorROMClick();
  // drag_drop.cpp
  bool StartListDrag();
  bool StartTreeDrag();
  void FileTargetListDrop(QPoint at);
  void FileTargetTreeDrop(QPoint at);
  // main_window.cpp
  void BuildToolBar();
  void BuildViews();
  void BuildStatusBar();
  // The error's text, and under it the hint for its likely cause, if any.
  void ShowError(const std::exception& e, const std::string& hint = "");
  TWindowHost::THooks HostHooks();
  void FillTree(QTreeWidgetItem* node, TXPObject& folder);
  void ShowFreeMemory();
  // dir_view.cpp
  void ConnectViews();
  void AddListItem(const TXPObject& entry);
  TXPObject* EntryOf(const QTreeWidgetItem* node) const;
  TXPObject* CurrentFolder() const;
  void UpdateSortIndicators();
  void ListView1Edited(QTreeWidgetItem* item);
  void TreeView1Edited(QTreeWidgetItem* node);
  bool ViewKey(QObject* watched, QKeyEvent* key);
  // file_commands.cpp
  shell::TFileSource* FillSource();
  void FetchSourceFiles(shell::TFileSource& source);
  void CopySelection(bool cut);
  // True when `folder` is empty or the person agreed to purge it.
  bool AgreeToPurge(const TXPObject* folder);
  void SelectNeighbourOfDeleted();
  // transfer_commands.cpp
  // False when nothing was received (nothing is written then).
  bool WriteReceivedObject(const std::string& path);
  // drag_drop.cpp
  void BuildDragDrop();
  void SetDropTargets(bool on);
  void SetDropHighlight(QTreeWidgetItem* node);
  bool DragMouse(QObject* watched, QEvent* event);
  void FileSourceDrop(shell::TFileSource& source, bool& continueDrop);
  void ReportDragError();
  // Puts the files in order until one says stop. With `move`, each file the
  // calculator took is removed from the PC; true when every file was moved.
  bool PutFiles(const QStringList& files, bool move = false);
  // Runs a command, showing its error in the window's error report.
  void Guarded(const std::function<void()>& command);
  // menu_table.cpp
  void BuildMenus();
  QAction* AddMenuItem(QMenu* menu, const TMenuRow& row);
  void ConnectMenuRules();
  // main_menus.cpp
  void UpdateControls();
  // The views are disabled while a long command runs.
  void DisableViews();
  bool ViewHasFocus() const;
  // The view the commands act on; the menus' enabling follows it.
  void SetFocusedView(QWidget* view);
  void ShowSelectionFocus();
  QString SourceFilePath(const shell::TFileSource& source, const shell::TSourceFile& f) const;
  void ReadClipboardAndEnable();
  bool Editing() const;
  // main_settings.cpp
  void ReadSettings();
  void WriteSettings();
  void SetViewStyle(int style);
  // main_connect.cpp
  void ConnectOrQuit(bool showHow);
  void cmboPortChange();
  void cmboSpeedChange();
  void tmrAboutTimer();
  // main_keys.cpp
  bool PreviewKey(QObject* watched, QKeyEvent* key);

  std::unique_ptr<QSettings> ownSettings_;
  QSettings* settings_;
  QStringList arguments_;
  std::unique_ptr<TWindowHost> host_;
  std::unique_ptr<TXModemServer> server_;
  std::unique_ptr<TCommandServices> services_;
  // While a screen is captured: what had come before, so that a read error can
  // tell a calculator at another speed.
  std::optional<TConnectAttempt> capturing_;
  TXPObject home_;
  std::unique_ptr<shell::TWindowPosSave> windowPosition;

  // Forms, created in this order after the window and the host's dialogs.
  TFProperty* FProperty = nullptr;
  TFLogForm* FLogForm = nullptr;
  TFAboutForm* FAboutForm = nullptr;
  TFOptions* FOptions = nullptr;
  TFRplCmd* FRplCmd = nullptr;
  QPointer<THelpViewer> helpViewer_;
  QPointer<TFCapture> FCapture;  // made by the first capture, gone when closed

  // Controls.
  QToolBar* ToolBar = nullptr;
  QComboBox* cmboPort = nullptr;
  QComboBox* cmboSpeed = nullptr;
  QToolButton* tbtnConnect = nullptr;
  QToolButton* tbtnScrnCapture = nullptr;
  QToolButton* tbtnXferMode = nullptr;
  QPushButton* btnLog = nullptr;
  QSplitter* paneSplitter = nullptr;
  QTreeWidget* folderTree = nullptr;
  QTreeWidget* objectList = nullptr;
  QLabel* statusMessage = nullptr;
  QLabel* statusVersion = nullptr;
  QTimer* refreshTimer = nullptr;
  QTimer* tmrAbout = nullptr;

  // Menus.
  QMenu* mnuFile = nullptr;
  QMenu* mnuEdit = nullptr;
  QMenu* mnuView = nullptr;
  QMenu* mnuROM = nullptr;
  QMenu* mnuHelp = nullptr;
  QMenu* popupMenu = nullptr;
  QAction *mnuNewFolder, *mnuBackup, *mnuRestore, *mnuEval, *mnuDelete, *mnuRename, *mnuProperty, *mnuConnect,
      *mnuXferMode, *mnuDownLoadServer, *mnuDownLoadFile, *mnuUploadFile, *mnuCaptureScreen, *mnuClose;
  QAction *mnuCut, *mnuCopy, *mnuCopyAsText, *mnuPaste, *mnuEditText, *mnuSelectAll, *mnuInvertSelection;
  QAction *mnuToolbar, *mnuStatusBar, *mnuLargeIcons, *mnuSmallIcons, *mnuList, *mnuDetails, *mnuRefresh, *mnuOptions, *mnuRPL;
  QAction* mnuDownloadCalculatorROM;
  QAction *mnuContentsHelp, *mnuCommHelp, *mnuTextHelp, *mnuTroubleShooting, *mnuAbout;
  QAction *mnuNewFolderPop, *mnuEvalPop, *mnuCutPop, *mnuCopyPop, *mnuCopyAsTextPop, *mnuPastePop, *mnuEditTextPop,
      *mnuDeletePop, *mnuRenamePop, *mnuPropertyPop, *mnuRefreshPop;

  // Drag and drop.
  std::unique_ptr<shell::TFileSource> FileSourceList, FileSourceTree;
  std::unique_ptr<shell::TFileTarget> FileTargetList, FileTargetTree;
  QPoint DragStart{-1, -1};
  QPoint ClickPoint{-1, -1};
  bool DragStarted = false;
  QTreeWidgetItem* dropHighlight_ = nullptr;
  std::string dragError_;

  // State.
  std::string LastSelectedName;  // selected again after the next refresh
  std::string LastCopiedFile;
  QWidget* focusedView_ = nullptr;
  TKeySequence KeySequenceState;
  const QKeyEvent* lastKey_ = nullptr;  // the key being previewed, to see it once
  QPointer<QObject> lastKeyTarget_;
  int SplashStep = 0;
  bool activated_ = false;
  bool loading_ = false;
  int viewStyle_ = 3;
  int sortColumn_ = 0;
  bool sortReverse_ = false;
  // The last width each column had while shown: a hidden column reports 0.
  int columnWidths_[3] = {160, 80, 60};
  // Focus that a busy spell took from a view, given back when it ends.
  bool restoreViewFocus_ = false;
  bool listSelectionGone_ = false;
  bool fitColumns_ = false;  // no stored widths: the list's columns take their content's width once  // a delete left nothing to select: the refresh selects nothing
  bool clipboardFiles_ = false;  // the clipboard holds files, as of its last change
};

}  // namespace bridgit::ui
