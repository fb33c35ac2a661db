// What the items of the two views carry, and the names they stand for: one
// place for the list's columns, the item data roles and the file names made
// from calculator names.
#pragma once

#include <QTreeWidgetItem>
#include <string>

#include "calcdata/escapes.h"
#include "ui/main/image_list.h"

namespace bridgit::ui {

// Logical columns of the list; the header may show them in another order.
enum TColumn : int { kColumnFiles = 0, kColumnType = 1, kColumnSize = 2 };

inline constexpr int kNameRole = Qt::UserRole + 1;  // the name before an edit in place
inline constexpr int kIconRole = Qt::UserRole + 2;  // the entry's TypeIcon

// The calculator name an item shows (backslash notation).
inline std::string Caption(const QTreeWidgetItem* item) { return item->text(0).toLatin1().toStdString(); }
inline bool IsFolderItem(const QTreeWidgetItem* item) { return item->data(0, kIconRole).toInt() == kImageDirectory; }

// Calculator names use backslash notation; file names caret notation, which
// keeps every character a file name may not hold.
inline std::string PcFileName(const std::string& calcName) {
  return EncodeEscapes(DecodeEscapes(calcName, TEscapeMode::kBackslash), TEscapeMode::kCaret);
}
inline std::string CalcName(const std::string& fileName) {
  return EncodeEscapes(DecodeEscapes(fileName, TEscapeMode::kCaret), TEscapeMode::kBackslash);
}

}  // namespace bridgit::ui
