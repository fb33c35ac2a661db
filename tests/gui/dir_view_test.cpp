// The directory view against the simulated calculator: what the clipboard
// offers a file manager, pasted files, and the command window.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QFileInfo>
#include <QSettings>
#include <QTimer>
#include <QTreeWidget>
#include <filesystem>
#include <fstream>

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
  void Trigger(const char* action) { window->findChild<QAction*>(action)->trigger(); }
};

TEST_F(DirView, SizeFirstColumnOrderStillSortsBySize) {
  settings->setValue("DirColSize", "2");
  settings->setValue("DirSortCol", "1");
  Connect();
  EXPECT_EQ(list->header()->visualIndex(2), 1);
  EXPECT_EQ(Names()[1], "BINT");
}

TEST_F(DirView, CopiedFilesAreOfferedAsAFileManagerTakesThem) {
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
  EXPECT_EQ(QApplication::clipboard()->mimeData()->data("x-special/gnome-copied-files").left(12), "copy\nfile://");

  // Without the extension setting binary files have none.
  window->Host().FileSettings().addExtension = false;
  Select({"A"});
  Trigger("mnuCopy");
  EXPECT_TRUE(shell::FilesOnClipboard().front().endsWith("/A"));
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
  list->setFocus();
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

TEST_F(DirView, TheCommandWindowRunsCommandsAndShowsTheStack) {
  Connect();
  window->mnuRPLClick();
  ui::TFRplCmd* cmd = window->CommandWindow();
  ASSERT_TRUE(cmd->isVisible());
  auto* memo = cmd->findChild<QPlainTextEdit*>("historyText");
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
  window->Host().SetBusy(true);
  EXPECT_FALSE(box->isEnabled());
  window->Host().SetBusy(false);
  cmd->close();
  EXPECT_EQ(settings->value("RplCmd/AutoStack").toString(), "0");
}

}  // namespace
}  // namespace bridgit
