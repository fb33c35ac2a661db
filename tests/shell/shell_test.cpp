// What the desktop pieces hand to other programs and keep between runs: the
// file lists a file manager reads, and the window geometry in the settings.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMimeData>
#include <QScreen>
#include <QSettings>
#include <QUrl>
#include <QWidget>
#include <cstdlib>
#include <memory>

#include "shell/clipboard_files.h"
#include "shell/window_pos_save.h"
#include "support/temp_dir.h"

namespace bridgit {
namespace {

TEST(ClipboardFiles, WhatAFileManagerReads) {
  struct TCase {
    QStringList paths;
    bool cut;
    QByteArray gnome, uris;
  };
  const TCase cases[] = {
      {{"/t/A.zq"}, false, "copy\nfile:///t/A.zq", "file:///t/A.zq\r\n"},
      {{"/t/a b.txt", "/t/B"}, true, "cut\nfile:///t/a%20b.txt\nfile:///t/B", "file:///t/a%20b.txt\r\nfile:///t/B\r\n"},
  };
  for (const TCase& c : cases) {
    std::unique_ptr<QMimeData> mime(shell::FileListMime(c.paths, c.cut));
    EXPECT_EQ(mime->data("x-special/gnome-copied-files"), c.gnome);
    EXPECT_EQ(mime->data("text/uri-list"), c.uris);
    EXPECT_EQ(mime->text(), c.paths.join('\n'));
    EXPECT_EQ(shell::FilesOf(mime.get()), c.paths);
  }
  QMimeData web;
  web.setUrls({QUrl("https://example.org/A.zq"), QUrl::fromLocalFile("/t/C")});
  EXPECT_EQ(shell::FilesOf(&web), QStringList{"/t/C"}) << "only local files";
}

TEST(WindowPosSave, KeysAndValuesKeptBetweenRuns) {
  static_assert(shell::ScaleToStored(240, 120) == 192 && shell::ScaleToStored(100, 144) == 66);
  static_assert(shell::ScaleFromStored(192, 120) == 240 && shell::ScaleFromStored(66, 144) == 99);
  test::TTempDir dir;
  QSettings settings(QString::fromStdString(dir / "w.conf"), QSettings::IniFormat);
  QWidget form;
  auto* panel = new QWidget(&form);
  panel->setObjectName("Panel");
  form.setGeometry(30, 40, 350, 250);
  panel->setGeometry(5, 6, 70, 80);
  form.show();
  const int dpi = form.logicalDpiX();
  shell::TWindowPosSave pos(&form, &settings, "Main");
  pos.ImportantComponents = {"panel"};
  pos.Save(false);
  QStringList kept;
  for (const QString& key : settings.allKeys()) kept << key + "=" + settings.value(key).toString();
  const auto stored = [dpi](int pixels) { return QString::number(pixels * 96 / dpi); };
  EXPECT_EQ(kept.join(' '), "Main/Height=250 Main/Left=" + QString::number(form.pos().x()) + " Main/PanelHeight=" + stored(80) +
                                " Main/PanelLeft=" + stored(5) + " Main/PanelTop=" + stored(6) + " Main/PanelVisible=1 Main/PanelWidth=" +
                                stored(70) + " Main/Top=" + QString::number(form.pos().y()) + " Main/Visible=1 Main/Width=350");
  pos.Save(true);
  EXPECT_EQ(settings.value("Main/Visible").toString(), "0") << "forced hidden";

  QWidget again;
  auto* panel2 = new QWidget(&again);
  panel2->setObjectName("Panel");
  settings.setValue("Main/Visible", "1");
  shell::TWindowPosSave pos2(&again, &settings, "Main");
  pos2.ImportantComponents = {"Panel"};
  pos2.Restore(false, true, true);
  EXPECT_EQ(again.size(), QSize(350, 250));
  EXPECT_EQ(again.pos(), form.pos());
  EXPECT_EQ(panel2->geometry(), QRect(5, 6, 70, 80));
  EXPECT_TRUE(again.isVisible());
  settings.setValue("Main/PanelVisible", "0");
  pos2.Restore(false, true, false);
  EXPECT_TRUE(panel2->isHidden());

  // A window never saved keeps its design bounds, hidden; a fixed-size dialog
  // keeps its size; a place no screen shows any more is left for one on a screen.
  QWidget fresh;
  fresh.setGeometry(10, 20, 300, 200);
  shell::TWindowPosSave(&fresh, &settings, "Never").Restore(false, true, true);
  EXPECT_EQ(fresh.geometry(), QRect(10, 20, 300, 200));
  EXPECT_FALSE(fresh.isVisible());
  QWidget dialog;
  dialog.setFixedSize(120, 80);
  settings.setValue("Main/Left", "-5000");
  shell::TWindowPosSave(&dialog, &settings, "Main").Restore(true, true, true);
  EXPECT_EQ(dialog.size(), QSize(120, 80));
  EXPECT_TRUE(QGuiApplication::primaryScreen()->availableGeometry().contains(dialog.pos())) << dialog.pos().x();
}

}  // namespace
}  // namespace bridgit

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
