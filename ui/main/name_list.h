// The list of the calculator's objects: a report view whose rows are edited
// in place only by their name, wherever in the row the edit began (F2 after a
// click on the Type column renames the object, never its type text).
#pragma once

#include <QTreeWidget>

#include "ui/main/view_items.h"

namespace bridgit::ui {

class TNameList : public QTreeWidget {
 public:
  using QTreeWidget::QTreeWidget;

 protected:
  bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override {
    return QTreeWidget::edit(index.siblingAtColumn(kColumnFiles), trigger, event);
  }
};

}  // namespace bridgit::ui
