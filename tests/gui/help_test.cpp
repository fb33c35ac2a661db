// Help in every window, driven by keys and clicks on the shown windows: F1
// opens the page of the focused control's context or shows its pop-up text,
// Shift+F1 and a click answer for the control clicked (and the click does
// nothing else), and every help context the program sets has its page or its
// pop-up text.

#include <cstdlib>
#include <map>
#include <memory>
#include <set>

#include "gui/gui_support.h"
#include "host/prompt_kinds.h"
#include "support/temp_dir.h"
#include "ui/dialogs/capture_window.h"
#include "ui/dialogs/command_window.h"
#include "ui/dialogs/download_prompt.h"
#include "ui/dialogs/help_viewer.h"
#include "ui/dialogs/log_form.h"
#include "ui/main/help_filter.h"
#include "ui/main/main_window.h"

// Pages and texts show as text when a check fails.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace bridgit {
namespace {

using test::TDialogDriver;
using test::WaitUntil;

// The pop-up texts as help/cshelp.txt words them, and a hint.
const QString kAutoUpdateText = "When checked, the stack is read again after every command. Clear it to send several commands quickly, then press Update "
    "Stack.";
const QString kControlCodesText = "Also writes the control codes 0 to 31 and 127 as a backslash and the three-digit code; a tab becomes \\009. Line feeds stay "
    "line feeds.";
const QString kPictureText = "The last screen captured from the calculator, with the frame and margin set in the View menu. It is already on the "
    "clipboard; File, Save As writes it as a JPEG or BMP file.";
const QString kConnectHint = "Quick connect to the calculator.";  // a control without a context shows its hint

using TTestWindow = ui::TFZQDir;

class Help : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("TMPDIR", temp.path().c_str(), 1);
    settings = std::make_unique<QSettings>(QString::fromStdString(dir / "Bridgit.conf"), QSettings::IniFormat);
    window = std::make_unique<TTestWindow>(settings.get());
    Activate(window.get());
    // The start-up splash comes and goes first.
    auto* splash = window->findChild<QTimer*>("tmrAbout");
    ASSERT_TRUE(WaitUntil([&] { return !splash->isActive() && !QApplication::activeModalWidget(); }));
    Activate(window.get());
  }
  void TearDown() override {
    ClosePopup();
    if (QWhatsThis::inWhatsThisMode()) QWhatsThis::leaveWhatsThisMode();
    if (capture) capture->close();
    EXPECT_EQ(window->Host().Beeps(), 0);  // no page was missing
    window.reset();
    ::unsetenv("TMPDIR");
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
  template <typename T>
  static T* Find(QWidget* in, const char* name) {
    T* t = in->findChild<T*>(name);
    EXPECT_NE(t, nullptr) << name;
    return t;
  }
  static QWidget* Focus() { return QApplication::focusWidget(); }
  static void Press(QWidget* at, Qt::Key key, Qt::KeyboardModifiers mods = {}) {
    ASSERT_NE(at, nullptr);
    QTest::keyClick(at, key, mods);
  }
  static void ClickToFocus(QWidget* control) {
    QTest::mouseClick(control, Qt::LeftButton);
    ASSERT_TRUE(Focus() == control || Focus() == control->parentWidget()) << qPrintable(control->objectName());
  }
  // Alt+letter opens a menu of the menu bar; the item is clicked in it (a
  // modal dialog behind the item runs inside the click).
  void ChooseFromMenu(char letter, const char* menuName, const char* itemName) {
    Activate(window.get());
    Press(Focus() ? Focus() : window.get(), static_cast<Qt::Key>(Qt::Key_A + (letter - 'a')), Qt::AltModifier);
    auto* menu = Find<QMenu>(window.get(), menuName);
    ASSERT_TRUE(WaitUntil([&] { return menu->isVisible(); }, 5000)) << menuName;
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(Find<QAction>(window.get(), itemName)).center());
    ASSERT_TRUE(WaitUntil([&] { return !menu->isVisible(); }, 5000));
    QTest::qWait(50);  // the main window takes the activation back from its menu
  }

  // The What's This pop-up on screen, whatever made it, and its text.
  static QWidget* Popup() {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (w->isVisible() && w->inherits("QWhatsThat")) return w;
    return nullptr;
  }
  static QString PopupText() {
    WaitUntil([] { return Popup() != nullptr; }, 3000);
    const QString text = Popup() ? Popup()->accessibleName() : QString("(no pop-up)");
    ClosePopup();
    return text;
  }
  static void ClosePopup() {
    if (QWidget* popup = Popup()) QTest::keyClick(popup, Qt::Key_Escape);
    WaitUntil([] { return !Popup(); }, 3000);
  }
  // The page the help viewer shows, once it is up; it is closed again.
  QString PageShown() {
    ui::THelpViewer& viewer = window->HelpViewer();
    WaitUntil([&] { return viewer.isVisible(); }, 3000);
    const QString page = viewer.isVisible() ? viewer.CurrentPage() : QString("(no page)");
    viewer.close();
    return page;
  }
  // A click on the link with this text in the viewer, through its window as
  // the platform delivers it (so that a window blocked by a modal dialog
  // does not take it).
  void ClickLink(const QString& text) {
    ui::THelpViewer& viewer = window->HelpViewer();
    auto* browser = Find<QTextBrowser>(&viewer, "HelpBrowser");
    const QTextCursor found = browser->document()->find(text);
    ASSERT_FALSE(found.isNull()) << qPrintable(text);
    QTextCursor inside(browser->document());
    inside.setPosition(found.selectionStart() + 2);
    // Brought into view first, as a person scrolls to it, whatever the fonts.
    browser->setTextCursor(inside);
    browser->ensureCursorVisible();
    const QRect link = browser->cursorRect(inside);
    ASSERT_TRUE(browser->viewport()->rect().contains(link.center())) << qPrintable(text);
    const QPoint at = browser->viewport()->mapTo(&viewer, link.center());
    QTest::mouseClick(viewer.windowHandle(), Qt::LeftButton, {}, at);
  }
  QString PageAfterF1(QWidget* at) {
    Press(at, Qt::Key_F1);
    return PageShown();
  }
  QString PopupAfterF1(QWidget* at) {
    Press(at, Qt::Key_F1);
    return PopupText();
  }
  // Shift+F1 where the focus is, then a click on `control`.
  void WhatsThisClick(QWidget* control, QPoint at = {}) {
    Press(Focus(), Qt::Key_F1, Qt::ShiftModifier);
    ASSERT_TRUE(QWhatsThis::inWhatsThisMode());
    QTest::mouseClick(control, Qt::LeftButton, {}, at.isNull() ? control->rect().center() : at);
  }
  ui::TFRplCmd* OpenCommandWindow() {
    ChooseFromMenu('v', "mnuView", "mnuRPL");
    ui::TFRplCmd* commands = window->CommandWindow();
    EXPECT_TRUE(WaitUntil([&] { return commands->isVisible(); }));
    Activate(commands);
    return commands;
  }
  ui::TFCapture* OpenCapture() {
    capture = new ui::TFCapture(settings.get(), window->Host(), nullptr);
    capture->ShowCapture(std::string("\x1B") + std::string(8 * 135, '\x55'));  // a page-layout screen
    Activate(capture);
    return capture;
  }

  test::TTempDir dir;
  test::TTempDir temp;
  std::unique_ptr<QSettings> settings;
  std::unique_ptr<TTestWindow> window;
  QPointer<ui::TFCapture> capture;
  TDialogDriver boxes;  // an unexpected message box is answered, never a hang
};

TEST_F(Help, F1OpensThePageOfTheFocusedControlsContextInEveryWindow) {
  // Main window: through the port box's edit field to the port box's page.
  auto* port = Find<QComboBox>(window.get(), "cmboPort");
  ClickToFocus(port->lineEdit());
  EXPECT_EQ(PageAfterF1(Focus()), "125001.html");
  Press(Focus(), Qt::Key_Tab);
  ASSERT_EQ(Focus(), Find<QComboBox>(window.get(), "cmboSpeed"));
  EXPECT_EQ(PageAfterF1(Focus()), "125003.html");

  // The viewer has no context: F1 there opens the contents.
  ChooseFromMenu('h', "mnuHelp", "mnuTroubleShooting");
  ui::THelpViewer& viewer = window->HelpViewer();
  Activate(&viewer);
  ClickToFocus(Find<QTextBrowser>(&viewer, "HelpBrowser")->viewport());
  EXPECT_EQ(PageAfterF1(Focus()), "index.html");

  // The command window: its page, or a button's pop-up text.
  ui::TFRplCmd* commands = OpenCommandWindow();
  ClickToFocus(Find<QPlainTextEdit>(commands, "historyText")->viewport());
  EXPECT_EQ(PageAfterF1(Focus()), "145000.html");
  auto* autoUpdate = Find<QCheckBox>(commands, "chbAutoUpdate");
  ClickToFocus(autoUpdate);
  EXPECT_EQ(PopupAfterF1(Focus()), kAutoUpdateText);
  EXPECT_FALSE(viewer.isVisible());  // a pop-up id opens no page
  commands->close();

  // The log window, opened by the typed word.
  QTest::keyClicks(Find<QComboBox>(window.get(), "cmboSpeed"), "log");
  ui::TFLogForm& log = window->LogForm();
  ASSERT_TRUE(WaitUntil([&] { return log.isVisible(); }));
  Activate(&log);
  ClickToFocus(Find<QPlainTextEdit>(&log, "logText")->viewport());
  EXPECT_EQ(PageAfterF1(Focus()), "125010.html");
  log.hide();

  ui::TFCapture* shot = OpenCapture();
  EXPECT_EQ(PageAfterF1(Focus() ? Focus() : shot), "135000.html");
}

TEST_F(Help, F1InTheOptionsDialogShowsTheSettingsPopUpOrTheDialogsPage) {
  QString popup, page, linked;
  boxes.When("FOptions", [&](QWidget* dialog) {
    Activate(dialog);
    ClickToFocus(Find<QCheckBox>(dialog, "chb031"));
    popup = PopupAfterF1(Focus());
    // The buttons have no context of their own: the dialog's page answers.
    ClickToFocus(Find<QCheckBox>(dialog, "chbAddExtension"));
    Press(Focus(), Qt::Key_Tab);
    if (Focus() && Focus()->objectName() == "btnOK") {
      Press(Focus(), Qt::Key_F1);
      // The page works above the modal dialog: its links can be followed.
      ui::THelpViewer& viewer = window->HelpViewer();
      WaitUntil([&] { return viewer.isVisible(); }, 3000);
      page = viewer.CurrentPage();
      ClickLink("Contents");
      linked = viewer.CurrentPage();
    }
    QTest::mouseClick(Find<QPushButton>(dialog, "btnCancel"), Qt::LeftButton);
  });
  ChooseFromMenu('v', "mnuView", "mnuOptions");
  ASSERT_TRUE(WaitUntil([&] { return boxes.Done(); }));
  EXPECT_EQ(popup, kControlCodesText);
  EXPECT_EQ(page, "125009.html");
  EXPECT_EQ(linked, "index.html");
  // The dialog is gone, the page stays open: it blocks nothing now.
  ui::THelpViewer& viewer = window->HelpViewer();
  ASSERT_TRUE(WaitUntil([&] { return !test::VisibleWindow("FOptions"); }));
  EXPECT_TRUE(viewer.isVisible());
  EXPECT_FALSE(viewer.isModal());
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  viewer.close();
}

TEST_F(Help, F1InThePromptsOpensThePageOfTheirCommand) {
  // "Connect..." first shows how to start the server: the connecting page.
  QString page;
  boxes.When("FDownLd", [&](QWidget* prompt) {
    Activate(prompt);
    page = PageAfterF1(Focus() ? Focus() : prompt);
    QTest::mouseClick(Find<QPushButton>(prompt, "btnCancel"), Qt::LeftButton);
  });
  ChooseFromMenu('f', "mnuFile", "mnuConnect");
  ASSERT_TRUE(WaitUntil([&] { return boxes.Done(); }));
  EXPECT_EQ(page, "125001.html");
  EXPECT_FALSE(window->Connected());

  // The waiting prompt of a manual download: the manual transfers page.
  ui::TFDownLd& prompt = window->PromptDialog();
  prompt.ShowPrompt(kPromptDownload, "");
  Activate(&prompt);
  EXPECT_EQ(PageAfterF1(Focus() ? Focus() : &prompt), "125008.html");
  prompt.HidePrompt(kPromptDownload);
}

TEST_F(Help, ShiftF1ThenAClickAnswersForTheClickedControlAndTheClickDoesNothingElse) {
  // Main window: a control without a context shows its hint, and is not pressed.
  ClickToFocus(Find<QComboBox>(window.get(), "cmboPort")->lineEdit());
  WhatsThisClick(Find<QToolButton>(window.get(), "tbtnConnect"));
  EXPECT_EQ(PopupText(), kConnectHint);
  EXPECT_FALSE(QWhatsThis::inWhatsThisMode());
  EXPECT_FALSE(window->Connected() || window->Busy());
  // A page id opens its page; the speed box does not drop down.
  auto* speed = Find<QComboBox>(window.get(), "cmboSpeed");
  WhatsThisClick(speed);
  EXPECT_EQ(PageShown(), "125003.html");
  EXPECT_FALSE(speed->view()->isVisible());
  EXPECT_FALSE(QWhatsThis::inWhatsThisMode());

  // The command window: a button's pop-up (not toggled), the window's page.
  ui::TFRplCmd* commands = OpenCommandWindow();
  auto* history = Find<QPlainTextEdit>(commands, "historyText");
  ClickToFocus(history->viewport());
  auto* autoUpdate = Find<QCheckBox>(commands, "chbAutoUpdate");
  const bool checked = autoUpdate->isChecked();
  WhatsThisClick(autoUpdate);
  EXPECT_EQ(PopupText(), kAutoUpdateText);
  EXPECT_EQ(autoUpdate->isChecked(), checked);
  WhatsThisClick(history->viewport());
  EXPECT_EQ(PageShown(), "145000.html");
  commands->close();

  // The options dialog, modal: a setting's pop-up, the group box's frame
  // answered by the dialog's page.
  QString popup, page;
  bool toggled = true;
  boxes.When("FOptions", [&](QWidget* dialog) {
    Activate(dialog);
    ClickToFocus(Find<QCheckBox>(dialog, "chbAddExtension"));
    auto* controlCodes = Find<QCheckBox>(dialog, "chb031");
    const bool before = controlCodes->isChecked();
    WhatsThisClick(controlCodes);
    popup = PopupText();
    toggled = controlCodes->isChecked() != before;
    for (QGroupBox* group : dialog->findChildren<QGroupBox*>()) {
      if (group->title().remove('&') != "Other Options") continue;
      WhatsThisClick(group, QPoint(group->width() - 3, group->height() - 3));
      page = PageShown();
    }
    QTest::mouseClick(Find<QPushButton>(dialog, "btnCancel"), Qt::LeftButton);
  });
  ChooseFromMenu('v', "mnuView", "mnuOptions");
  ASSERT_TRUE(WaitUntil([&] { return boxes.Done(); }));
  EXPECT_EQ(popup, kControlCodesText);
  EXPECT_FALSE(toggled);
  EXPECT_EQ(page, "125009.html");

  ui::TFCapture* shot = OpenCapture();
  Press(Focus() ? Focus() : shot, Qt::Key_F1, Qt::ShiftModifier);
  ASSERT_TRUE(QWhatsThis::inWhatsThisMode());
  QTest::mouseClick(Find<QLabel>(shot, "screenPicture"), Qt::LeftButton, {}, QPoint(4, 4));
  EXPECT_EQ(PopupText(), kPictureText);
}

// The rule, written here: the last four digits 5000 and above name a page.
bool NamesAPage(int id) { return id % 10000 >= 5000; }

// cshelp.txt read here: ".topic N" lines, each followed by its text.
std::map<int, QString> PopupTexts(const QString& folder) {
  QFile file(folder + "/cshelp.txt");
  EXPECT_TRUE(file.open(QIODevice::ReadOnly));
  std::map<int, QString> texts;
  int id = -1;
  for (const QString& line : QString::fromUtf8(file.readAll()).split('\n')) {
    if (line.startsWith(".topic ")) {
      id = line.mid(7).trimmed().toInt();
      texts[id];
    } else if (id >= 0) {
      texts[id] += line.trimmed();
    }
  }
  return texts;
}

TEST_F(Help, EveryContextTheProgramSetsHasItsPageOrItsPopUpText) {
  OpenCapture();  // made only by a capture, so made here
  std::set<int> ids;
  for (QWidget* w : QApplication::allWidgets())
    if (const int id = w->property("helpContext").toInt(); id > 1) ids.insert(id);
  for (QObject* o : window->findChildren<QObject*>())
    if (const int id = o->property("helpContext").toInt(); id > 1) ids.insert(id);
  // Nothing above is lost: the windows' pages and their controls' pop-ups.
  for (int id : {125000, 125001, 125002, 125003, 125009, 125010, 135000, 145000, 4002, 4003, 4004, 4005, 4006, 4007, 4008,
                 4009, 4010, 4011, 4012, 4013, 4014, 4015})
    EXPECT_TRUE(ids.count(id)) << id;
  // The prompts take the page of their command.
  for (int kind = 0; kind < kPromptKindCount; ++kind)
    if (const int id = ui::PromptHelpContext(kind)) ids.insert(id);
  for (int id : {125006, 125008}) EXPECT_TRUE(ids.count(id)) << id;

  const QString folder = ui::HelpFolder();
  ASSERT_FALSE(folder.isEmpty());
  QFile indexFile(folder + "/index.html");
  ASSERT_TRUE(indexFile.open(QIODevice::ReadOnly));
  const QString index = QString::fromUtf8(indexFile.readAll());
  const std::map<int, QString> popups = PopupTexts(folder);
  for (int id : ids) {
    if (NamesAPage(id)) {
      const QString page = QString::number(id) + ".html";
      EXPECT_TRUE(QFile::exists(folder + "/" + page)) << id;
      EXPECT_TRUE(index.contains("href=\"" + page + "\"")) << qPrintable(page) << " is not in the contents";
    } else {
      const auto text = popups.find(id);
      EXPECT_TRUE(text != popups.end() && !text->second.isEmpty()) << id << " has no pop-up text";
    }
  }
  // Every page the program ships is reachable from the contents.
  for (const QString& page : QDir(folder).entryList({"*.html"})) {
    if (page == "index.html") continue;
    EXPECT_TRUE(index.contains("href=\"" + page + "\"")) << qPrintable(page);
  }
}

}  // namespace
}  // namespace bridgit
