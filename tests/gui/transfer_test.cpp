// Drag and drop with the desktop, the transfer menu commands and the screen
// capture window, against the simulated calculator.

#include <filesystem>
#include <fstream>

#include "base/files.h"
#include "calcdata/object_walk.h"
#include "gui/window_fixture.h"
#include "host/prompt_kinds.h"
#include "shell/clipboard_files.h"
#include "shell/file_source.h"
#include "transfer/block_checks.h"
#include "ui/dialogs/download_prompt.h"
#include "ui/main/transfer_rules.h"

namespace fs = std::filesystem;

namespace bridgit {
namespace {

using test::TDialogDriver;
using test::WaitUntil;

// The server talks at any speed; the calculator's own transfers (captures,
// XSEND, XRECV) need the PC at the calculator's speed, and a backup switches
// to it.
class Transfers : public test::TWindowTest {
 protected:
  // Files dragged in from a file manager and dropped at a point of a view,
  // and what the drop set going has run.
  void DropFiles(QTreeWidget* view, const QStringList& files, QPoint at) {
    std::unique_ptr<QMimeData> mime(shell::FileListMime(files, false));
    QDragEnterEvent enter(at, Qt::CopyAction, mime.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &enter);
    QDropEvent drop(QPointF(at), Qt::CopyAction, mime.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &drop);
    Settle();
  }
  // What a drag of the list's selection announces: the paths without
  // extension, nothing fetched yet.
  void Announce(shell::TFileSource& source, const QStringList& names) {
    source.Files.clear();
    for (const QString& n : names) source.Files.push_back({QString::fromStdString(TempFolder()) + n, QVariant::fromValue<void*>(Item(n))});
  }
  // The backup a drag of the root node makes, fetched at the drop.
  QStringList DraggedBackup() {
    Announce(window->TreeSource(), {tree->topLevelItem(0)->text(0)});
    boxes.When("FDownLd", [](QWidget* question) { test::Click(question, "btnOK"); });  // the backup's speed change
    std::unique_ptr<QMimeData> backup(window->TreeSource().CreateMime());
    return shell::FilesOf(backup.get());
  }
};

// A drag to a file manager cannot be made offscreen: the drag's data is asked
// for here as a file manager asks for it.
TEST_F(Transfers, DragsOutFetchOnlyAtTheDropAndFilesDroppedInGoWhereTheyFall) {
  Start({"--speed", "9600"});  // the calculator at its usual speed, the PC faster
  SelectItems({"A", "LST"});
  Announce(window->ListSource(), {"A", "LST"});
  // Asked while the button is held over a file manager: the names the files
  // will have, at once, and nothing fetched for a drag that may be cancelled.
  QPointer<QDrag> drag = window->ListSource().CreateDrag(list);
  QTest::mousePress(list->viewport(), Qt::LeftButton);
  const QStringList passing = shell::FilesOf(drag->mimeData());
  QTest::mouseRelease(list->viewport(), Qt::LeftButton);
  EXPECT_FALSE(fs::exists(fs::path(TempFolder()) / "A.zq"));
  // It asks again at the drop: now the files are made, at those names.
  const QStringList files = shell::FilesOf(drag->mimeData());
  EXPECT_EQ(files, passing);
  EXPECT_EQ(files, (QStringList{QString::fromStdString(TempFolder()) + "A.zq", QString::fromStdString(TempFolder()) + "LST.zq"}));
  for (const QString& f : files) EXPECT_TRUE(fs::file_size(f.toStdString()) > 0);
  EXPECT_EQ(drag->mimeData()->data("x-special/gnome-copied-files"),
            "copy\n" + QUrl::fromLocalFile(files[0]).toEncoded() + "\n" + QUrl::fromLocalFile(files[1]).toEncoded());

  // The root node dragged out: a backup named after the model and the date,
  // exactly the header and the object.
  const QStringList backupFiles = DraggedBackup();
  ASSERT_EQ(backupFiles.size(), 1);
  EXPECT_EQ(QFileInfo(backupFiles[0]).fileName().toStdString(), ui::BackupFileName("73", QDate::currentDate()));
  std::string bytes = test::Slurp(backupFiles[0].toStdString());
  const std::size_t size = bytes.size();
  ASSERT_TRUE(TrimObject(bytes).success);
  EXPECT_EQ(bytes.size(), size);
  const std::string backup = dir / "calc.zqbackup";
  fs::copy_file(backupFiles[0].toStdString(), backup);
  // A backup that fails, with something at its name that cannot be removed
  // (here a folder that is not empty): nothing is handed to the desktop.
  const fs::path stale = backupFiles[0].toStdString();
  fs::remove(stale);
  fs::create_directories(stale / "inside");
  ASSERT_EQ(sim->Control("fault can@+1"), "ok");
  EXPECT_TRUE(DraggedBackup().isEmpty());
  Reconnect();  // the link was left at the backup's speed

  // The file manager asks as the pointer enters it; a release before it said
  // yes cancels the drag, and Qt deletes the drag and its data while the
  // object is still being fetched for that first request.
  Announce(window->ListSource(), {"LST"});
  drag = window->ListSource().CreateDrag(list);
  QPointer<QMimeData> data = drag->mimeData();
  const auto fetch = window->ListSource().OnDrop;
  bool dataAliveAfterFetch = false;
  QStringList answerDuringFetch;
  window->ListSource().OnDrop = [&](bool& go) {
    drag->deleteLater();  // the cancel
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    answerDuringFetch = shell::FilesOf(data);  // the file manager asks again meanwhile
    fetch(go);
    dataAliveAfterFetch = !data.isNull();
  };
  EXPECT_EQ(shell::FilesOf(data).size(), 1);
  window->ListSource().OnDrop = fetch;
  EXPECT_TRUE(dataAliveAfterFetch);
  EXPECT_TRUE(answerDuringFetch.isEmpty());  // nothing yet, never a half list
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);  // once the fetch is over, the cancel takes its course
  EXPECT_TRUE(drag.isNull());

  // An object gone before the drop: no file, and the drop is cancelled.
  Announce(window->ListSource(), {"A"});
  fs::remove(files[0].toStdString());
  window->Server().SendCalculatorCommand("'A' PURGE");
  std::unique_ptr<QMimeData> gone(window->ListSource().CreateMime());
  EXPECT_TRUE(shell::FilesOf(gone.get()).isEmpty());
  EXPECT_FALSE(fs::exists(files[0].toStdString()));
  Reconnect();  // that failure ends the session: the calculator's answer is lost on the way

  // Files dropped on the list between the items go into the folder shown; on
  // a folder item, into that folder, which is shown afterwards; on a tree
  // folder, into it, and it is selected.
  const fs::path src = dir.path() / "src";
  fs::create_directories(src);
  for (const char* n : {"D1", "D2", "D3"}) std::ofstream(src / (std::string(n) + ".txt")) << "%%ZQ: T(3)A(R)F(.);\n11";
  const auto path = [&](const char* n) { return QString::fromStdString((src / n).string()) + ".txt"; };
  DropFiles(list, {path("D1"), path("D2")}, QPoint(5, list->visualItemRect(list->topLevelItem(list->topLevelItemCount() - 1)).bottom() + 5));
  DropFiles(list, {path("D3")}, list->visualItemRect(Item("WORK")).center());
  EXPECT_EQ(window->CurrentPath, "HOME WORK");
  ASSERT_EQ(tree->currentItem()->child(0)->text(0), "DEEP");
  // A drag over a tree folder marks it; leaving the tree clears the mark.
  QTreeWidgetItem* deep = tree->currentItem()->child(0);
  std::unique_ptr<QMimeData> dragged(shell::FileListMime({path("D1")}, false));
  QDragEnterEvent over(tree->visualItemRect(deep).center(), Qt::CopyAction, dragged.get(), Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(tree->viewport(), &over);
  QDragMoveEvent move(tree->visualItemRect(deep).center(), Qt::CopyAction, dragged.get(), Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(tree->viewport(), &move);
  EXPECT_NE(deep->background(0).style(), Qt::NoBrush);
  QDragLeaveEvent leave;
  QApplication::sendEvent(tree->viewport(), &leave);
  EXPECT_EQ(deep->background(0).style(), Qt::NoBrush) << "the drop mark stays after the drag left";
  DropFiles(tree, {path("D1")}, tree->visualItemRect(tree->currentItem()->child(0)).center());
  EXPECT_EQ(window->CurrentPath + " " + tree->currentItem()->text(0).toStdString(), "HOME WORK DEEP DEEP");
  for (const char* put : {"HOME/D1 Real", "HOME/D2 Real", "HOME/WORK/D3 Real", "HOME/WORK/DEEP/D1 Real"}) EXPECT_TRUE(Holds(put)) << put;
  // Disconnected: nothing is put.
  ClickButton("tbtnConnect");
  ASSERT_TRUE(WaitUntil([&] { return !window->Connected(); }));
  DropFiles(list, {path("D2")}, QPoint(5, 5));
  Reconnect();  // the server left with the disconnection
  EXPECT_FALSE(Holds("HOME/WORK/DEEP/D2"));

  // A backup restored: the prompt's button reconnects; Cancel there leaves
  // the window disconnected.
  window->Server().SendCalculatorCommand("'LST' PURGE");
  QString okCaption;
  boxes.When("FDownLd", [&](QWidget* prompt) {
    okCaption = prompt->findChild<QPushButton*>("btnOK")->text();
    sim->Control("server");  // the person restarts the server on the calculator
    test::Click(prompt, "btnOK");
  });
  window->RestoreFromFile(backup);
  EXPECT_EQ(okCaption, "Connect");
  ASSERT_TRUE(window->Connected());
  EXPECT_TRUE(Holds("HOME/LST List"));
  boxes.When("FDownLd", [&](QWidget* prompt) { test::Click(prompt, "btnCancel"); });
  window->RestoreFromFile(backup);
  EXPECT_FALSE(window->Connected());
}

TEST_F(Transfers, ManualCommandsLeaveTheWindowDisconnected) {
  Start({}, true, "9600");
  const std::string object = dir / "NEWA.zq";
  std::ofstream(object) << std::string("ZQZQ73-C\x33\x29\x10\0\0\0\0\0\0\x42\0", 19);
  TDialogDriver driver;
  driver.When("FDownLd", [&](QWidget*) { sim->Control("xrecv NEWA"); });  // kind 4: the calculator starts XRECV
  bool afterShown = false;
  driver.When("FDownLd", [&](QWidget* prompt) { afterShown = true; test::Click(prompt, "btnOK"); });
  window->ManualDownload(object, kPromptDownload, kPromptDownloaded);
  EXPECT_TRUE(afterShown);
  EXPECT_FALSE(window->Connected());
  ASSERT_TRUE(WaitUntil([&] { return sim->Control("status") == "ok stored NEWA"; }, 5000));

  const std::string received = dir / "GOT.zq";
  driver.When("FDownLd", [&](QWidget* prompt) { sim->Control("xsend A"); test::Click(prompt, "btnOK"); });
  window->UploadFile(received);
  EXPECT_FALSE(window->Connected());
  EXPECT_EQ(test::Slurp(received), test::Slurp(object));
}

TEST_F(Transfers, TheServerLibraryGoesToAZq71ThatThenServes) {
  Start({"--model", "71", "--server", "off"}, false, "9600");
  TDialogDriver driver;
  driver.When("FDownLd", [&](QWidget*) { sim->Control("xrecv X"); });  // kind 1: XRECV started
  int afterKind = -1;
  driver.When("FDownLd", [&](QWidget* prompt) { afterKind = window->PromptDialog().Kind(); test::Click(prompt, "btnOK"); });
  ChooseFromMenu('f', "mnuFile", "mnuDownLoadServer");
  ASSERT_TRUE(WaitUntil([&] { return driver.Done() && !window->Busy(); }));
  EXPECT_EQ(afterKind, kPromptServerSent);
  EXPECT_FALSE(window->Connected());
  ASSERT_TRUE(WaitUntil([&] { return sim->Control("status") == "ok stored X"; }, 5000));
  // With the library in memory the calculator can start its server.
  EXPECT_EQ(sim->Control("server"), "ok");
  Connect();
  EXPECT_EQ(window->Host().CalculatorModel(), "71");
}

// The USB port locks the speed and offers the ROM, which goes to the loader.
TEST_F(Transfers, RomGoesToTheLoaderOverUsb) {
  test::TTempDir usbRoot;
  ::setenv("BRIDGIT_USB_ROOT", usbRoot.path().c_str(), 1);
  Start({"--model", "73G+", "--usb-root", usbRoot.path().string()}, false);
  auto* port = window->findChild<QComboBox*>("cmboPort");
  auto* rom = window->findChild<QAction*>("mnuDownloadCalculatorROM");
  const auto choosePort = [&](const QString& name) { TypeOver(port->lineEdit(), name); Type(Qt::Key_Return); };
  choosePort("Auto");
  EXPECT_TRUE(window->findChild<QComboBox*>("cmboSpeed")->isEnabled());
  EXPECT_FALSE(window->findChild<QMenu*>("mnuROM")->menuAction()->isEnabled());
  choosePort("ZQx3G+");
  EXPECT_FALSE(window->findChild<QComboBox*>("cmboSpeed")->isEnabled());
  ChooseFromMenu('r', "mnuROM", nullptr);
  EXPECT_TRUE(rom->isEnabled());
  Type(Qt::Key_Escape);
  std::string image;
  for (int i = 0; i < 3000; ++i) image += static_cast<char>(i * 13);
  std::ofstream(dir / "os.bin") << image;
  TDialogDriver driver;
  driver.When("FDownLd", [&](QWidget* prompt) {
    sim->Control("rom");
    SleepMs(200);  // the loader starts before OK is pressed
    test::Click(prompt, "btnOK");
  });
  window->SendRomFile(dir / "os.bin");
  EXPECT_FALSE(window->Connected());
  EXPECT_FALSE(window->Busy());
  EXPECT_FALSE(window->findChild<QComboBox*>("cmboSpeed")->isEnabled());  // still the USB port
  const std::string crc = QString::asprintf("%04X", CrcArc16(image)).toStdString();
  ASSERT_TRUE(WaitUntil([&] { return sim->Control("status") == "ok rom 3000 bytes crc " + crc; }, 5000));
}

}  // namespace
}  // namespace bridgit
