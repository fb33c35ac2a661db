#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QSettings>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include "base/log.h"
#include "support/calcsim_process.h"
#include "ui/dialogs/log_form.h"
#include "ui/main/main_window.h"

namespace bridgit {
namespace {

// Answers every message box that comes up, as a person pressing its default button.
class TBoxCloser {
 public:
  TBoxCloser() {
    timer_.setInterval(50);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        texts.push_back(box->text().toStdString());
        box->done(QMessageBox::Ok);
      }
    });
    timer_.start();
  }
  std::vector<std::string> texts;

 private:
  QTimer timer_;
};

class MainWindow : public ::testing::Test {
 protected:
  void SetUp() override { TLogBook::Instance().Clear(); }
  std::unique_ptr<QSettings> Settings() {
    return std::make_unique<QSettings>(QString::fromStdString(dir / "Bridgit.conf"), QSettings::IniFormat);
  }
  test::TTempDir dir;
};

TEST_F(MainWindow, StartsWithDefaultsConnectsAndListsTheCalculator) {
  test::TCalcSim sim({});
  auto settings = Settings();
  ui::TFZQDir window(settings.get());
  auto* speed = window.findChild<QComboBox*>("cmboSpeed");
  auto* port = window.findChild<QComboBox*>("cmboPort");
  ASSERT_TRUE(speed && port);
  EXPECT_EQ(speed->currentText(), "115200");
  EXPECT_EQ(port->currentText(), "Auto");
  window.SetPort(QString::fromStdString(sim.PcPath()));
  speed->setCurrentText("9600");
  window.findChild<QToolButton*>("tbtnConnect")->click();
  EXPECT_TRUE(window.Connected());
  auto* tree = window.findChild<QTreeWidget*>("TreeView1");
  EXPECT_EQ(tree->topLevelItem(0)->text(0), "HOME (ZQ-73)");
  EXPECT_EQ(tree->topLevelItem(0)->childCount(), 1);  // WORK
  auto* list = window.findChild<QTreeWidget*>("ListView1");
  EXPECT_EQ(list->topLevelItemCount(), 11);
  EXPECT_TRUE(window.findChild<QLabel*>("StatusPanel1")->text().startsWith("Free Mem: "));

  // The log window has collected the session's lines.
  QCoreApplication::processEvents();
  EXPECT_TRUE(window.LogForm().memo()->toPlainText().contains("Calculator model = 73"));

  // Transfer mode switch.
  auto* mode = window.findChild<QToolButton*>("tbtnXferMode");
  mode->click();
  EXPECT_TRUE(window.TextMode());
  EXPECT_EQ(mode->text(), "Text");
  window.close();
  EXPECT_EQ(settings->value("Port").toString().toStdString(), sim.PcPath());
  EXPECT_EQ(settings->value("Speed").toString(), "9600");
}

TEST_F(MainWindow, AFailedConnectionLeavesTheWindowDisconnected) {
  auto settings = Settings();
  settings->setValue("Speed", "12345");  // not one of the speeds: 9600
  ui::TFZQDir window(settings.get());
  EXPECT_EQ(window.findChild<QComboBox*>("cmboSpeed")->currentText(), "9600");
  TBoxCloser closer;
  window.SetPort(QString::fromStdString(dir / "no-port"));
  window.findChild<QToolButton*>("tbtnConnect")->click();
  EXPECT_FALSE(window.Connected());
  EXPECT_FALSE(window.Busy());
  ASSERT_EQ(closer.texts.size(), 1u);
  EXPECT_NE(closer.texts[0].find("The connectivity kit is unable to open communications to:"), std::string::npos);
}

}  // namespace
}  // namespace bridgit
