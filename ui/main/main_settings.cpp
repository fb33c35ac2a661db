// The main window's stored settings: read when the window is created, written
// when it closes. Every value is a string; flags are "1" and "0".
#include <QComboBox>
#include <QHeaderView>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeWidget>

#include "ui/dialogs/download_prompt.h"
#include "ui/main/main_texts.h"
#include "ui/main/main_window.h"
#include "ui/main/view_items.h"

namespace bridgit::ui {

namespace {

constexpr int kSizeSecond = 2;  // "DirColSize" 2: Files, Size, Type

QString Flag(bool v) { return v ? "1" : "0"; }

}  // namespace

void TFZQDir::ReadSettings() {
  const auto text = [this](const char* key, const QString& fallback) { return settings_->value(key, fallback).toString(); };
  const auto flag = [&](const char* key, bool fallback) { return text(key, Flag(fallback)) == "1"; };
  // A value that should be a number but is not falls back to the default.
  const auto number = [&](const char* key, int fallback) {
    bool ok = false;
    const int v = text(key, QString::number(fallback)).toInt(&ok);
    return ok ? v : fallback;
  };

  SetPort(text("Port", kDefaultPort));
  QString speed = text("Speed", kDefaultSpeed);
  if (!Speeds().contains(speed)) speed = kFallbackSpeed;
  cmboSpeed->setCurrentText(speed);
  server_->Channel().SetSpeed(speed.toStdString());
  ToolBar->setVisible(flag("ToolBarVis", true));
  statusBar()->setVisible(flag("StatusBarVis", true));
  const int treeWidth = number("DirWidthSplit", 150);
  paneSplitter->setSizes({treeWidth, std::max(1, width() - treeWidth)});
  QHeaderView* header = objectList->header();
  if (number("DirColSize", 3) == kSizeSecond) header->moveSection(header->visualIndex(kColumnSize), 1);
  // A width of 0 or less (written by an older version while the column was
  // hidden) would leave the column unusable: the default takes its place.
  const auto width = [&](int column, const char* key, int fallback) {
    const int w = number(key, fallback) > 0 ? number(key, fallback) : fallback;
    columnWidths_[column] = w;  // kept even when the view reports no change of size
    objectList->setColumnWidth(column, w);
  };
  fitColumns_ = !settings_->contains("DirWidthType");  // first start: the first listing sizes them
  width(kColumnFiles, "DirWidthFiles", 160);
  width(kColumnSize, "DirWidthSize", 60);
  width(kColumnType, "DirWidthType", 80);
  SetViewStyle(number("DirViewStyle", kStyleReport));
  sortColumn_ = number("DirSortCol", 0);
  sortReverse_ = flag("DirSortReverse", false);

  TFileSettings& f = host_->FileSettings();
  f.addExtension = flag("AddExtension", true);
  f.addCR = flag("AddCR", true);
  f.translateControl = flag("TRANS031", true);
  f.editor = text("Editor", "").toStdString();
  f.translationLevel = number("TRANSIO", 3);
  if (f.translationLevel == 0 && f.addCR) f.translationLevel = 1;
  else if (f.translationLevel == 1 && !f.addCR) f.translationLevel = 0;
  host_->SetRPNPrompts(flag("RPNPrompts", true));
}

void TFZQDir::WriteSettings() {
  const auto put = [this](const char* key, const QString& value) { settings_->setValue(key, value); };
  const auto number = [](int v) { return QString::number(v); };
  put("Port", cmboPort->currentText());
  put("Speed", QString::fromStdString(server_->Channel().GetSpeed()));
  put("ToolBarVis", Flag(!ToolBar->isHidden()));
  put("StatusBarVis", Flag(!statusBar()->isHidden()));
  put("DirWidthSplit", number(folderTree->width()));
  put("DirWidthFiles", number(columnWidths_[kColumnFiles]));
  put("DirWidthSize", number(columnWidths_[kColumnSize]));
  put("DirWidthType", number(columnWidths_[kColumnType]));
  put("DirViewStyle", number(viewStyle_));
  put("DirColSize", number(objectList->header()->visualIndex(kColumnSize) == 1 ? kSizeSecond : 3));
  put("DirSortCol", number(sortColumn_));
  put("DirSortReverse", Flag(sortReverse_));
  const TFileSettings& f = host_->FileSettings();
  put("AddExtension", Flag(f.addExtension));
  put("AddCR", Flag(f.addCR));
  put("TRANS031", Flag(f.translateControl));
  put("Editor", QString::fromStdString(f.editor));
  put("TRANSIO", number(f.translationLevel));
  // The prompt dialog owns the choice once it exists.
  put("RPNPrompts", Flag(host_->PromptsInRPN()));
  settings_->sync();
}

}  // namespace bridgit::ui
