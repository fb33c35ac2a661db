// The directory view, the file commands and the command window against the
// simulated calculator: what the user sees and what ends up on the calculator.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QFileInfo>
#include <QSettings>
#include <QTimer>
#include <QTreeWidget>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "base/log.h"
#include "gui/gui_support.h"
#include "gui/window_fixture.h"
#include "shell/clipboard_files.h"
#include "support/calcsim_process.h"
#include "ui/dialogs/command_window.h"
#include "ui/dialogs/property_dialog.h"
#include "ui/main/list_sort.h"
#include "ui/main/main_window.h"

namespace fs = std::filesystem;

namespace bridgit {
namespace {

using test::TDialogDriver;
using test::WaitUntil;

TEST(ListSort, FoldersFirstNamesWithoutCaseSizesAsNumbers) {
  using ui::CompareEntries;
  const ui::TListEntry folder{"ZZZ", "Directory", "0", true};
  const ui::TListEntry var{"AAA", "Real", "11", false};
  for (int tag : {ui::kTagFiles, ui::kTagSize, ui::kTagType}) {
    EXPECT_LT(CompareEntries(folder, var, tag, false), 0);
    EXPECT_GT(CompareEntries(folder, var, tag, true), 0);  // descending: folders last
  }
  EXPECT_LT(ui::CompareFolded("abc", "ABD"), 0);
  EXPECT_LT(ui::CompareFolded("AB", "abc"), 0);
  EXPECT_EQ(ui::CompareFolded("abc", "ABC"), 0);
  EXPECT_GT(ui::CompareFolded("_", "Z"), 0);  // only letters fold
  const ui::TListEntry nine{"X", "Real", "9", false}, ten{"Y", "Real", "10", false};
  EXPECT_LT(CompareEntries(nine, ten, ui::kTagSize, false), 0);
  EXPECT_EQ(ui::EstimatedSeconds(6000, 9600, false), 7);
  EXPECT_EQ(ui::EstimatedSeconds(6000, 9600, true), 14);
}

class DirView : public test::TWindowTest {
 protected:
  void Connect(std::vector<std::string> simArgs = {}) {
    simArgs.insert(simArgs.end(), {"--speed", "115200"});
    Start(simArgs);
  }
  QStringList Selected() const {
    QStringList names;
    for (QTreeWidgetItem* item : list->selectedItems()) names << item->text(0);
    return names;
  }
  void FocusList() { Press(list, Qt::Key_unknown, false); }
  // A key as the user types it into a view (focus and all).
  void Press(QWidget* view, int key, bool send = true) {
    QEvent focus(QEvent::FocusIn);
    QApplication::sendEvent(view, &focus);  // the window follows the focused view
    if (!send) return;
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(view, &press);
  }
  void Trigger(const char* action) { window->findChild<QAction*>(action)->trigger(); }
};

TEST_F(DirView, SortsByColumnsAndKeepsFoldersTogether) {
  Connect();
  EXPECT_EQ(Names().front(), "WORK");  // folders first
  EXPECT_EQ(Names()[1], "A");
  // Clicking Size sorts by numbers; a second click reverses, folders last.
  const int size = 2;
  window->ListView1ColumnClick(size);
  EXPECT_EQ(window->SortColumn(), 2);
  EXPECT_FALSE(window->SortReverse());
  EXPECT_EQ(Names().front(), "WORK");
  EXPECT_EQ(Names()[1], "BINT");  // 5 bytes, the smallest
  window->ListView1ColumnClick(size);
  EXPECT_TRUE(window->SortReverse());
  EXPECT_EQ(Names().back(), "WORK");
  EXPECT_EQ(Names().front(), "PIC");  // 42 bytes, the largest
  // Another column always starts ascending.
  window->ListView1ColumnClick(0);
  EXPECT_EQ(window->SortColumn(), 0);
  EXPECT_FALSE(window->SortReverse());
  window->close();
  EXPECT_EQ(settings->value("DirSortCol").toString(), "0");
}

TEST_F(DirView, SizeFirstColumnOrderStillSortsBySize) {
  settings->setValue("DirColSize", "2");
  settings->setValue("DirSortCol", "1");
  Connect();
  EXPECT_EQ(list->header()->visualIndex(2), 1);
  EXPECT_EQ(Names()[1], "BINT");
}

TEST_F(DirView, EnteringAFolderAndRefreshingKeepsItAndTheSelection) {
  Connect();
  Select({"WORK"});
  Press(list, Qt::Key_Return);
  Settle();
  EXPECT_EQ(window->CurrentPath, "HOME WORK");
  EXPECT_EQ(tree->currentItem()->text(0), "WORK");
  EXPECT_TRUE(Names().contains("NOTE"));
  Select({"NOTE"});
  Trigger("mnuRefresh");
  Settle();
  EXPECT_EQ(window->CurrentPath, "HOME WORK");
  EXPECT_EQ(Selected(), QStringList{"NOTE"});
  // Backspace goes one folder up; at HOME it does nothing.
  Press(list, Qt::Key_Backspace);
  EXPECT_EQ(window->CurrentPath, "HOME");
  Press(list, Qt::Key_Backspace);
  EXPECT_EQ(window->CurrentPath, "HOME");
  // A folder purged behind the window's back: the refresh shows its parent.
  Select({"WORK"});
  Press(list, Qt::Key_Return);
  Settle();
  tree->setCurrentItem(tree->currentItem()->child(0));  // DEEP
  EXPECT_EQ(window->CurrentPath, "HOME WORK DEEP");
  window->SendCalculatorCommand("HOME 'WORK' EVAL 'DEEP' PGDIR");
  Trigger("mnuRefresh");
  Settle();
  EXPECT_EQ(window->CurrentPath, "HOME WORK");
}

TEST_F(DirView, RenamesInPlaceInTheListAndTheTree) {
  Connect();
  Select({"A"});
  Item("A")->setText(0, "B1");  // what the in-place editor hands back
  Settle();
  EXPECT_TRUE(Names().contains("B1"));
  EXPECT_FALSE(Names().contains("A"));
  EXPECT_EQ(Selected(), QStringList{"B1"});
  EXPECT_NE(Dump().find("HOME/B1 Real"), std::string::npos);

  // A name the folder already holds is refused: nothing is lost.
  Item("B1")->setText(0, "PI2");
  EXPECT_EQ(Item("B1")->text(0), "B1");
  ASSERT_TRUE(WaitUntil([&] { return !boxes.boxTexts.empty(); }));
  const std::string dump = Dump();
  EXPECT_NE(dump.find("HOME/B1 Real"), std::string::npos);
  EXPECT_NE(dump.find("HOME/PI2 Real"), std::string::npos);

  // A folder in the tree.
  QTreeWidgetItem* work = tree->topLevelItem(0)->child(0);
  tree->setCurrentItem(work);
  work->setText(0, "JOB");
  Settle();
  EXPECT_EQ(window->CurrentPath, "HOME JOB");
  EXPECT_EQ(tree->currentItem()->text(0), "JOB");
  EXPECT_NE(Dump().find("HOME/JOB/NOTE"), std::string::npos);
  // The root keeps its name.
  tree->topLevelItem(0)->setText(0, "MINE");
  EXPECT_TRUE(tree->topLevelItem(0)->text(0).startsWith("HOME"));
}

TEST_F(DirView, DeletesFromTheListAndTheTreeAndMakesNewFolders) {
  Connect();
  Select({"A", "PI2"});
  Press(list, Qt::Key_Delete);
  Settle();
  EXPECT_FALSE(Names().contains("A"));
  EXPECT_FALSE(Names().contains("PI2"));
  EXPECT_EQ(Dump().find("HOME/A "), std::string::npos);

  Select({"LST"});
  Trigger("mnuNewFolder");
  Settle();
  EXPECT_TRUE(Names().contains("New"));
  EXPECT_EQ(Selected(), QStringList{"New"});

  // In the tree: beside the selected folder, and shown.
  QTreeWidgetItem* work = nullptr;
  for (int i = 0; i < tree->topLevelItem(0)->childCount(); ++i)
    if (tree->topLevelItem(0)->child(i)->text(0) == "WORK") work = tree->topLevelItem(0)->child(i);
  ASSERT_NE(work, nullptr);
  tree->setCurrentItem(work->child(0));  // WORK DEEP
  Press(tree, Qt::Key_unknown, false);
  window->mnuNewFolderClick();
  Settle();
  EXPECT_EQ(window->CurrentPath, "HOME WORK New");
  EXPECT_NE(Dump().find("HOME/WORK/New/"), std::string::npos);

  // Delete with the tree focused: the folder goes, its parent is shown.
  Press(tree, Qt::Key_Delete);
  Settle();
  EXPECT_EQ(window->CurrentPath, "HOME WORK");
  EXPECT_EQ(Dump().find("HOME/WORK/New/"), std::string::npos);
  // HOME selected: nothing happens.
  const std::string before = Dump();
  tree->setCurrentItem(tree->topLevelItem(0));
  Press(tree, Qt::Key_Delete);
  Settle();
  EXPECT_EQ(Dump(), before);
}

TEST_F(DirView, CopiesFilesToTheClipboardAndPastesThemBack) {
  Connect();
  Select({"A", "LST", "\\->SPEED"});
  Trigger("mnuCopy");
  const QStringList files = shell::FilesOnClipboard();
  ASSERT_EQ(files.size(), 3);
  for (const QString& f : files) {
    EXPECT_TRUE(f.endsWith(".zq")) << f.toStdString();
    EXPECT_TRUE(QFileInfo::exists(f));
    // In the program's own folder inside the temporary folder, closed to others.
    const fs::path folder = QFileInfo(f).absolutePath().toStdString();
    EXPECT_EQ(folder.parent_path(), fs::canonical(temp.path()));
    EXPECT_EQ(fs::status(folder).permissions() & fs::perms::all, fs::perms::owner_all);
  }
  // The arrow is no file name character: caret notation.
  EXPECT_EQ(QFileInfo(files.back()).fileName(), "^141SPEED.zq");
  EXPECT_EQ(QApplication::clipboard()->mimeData()->data("x-special/gnome-copied-files").left(4), "copy");

  // Pasted into WORK, the caret name comes back as the calculator name.
  Select({"WORK"});
  Press(list, Qt::Key_Return);
  Settle();
  Trigger("mnuPaste");
  Settle();
  EXPECT_TRUE(Names().contains("\\->SPEED"));
  EXPECT_TRUE(Names().contains("LST"));
  const std::string dump = Dump();
  EXPECT_NE(dump.find("HOME/WORK/LST List"), std::string::npos);

  // Text mode names the files .txt; without the extension setting binary files have none.
  window->tbtnXferModeClick();
  window->PopupMenu1Popup();
  EXPECT_EQ(window->findChild<QAction*>("mnuCopy")->text(), "&Copy (Text)");
  Select({"NOTE"});
  Trigger("mnuCopy");
  ASSERT_EQ(shell::FilesOnClipboard().size(), 1);
  EXPECT_TRUE(shell::FilesOnClipboard().front().endsWith("NOTE.txt"));
  window->tbtnXferModeClick();
  window->FileSettings().addExtension = false;
  Trigger("mnuCopy");
  EXPECT_TRUE(shell::FilesOnClipboard().front().endsWith("/NOTE"));
}

TEST_F(DirView, PastesObjectTextAndBareFilesAndStopsAtABackup) {
  Connect();
  const fs::path src = dir.path() / "src";
  fs::create_directories(src);
  std::ofstream(src / "T1.txt") << "%%ZQ: T(3)A(R)F(.);\n\"from text\"";
  std::ofstream(src / "T2") << "%%ZQ: T(3)A(R)F(.);\n{ 1 2 }";
  std::ofstream(src / "T3.ZQ") << "%%ZQ: T(3)A(R)F(.);\n7";
  std::ofstream(src / "old.zqbackup") << "not really a backup";
  std::ofstream(src / "T4.txt") << "%%ZQ: T(3)A(R)F(.);\n8";
  QStringList paths;
  for (const char* n : {"T1.txt", "T2", "T3.ZQ", "old.zqbackup", "T4.txt"}) paths << QString::fromStdString((src / n).string());
  shell::CopyFilesToClipboard(paths, false);
  TDialogDriver driver;
  QString caption;
  driver.When("FDownLd", [&](QWidget* prompt) {
    caption = prompt->windowTitle();
    test::Click(prompt, "btnCancel");
  });
  FocusList();
  window->PopupMenu1Popup();
  ASSERT_TRUE(window->findChild<QAction*>("mnuPaste")->isEnabled());
  Trigger("mnuPaste");
  Settle();
  EXPECT_EQ(caption, "Erase Calculator?");
  const std::string dump = Dump();
  EXPECT_NE(dump.find("HOME/T1 String"), std::string::npos);
  EXPECT_NE(dump.find("HOME/T2 List"), std::string::npos);
  EXPECT_NE(dump.find("HOME/T3 Real"), std::string::npos);
  EXPECT_EQ(dump.find("HOME/T4"), std::string::npos);  // after the backup: not put
  EXPECT_TRUE(Names().contains("T3"));
}

TEST_F(DirView, EditAsTextSendsBackWhatTheEditorChanged) {
  Connect();
  const fs::path changer = dir.path() / "change editor.sh";
  std::ofstream(changer) << "#!/bin/sh\nsed -i 's/42/43/' \"$1\"\n";
  fs::permissions(changer, fs::perms::owner_all);
  // The path holds a space: it is one argument of the command line.
  window->FileSettings().editor = "\"" + changer.string() + "\"";
  Select({"A"});
  Trigger("mnuEditText");
  Settle();
  EXPECT_NE(Dump().find("HOME/A Real 11 43"), std::string::npos);
  EXPECT_FALSE(fs::exists(fs::path(TempFolder()) / "A.txt"));
  EXPECT_FALSE(window->TextMode());  // the transfer mode is back

  // An editor that changes nothing: nothing is written, the file goes.
  window->FileSettings().editor = "/bin/true";
  Select({"PI2"});
  TLogBook::Instance().Clear();
  Trigger("mnuEditText");
  Settle();
  EXPECT_FALSE(fs::exists(fs::path(TempFolder()) / "PI2.txt"));
  for (const std::string& line : TLogBook::Instance().Lines()) EXPECT_EQ(line.find("Sending PUT"), std::string::npos) << line;

  // An editor that cannot start: the message names it, the file stays.
  boxes.boxTexts.clear();  // the editor above returned at once and was asked about
  window->FileSettings().editor = (dir.path() / "no-such-editor").string();
  Select({"PI2"});
  Trigger("mnuEditText");
  ASSERT_TRUE(WaitUntil([&] { return !boxes.boxTexts.empty(); }));
  EXPECT_NE(boxes.boxTexts[0].find("Cannot start the editor"), std::string::npos);
  EXPECT_TRUE(fs::exists(fs::path(TempFolder()) / "PI2.txt"));
}

TEST_F(DirView, TheCommandWindowRunsCommandsAndShowsTheStack) {
  Connect();
  window->mnuRPLClick();
  ui::TFRplCmd* cmd = window->CommandWindow();
  ASSERT_TRUE(cmd->isVisible());
  auto* memo = cmd->findChild<QPlainTextEdit*>("Memo1");
  EXPECT_TRUE(memo->toPlainText().contains("- -  WARNING  - -"));
  auto* box = cmd->findChild<QComboBox*>("cmboCmd");
  ASSERT_TRUE(box->isEnabled());
  box->setEditText("1 2 +");
  cmd->Send();
  EXPECT_EQ(memo->toPlainText(), "1: 3.");
  box->setEditText("\"AB\"");
  cmd->Send();
  EXPECT_EQ(memo->toPlainText(), "2: 3.\n1: \"AB\"");
  box->setEditText("1 2 +");
  cmd->Send();
  EXPECT_EQ(box->count(), 2);  // no duplicates, the latest first
  EXPECT_EQ(box->itemText(0), "1 2 +");
  // Without automatic update a command leaves the picture as it was.
  cmd->findChild<QCheckBox*>("chbAutoUpdate")->setChecked(false);
  box->setEditText("CLEAR 1 2 3 4 5 6 7 8 9 10");
  cmd->Send();
  EXPECT_EQ(memo->toPlainText(), "3: 3.\n2: \"AB\"\n1: 3.");
  // Enter in an empty box refreshes the stack: the lowest 7 of 10 levels.
  QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QApplication::sendEvent(box->lineEdit(), &enter);
  const QStringList lines = memo->toPlainText().split('\n');
  ASSERT_EQ(lines.size(), 7);
  EXPECT_EQ(lines.front(), "7: 4.");
  EXPECT_EQ(lines.back(), "1: 10.");
  EXPECT_EQ(box->count(), 3);
  // While busy or disconnected the controls are off.
  window->SetBusy(true);
  EXPECT_FALSE(box->isEnabled());
  window->SetBusy(false);
  cmd->close();
  EXPECT_EQ(settings->value("RplCmd/AutoStack").toString(), "0");
}

}  // namespace
}  // namespace bridgit
