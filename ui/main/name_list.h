// The list of the calculator's objects: a report view whose rows are edited
// in place only by their name. F2 renames the object whichever cell of its row
// is current (never its type or size text); a click edits only on the name.
#pragma once

#include <QTreeWidget>

#include "ui/main/view_items.h"

namespace bridgit::ui {

class TNameList : public QTreeWidget {
 public:
  using QTreeWidget::QTreeWidget;

 protected:
  bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override {
    if (index.column() == kColumnFiles) return QTreeWidget::edit(index, trigger, event);
    if (trigger != EditKeyPressed && trigger != AllEditTriggers) return false;
    return QTreeWidget::edit(index.siblingAtColumn(kColumnFiles), trigger, event);
  }
};

}  // namespace bridgit::ui
