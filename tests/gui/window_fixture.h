// A main window on screen and active, with its settings and its temporary
// folder in the test's own folders, against a fresh simulated calculator; and
// the ways a person drives it: mouse clicks on items, boxes and tool buttons,
// keys typed into whatever has the focus, menus opened with Alt and clicked.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "base/files.h"
#include "gui/gui_support.h"
#include "support/calcsim_process.h"
#include "ui/main/main_window.h"

namespace bridgit::test {

class TWindowTest : public ::testing::Test {
 protected:
  // What a desktop's window manager does when a window closes: the window
  // active before it becomes active again (the offscreen platform leaves none
  // active), a moment later, as the program may well activate one itself.
  void SetUp() override {
    // Copies land in the temporary folder: one of the test's own.
    ::setenv("TMPDIR", temp.path().c_str(), 1);
    settings = std::make_unique<QSettings>(QString::fromStdString(dir / "Bridgit.conf"), QSettings::IniFormat);
    windowManager_.setInterval(10);
    QObject::connect(&windowManager_, &QTimer::timeout, [this] {
      if (ActiveWindowShown()) {
        inactiveTicks_ = 0;
        return;
      }
      if (++inactiveTicks_ < 10) return;
      inactiveTicks_ = 0;
      while (!activated_.empty() && (!activated_.back() || !activated_.back()->isVisible())) activated_.pop_back();
      if (!activated_.empty()) activated_.back()->activateWindow();
    });
    windowManager_.start();
    qApp->installEventFilter(&activations_);
  }
  void TearDown() override {
    windowManager_.stop();
    window.reset();
    ::unsetenv("TMPDIR");
    ::unsetenv("BRIDGIT_USB_ROOT");
    ::unsetenv("BRIDGIT_EXTRA_PORTS");
  }
  // The calculator set to the PC's speed unless the arguments give its own.
  void Start(std::vector<std::string> simArgs = {}, bool connect = true, const char* pcSpeed = "115200") {
    if (std::ranges::find(simArgs, "--speed") == simArgs.end()) simArgs.insert(simArgs.end(), {"--speed", pcSpeed});
    settings->setValue("Speed", pcSpeed);
    sim = std::make_unique<TCalcSim>(simArgs);
    settings->setValue("Port", QString::fromStdString(sim->PcPath()));
    ::setenv("BRIDGIT_EXTRA_PORTS", sim->PcPath().c_str(), 1);
    NewWindow();
    if (connect) Connect();
  }
  void NewWindow(const QStringList& arguments = {}) {
    window.reset();
    window = std::make_unique<ui::TFZQDir>(settings.get(), arguments);
    tree = window->findChild<QTreeWidget*>("folderTree");
    list = window->findChild<QTreeWidget*>("objectList");
    window->show();
    // The start-up splash comes and goes first.
    auto* splash = window->findChild<QTimer*>("tmrAbout");
    ASSERT_TRUE(WaitUntil([&] { return !splash->isActive() && !QApplication::activeModalWidget(); }));
    Activate(window.get());
  }
  // Shown and active, and still active once the events of other windows
  // (a dialog closing hands the activation back to its parent) are through.
  static void Activate(QWidget* w) {
    w->show();
    for (int i = 0; i < 10; ++i) {
      w->activateWindow();
      ASSERT_TRUE(QTest::qWaitForWindowActive(w));
      QTest::qWait(20);
      if (QApplication::activeWindow() == w) return;
    }
    FAIL() << qPrintable(w->objectName()) << " does not stay active";
  }
  void Connect() {
    ClickButton("tbtnConnect");
    ASSERT_TRUE(WaitUntil([&] { return window->Connected() && Idle(); }));
  }
  // Once the window has let go of the calculator: its server started again there, and connected.
  void Reconnect() {
    ASSERT_TRUE(WaitUntil([&] { return !window->Connected() && !window->Busy(); }));
    sim->Control("server");
    Connect();
  }
  // Nothing running, the wait cursor gone, and a window active again after any dialog went away.
  bool Idle() const {
    return !window->Busy() && !QApplication::overrideCursor() && !window->findChild<QTimer*>("refreshTimer")->isActive() &&
           ActiveWindowShown();
  }
  // A window that was hidden may still count as active here: it does not.
  static bool ActiveWindowShown() {
    const QWidget* active = QApplication::activeWindow();
    return QApplication::activePopupWidget() || (active && active->isVisible());
  }
  // What a key or click set going (queued commits, the deferred refresh) has run.
  void Settle() {
    QCoreApplication::processEvents();
    ASSERT_TRUE(WaitUntil([&] { return Idle(); }))
        << "busy " << window->Busy() << ", wait cursor " << !!QApplication::overrideCursor() << ", refresh pending " << window->findChild<QTimer*>("refreshTimer")->isActive()
        << ", active window " << (QApplication::activeWindow() ? QApplication::activeWindow()->objectName().toStdString() : "none");
  }
  void ClickButton(const char* name) {
    auto* button = window->findChild<QAbstractButton*>(name);
    ASSERT_NE(button, nullptr) << name;
    QTest::mouseClick(button, Qt::LeftButton);
  }
  // A click on a check box's or radio button's box, wherever its text ends.
  static void ClickBox(QAbstractButton* button) {
    ASSERT_NE(button, nullptr);
    QStyleOptionButton option;
    option.initFrom(button);
    const auto element = qobject_cast<QRadioButton*>(button) ? QStyle::SE_RadioButtonIndicator : QStyle::SE_CheckBoxIndicator;
    QTest::mouseClick(button, Qt::LeftButton, {}, button->style()->subElementRect(element, &option, button).center());
  }
  // A click in the middle of the item's row, or of its cell in `column`.
  void ClickItem(QTreeWidget* view, QTreeWidgetItem* item, Qt::KeyboardModifiers mods = {}, int column = -1) {
    ASSERT_NE(item, nullptr);
    view->scrollToItem(item);
    QPoint at = view->visualItemRect(item).center();
    if (column >= 0) at.setX(view->header()->sectionViewportPosition(column) + view->header()->sectionSize(column) / 2);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, mods, at);
    Settle();
  }
  // The first name clicked, the others added with Ctrl.
  void SelectItems(const QStringList& names) {
    for (int i = 0; i < names.size(); ++i) ClickItem(list, Item(names[i]), i ? Qt::ControlModifier : Qt::NoModifier);
  }
  void DoubleClickItem(QTreeWidget* view, QTreeWidgetItem* item) {
    ASSERT_NE(item, nullptr);
    // As the platform delivers it: press, release, double-click, release.
    const QPoint at = view->visualItemRect(item).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, at);
    Settle();
  }
  void Type(int key, Qt::KeyboardModifiers mods = {}) {
    QWidget* focus = QApplication::focusWidget();
    ASSERT_NE(focus, nullptr);
    QTest::keyClick(focus, static_cast<Qt::Key>(key), mods);
  }
  void Press(int key, Qt::KeyboardModifiers mods = {}) {
    Type(key, mods);
    Settle();
  }
  // Alt+letter opens a menu of the menu bar; the item is clicked in it.
  void ChooseFromMenu(char letter, const char* menuName, const char* itemName) {
    Type(Qt::Key_A + (letter - 'a'), Qt::AltModifier);
    auto* menu = window->findChild<QMenu*>(menuName);
    ASSERT_NE(menu, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return menu->isVisible(); }, 5000)) << menuName;
    if (itemName) ClickAction(menu, window->findChild<QAction*>(itemName));
  }
  static void ClickAction(QMenu* menu, QAction* action) {
    ASSERT_NE(action, nullptr);
    ASSERT_TRUE(action->isEnabled()) << action->objectName().toStdString();
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
  }
  // All of a field's text replaced by typing, as a person selects it and types over it.
  static void TypeOver(QLineEdit* field, const QString& text) {
    ASSERT_NE(field, nullptr);
    QTest::mouseClick(field, Qt::LeftButton);
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(field, text);
  }
  // A file dialog answered as a person does: the name typed into its name
  // field (unless it is there), then the button. The field's completer goes
  // first: its list opens whenever the folder's contents arrive from Qt's
  // reading thread, and an open list takes the button's click for itself.
  static void AnswerFileDialog(QWidget* dialog, const QString& name, QDialogButtonBox::StandardButton button) {
    auto* edit = dialog->findChild<QLineEdit*>("fileNameEdit");
    if (!edit) return;
    edit->setCompleter(nullptr);
    if (edit->text() != name) {
      edit->setFocus();
      edit->selectAll();
      QTest::keyClicks(edit, name);
    }
    QTest::mouseClick(dialog->findChild<QDialogButtonBox*>("buttonBox")->button(button), Qt::LeftButton);
  }
  QTreeWidgetItem* Node(const QStringList& path) const {
    QTreeWidgetItem* node = tree->topLevelItem(0);
    for (const QString& name : path) {
      QTreeWidgetItem* next = nullptr;
      for (int i = 0; i < node->childCount() && !next; ++i)
        if (node->child(i)->text(0) == name) next = node->child(i);
      if (!next) return nullptr;
      node = next;
    }
    return node;
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
  QStringList Selected() const {
    QStringList names;
    for (QTreeWidgetItem* item : list->selectedItems()) names << item->text(0);
    return names;
  }
  bool FocusIn(QWidget* view) const {
    QWidget* f = QApplication::focusWidget();
    return f && (f == view || view->isAncestorOf(f));
  }
  std::string Dump() { return sim->Control("dump"); }
  bool Holds(const std::string& entry) { return Dump().find(entry) != std::string::npos; }

  TTempDir dir;
  TTempDir temp;
  std::unique_ptr<QSettings> settings;
  std::unique_ptr<TCalcSim> sim;
  std::unique_ptr<ui::TFZQDir> window;
  QTreeWidget* tree = nullptr;
  QTreeWidget* list = nullptr;
  TDialogDriver boxes;  // an unexpected message box is answered, never a hang

 private:
  // The windows in the order they were last made active.
  class TActivations : public QObject {
   public:
    explicit TActivations(std::vector<QPointer<QWidget>>& order) : order_(order) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
      if (event->type() == QEvent::WindowActivate)
        if (auto* w = qobject_cast<QWidget*>(watched); w && w->isWindow()) {
          std::erase(order_, QPointer<QWidget>(w));
          order_.emplace_back(w);
        }
      return false;
    }
    std::vector<QPointer<QWidget>>& order_;
  };
  std::vector<QPointer<QWidget>> activated_;
  TActivations activations_{activated_};
  QTimer windowManager_;
  int inactiveTicks_ = 0;  // ticks in a row with no window active
};

}  // namespace bridgit::test
