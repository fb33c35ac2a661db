// Whole journeys through the main window, shown and active, driven only as a
// person drives it, with the clipboard filled from outside the window.

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include "gui/window_fixture.h"
#include "ui/dialogs/capture_window.h"
#include "ui/dialogs/command_window.h"
#include "ui/dialogs/log_form.h"

namespace fs = std::filesystem;

namespace bridgit {
namespace {

using test::WaitUntil;

class Journey : public test::TWindowTest {
 protected:
  void TearDown() override {
    QApplication::clipboard()->clear();
    TWindowTest::TearDown();
  }
};

QStringList Column(QTreeWidget* list, int column) {
  QStringList out;
  for (int i = 0; i < list->topLevelItemCount(); ++i)
    if (list->topLevelItem(i)->text(1) != "Directory") out << list->topLevelItem(i)->text(column);
  return out;
}

// Alt letters, one per letter in each menu and window: on menu items, buttons,
// boxes and the labels of fields.
QStringList MnemonicClashes(const QString& where, const QStringList& captions) {
  QStringList clashes;
  std::map<QKeySequence, QString> taken;
  for (const QString& caption : captions) {
    const QKeySequence key = QKeySequence::mnemonic(caption);
    if (key.isEmpty()) clashes << where + ": no Alt letter in " + caption;
    else if (!taken.emplace(key, caption).second) clashes << where + ": " + caption + " shares its letter with " + taken[key];
  }
  return clashes;
}
QStringList Captions(const QList<QAction*>& actions) {
  QStringList out;
  for (const QAction* a : actions)
    if (!a->isSeparator() && a->isVisible()) out << a->text();
  return out;
}
QStringList ControlCaptions(QWidget* window) {
  QStringList out;
  for (const QAbstractButton* b : window->findChildren<QAbstractButton*>())
    if (!b->text().isEmpty() && b->isVisibleTo(window) && b->window() == window) out << b->text();
  for (const QGroupBox* g : window->findChildren<QGroupBox*>())
    if (g->window() == window) out << g->title();
  for (const QLabel* l : window->findChildren<QLabel*>())
    if (l->buddy() && l->window() == window) out << l->text();
  return out;
}
// Every control a screen reader reaches below `at` has a name to say; the
// rows of a view are named by their texts.
void Unnamed(QAccessibleInterface* at, QStringList& out) {
  static const std::set<QAccessible::Role> controls = {
      QAccessible::PushButton, QAccessible::CheckBox, QAccessible::RadioButton, QAccessible::ComboBox,
      QAccessible::EditableText, QAccessible::List, QAccessible::Tree, QAccessible::Table, QAccessible::ButtonMenu};
  if (controls.contains(at->role()) && at->text(QAccessible::Name).trimmed().isEmpty())
    out << QString("%1 (%2)").arg(at->object() ? at->object()->objectName() : "?").arg(at->role());
  if (at->role() == QAccessible::List || at->role() == QAccessible::Tree || at->role() == QAccessible::Table) return;
  for (int i = 0; i < at->childCount(); ++i)
    if (QAccessibleInterface* child = at->child(i); child && !child->state().invisible) Unnamed(child, out);
}

TEST_F(Journey, EveryControlHasANameThenBrowsesEditsAndOpensThePopUpMenuWithMouseAndKeys) {
  Start();
  QStringList faults = MnemonicClashes("menu bar and tool bar", Captions(window->menuBar()->actions()) + ControlCaptions(window.get()));
  for (QMenu* menu : window->findChildren<QMenu*>())
    if (menu->parentWidget()->window() == window.get()) faults += MnemonicClashes(menu->objectName(), Captions(menu->actions()));
  QStringList optionCaptions;
  boxes.When("FOptions", [&](QWidget* dialog) {
    optionCaptions = ControlCaptions(dialog);
    Unnamed(QAccessible::queryAccessibleInterface(dialog), faults);
    for (const char* control : {"rbtnTrans1", "chb031", "chbAddExtension"}) ClickBox(dialog->findChild<QAbstractButton*>(control));
    QTest::mouseClick(dialog->findChild<QAbstractButton*>("btnCancel"), Qt::LeftButton);  // which keeps the options
  });
  ChooseFromMenu('v', "mnuView", "mnuOptions");
  ASSERT_TRUE(WaitUntil([&] { return boxes.Done(); }));
  faults += MnemonicClashes("File Options", optionCaptions);
  const auto& options = window->Host().FileSettings();
  EXPECT_EQ(std::tuple(options.translationLevel, options.translateControl, options.addExtension), std::tuple(3, true, true));
  Unnamed(QAccessible::queryAccessibleInterface(window.get()), faults);
  EXPECT_EQ(faults, QStringList());
  // Hints lead to help ("?*"), and the program's icon, at the desktop's
  // sizes, is the icon of every window it makes.
  EXPECT_EQ(window->findChild<QComboBox*>("cmboPort")->toolTip(), "?* Select a communications port");
  EXPECT_EQ(window->findChild<QComboBox*>("cmboSpeed")->toolTip(), "?* Select a communications speed.  (ignored for USB)");
  EXPECT_EQ(window->findChild<QStatusBar*>()->toolTip(), "?* Last command");
  EXPECT_EQ(window->findChild<QWidget*>("btnLog")->toolTip(), "Show log window");  // no help context
  EXPECT_EQ(QGuiApplication::desktopFileName(), "org.bridgit.Bridgit");
  const QIcon icon = QApplication::windowIcon();
  EXPECT_EQ(icon.pixmap(256, 256).toImage().size(), QSize(256, 256));
  for (QWidget* w : QApplication::topLevelWidgets())
    EXPECT_TRUE(qobject_cast<QMenu*>(w) || w->windowIcon().cacheKey() == icon.cacheKey()) << w->objectName().toStdString();

  EXPECT_FALSE(window->findChild<QComboBox*>("cmboPort")->isEnabled());  // while connected
  EXPECT_TRUE(tree->topLevelItem(0)->text(0).startsWith("HOME"));
  // The folder shown, and the view with the keyboard: only that one shows its
  // selection in the window's own colour.
  const auto at = [&] {
    const QColor own = window->palette().color(QPalette::Active, QPalette::Highlight);
    const auto keys = [&](QWidget* v, QWidget* other) {
      const auto coloured = [&](QWidget* w) { return w->palette().color(QPalette::Active, QPalette::Highlight) == own; };
      return FocusIn(v) && coloured(v) && !coloured(other);
    };
    return window->CurrentPath + (keys(tree, list) ? " | tree" : keys(list, tree) ? " | list" : " | ?");
  };
  ASSERT_EQ(Selected(), QStringList{"WORK"});
  DoubleClickItem(list, Item("WORK"));
  EXPECT_EQ(at(), "HOME WORK | list");
  EXPECT_TRUE(Names().contains("NOTE"));
  Press(Qt::Key_Backspace);
  EXPECT_EQ(window->CurrentPath, "HOME");

  // A folder clicked in the tree keeps the keyboard in the tree.
  ClickItem(tree, Node({"WORK"}));
  EXPECT_EQ(at(), "HOME WORK | tree");
  Press(Qt::Key_Up);
  EXPECT_EQ(at(), "HOME | tree");
  Press(Qt::Key_Down);
  EXPECT_EQ(window->CurrentPath, "HOME WORK");
  Type(Qt::Key_Right);  // opens WORK
  Press(Qt::Key_Down);
  EXPECT_EQ(at(), "HOME WORK DEEP | tree");
  EXPECT_TRUE(Names().contains("Z"));
  // F5 reads the calculator again and leaves the keyboard where it was.
  Press(Qt::Key_F5);
  EXPECT_EQ(at(), "HOME WORK DEEP | tree");

  // Tab moves from the tree to the list, and the commands follow: Delete
  // takes the list's selection, not the folder.
  Type(Qt::Key_Tab);
  ASSERT_EQ(at(), "HOME WORK DEEP | list");
  ASSERT_EQ(Selected(), QStringList{"Z"});
  Press(Qt::Key_Delete);
  EXPECT_FALSE(Holds("HOME/WORK/DEEP/Z"));
  EXPECT_TRUE(Holds("HOME/WORK/DEEP/"));
  EXPECT_EQ(window->CurrentPath, "HOME WORK DEEP");

  ClickItem(tree, Node({"WORK"}));
  QTest::keyClicks(QApplication::focusWidget(), "log");
  EXPECT_TRUE(window->LogForm().isVisible());
  window->LogForm().close();
  Settle();

  // Ctrl+K in a view leaves the calculator's server.
  ClickItem(list, Item("NOTE"));
  Type(Qt::Key_K, Qt::ControlModifier);
  Reconnect();

  // In the list with the keys alone: Home, Enter into the folder.
  ClickItem(tree, tree->topLevelItem(0));
  Type(Qt::Key_Tab);
  Type(Qt::Key_Home);
  Press(Qt::Key_Return);
  EXPECT_EQ(at(), "HOME WORK | list");

  // A double-click on a name, with an editor that takes its time and changes nothing.
  ClickItem(tree, tree->topLevelItem(0));
  const fs::path editor = dir.path() / "slow-editor";
  std::ofstream(editor) << "#!/bin/sh\ntouch \"$1.opened\"\nsleep 3\n";
  fs::permissions(editor, fs::perms::owner_all);
  window->Host().FileSettings().editor = editor.string();
  ClickItem(list, Item("LST"));
  QTest::qWait(2 * QApplication::doubleClickInterval());  // a moment later, not a double-click
  DoubleClickItem(list, Item("LST"));
  // The first click fell on a selected name, but it was half of a
  // double-click: the object is edited as text, and not renamed.
  QTest::qWait(2 * QApplication::doubleClickInterval());
  Settle();
  for (const QLineEdit* edit : list->findChildren<QLineEdit*>()) EXPECT_FALSE(edit->isVisible());
  EXPECT_TRUE(Holds("HOME/LST List"));
  EXPECT_FALSE(fs::exists(fs::path(TempFolder()) / "LST.txt"));
  EXPECT_TRUE(fs::exists(fs::path(TempFolder()) / "LST.txt.opened")) << "the editor ran";

  auto* popup = window->findChild<QMenu*>("popupMenu");
  // Through the window system, as the desktop delivers a right click: the
  // press, the release and the context menu request it makes of them.
  const auto rightClick = [&](QTreeWidget* view, QTreeWidgetItem* item) {
    const QPoint inWindow = view->viewport()->mapTo(window.get(), view->visualItemRect(item).center());
    QTest::mouseClick(window->windowHandle(), Qt::RightButton, {}, inWindow);
    ASSERT_TRUE(WaitUntil([&] { return popup->isVisible(); }, 5000));
  };
  rightClick(tree, Node({"WORK"}));
  EXPECT_EQ(window->CurrentPath, "HOME WORK");
  // The commands act on the folder pointed at. The dialog is modal: it is read and closed while the click is still running.
  QStringList shown;
  test::TDialogDriver driver;
  driver.When("FProperty", [&](QWidget* dialog) {
    auto* names = dialog->findChild<QListWidget*>("propertyList");
    for (int i = 0; i < names->count(); ++i) shown << names->item(i)->text();
    QTest::mouseClick(dialog->findChild<QAbstractButton*>("closeButton"), Qt::LeftButton);
  });
  ClickAction(popup, window->findChild<QAction*>("mnuPropertyPop"));
  ASSERT_TRUE(WaitUntil([&] { return driver.Done(); }));
  EXPECT_EQ(shown, QStringList{"WORK"});
  Settle();

  // In the list: the item under the pointer, and Copy takes it.
  ClickItem(tree, tree->topLevelItem(0));
  ClickItem(list, Item("A"));
  rightClick(list, Item("LST"));
  EXPECT_EQ(Selected(), QStringList{"LST"});
  ClickAction(popup, window->findChild<QAction*>("mnuCopyPop"));
  Settle();
  const QList<QUrl> urls = QApplication::clipboard()->mimeData()->urls();
  ASSERT_EQ(urls.size(), 1);
  EXPECT_TRUE(urls[0].toLocalFile().endsWith("/LST.zq"));

  // A drag starts from a folder that was not current.
  ClickItem(tree, tree->topLevelItem(0));
  const QPoint grab = tree->visualItemRect(Node({"WORK"})).center();
  // A drag is a QDrag made on the tree (the platform here ends it at once).
  const auto drags = [&] { return tree->findChildren<QDrag*>().size(); };
  const auto before = drags();
  QTest::mousePress(tree->viewport(), Qt::LeftButton, {}, grab);
  for (int step = 1; step <= 4; ++step) QTest::mouseMove(tree->viewport(), grab + QPoint(8 * step, 0));
  QTest::mouseRelease(tree->viewport(), Qt::LeftButton, {}, grab + QPoint(32, 0));
  Settle();
  ASSERT_EQ(drags(), before + 1);
  // A file list only: a drop on a text field must not fetch from the calculator.
  EXPECT_EQ(tree->findChildren<QDrag*>().back()->mimeData()->formats(), (QStringList{"text/uri-list", "x-special/gnome-copied-files"}));
  EXPECT_EQ(window->CurrentPath, "HOME WORK");
}

TEST_F(Journey, SortsByEachColumnTwice) {
  settings->setValue("DirColSize", "2");  // Files, Size, Type
  settings->setValue("DirSortCol", "1");  // by size
  settings->setValue("TRANSIO", "0");     // with CR added: 1
  Start();
  EXPECT_EQ(window->Host().FileSettings().translationLevel, 1);
  // Folders first (last when descending), then the column's texts in order:
  // sizes as numbers, the others letter case aside. Written here from the
  // rules a person sees, not taken from the window's sorting code.
  const auto sortedBy = [&](int column, bool descending) {
    std::vector<bool> leading;  // a folder, or when descending anything else
    for (int i = 0; i < list->topLevelItemCount(); ++i)
      leading.push_back((list->topLevelItem(i)->text(1) == "Directory") != descending);
    std::vector<std::pair<long long, QString>> keys;
    for (const QString& s : Column(list, column)) keys.emplace_back(column == 2 ? s.toLongLong() : 0, s.toUpper());
    if (descending) std::reverse(keys.begin(), keys.end());
    return std::is_sorted(leading.begin(), leading.end(), std::greater<>()) && std::is_sorted(keys.begin(), keys.end()) &&
           keys.front() != keys.back();
  };
  // First start: every type shows whole, the Size header sits over its numbers.
  for (const QString& type : Column(list, 1)) EXPECT_LE(list->fontMetrics().horizontalAdvance(type), list->columnWidth(1)) << type.toStdString();
  EXPECT_TRUE(list->headerItem()->textAlignment(2) & Qt::AlignRight);
  EXPECT_EQ(list->header()->visualIndex(2), 1);
  EXPECT_EQ(Names()[1], "BINT");
  EXPECT_TRUE(sortedBy(2, false));
  for (const auto& [column, descending] : std::vector<std::pair<int, bool>>{{2, true}, {1, false}, {1, true}, {0, false}, {0, true}}) {
    QHeaderView* header = list->header();
    const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    EXPECT_TRUE(sortedBy(column, descending)) << column << " " << Names().join(' ').toStdString();
  }
  window->close();
  EXPECT_EQ(settings->value("DirSortCol").toString(), "0");
  EXPECT_EQ(settings->value("DirSortReverse").toString(), "1");
}

TEST_F(Journey, DeletesRenamesAndMakesFoldersWithKeysAndMenus) {
  Start();
  // The last object after a folder goes: the folder is not selected, and a
  // second Delete takes nothing.
  ClickItem(tree, Node({"WORK"}));
  ClickItem(list, Item("NOTE"));
  Press(Qt::Key_Delete);
  EXPECT_FALSE(Holds("HOME/WORK/NOTE"));
  EXPECT_EQ(Selected(), QStringList{});
  Press(Qt::Key_Delete);
  // A folder clicked in the tree and Delete: it holds something, so the
  // window asks first; Cancel keeps it, OK purges it and its parent shows.
  ClickItem(tree, Node({"WORK"}));
  Type(Qt::Key_Right);
  ClickItem(tree, Node({"WORK", "DEEP"}));
  ASSERT_EQ(window->CurrentPath, "HOME WORK DEEP");
  test::TDialogDriver driver;
  QString asked;
  for (const char* button : {"btnCancel", "btnOK"}) {
    driver.When("FDownLd", [&asked, button](QWidget* question) {
      asked = question->findChild<QPlainTextEdit*>("instructionsText")->toPlainText();
      QTest::mouseClick(question->findChild<QAbstractButton*>(button), Qt::LeftButton);
    });
    ASSERT_TRUE(Holds("HOME/WORK/DEEP/Z"));
    Press(Qt::Key_Delete);
    EXPECT_TRUE(asked.contains("DEEP holds 1 object.")) << asked.toStdString();
  }
  EXPECT_FALSE(Holds("HOME/WORK/DEEP"));
  EXPECT_EQ(window->CurrentPath, "HOME WORK");
  EXPECT_EQ(Node({"WORK", "DEEP"}), nullptr);
  EXPECT_TRUE(Holds("HOME/A "));  // nothing else went
  // HOME itself is never deleted.
  ClickItem(tree, tree->topLevelItem(0));
  Press(Qt::Key_Delete);
  EXPECT_TRUE(window->Connected());
  EXPECT_TRUE(Holds("HOME/A "));

  ClickItem(list, Item("A"));
  Press(Qt::Key_Delete);
  EXPECT_FALSE(Names().contains("A"));
  EXPECT_FALSE(Holds("HOME/A "));
  EXPECT_TRUE(Holds("HOME/PI2 "));
  EXPECT_EQ(Selected(), QStringList{"BINT"});  // the next one

  // A click on the Type cell of a row, F2, a new name, Enter: the name is
  // what is edited.
  ClickItem(list, Item("PI2"), {}, 1);
  Type(Qt::Key_F2);
  ASSERT_TRUE(WaitUntil([&] { return qobject_cast<QLineEdit*>(QApplication::focusWidget()); }, 5000));
  Type(Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(QApplication::focusWidget(), "TAU");
  Press(Qt::Key_Return);
  EXPECT_TRUE(Holds("HOME/TAU Real"));
  EXPECT_FALSE(Holds("HOME/PI2 "));
  EXPECT_EQ(Selected(), QStringList{"TAU"});
  // A second click on the selected row's Type text edits nothing.
  ClickItem(list, Item("TAU"), {}, 1);
  QTest::qWait(QApplication::doubleClickInterval() + 200);
  EXPECT_FALSE(qobject_cast<QLineEdit*>(QApplication::focusWidget()));

  ChooseFromMenu('f', "mnuFile", "mnuNewFolder");
  Settle();
  EXPECT_TRUE(Names().contains("New"));
  EXPECT_TRUE(Holds("HOME/New/"));

  // File > Exit stops the calculator's server: the next start, given the port,
  // says so with what to do under the error; once the server runs again, one
  // click connects.
  ChooseFromMenu('f', "mnuFile", "mnuClose");
  ASSERT_TRUE(WaitUntil([&] { return !window->isVisible(); }));
  const std::string port = sim->PcPath();
  // Every setting is written, at its default after a first start (the
  // column widths as the texts shown need them).
  const std::map<QString, QString> written = {
      {"Port", QString::fromStdString(port)}, {"Speed", "115200"}, {"ToolBarVis", "1"}, {"StatusBarVis", "1"}, {"DirViewStyle", "3"},
      {"DirColSize", "3"}, {"DirSortCol", "0"}, {"DirSortReverse", "0"}, {"AddExtension", "1"}, {"AddCR", "1"}, {"TRANS031", "1"},
      {"Editor", ""}, {"TRANSIO", "3"}, {"RPNPrompts", "1"}};
  for (const auto& [key, value] : written) EXPECT_EQ(settings->value(key).toString(), value) << key.toStdString();
  for (const char* key : {"Connectivity/Top", "DirWidthSplit", "DirWidthFiles", "DirWidthSize", "DirWidthType"})
    EXPECT_TRUE(settings->contains(key)) << key;
  // Letter case aside, the argument names the listed port.
  NewWindow({QString::fromStdString(port).toUpper()});
  ASSERT_TRUE(WaitUntil([&] { return !boxes.boxTexts.empty() && !window->Busy(); }, 20000));
  EXPECT_NE(boxes.boxTexts[0].find("unable to open communications to:" + port + ")\n\nNothing at all came from the calculator on " +
                                   port + ". Is its XModem server running?\nTo Start Xsrvr"),
            std::string::npos)
      << boxes.boxTexts[0];
  // The failed start leaves the window disconnected, its port and speed free.
  EXPECT_FALSE(window->Connected());
  EXPECT_TRUE(window->findChild<QComboBox*>("cmboPort")->isEnabled());
  EXPECT_TRUE(window->findChild<QComboBox*>("cmboSpeed")->isEnabled());
  sim->Control("server");
  Connect();
  EXPECT_EQ(boxes.boxTexts.size(), 1u);
}

TEST_F(Journey, TheCommandWindowThenPastesFromAFileManagerAndCopiesItemsIntoAnotherFolder) {
  Start();
  ClickItem(list, Item("A"));
  ChooseFromMenu('v', "mnuView", "mnuRPL");
  auto* commands = window->CommandWindow();
  ASSERT_TRUE(WaitUntil([&] { return commands->isVisible(); }));
  Activate(commands);  // the person clicks into the new window: the desktop makes it active
  auto* box = commands->findChild<QComboBox*>("cmboCmd");
  auto* memo = commands->findChild<QPlainTextEdit*>("historyText");
  EXPECT_EQ(memo->horizontalScrollBar()->maximum(), 0) << "the warning is wrapped to the window";
  EXPECT_TRUE(memo->toPlainText().contains("- -  WARNING  - -"));
  QTest::mouseClick(box->lineEdit(), Qt::LeftButton);
  QApplication::clipboard()->setText(QString(120, 'x'));
  Type(Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(box->currentText(), QString(99, 'x'));
  box->lineEdit()->clear();
  Type(Qt::Key_Insert, Qt::ShiftModifier);
  EXPECT_EQ(box->currentText().size(), 99);

  // Enter sends what was typed; the stack shows the answer; the history
  // holds each command once, the latest first.
  Type(Qt::Key_A, Qt::ControlModifier);
  for (const char* command : {"6 7 *", "\"AB\"", "6 7 *"}) {
    QTest::keyClicks(QApplication::focusWidget(), command);
    Press(Qt::Key_Return);
  }
  EXPECT_EQ(memo->toPlainText(), "3: 42.\n2: \"AB\"\n1: 42.");
  EXPECT_EQ(box->currentText() + "|" + box->itemText(0) + "|" + box->itemText(1) + "|" + box->itemText(2), "|6 7 *|\"AB\"|");
  // Without automatic update a command leaves the picture as it was; Enter in
  // the empty box reads the stack again: the lowest 7 of 10 levels.
  ClickBox(commands->findChild<QCheckBox*>("chbAutoUpdate"));
  QTest::mouseClick(box->lineEdit(), Qt::LeftButton);
  QTest::keyClicks(box->lineEdit(), "CLEAR 1 2 3 4 5 6 7 8 9 10");
  Press(Qt::Key_Return);
  EXPECT_EQ(memo->toPlainText(), "3: 42.\n2: \"AB\"\n1: 42.");
  Press(Qt::Key_Return);
  EXPECT_EQ(memo->toPlainText(), "7: 4.\n6: 5.\n5: 6.\n4: 7.\n3: 8.\n2: 9.\n1: 10.");
  // A command the calculator refuses says why in the window.
  auto* error = commands->findChild<QLabel*>("lblError");
  EXPECT_FALSE(error->isVisible());
  QTest::keyClicks(box->lineEdit(), "1 0 /");
  Press(Qt::Key_Return);
  EXPECT_TRUE(error->isVisible());
  EXPECT_EQ(error->text(), "Error: Infinite Result");
  commands->close();
  EXPECT_EQ(settings->value("RplCmd/AutoStack").toString(), "0");
  // The main window's view kept its focus through that command's busy spell.
  ASSERT_TRUE(WaitUntil([&] { return window->isActiveWindow(); }));
  EXPECT_TRUE(FocusIn(list));

  // Object text with and without an extension, then a backup: the paste asks
  // before it would erase the calculator, and Cancel stops it there.
  QList<QUrl> fmUrls;
  QByteArray fmGnome = "copy";
  for (const auto& [name, body] : std::vector<std::pair<std::string, std::string>>{
           {"FROMFM.txt", "\"from a file manager\""}, {"T2", "{ 1 2 }"}, {"T3.ZQ", "7"}, {"old.zqbackup", ""}, {"T4.txt", "8"}}) {
    std::ofstream(dir / name) << (body.empty() ? "not really a backup" : "%%ZQ: T(3)A(R)F(.);\n" + body);
    fmUrls << QUrl::fromLocalFile(QString::fromStdString(dir / name));
    fmGnome += "\n" + fmUrls.back().toEncoded();
  }
  // What a file manager puts on the clipboard when files are copied.
  auto* mime = new QMimeData;
  mime->setUrls(fmUrls);
  mime->setData("x-special/gnome-copied-files", fmGnome);
  QApplication::clipboard()->setMimeData(mime);
  const auto paste = [&] { ClickItem(list, Item("LST")); Press(Qt::Key_V, Qt::ControlModifier); };
  QString asked;
  boxes.When("FDownLd", [&](QWidget* prompt) {
    asked = prompt->windowTitle();
    QTest::mouseClick(prompt->findChild<QAbstractButton*>("btnCancel"), Qt::LeftButton);
  });
  paste();
  EXPECT_EQ(asked, "Erase Calculator?");
  ASSERT_TRUE(Holds("HOME/FROMFM String"));
  EXPECT_TRUE(Holds("HOME/T2 List"));
  EXPECT_TRUE(Holds("HOME/T3 Real"));
  EXPECT_FALSE(Holds("HOME/T4"));
  ASSERT_TRUE(Names().contains("FROMFM"));
  const fs::path file = dir / "FROMFM.txt";
  EXPECT_TRUE(fs::exists(file));  // a copy leaves its files

  // A cut moves its files, only those the calculator took.
  const auto remove = [&] {
    ClickItem(list, Item("FROMFM"));
    Press(Qt::Key_Delete);
    ASSERT_FALSE(Holds("HOME/FROMFM"));
  };
  auto* cut = new QMimeData;
  cut->setUrls({fmUrls.front()});
  cut->setData("x-special/gnome-copied-files", "cut\n" + fmUrls.front().toEncoded());
  QApplication::clipboard()->setMimeData(cut);
  boxes.When("FReplaceFile", [](QWidget* d) { test::Click(d, "btnNo"); });
  paste();
  EXPECT_TRUE(fs::exists(file));
  remove();
  paste();
  EXPECT_TRUE(Holds("HOME/FROMFM String"));
  EXPECT_FALSE(fs::exists(file));
  const QMimeData* moved = QApplication::clipboard()->mimeData();
  EXPECT_FALSE(moved && moved->hasUrls());  // and its files are no longer offered
  remove();

  // The clipboard now holds only text.
  QApplication::clipboard()->setText("just some words");
  paste();
  EXPECT_FALSE(Holds("HOME/FROMFM"));
  EXPECT_FALSE(window->findChild<QAction*>("mnuPaste")->isEnabled());

  SelectItems({"A", "LST", "\\->SPEED"});
  ASSERT_EQ(Selected().size(), 3);
  Press(Qt::Key_C, Qt::ControlModifier);
  // What a file manager takes: the files, in the program's own folder inside
  // the temporary folder (closed to others), as a copy.
  const QMimeData* copied = QApplication::clipboard()->mimeData();
  const QList<QUrl> files = copied->urls();
  ASSERT_EQ(files.size(), 3);
  QStringList names;
  QByteArray uriList, gnome = "copy";
  for (const QUrl& f : files) {
    names << QFileInfo(f.toLocalFile()).fileName();
    EXPECT_TRUE(QFileInfo(f.toLocalFile()).size() > 0);
    uriList += f.toEncoded() + "\r\n";
    gnome += "\n" + f.toEncoded();
  }
  EXPECT_EQ(names, (QStringList{"A.zq", "LST.zq", "^141SPEED.zq"}));  // the arrow in caret notation
  EXPECT_EQ(copied->data("text/uri-list"), uriList);
  EXPECT_EQ(copied->data("x-special/gnome-copied-files"), gnome);
  const fs::path folder = fs::path(files[0].toLocalFile().toStdString()).parent_path();
  EXPECT_EQ(folder.parent_path(), fs::canonical(temp.path()));
  EXPECT_EQ(fs::status(folder).permissions() & fs::perms::all, fs::perms::owner_all);

  ClickItem(tree, Node({"WORK"}));
  ClickItem(list, Item("NOTE"));
  Press(Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(window->CurrentPath, "HOME WORK");
  for (const char* name : {"A", "LST"}) EXPECT_TRUE(Holds(std::string("HOME/WORK/") + name + " ")) << name;
  EXPECT_TRUE(Names().contains("\\->SPEED"));
  // Cut: the file manager is told to move the file, and the object leaves the calculator.
  ClickItem(list, Item("A"));
  Press(Qt::Key_X, Qt::ControlModifier);
  EXPECT_TRUE(QApplication::clipboard()->mimeData()->data("x-special/gnome-copied-files").startsWith("cut\nfile:")) << "a cut";
  EXPECT_FALSE(Holds("HOME/WORK/A "));

  // The tool bar's mode button: the next copy is text, and the captions say so.
  const auto captions = [&] {
    return window->findChild<QAction*>("mnuCopy")->text() + " | " + window->findChild<QAction*>("mnuXferMode")->text() + " | " +
           window->findChild<QAbstractButton*>("tbtnXferMode")->toolTip();
  };
  EXPECT_TRUE(captions().startsWith("&Copy (Binary) | "));
  ClickButton("tbtnXferMode");
  EXPECT_EQ(captions(), "&Copy (Text) | Text &transfer mode, press for binary mode | Text transfer mode, press for binary mode");
  ClickItem(list, Item("NOTE"));
  Press(Qt::Key_C, Qt::ControlModifier);
  const QList<QUrl> urls = QApplication::clipboard()->mimeData()->urls();
  ASSERT_EQ(urls.size(), 1);
  EXPECT_TRUE(urls[0].toLocalFile().endsWith("/NOTE.txt"));
  EXPECT_NE(test::Slurp(urls[0].toLocalFile().toStdString()).find("\"inside WORK\""), std::string::npos);
}

TEST_F(Journey, ALongCopyCountsItsObjectsStopsBetweenThemAndTellsALostLink) {
  Start({"--baud", "9600"}, true, "9600");
  const auto copyThree = [&] { SelectItems({"A", "LST", "GREETING"}); Type(Qt::Key_C, Qt::ControlModifier); };
  // Cancel while the first object is on its way: it arrives whole, and the
  // copy stops there without a word.
  QString shown;
  boxes.When("FCmStatus", [&](QWidget* progress) {
    shown = progress->findChild<QLabel*>("lblRun")->text();
    QTest::mouseClick(progress->findChild<QAbstractButton*>("cancelButton"), Qt::LeftButton);
  });
  copyThree();
  Settle();
  EXPECT_EQ(shown, "Object 1 of 3: A");
  EXPECT_TRUE(window->Connected());
  const QMimeData* copied = QApplication::clipboard()->mimeData();
  EXPECT_FALSE(copied && copied->hasUrls());
  EXPECT_TRUE(boxes.boxTexts.empty());
  // The calculator goes away mid-copy: that is what the person is told.
  boxes.When("FCmStatus", [&](QWidget*) { sim->Stop(); });
  copyThree();
  ASSERT_EQ(boxes.boxTexts.size(), 1u);
  EXPECT_TRUE(boxes.boxTexts[0].starts_with("Connection Error.")) << boxes.boxTexts[0];
}

TEST_F(Journey, CaptureButtonWorksAfterTheFileMenuWasOpened) {
  settings->setValue("ScreenCapture/Zoom", "5");          // not a zoom: 2
  settings->setValue("ScreenCapture/BorderFrame", "12");  // out of range: 2
  Start({}, true, "9600");
  ChooseFromMenu('f', "mnuFile", nullptr);
  Type(Qt::Key_Escape);
  ASSERT_TRUE(WaitUntil([&] { return !window->findChild<QMenu*>("mnuFile")->isVisible(); }));

  // Connected: the button disconnects and waits for the calculator's screen.
  test::TDialogDriver driver;
  driver.When("FDownLd", [&](QWidget*) { sim->Control("screen page"); });
  QString another;
  driver.When("FDownLd", [&](QWidget* prompt) { another = prompt->windowTitle(); test::Click(prompt, "btnCancel"); });
  ClickButton("tbtnScrnCapture");
  ASSERT_TRUE(WaitUntil([&] { return driver.Done(); }));
  EXPECT_EQ(another, "Do Another Capture?");
  EXPECT_FALSE(window->Connected());
  EXPECT_EQ(QApplication::clipboard()->image().size(), QSize(137, 70));  // framed, unzoomed
  ui::TFCapture* capture = window->CaptureWindow();
  ASSERT_TRUE(capture && capture->isVisible());
  EXPECT_EQ(window->findChild<QLabel*>("statusMessage")->text(), "") << "the capture is over";

  // Save As: first in the pictures folder; a name of another kind brings the
  // dialog back; then in the folder last saved in.
  const std::string home = std::getenv("HOME");
  ::setenv("HOME", dir.path().c_str(), 1);
  fs::create_directories(dir / "Pictures");
  fs::create_directories(dir / "shots");
  QStringList opened;
  for (const std::string& name : {std::string("shot.gif"), dir / "shots/shot.JPEG", std::string("again.bmp")})
    driver.When("saveDialog", [&, name](QWidget* w) {
      opened << static_cast<QFileDialog*>(w)->directory().absolutePath().remove(QString::fromStdString(dir.path()));
      AnswerFileDialog(w, QString::fromStdString(name), QDialogButtonBox::Save);
    });
  for (int round = 0; round < 2; ++round) {
    Activate(capture);
    QTest::keyClick(capture, Qt::Key_F, Qt::AltModifier);
    auto* file = capture->menuBar()->actions()[0]->menu();
    ASSERT_TRUE(WaitUntil([&] { return file->isVisible(); }, 5000));
    ClickAction(file, capture->findChild<QAction*>("mnuSaveAs"));
  }
  ASSERT_TRUE(WaitUntil([&] { return driver.Done() && !QApplication::activeModalWidget(); }));
  ::setenv("HOME", home.c_str(), 1);
  EXPECT_EQ(opened, (QStringList{"/Pictures", "/Pictures", "/shots"}));
  EXPECT_FALSE(fs::exists(dir / "Pictures/shot.gif"));
  // What the window shows: black on white, framed, at its zoom of 2; the
  // BMP exactly, the JPEG (being lossy) nearly everywhere.
  for (const char* name : {"shots/again.bmp", "shots/shot.JPEG"}) {
    const QImage saved(QString::fromStdString(dir / name));
    ASSERT_EQ(saved.size(), QSize(274, 140)) << name;
    EXPECT_LT(qGray(saved.pixel(0, 0)), 64) << "the frame is black";
    EXPECT_GT(qGray(saved.pixel(4, 4)), 160) << "the margin is light";
    int wrong = 0;
    for (int y = 0; y < saved.height(); ++y)
      for (int x = 0; x < saved.width(); ++x) wrong += (qGray(saved.pixel(x, y)) < 128) != capture->Framed().Dark(x / 2, y / 2);
    EXPECT_LE(wrong, name[6] == 'a' ? 0 : saved.width() * saved.height() / 50) << name;
  }
  capture->close();
  EXPECT_EQ(settings->value("ScreenCapture/Zoom").toString(), "2");
  EXPECT_EQ(settings->value("ScreenCapture/BorderFrame").toString(), "2");

  // Disconnected, the button still starts a capture.
  Activate(window.get());
  driver.When("FDownLd", [&](QWidget* prompt) { test::Click(prompt, "btnCancel"); });
  ClickButton("tbtnScrnCapture");
  EXPECT_TRUE(WaitUntil([&] { return driver.Done(); }));

  // At a speed other than the calculator's, the read error names the speed.
  Activate(window.get());
  QTest::mouseClick(window->findChild<QComboBox*>("cmboSpeed"), Qt::LeftButton);
  Type(Qt::Key_End);
  Type(Qt::Key_Return);
  driver.When("FDownLd", [&](QWidget*) { sim->Control("screen page"); });
  ClickButton("tbtnScrnCapture");
  // The boxes, whichever driver answered them: the refused name's and the read error's.
  const auto said = [&] {
    std::string all;
    for (const test::TDialogDriver* d : {&boxes, &driver})
      for (const std::string& text : d->boxTexts) all += text + "\n";
    return all;
  };
  ASSERT_TRUE(WaitUntil([&] { return driver.Done() && boxes.boxTexts.size() + driver.boxTexts.size() == 2 && Idle(); })) << said();
  EXPECT_NE(said().find("not as .gif"), std::string::npos);
  EXPECT_NE(said().find("Cannot read Calculator screen.\n\nThe calculator answered on"), std::string::npos);
  EXPECT_NE(said().find("speed is 115200"), std::string::npos) << said();
  EXPECT_EQ(window->findChild<QLabel*>("statusMessage")->text(), "");
}

// The port box: typed paths keep every letter, ports plugged in later are
// offered when it opens, and a port that went away is neither shown nor kept.
TEST_F(Journey, PortBoxTakesTypedPathsAndReadsThePortsWhenItOpens) {
  settings->setValue("Port", "/dev/ttyUSB97-gone");
  settings->setValue("Speed", "115200");
  NewWindow();
  auto* box = window->findChild<QComboBox*>("cmboPort");
  EXPECT_EQ(box->currentText() + " " + box->itemText(0), "Auto Auto");

  // Typed into the box: every "l", and "log" is no command here.
  TypeOver(box->lineEdit(), "/dev/serial/by-id/usb-Prolific_catalog-port0");
  EXPECT_EQ(box->currentText(), "/dev/serial/by-id/usb-Prolific_catalog-port0");
  EXPECT_FALSE(window->LogForm().isVisible());

  // A calculator plugged in after start-up is offered once the box opens.
  sim = std::make_unique<test::TCalcSim>(std::vector<std::string>{"--speed", "115200"});
  const QString path = QString::fromStdString(sim->PcPath());
  ::setenv("BRIDGIT_EXTRA_PORTS", sim->PcPath().c_str(), 1);
  EXPECT_EQ(box->findText(path), -1);
  QStyleOptionComboBox option;
  option.initFrom(box);
  option.editable = true;
  const QRect arrow = box->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxArrow, box);
  QTest::mouseClick(box, Qt::LeftButton, {}, arrow.center());
  ASSERT_TRUE(WaitUntil([&] { return box->view()->isVisible(); }, 5000));
  const int at = box->findText(path);
  ASSERT_GE(at, 0);
  // Chosen with the keys, as the open list takes them.
  QAbstractItemView* popup = box->view();
  const int from = popup->currentIndex().row();
  for (int row = from; row < at; ++row) QTest::keyClick(popup, Qt::Key_Down);
  for (int row = from; row > at; --row) QTest::keyClick(popup, Qt::Key_Up);
  QTest::keyClick(popup, Qt::Key_Return);
  EXPECT_EQ(box->currentText(), path);
  Connect();
  EXPECT_TRUE(window->Connected());

  window->close();
  EXPECT_EQ(settings->value("Port").toString(), path);
}

// Stored settings come back, with fallbacks for what is no value; what the
// person changed is written back for the next start.
TEST_F(Journey, ColumnsOptionsAndPlacesSurviveTheNextStart) {
  for (const auto& [key, value] : std::map<QString, QString>{
           {"DirWidthType", "95"}, {"DirWidthFiles", "wide"}, {"DirColSize", "5"}, {"DirWidthSplit", "180"}, {"Connectivity/Left", "40"},
           {"Connectivity/Top", "30"}, {"Connectivity/Width", "700"}, {"Connectivity/Height", "500"}, {"LogForm/Visible", "1"},
           {"LogForm/Width", "400"}, {"TRANSIO", "1"}, {"AddCR", "0"}, {"StatusBarVis", "0"}})
    settings->setValue(key, value);
  Start({}, false);
  EXPECT_EQ(window->Host().FileSettings().translationLevel, 0);  // 1 without CR
  EXPECT_TRUE(window->LogForm().isVisible());  // it was open when the program last closed
  EXPECT_EQ(window->LogForm().width(), 400);
  window->activateWindow();
  Connect();
  EXPECT_EQ(list->columnWidth(0), 160);  // "wide" is no width: the default
  EXPECT_EQ(list->header()->visualIndex(2), 2);  // Files, Type, Size
  ASSERT_EQ(list->columnWidth(1), 95);
  // Options with the mouse and keys: option 1 without CR is no translation.
  boxes.When("FOptions", [&](QWidget* options) {
    ClickBox(options->findChild<QRadioButton*>("rbtnTrans1"));
    if (auto* cr = options->findChild<QCheckBox*>("chbAddCR"); cr->isChecked()) ClickBox(cr);
    TypeOver(options->findChild<QLineEdit*>("edtEditor"), "gedit --wait");
    QTest::mouseClick(options->findChild<QAbstractButton*>("btnOK"), Qt::LeftButton);
  });
  ChooseFromMenu('v', "mnuView", "mnuOptions");
  ASSERT_TRUE(WaitUntil([&] { return boxes.Done() && Idle(); }));
  ChooseFromMenu('v', "mnuView", "mnuList");
  EXPECT_TRUE(list->isColumnHidden(1));
  ChooseFromMenu('v', "mnuView", "mnuSmallIcons");
  window->setGeometry(50, 60, 640, 420);
  window->LogForm().hide();
  window->close();
  for (const auto& [key, value] : std::map<QString, QString>{
           {"DirWidthType", "95"}, {"DirColSize", "3"}, {"TRANSIO", "0"}, {"AddCR", "0"}, {"Editor", "gedit --wait"},
           {"Connectivity/Width", "640"}, {"DirWidthSplit", "180"}, {"LogForm/Visible", "0"}, {"DirViewStyle", "1"}, {"StatusBarVis", "0"}})
    EXPECT_EQ(settings->value(key).toString(), value) << key.toStdString();
  EXPECT_NE(settings->value("DirWidthSize").toString(), "0");
  EXPECT_NE(settings->value("DirWidthFiles").toString(), "0");

  // Back in Details, the next window shows the columns as they were, where it was.
  NewWindow();
  EXPECT_EQ(window->geometry(), QRect(50, 60, 640, 420));
  EXPECT_FALSE(window->LogForm().isVisible());
  EXPECT_TRUE(list->isColumnHidden(1)) << "still small icons";
  ChooseFromMenu('v', "mnuView", "mnuDetails");
  EXPECT_FALSE(list->isColumnHidden(1));
  EXPECT_EQ(list->columnWidth(1), 95);
  // A width of 0 stored by an earlier version does not come back as a sliver.
  window->close();
  settings->setValue("DirWidthType", "0");
  NewWindow();
  EXPECT_GE(list->columnWidth(1), 60);
}

}  // namespace
}  // namespace bridgit
