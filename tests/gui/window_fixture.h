// A main window connected to a fresh simulated calculator, with its settings
// and its temporary folder in the test's own folders, and the helpers the
// window tests share.
#pragma once

#include <gtest/gtest.h>

#include <QSettings>
#include <QTimer>
#include <QTreeWidget>
#include <cstdlib>
#include <memory>

#include "gui/gui_support.h"
#include "base/files.h"
#include "support/calcsim_process.h"
#include "ui/main/main_window.h"

namespace bridgit::test {

class TWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Copies land in the temporary folder: one of the test's own.
    ::setenv("TMPDIR", temp.path().c_str(), 1);
    settings = std::make_unique<QSettings>(QString::fromStdString(dir / "Bridgit.conf"), QSettings::IniFormat);
  }
  void TearDown() override {
    window.reset();
    ::unsetenv("TMPDIR");
    ::unsetenv("BRIDGIT_USB_ROOT");
  }
  // Starts the simulator and the window, connected unless told otherwise, at
  // the PC speed given.
  void Start(const std::vector<std::string>& simArgs = {}, bool connect = true, const char* pcSpeed = "115200") {
    settings->setValue("Speed", pcSpeed);
    sim = std::make_unique<TCalcSim>(simArgs);
    window = std::make_unique<ui::TFZQDir>(settings.get());
    window->SetPort(QString::fromStdString(sim->PcPath()));
    tree = window->findChild<QTreeWidget*>("folderTree");
    list = window->findChild<QTreeWidget*>("objectList");
    if (!connect) return;
    window->tbtnConnectClick();
    ASSERT_TRUE(window->Connected());
  }
  QTreeWidgetItem* Item(const QString& name) const {
    for (int i = 0; i < list->topLevelItemCount(); ++i)
      if (list->topLevelItem(i)->text(0) == name) return list->topLevelItem(i);
    return nullptr;
  }
  QStringList Names() const {
    QStringList names;
    for (int i = 0; i < list->topLevelItemCount(); ++i) names << list->topLevelItem(i)->text(0);
    return names;
  }
  void Select(const QStringList& names) {
    list->clearSelection();
    for (const QString& n : names)
      if (QTreeWidgetItem* item = Item(n)) item->setSelected(true);
    list->setFocus();
    window->PopupMenu1Popup();
  }
  // Lets the deferred refresh run.
  void Settle() { ASSERT_TRUE(WaitUntil([&] { return !window->findChild<QTimer*>("refreshTimer")->isActive() && !window->Busy(); })); }
  std::string Dump() { return sim->Control("dump"); }

  TTempDir dir;
  TTempDir temp;
  std::unique_ptr<QSettings> settings;
  std::unique_ptr<TCalcSim> sim;
  std::unique_ptr<ui::TFZQDir> window;
  QTreeWidget* tree = nullptr;
  QTreeWidget* list = nullptr;
  TDialogDriver boxes;  // an unexpected message box is answered, never a hang
};

}  // namespace bridgit::test
