// The main window's start-up from stored settings, the program icon, a port
// that cannot be opened, the USB port's rules, the hints and the typed word
// "log", options and geometry written back.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QSettings>
#include <QStatusBar>
#include <QToolButton>
#include <QTreeWidget>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QTest>
#include <algorithm>
#include <cstdlib>
#include <fstream>

#include "gui/gui_support.h"
#include "support/calcsim_process.h"
#include "support/pty_pair.h"
#include "ui/dialogs/log_form.h"
#include "ui/main/main_window.h"

namespace bridgit {
namespace {

using test::TDialogDriver;
using test::WaitUntil;

using TTestWindow = ui::TFZQDir;

class MainWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    ::unsetenv("BRIDGIT_EXTRA_PORTS");
    ::unsetenv("BRIDGIT_USB_ROOT");
  }
  std::unique_ptr<QSettings> Settings() {
    return std::make_unique<QSettings>(QString::fromStdString(dir / "Bridgit.conf"), QSettings::IniFormat);
  }
  template <typename T>
  static T* Find(QWidget& w, const char* name) {
    T* t = w.findChild<T*>(name);
    EXPECT_NE(t, nullptr) << name;
    return t;
  }
  test::TTempDir dir;
};

TEST_F(MainWindow, StoredSettingsAreReadWithTheirFallbacks) {
  auto settings = Settings();
  settings->setValue("Speed", "130000");
  settings->setValue("Port", "/dev/no-such-port");
  settings->setValue("DirColSize", "5");
  settings->setValue("DirWidthFiles", "wide");  // not a number: the default
  settings->setValue("TRANSIO", "0");
  settings->setValue("AddCR", "1");
  {
    TTestWindow window(settings.get());
    EXPECT_EQ(Find<QComboBox>(window, "cmboSpeed")->currentText(), "9600");
    EXPECT_EQ(Find<QComboBox>(window, "cmboPort")->currentIndex(), 0);
    auto* list = Find<QTreeWidget>(window, "objectList");
    EXPECT_EQ(list->header()->visualIndex(2), 2);  // Files, Type, Size
    EXPECT_EQ(list->columnWidth(0), 160);
    EXPECT_EQ(window.Host().FileSettings().translationLevel, 1);
    window.close();
  }
  EXPECT_EQ(settings->value("DirColSize").toString(), "3");
  EXPECT_EQ(settings->value("TRANSIO").toString(), "1");

  settings->setValue("TRANSIO", "1");
  settings->setValue("AddCR", "0");
  settings->setValue("DirColSize", "2");
  {
    TTestWindow window(settings.get());
    EXPECT_EQ(window.Host().FileSettings().translationLevel, 0);
    EXPECT_EQ(Find<QTreeWidget>(window, "objectList")->header()->visualIndex(2), 1);  // Files, Size, Type
    window.close();
  }
  EXPECT_EQ(settings->value("DirColSize").toString(), "2");
}

// The program's icon, built in at the desktop's sizes, is the icon of every
// window it makes, and the desktop entry it names is the installed one.
TEST_F(MainWindow, EveryWindowShowsTheProgramIcon) {
  auto settings = Settings();
  TTestWindow window(settings.get());
  window.show();
  EXPECT_EQ(QGuiApplication::desktopFileName(), "org.bridgit.Bridgit");
  const QIcon icon = QApplication::windowIcon();
  ASSERT_FALSE(icon.isNull());
  EXPECT_EQ(icon.pixmap(256, 256).toImage().size(), QSize(256, 256));
  int windows = 0;
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (!w->isWindow() || qobject_cast<QMenu*>(w)) continue;
    ++windows;
    EXPECT_EQ(w->windowIcon().cacheKey(), icon.cacheKey()) << w->objectName().toStdString();
  }
  EXPECT_GE(windows, 4);  // the main window, options, log, capture, command window...
}

// A serial device of a group the person is not in: the error says which group
// and how to join it. As root (who opens anything) the window runs as nobody
// with no groups while it connects, and the device belongs to dialout.
TEST_F(MainWindow, APortItMayNotOpenNamesTheGroupToJoin) {
  test::TPtyPair line;
  ASSERT_FALSE(line.path().empty());
  std::string groupName;
  const bool asRoot = ::geteuid() == 0;
  if (asRoot) {
    const struct group* dialout = ::getgrnam("dialout");
    if (!dialout) GTEST_SKIP() << "running as root and there is no group dialout to give the device";
    groupName = "dialout";
    ASSERT_EQ(::chown(line.path().c_str(), 0, dialout->gr_gid), 0);
    ASSERT_EQ(::chmod(line.path().c_str(), 0660), 0);
  } else {
    struct stat st {};
    ASSERT_EQ(::stat(line.path().c_str(), &st), 0);
    groupName = ::getgrgid(st.st_gid)->gr_name;
    gid_t groups[256];
    const int n = ::getgroups(256, groups);
    if (::getegid() == st.st_gid || std::find(groups, groups + std::max(n, 0), st.st_gid) != groups + std::max(n, 0))
      GTEST_SKIP() << "the test's user is in the group " << groupName;
    ASSERT_EQ(::chmod(line.path().c_str(), 0060), 0);
  }
  auto settings = Settings();
  TTestWindow window(settings.get());
  window.show();
  TDialogDriver driver;
  window.SetPort(QString::fromStdString(line.path()));
  std::vector<gid_t> rootGroups;
  if (asRoot) {
    // Effective ids only, so that the test can take root back.
    rootGroups.resize(static_cast<std::size_t>(::getgroups(0, nullptr)));
    ::getgroups(static_cast<int>(rootGroups.size()), rootGroups.data());
    ASSERT_EQ(::setgroups(0, nullptr), 0);
    ASSERT_EQ(::setegid(65534), 0);
    ASSERT_EQ(::seteuid(65534), 0);
  }
  QTest::mouseClick(Find<QToolButton>(window, "tbtnConnect"), Qt::LeftButton);
  const bool boxShown = WaitUntil([&] { return !driver.boxTexts.empty(); });
  if (asRoot) {
    ASSERT_EQ(::seteuid(0), 0);
    ASSERT_EQ(::setegid(0), 0);
    ASSERT_EQ(::setgroups(rootGroups.size(), rootGroups.data()), 0);
  }
  ASSERT_TRUE(boxShown);
  EXPECT_EQ(driver.boxTexts[0], "Error (The connectivity kit is unable to open communications to:" + line.path() +
                                    ")\n\nYou may not open " + line.path() + ": it belongs to the group " + groupName +
                                    ", which you are not in.\n"
                                    "Add yourself to it with: sudo usermod -aG " + groupName + " $USER\n"
                                    "then log out and log in again (a new group counts from the next login).");
  EXPECT_FALSE(window.Connected());
}

TEST_F(MainWindow, AFailedConnectionLeavesTheWindowDisconnected) {
  auto settings = Settings();
  TTestWindow window(settings.get());
  TDialogDriver driver;
  const std::string notATty = dir / "not-a-port";
  std::ofstream(notATty) << "x";
  window.SetPort(QString::fromStdString(notATty));
  Find<QToolButton>(window, "tbtnConnect")->click();
  EXPECT_FALSE(window.Connected());
  EXPECT_FALSE(window.Busy());
  EXPECT_TRUE(Find<QComboBox>(window, "cmboPort")->isEnabled());
  EXPECT_TRUE(Find<QComboBox>(window, "cmboSpeed")->isEnabled());
  ASSERT_TRUE(WaitUntil([&] { return !driver.boxTexts.empty(); }));
  EXPECT_NE(driver.boxTexts[0].find("The connectivity kit is unable to open communications to:"), std::string::npos);
}

TEST_F(MainWindow, TheUsbPortLocksTheSpeedAndOffersTheRom) {
  test::TTempDir usbRoot;
  test::TCalcSim sim({"--model", "73G+", "--usb-root", usbRoot.path().string()});
  ::setenv("BRIDGIT_USB_ROOT", usbRoot.path().c_str(), 1);
  auto settings = Settings();
  settings->setValue("Port", "ZQx3G+");
  TTestWindow window(settings.get());
  auto* port = Find<QComboBox>(window, "cmboPort");
  auto* speed = Find<QComboBox>(window, "cmboSpeed");
  ASSERT_EQ(port->currentText(), "ZQx3G+");
  EXPECT_FALSE(speed->isEnabled());
  window.mnuROMClick();
  EXPECT_TRUE(Find<QAction>(window, "mnuDownloadCalculatorROM")->isEnabled());
  port->setCurrentIndex(port->findText("Auto"));
  EXPECT_TRUE(speed->isEnabled());
  window.mnuROMClick();
  EXPECT_FALSE(Find<QAction>(window, "mnuDownloadCalculatorROM")->isEnabled());
  // The port box re-lists the ports when it is opened and keeps the choice.
  port->setCurrentIndex(port->findText("ZQx3G+"));
  window.ReloadPortList();
  EXPECT_EQ(port->currentText(), "ZQx3G+");
  Find<QToolButton>(window, "tbtnConnect")->click();
  EXPECT_TRUE(window.Connected());
  EXPECT_EQ(window.Host().DisplayModel(), "73G+");
}

TEST_F(MainWindow, HintsLeadToHelpAndTheTypedWordOpensTheLog) {
  auto settings = Settings();
  TTestWindow window(settings.get());
  EXPECT_EQ(Find<QComboBox>(window, "cmboPort")->toolTip(), "?* Select a communications port");
  EXPECT_EQ(Find<QComboBox>(window, "cmboSpeed")->toolTip(), "?* Select a communications speed.  (ignored for USB)");
  EXPECT_EQ(window.statusBar()->toolTip(), "?* Last command");
  EXPECT_EQ(Find<QWidget>(window, "btnLog")->toolTip(), "Show log window");  // no help context

  // Typed anywhere but into a text field: "l" is held back while it may
  // start the word, "x" breaks the sequence and goes through.
  auto* button = Find<QWidget>(window, "btnLog");
  struct TReached : QObject {
    QString keys;
    bool eventFilter(QObject*, QEvent* e) override {
      if (e->type() == QEvent::KeyPress) keys += static_cast<QKeyEvent*>(e)->text();
      return false;
    }
  } reached;
  button->installEventFilter(&reached);
  const auto type = [](QWidget* target, const QString& keys) {
    for (QChar c : keys) {
      QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
      QApplication::sendEvent(target, &press);
    }
  };
  type(button, "lx");
  EXPECT_EQ(reached.keys, "x");
  EXPECT_FALSE(window.LogForm().isVisible());
  type(button, "log");
  EXPECT_EQ(reached.keys, "x");
  EXPECT_TRUE(window.LogForm().isVisible());
  button->removeEventFilter(&reached);
}

TEST_F(MainWindow, OptionsAreWrittenBackAndGeometryIsRestored) {
  auto settings = Settings();
  settings->setValue("Connectivity/Left", "40");
  settings->setValue("Connectivity/Top", "30");
  settings->setValue("Connectivity/Width", "700");
  settings->setValue("Connectivity/Height", "500");
  settings->setValue("LogForm/Visible", "1");
  settings->setValue("LogForm/Width", "400");
  {
    TTestWindow window(settings.get());
    EXPECT_EQ(window.geometry(), QRect(40, 30, 700, 500));
    EXPECT_TRUE(window.LogForm().isVisible());  // it was open when the program last closed
    EXPECT_EQ(window.LogForm().width(), 400);

    TDialogDriver driver;
    driver.When("FOptions", [](QWidget* options) {
      options->findChild<QRadioButton*>("rbtnTrans1")->setChecked(true);
      options->findChild<QCheckBox*>("chbAddCR")->setChecked(false);
      options->findChild<QLineEdit*>("edtEditor")->setText("gedit --wait");
      test::Click(options, "btnOK");
    });
    window.findChild<QAction*>("mnuOptions")->trigger();
    EXPECT_EQ(window.Host().FileSettings().translationLevel, 0);
    EXPECT_EQ(window.Host().FileSettings().editor, "gedit --wait");
    window.setGeometry(50, 60, 640, 420);
    window.LogForm().hide();
    window.close();
  }
  EXPECT_EQ(settings->value("TRANSIO").toString(), "0");
  EXPECT_EQ(settings->value("AddCR").toString(), "0");
  EXPECT_EQ(settings->value("Editor").toString(), "gedit --wait");
  EXPECT_EQ(settings->value("Connectivity/Width").toString(), "640");
  EXPECT_EQ(settings->value("LogForm/Visible").toString(), "0");
  TTestWindow again(settings.get());
  again.show();  // placed by its frame: the inside lands where it was once the frame is known
  EXPECT_EQ(again.geometry(), QRect(50, 60, 640, 420));
  EXPECT_FALSE(again.LogForm().isVisible());
}

}  // namespace
}  // namespace bridgit
