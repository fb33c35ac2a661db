// Drag and drop with the desktop, the transfer menu commands and the screen
// capture window, against the simulated calculator.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QPointer>
#include <QSettings>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "base/files.h"
#include "base/log.h"
#include "calcdata/object_walk.h"
#include "gui/gui_support.h"
#include "gui/window_fixture.h"
#include "host/prompt_kinds.h"
#include "shell/clipboard_files.h"
#include "shell/file_source.h"
#include "shell/file_target.h"
#include "support/calcsim_process.h"
#include "transfer/block_checks.h"
#include "ui/dialogs/capture_window.h"
#include "ui/dialogs/download_prompt.h"
#include "ui/main/main_window.h"
#include "ui/main/transfer_rules.h"

namespace fs = std::filesystem;

namespace bridgit {
namespace {

using test::TDialogDriver;
using test::WaitUntil;

TEST(TransferRules, BackupNamesAndCaptureSpeeds) {
  EXPECT_EQ(ui::BackupFileName("73", QDate(2026, 12, 5)), "73_5-Dec-2026.zqbackup");
  EXPECT_EQ(ui::BackupFileName("71", QDate(2027, 1, 31)), "71_31-Jan-2027.zqbackup");
  EXPECT_EQ(ui::CaptureSpeed("/dev/ttyS0", 19200), 115200);
  EXPECT_EQ(ui::CaptureSpeed("COM1", 4800), 9600);
  EXPECT_EQ(ui::CaptureSpeed("/dev/ttyUSB0", 9600), 0);
  EXPECT_EQ(ui::CaptureSpeed("/dev/ttyUSB0", 115200), 0);
  EXPECT_EQ(ui::CaptureSpeed("ZQx3G+", 19200), 0);
  EXPECT_EQ(ui::CaptureSpeed("Auto", 19200), 0);
}

TEST(DropTarget, ScrollsNearTheEdgesAndOffersOnlyCopy) {
  using namespace shell;
  const QSize client(200, 100);
  EXPECT_EQ(ScrollEffect(true, {50, 3}, client, 5, false, true), kEffectCopy | kEffectScroll);
  EXPECT_EQ(ScrollEffect(true, {50, 50}, client, 5, false, true), kEffectCopy);
  EXPECT_EQ(ScrollEffect(true, {50, 97}, client, 5, false, false), kEffectCopy);  // no scroll bar
  EXPECT_EQ(ScrollEffect(true, {198, 50}, client, 5, true, false), kEffectCopy | kEffectScroll);
  EXPECT_EQ(ScrollEffect(false, {50, 50}, client, 5, true, true), kEffectNone);  // a move-only source
}

// The simulated calculator runs at its usual 9600 baud. The server talks at
// any speed; the calculator's own transfers (captures, XSEND, XRECV) need the
// PC at the calculator's speed, and a backup switches to it.
class Transfers : public test::TWindowTest {
 protected:
  void SetUp() override {
    TWindowTest::SetUp();
    TLogBook::Instance().Clear();
  }
  // Files dragged in from a file manager and dropped at a point of a view.
  void DropFiles(QTreeWidget* view, const QStringList& files, QPoint at) {
    std::unique_ptr<QMimeData> mime(shell::FileListMime(files, false));
    QDragEnterEvent enter(at, Qt::CopyAction, mime.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &enter);
    QDropEvent drop(QPointF(at), Qt::CopyAction, mime.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &drop);
  }
};

// On a desktop the file manager asks for the list as the pointer enters it;
// a release before it said yes cancels the drag, and Qt deletes the drag and
// its data while the object is still being fetched for that first request.
TEST_F(Transfers, ADragCancelledWhileItsObjectIsFetchedOutlivesTheFetch) {
  Start();
  Select({"LST"});
  shell::TFileSource& source = window->ListSource();
  source.Files.clear();
  source.Files.push_back({QString::fromStdString(TempFolder() + "LST"), QVariant::fromValue<void*>(Item("LST"))});
  QPointer<QDrag> drag = source.CreateDrag(list);
  QPointer<QMimeData> data = drag->mimeData();
  const auto fetch = source.OnDrop;
  bool dataAliveAfterFetch = false;
  QStringList answerDuringFetch;
  source.OnDrop = [&](bool& go) {
    drag->deleteLater();  // the cancel
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    answerDuringFetch = shell::FilesOf(data);  // the file manager asks again meanwhile
    fetch(go);
    dataAliveAfterFetch = !data.isNull();
  };
  const QStringList files = shell::FilesOf(data);
  source.OnDrop = fetch;
  EXPECT_TRUE(dataAliveAfterFetch);
  EXPECT_TRUE(answerDuringFetch.isEmpty());  // nothing yet, never a half list
  ASSERT_EQ(files.size(), 1);
  EXPECT_TRUE(files[0].endsWith("/LST.zq"));
  // Once the fetch is over, the cancel takes its course.
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(drag.isNull());
}

TEST_F(Transfers, DraggedObjectsAreFetchedOnlyWhenDropped) {
  Start();
  Select({"A", "LST"});
  window->ListSource().Files.clear();
  // What a drag announces: the paths without extension, nothing fetched yet.
  for (const char* n : {"A", "LST"})
    window->ListSource().Files.push_back({QString::fromStdString(TempFolder() + n), QVariant::fromValue<void*>(Item(n))});
  EXPECT_FALSE(fs::exists(fs::path(TempFolder()) / "A.zq"));
  // Asked while the button is held over a file manager: the names the files
  // will have, at once, and nothing fetched for a drag that may be cancelled.
  QPointer<QDrag> drag = window->ListSource().CreateDrag(list);
  QTest::mousePress(list->viewport(), Qt::LeftButton);
  const QStringList passing = shell::FilesOf(drag->mimeData());
  QTest::mouseRelease(list->viewport(), Qt::LeftButton);
  EXPECT_EQ(passing.size(), 2);
  EXPECT_FALSE(fs::exists(fs::path(TempFolder()) / "A.zq"));
  // It asks again at the drop: now the files are made, at those names.
  const QStringList files = shell::FilesOf(drag->mimeData());
  EXPECT_EQ(files, passing);
  ASSERT_EQ(files.size(), 2);
  EXPECT_TRUE(files[0].endsWith("/A.zq"));
  EXPECT_TRUE(files[1].endsWith("/LST.zq"));
  for (const QString& f : files) EXPECT_TRUE(fs::file_size(f.toStdString()) > 0);

  // The root node dragged out: a backup named after the model and the date.
  window->TreeSource().Files.clear();
  window->TreeSource().Files.push_back({QString::fromStdString(TempFolder() + tree->topLevelItem(0)->text(0).toStdString()),
                                        QVariant::fromValue<void*>(nullptr)});
  TDialogDriver driver;
  driver.When("FDownLd", [](QWidget* question) { test::Click(question, "btnOK"); });  // the backup's speed change
  std::unique_ptr<QMimeData> backup(window->TreeSource().CreateMime());
  const QStringList backupFiles = shell::FilesOf(backup.get());
  ASSERT_EQ(backupFiles.size(), 1);
  EXPECT_EQ(QFileInfo(backupFiles[0]).fileName().toStdString(), ui::BackupFileName("73", QDate::currentDate()));
  std::string bytes = test::Slurp(backupFiles[0].toStdString());
  const std::size_t size = bytes.size();
  ASSERT_TRUE(TrimObject(bytes).success);
  EXPECT_EQ(bytes.size(), size);  // exactly the header and the object

  // A backup that fails, with something at its name that cannot be removed
  // (here a folder that is not empty): nothing is handed to the desktop.
  const fs::path stale = backupFiles[0].toStdString();
  fs::remove(stale);
  fs::create_directories(stale / "inside");
  window->TreeSource().Files.clear();
  window->TreeSource().Files.push_back({QString::fromStdString(TempFolder() + tree->topLevelItem(0)->text(0).toStdString()),
                                        QVariant::fromValue<void*>(nullptr)});
  driver.When("FDownLd", [](QWidget* question) { test::Click(question, "btnOK"); });
  ASSERT_EQ(sim->Control("fault can@+1"), "ok");
  std::unique_ptr<QMimeData> failed(window->TreeSource().CreateMime());
  EXPECT_TRUE(shell::FilesOf(failed.get()).isEmpty());
}

TEST_F(Transfers, AFailedFetchCancelsTheDrop) {
  Start();
  window->ListSource().Files.clear();
  window->ListSource().Files.push_back({QString::fromStdString(TempFolder() + "A"), QVariant::fromValue<void*>(Item("A"))});
  window->Server().SendCalculatorCommand("'A' PURGE");  // gone before the drop
  std::unique_ptr<QMimeData> mime(window->ListSource().CreateMime());
  EXPECT_TRUE(shell::FilesOf(mime.get()).isEmpty());
  EXPECT_FALSE(fs::exists(fs::path(TempFolder()) / "A.zq"));
}

TEST_F(Transfers, FilesDroppedOnTheListAFolderItemAndTheTreeGoIn) {
  Start();
  const fs::path src = dir.path() / "src";
  fs::create_directories(src);
  std::ofstream(src / "D1.txt") << "%%ZQ: T(3)A(R)F(.);\n11";
  std::ofstream(src / "D2.txt") << "%%ZQ: T(3)A(R)F(.);\n12";
  std::ofstream(src / "D3.txt") << "%%ZQ: T(3)A(R)F(.);\n13";
  const auto path = [&](const char* n) { return QString::fromStdString((src / n).string()); };
  // On the list, between the items: into the folder shown.
  DropFiles(list, {path("D1.txt"), path("D2.txt")}, list->visualItemRect(Item("A")).center() + QPoint(0, 400));
  Settle();
  std::string dump = Dump();
  EXPECT_NE(dump.find("HOME/D1 Real"), std::string::npos);
  EXPECT_NE(dump.find("HOME/D2 Real"), std::string::npos);
  // On a folder item: into that folder, which is shown afterwards.
  DropFiles(list, {path("D3.txt")}, list->visualItemRect(Item("WORK")).center());
  Settle();
  EXPECT_NE(Dump().find("HOME/WORK/D3 Real"), std::string::npos);
  EXPECT_EQ(window->CurrentPath, "HOME WORK");
  // On a tree folder: that folder is selected and receives the file.
  QTreeWidgetItem* deep = tree->currentItem()->child(0);
  ASSERT_EQ(deep->text(0), "DEEP");
  DropFiles(tree, {path("D1.txt")}, tree->visualItemRect(deep).center());
  Settle();
  EXPECT_NE(Dump().find("HOME/WORK/DEEP/D1 Real"), std::string::npos);
  EXPECT_EQ(window->CurrentPath, "HOME WORK DEEP");
  // Disconnected: nothing is put.
  window->tbtnConnectClick();
  ASSERT_FALSE(window->Connected());
  DropFiles(list, {path("D2.txt")}, QPoint(5, 5));
  sim->Control("server");  // the server left with the disconnection
  window->tbtnConnectClick();
  ASSERT_TRUE(window->Connected());
  EXPECT_EQ(Dump().find("HOME/WORK/DEEP/D2"), std::string::npos);
}

TEST_F(Transfers, BackupThenRestoreReconnectsFromThePrompt) {
  Start();
  const std::string before = Dump();
  const std::string file = dir / "calc.zqbackup";
  TDialogDriver driver;
  driver.When("FDownLd", [](QWidget* question) { test::Click(question, "btnOK"); });  // the backup's speed change
  window->BackupToFile(file);
  ASSERT_TRUE(fs::exists(file));
  std::string bytes = test::Slurp(file);
  const std::size_t size = bytes.size();
  ASSERT_TRUE(TrimObject(bytes).success);
  EXPECT_EQ(bytes.size(), size);
  window->Server().SendCalculatorCommand("'A' PURGE");

  QString okCaption;
  driver.When("FDownLd", [&](QWidget* prompt) {
    okCaption = prompt->findChild<QPushButton*>("btnOK")->text();
    sim->Control("server");  // the user restarts the server on the calculator
    test::Click(prompt, "btnOK");
  });
  window->RestoreFromFile(file);
  EXPECT_EQ(okCaption, "Connect");
  ASSERT_TRUE(window->Connected());
  EXPECT_NE(Dump().find("HOME/A Real"), std::string::npos);

  // Cancel there leaves the window disconnected.
  driver.When("FDownLd", [&](QWidget* prompt) { test::Click(prompt, "btnCancel"); });
  window->RestoreFromFile(file);
  EXPECT_FALSE(window->Connected());
}

// A PGM/PPM file ("P5"/"P6") as width, height and the gray value of each pixel.
struct TGray {
  int width = 0, height = 0;
  std::vector<int> pixels;
  int At(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
};
TGray ReadPnm(const std::string& bytes) {
  TGray g;
  std::size_t pos = 0;
  const auto token = [&] {
    while (pos < bytes.size() && std::isspace(static_cast<unsigned char>(bytes[pos]))) ++pos;
    const std::size_t start = pos;
    while (pos < bytes.size() && !std::isspace(static_cast<unsigned char>(bytes[pos]))) ++pos;
    return bytes.substr(start, pos - start);
  };
  const std::string magic = token();
  g.width = std::stoi(token());
  g.height = std::stoi(token());
  token();
  ++pos;
  const int channels = magic == "P6" ? 3 : 1;
  for (int i = 0; i < g.width * g.height; ++i) g.pixels.push_back(static_cast<unsigned char>(bytes[pos + static_cast<std::size_t>(i * channels)]));
  return g;
}

TEST_F(Transfers, TheCaptureWindowSavesPicturesOthersCanRead) {
  settings->setValue("ScreenCapture/Zoom", "5");          // not a zoom: 2
  settings->setValue("ScreenCapture/BorderFrame", "12");  // out of range: 2
  Start({}, false, "9600");
  // Three captures in a row, then Cancel.
  TDialogDriver driver;
  int another = 0;
  for (int round = 0; round < 3; ++round)
    driver.When("FDownLd", [&, round](QWidget* prompt) {
      if (round > 0) {
        ++another;
        EXPECT_EQ(prompt->windowTitle(), "Do Another Capture?");
      }
      sim->Control("screen page");
    });
  driver.When("FDownLd", [&](QWidget* prompt) { test::Click(prompt, "btnCancel"); });
  window->mnuCaptureScreenClick();
  EXPECT_TRUE(driver.Done());
  EXPECT_EQ(another, 2);
  EXPECT_FALSE(window->Connected());
  ui::TFCapture* capture = window->CaptureWindow();
  ASSERT_NE(capture, nullptr);
  EXPECT_TRUE(capture->isVisible());
  EXPECT_EQ(capture->Zoom(), 2);
  EXPECT_EQ(capture->Frame(), 2);
  EXPECT_EQ(capture->findChild<QLabel*>("screenPicture")->size(), QSize(274, 140));
  EXPECT_EQ(QApplication::clipboard()->image().size(), QSize(137, 70));

  std::string why;
  const std::string jpeg = dir / "picture.JPEG", bmp = dir / "picture.bmp";
  ASSERT_TRUE(capture->SaveTo(jpeg, why)) << why;
  ASSERT_TRUE(capture->SaveTo(bmp, why)) << why;
  EXPECT_FALSE(capture->SaveTo(dir / "picture.gif", why));
  EXPECT_NE(why.find(".gif"), std::string::npos);
  EXPECT_FALSE(fs::exists(dir / "picture.gif"));
  for (const std::string& file : {jpeg, bmp}) {
    const std::string out = dir / "decoded.pgm";
    const std::string command = file == jpeg ? "djpeg -grayscale -pnm -outfile '" + out + "' '" + file + "'"
                                             : "convert '" + file + "' -colorspace Gray pgm:'" + out + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    const TGray g = ReadPnm(test::Slurp(out));
    EXPECT_EQ(g.width, 274);  // as shown: at zoom 2
    EXPECT_EQ(g.height, 140);
    EXPECT_LT(g.At(0, 0), 64) << "the frame is black";
    EXPECT_GT(g.At(4, 4), 160) << "the margin is light";
    // BMP exactly; JPEG, being lossy, nearly everywhere.
    int wrong = 0;
    for (int y = 0; y < g.height; ++y)
      for (int x = 0; x < g.width; ++x) wrong += (g.At(x, y) < 128) != capture->Framed().Dark(x / 2, y / 2);
    if (file == bmp)
      EXPECT_EQ(wrong, 0);
    else
      EXPECT_LT(wrong, g.width * g.height / 50) << file;
  }
  // Without the border the picture is the calculator's size; frame 0 draws no black.
  capture->findChild<QAction*>("mnuShowBorder")->trigger();
  EXPECT_EQ(capture->Framed().width, 131);
  EXPECT_EQ(capture->Framed().height, 64);
  capture->findChild<QAction*>("mnuShowBorder")->trigger();
  capture->findChild<QAction*>("mnuFrame0")->trigger();
  EXPECT_FALSE(capture->Framed().Dark(0, 0));
  capture->close();
  EXPECT_EQ(settings->value("ScreenCapture/Zoom").toString(), "2");
  EXPECT_EQ(settings->value("ScreenCapture/BorderFrame").toString(), "0");
  EXPECT_EQ(settings->value("ScreenCapture/Visible").toString(), "0");
}

TEST_F(Transfers, ManualCommandsLeaveTheWindowDisconnected) {
  Start({}, true, "9600");
  const std::string object = dir / "NEWA.zq";
  int error = 0;
  ASSERT_TRUE(WriteFileSafely(object, std::string("ZQZQ73-C\x33\x29\x10\0\0\0\0\0\0\x42\0", 19), error));
  TDialogDriver driver;
  driver.When("FDownLd", [&](QWidget*) { sim->Control("xrecv NEWA"); });  // kind 4: the calculator starts XRECV
  bool afterShown = false;
  driver.When("FDownLd", [&](QWidget* prompt) {
    afterShown = true;
    test::Click(prompt, "btnOK");
  });
  window->ManualDownload(object, kPromptDownload, kPromptDownloaded);
  EXPECT_TRUE(afterShown);
  EXPECT_FALSE(window->Connected());
  ASSERT_TRUE(WaitUntil([&] { return sim->Control("status") == "ok stored NEWA"; }, 5000));

  const std::string received = dir / "GOT.zq";
  driver.When("FDownLd", [&](QWidget* prompt) {
    sim->Control("xsend A");
    test::Click(prompt, "btnOK");
  });
  window->UploadFile(received);
  EXPECT_FALSE(window->Connected());
  EXPECT_EQ(test::Slurp(received), test::Slurp(object));
}

TEST_F(Transfers, TheServerLibraryGoesToAZq71ThatThenServes) {
  Start({"--model", "71", "--server", "off"}, false, "9600");
  TDialogDriver driver;
  driver.When("FDownLd", [&](QWidget*) { sim->Control("xrecv X"); });  // kind 1: XRECV started
  int afterKind = -1;
  driver.When("FDownLd", [&](QWidget* prompt) {
    afterKind = window->PromptDialog().Kind();
    test::Click(prompt, "btnOK");
  });
  window->findChild<QAction*>("mnuDownLoadServer")->trigger();
  EXPECT_EQ(afterKind, kPromptServerSent);
  EXPECT_FALSE(window->Connected());
  ASSERT_TRUE(WaitUntil([&] { return sim->Control("status") == "ok stored X"; }, 5000));
  // With the library in memory the calculator can start its server.
  EXPECT_EQ(sim->Control("server"), "ok");
  window->tbtnConnectClick();
  EXPECT_TRUE(window->Connected());
  EXPECT_EQ(window->Host().CalculatorModel(), "71");
}

TEST_F(Transfers, RomGoesToTheLoaderOverUsb) {
  test::TTempDir usbRoot;
  ::setenv("BRIDGIT_USB_ROOT", usbRoot.path().c_str(), 1);
  Start({"--model", "73G+", "--usb-root", usbRoot.path().string()}, false);
  window->SetPort("ZQx3G+");
  std::string rom;
  for (int i = 0; i < 3000; ++i) rom += static_cast<char>(i * 13);
  int error = 0;
  ASSERT_TRUE(WriteFileSafely(dir / "os.bin", rom, error));
  TDialogDriver driver;
  driver.When("FDownLd", [&](QWidget* prompt) {
    sim->Control("rom");
    SleepMs(200);  // the loader starts before OK is pressed
    test::Click(prompt, "btnOK");
  });
  window->SendRomFile(dir / "os.bin");
  EXPECT_FALSE(window->Connected());
  EXPECT_FALSE(window->Busy());
  char crc[8];
  std::snprintf(crc, sizeof crc, "%04X", CrcArc16(rom));
  ASSERT_TRUE(WaitUntil([&] { return sim->Control("status") == std::string("ok rom 3000 bytes crc ") + crc; }, 5000));
}

}  // namespace
}  // namespace bridgit
