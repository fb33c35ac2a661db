// The calculator's memory as a folder tree and a list: filling both from the
// session's item tree, sorting, refreshing with the folder and selection kept,
// navigation, properties and renaming in place.
#include <QAction>
#include <QCoreApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QTimer>
#include <QTreeWidget>

#include "calcdata/var_name.h"
#include "ui/dialogs/property_dialog.h"
#include "ui/main/image_list.h"
#include "ui/main/list_sort.h"
#include "ui/main/main_texts.h"
#include "ui/main/main_window.h"
#include "ui/main/view_items.h"

namespace bridgit::ui {

namespace {


int TagOf(int logical) { return logical == kColumnFiles ? kTagFiles : logical == kColumnSize ? kTagSize : kTagType; }

// A list item sorts by the window's rules (TListItem::Order points at them).
struct TSortOrder {
  int tag = kTagFiles;
  bool reverse = false;
};
TSortOrder g_order;

class TListItem : public QTreeWidgetItem {
 public:
  using QTreeWidgetItem::QTreeWidgetItem;
  bool operator<(const QTreeWidgetItem& other) const override {
    const QByteArray a[3] = {text(kColumnFiles).toLatin1(), text(kColumnType).toLatin1(), text(kColumnSize).toLatin1()};
    const QByteArray b[3] = {other.text(kColumnFiles).toLatin1(), other.text(kColumnType).toLatin1(),
                             other.text(kColumnSize).toLatin1()};
    const auto bytes = [](const QByteArray& t) { return std::string_view(t.constData(), static_cast<std::size_t>(t.size())); };
    const TListEntry x{bytes(a[0]), bytes(a[1]), bytes(a[2]), data(0, kIconRole).toInt() == kImageDirectory};
    const TListEntry y{bytes(b[0]), bytes(b[1]), bytes(b[2]), other.data(0, kIconRole).toInt() == kImageDirectory};
    return CompareEntries(x, y, g_order.tag, g_order.reverse) < 0;
  }
};

}  // namespace

void TFZQDir::ConnectViews() {
  connect(folderTree, &QTreeWidget::currentItemChanged, this,
          [this](QTreeWidgetItem* node) { Guarded([&] { TreeView1Change(node); }); });
  connect(objectList->header(), &QHeaderView::sectionClicked, this, &TFZQDir::ListView1ColumnClick);
  connect(objectList, &QTreeWidget::itemDoubleClicked, this,
          [this](QTreeWidgetItem* item) { Guarded([&] { OpenItem(item); }); });
  connect(objectList, &QTreeWidget::itemSelectionChanged, this, [this] {
    const auto selected = objectList->selectedItems();
    if (!selected.isEmpty()) LastSelectedName = Caption(selected.front());
  });
  connect(objectList, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int column) {
    if (column == kColumnFiles && item->text(0) != item->data(0, kNameRole).toString()) Guarded([&] { ListView1Edited(item); });
  });
  connect(folderTree, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* node, int column) {
    if (column != 0) return;
    if (!node->parent()) {
      // The root's caption is the calculator's; an edit of it is undone.
      const QString caption = Connected() ? QString::fromStdString(host_->RootCaption()) : kRootCaptionUnknown;
      if (node->text(0) != caption) {
        const QSignalBlocker quiet(folderTree);
        node->setText(0, caption);
      }
      return;
    }
    if (node->text(0) != node->data(0, kNameRole).toString()) Guarded([&] { TreeView1Edited(node); });
  });
  for (QTreeWidget* view : {folderTree, objectList})
    view->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
}

TXPObject* TFZQDir::EntryOf(const QTreeWidgetItem* node) const {
  return node ? static_cast<TXPObject*>(node->data(0, Qt::UserRole).value<void*>()) : nullptr;
}

QTreeWidgetItem* TFZQDir::RootNode() const { return folderTree->topLevelItem(0); }

TXPObject* TFZQDir::CurrentFolder() const { return EntryOf(FindNodeForPath()); }

void TFZQDir::RefreshDirectory() {
  refreshTimer->stop();
  if (!Connected()) return;
  TBusyScope busy(*host_);
  QWidget* remembered = focusedView_;
  // Filling the list selects its first item: the name to select again is kept first.
  const QString wanted = QString::fromLatin1(LastSelectedName.c_str());
  QTreeWidgetItem* root = folderTree->topLevelItem(0);
  {
    // The nodes point into the item tree that the read replaces.
    const QSignalBlocker quiet(folderTree);
    qDeleteAll(root->takeChildren());
    objectList->clear();
  }
  server_->ListAll(home_);
  QTreeWidgetItem* node = nullptr;
  {
    const QSignalBlocker quiet(folderTree);
    FillTree(root, home_);
    folderTree->clearSelection();
    node = FindNodeForPath();
    folderTree->setCurrentItem(node);
  }
  TreeView1Change(node);
  node->setExpanded(true);
  if (remembered == objectList && listSelectionGone_) objectList->clearSelection();
  listSelectionGone_ = false;
  if (remembered == objectList) {
    for (int i = 0; i < objectList->topLevelItemCount(); ++i) {
      QTreeWidgetItem* item = objectList->topLevelItem(i);
      if (item->text(0).compare(wanted, Qt::CaseInsensitive) != 0) continue;
      objectList->clearSelection();
      objectList->setCurrentItem(item);
      item->setSelected(true);
      break;
    }
  }
  ShowFreeMemory();
  focusedView_ = remembered;
}

void TFZQDir::ShowFreeMemory() {
  statusVersion->setText(QString::fromLatin1((server_->Channel().Version() + "  Free Mem: " + server_->QueryFreeMemory()).c_str()));
}

void TFZQDir::FillTree(QTreeWidgetItem* node, TXPObject& folder) {
  for (const auto& c : folder.Children) {
    if (!c->IsDirectory()) continue;
    const QString name = QString::fromLatin1(c->Name.c_str());
    auto* child = new QTreeWidgetItem(node, {name});
    child->setIcon(0, ImageIcon(kImageDirectory));
    child->setData(0, Qt::UserRole, QVariant::fromValue<void*>(c.get()));
    child->setData(0, kNameRole, name);
    child->setFlags(child->flags() | Qt::ItemIsEditable);
    FillTree(child, *c);
  }
}

void TFZQDir::AddListItem(const TXPObject& entry) {
  const QString name = QString::fromLatin1(entry.Name.c_str());
  auto* item = new TListItem(objectList, {name, QString::fromLatin1(entry.TypeName.c_str()), QString::number(entry.TotalSize())});
  item->setIcon(0, ImageIcon(entry.TypeIcon));
  item->setData(0, kIconRole, entry.TypeIcon);
  item->setData(0, kNameRole, name);
  item->setTextAlignment(kColumnSize, Qt::AlignRight | Qt::AlignVCenter);
  item->setFlags(item->flags() | Qt::ItemIsEditable);
}

void TFZQDir::TreeView1Change(QTreeWidgetItem* node) {
  TBusyScope busy(*host_);
  QCoreApplication::processEvents();
  if (TXPObject* entry = EntryOf(node)) {
    CurrentPath = entry->FullPath();
    server_->ChangeDir(CurrentPath);
  }
  FillList(node);
}

// The list shows the node's folder, sorted once after it is filled.
void TFZQDir::FillList(QTreeWidgetItem* node) {
  {
    const QSignalBlocker quiet(objectList);
    objectList->setUpdatesEnabled(false);
    objectList->clear();
    if (TXPObject* entry = EntryOf(node)) {
      for (const auto& child : entry->GetChildren()) {
        if (child->IsDirectory()) {
          const QString name = QString::fromLatin1(child->Name.c_str());
          bool listed = false;
          for (int i = 0; i < node->childCount() && !listed; ++i) listed = node->child(i)->text(0) == name;
          if (!listed) {
            const QSignalBlocker quietTree(folderTree);
            auto* added = new QTreeWidgetItem(node, {name});
            added->setIcon(0, ImageIcon(kImageDirectory));
            added->setData(0, Qt::UserRole, QVariant::fromValue<void*>(child.get()));
            added->setData(0, kNameRole, name);
            added->setFlags(added->flags() | Qt::ItemIsEditable);
          }
        }
        AddListItem(*child);
      }
    }
    objectList->setUpdatesEnabled(true);
  }
  objectList->setEnabled(Connected());
  if (fitColumns_ && viewStyle_ == kStyleReport && objectList->topLevelItemCount() > 0) {
    fitColumns_ = false;
    for (int column : {kColumnFiles, kColumnType, kColumnSize}) objectList->resizeColumnToContents(column);
  }
  SortList();
  if (objectList->selectedItems().isEmpty() && objectList->topLevelItemCount() > 0) {
    objectList->setCurrentItem(objectList->topLevelItem(0));
    objectList->topLevelItem(0)->setSelected(true);
  }
  if (focusedView_ == objectList && objectList->isEnabled()) objectList->setFocus();
  if (focusedView_ == folderTree && folderTree->isEnabled()) folderTree->setFocus();
}

// "HOME A B": from the root down, each word naming a child node exactly; a
// folder that no longer exists leaves the deepest one that does.
QTreeWidgetItem* TFZQDir::FindNodeForPath() const {
  QTreeWidgetItem* node = folderTree->topLevelItem(0);
  std::string_view path = CurrentPath;
  if (path.starts_with("HOME ")) path.remove_prefix(5);
  else if (path == "HOME") path = {};
  while (!path.empty()) {
    const std::size_t space = path.find(' ');
    const QString word = QString::fromLatin1(path.substr(0, space).data(), static_cast<int>(path.substr(0, space).size()));
    QTreeWidgetItem* next = nullptr;
    for (int i = 0; i < node->childCount() && !next; ++i)
      if (node->child(i)->text(0) == word) next = node->child(i);
    if (!next) break;
    node = next;
    path = space == std::string_view::npos ? std::string_view() : path.substr(space + 1);
  }
  return node;
}

void TFZQDir::OpenItem(QTreeWidgetItem* item) {
  if (!item) return;
  if (!IsFolderItem(item)) return mnuEditTextClick();
  TBusyScope busy(*host_);
  CurrentPath += " " + Caption(item);
  server_->ChangeDir(CurrentPath);
  RefreshDirectory();
}

void TFZQDir::ListView1ColumnClick(int logicalColumn) {
  const int column = objectList->header()->visualIndex(logicalColumn);
  if (column == sortColumn_) {
    sortReverse_ = !sortReverse_;
  } else {
    sortColumn_ = column;
    sortReverse_ = false;
  }
  SortList();
}

void TFZQDir::SortList() {
  QHeaderView* header = objectList->header();
  // A stored column that does not exist sorts by the names.
  const int logical = sortColumn_ >= 0 && sortColumn_ < header->count() ? header->logicalIndex(sortColumn_) : kColumnFiles;
  g_order = {TagOf(logical), sortReverse_};
  objectList->sortItems(kColumnFiles, Qt::AscendingOrder);
  UpdateSortIndicators();
}

void TFZQDir::UpdateSortIndicators() {
  QTreeWidgetItem* header = objectList->headerItem();
  for (int visual = 0; visual < objectList->header()->count(); ++visual) {
    const int logical = objectList->header()->logicalIndex(visual);
    header->setIcon(logical, visual == sortColumn_ ? ImageIcon(sortReverse_ ? kImageSortDown : kImageSortUp) : QIcon());
  }
}

void TFZQDir::mnuPropertyClick() {
  const long long speed = std::atoll(server_->Channel().GetSpeed().c_str());
  std::string names;
  long long total = 0;
  bool backup = false;
  if (focusedView_ == objectList) {
    const auto selected = objectList->selectedItems();
    if (selected.isEmpty()) return;
    for (int i = 0; i < objectList->topLevelItemCount(); ++i) {
      QTreeWidgetItem* item = objectList->topLevelItem(i);
      if (!item->isSelected()) continue;
      names += Caption(item) + "\n";
      total += item->text(kColumnSize).toLongLong();
    }
  } else if (focusedView_ == folderTree) {
    QTreeWidgetItem* node = folderTree->currentItem();
    if (!node) return;
    names = Caption(node) + "\n";
    if (const TXPObject* entry = EntryOf(node)) total = entry->TotalSize();
    backup = !node->parent();  // the whole memory: a backup takes twice as long
  } else {
    return;
  }
  FProperty->ShowProperties(names, total, EstimatedSeconds(total, speed, backup));
}

void TFZQDir::mnuRenameClick() {
  if (focusedView_ == objectList) {
    if (QTreeWidgetItem* item = objectList->currentItem()) objectList->editItem(item, kColumnFiles);
  } else if (focusedView_ == folderTree) {
    if (QTreeWidgetItem* node = folderTree->currentItem(); node && node->parent()) folderTree->editItem(node, 0);
  }
}

void TFZQDir::ListView1Edited(QTreeWidgetItem* item) {
  const std::string oldName = item->data(0, kNameRole).toString().toLatin1().toStdString();
  const std::string newName = Caption(item);
  std::string why;
  bool renamed = false;
  if (CheckVarName(oldName, *host_) && CheckVarName(newName, *host_)) {
    server_->ChangeDir(CurrentPath);
    renamed = server_->Rename(oldName, newName, IsFolderItem(item), CurrentFolder(), &why);
    if (!why.empty()) host_->ShowMessage(why, kApplication);
  }
  const QSignalBlocker quiet(objectList);
  if (!renamed) {
    item->setText(0, QString::fromLatin1(oldName.c_str()));  // the edit is undone
    return;
  }
  item->setData(0, kNameRole, item->text(0));
  LastSelectedName = newName;
  if (!Busy()) refreshTimer->start();
}

void TFZQDir::TreeView1Edited(QTreeWidgetItem* node) {
  const QString oldText = node->data(0, kNameRole).toString();
  const std::string oldName = oldText.toLatin1().toStdString();
  const std::string newName = Caption(node);
  {
    const QSignalBlocker quiet(folderTree);
    node->setText(0, oldText);  // the tree shows the calculator's names until the refresh
  }
  QTreeWidgetItem* parent = node->parent();
  folderTree->setCurrentItem(parent);  // the list shows the parent folder, the calculator makes it current
  TXPObject* folder = EntryOf(parent);
  if (!folder || !CheckVarName(oldName, *host_) || !CheckVarName(newName, *host_)) return;
  const std::string path = folder->FullPath();
  CurrentPath = path;
  std::string why;
  if (!server_->Rename(oldName, newName, true, folder, &why)) {
    if (!why.empty()) host_->ShowMessage(why, kApplication);
    return;
  }
  CurrentPath = path + " " + newName;
  server_->ChangeDir(CurrentPath);
  refreshTimer->start();
}

// Enter opens, Backspace goes up a folder, Delete deletes. True: swallowed.
bool TFZQDir::ViewKey(QObject* watched, QKeyEvent* key) {
  const bool inList = watched == objectList || watched == objectList->viewport();
  const bool inTree = watched == folderTree || watched == folderTree->viewport();
  if ((!inList && !inTree) || Editing()) return false;
  switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (inList && !Busy()) Guarded([&] { OpenItem(objectList->currentItem()); });
      return inList;
    case Qt::Key_Backspace:
      if (inList)
        if (QTreeWidgetItem* node = folderTree->currentItem(); node && node->parent()) folderTree->setCurrentItem(node->parent());
      return true;
    case Qt::Key_Delete:
      Guarded([this] { DeleteSelection(); });
      return true;
    default:
      return false;
  }
}

void TFZQDir::SetViewStyle(int style) {
  viewStyle_ = std::clamp(style, 0, 3);
  // Icons and List show the names alone; Details all three columns.
  const bool report = viewStyle_ == kStyleReport;
  objectList->setHeaderHidden(!report);
  objectList->setColumnHidden(kColumnType, !report);
  objectList->setColumnHidden(kColumnSize, !report);
  const int icon = viewStyle_ == kStyleLargeIcons ? 32 : viewStyle_ == kStyleSmallIcons ? 24 : 16;
  objectList->setIconSize(QSize(icon, icon));
}

}  // namespace bridgit::ui
