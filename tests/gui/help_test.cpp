// Help in every window, driven by keys and clicks on the shown windows: F1
// opens the page of the focused control's context or shows its pop-up text,
// Shift+F1 and a click answer for the control clicked (and the click does
// nothing else), and every help context the program sets has its page or its
// pop-up text.

#include <map>
#include <set>

#include "gui/window_fixture.h"
#include "host/prompt_kinds.h"
#include "ui/dialogs/capture_window.h"
#include "ui/dialogs/command_window.h"
#include "ui/dialogs/download_prompt.h"
#include "ui/dialogs/help_viewer.h"
#include "ui/dialogs/log_form.h"
#include "ui/main/help_filter.h"

namespace bridgit {
namespace {

using test::WaitUntil;

// The pop-up texts as help/cshelp.txt words them.
const QString kAutoUpdateText = "When checked, the stack is read again after every command. Clear it to send several commands quickly, then press Update "
    "Stack.";
const QString kControlCodesText = "Also writes the control codes 0 to 31 and 127 as a backslash and the three-digit code; a tab becomes \\009. Line feeds stay "
    "line feeds.";
const QString kPictureText = "The last screen captured from the calculator, with the frame and margin set in the View menu. It is already on the "
    "clipboard; File, Save As writes it as a JPEG or BMP file.";

class Help : public test::TWindowTest {
 protected:
  void SetUp() override {
    TWindowTest::SetUp();
    NewWindow();
  }
  void TearDown() override {
    ClosePopup();
    if (QWhatsThis::inWhatsThisMode()) QWhatsThis::leaveWhatsThisMode();
    if (capture) capture->close();
    EXPECT_EQ(window->Host().Beeps(), 0);  // no page was missing
    TWindowTest::TearDown();
  }
  static QWidget* Focus() { return QApplication::focusWidget(); }
  // F1 or Shift+F1 where the focus is, or on `at` when nothing has it.
  static void F1(QWidget* at = nullptr, Qt::KeyboardModifiers mods = {}) {
    ASSERT_TRUE(Focus() || at);
    QTest::keyClick(Focus() ? Focus() : at, Qt::Key_F1, mods);
  }
  static void ClickToFocus(QWidget* control) {
    QTest::mouseClick(control, Qt::LeftButton);
    ASSERT_TRUE(Focus() == control || Focus() == control->parentWidget()) << qPrintable(control->objectName());
  }

  // The text of the What's This pop-up on screen, whatever made it.
  static QString PopupText() {
    WaitUntil([] { return ui::HelpPopup() != nullptr; }, 3000);
    const QString text = ui::HelpPopup() ? ui::HelpPopup()->accessibleName() : QString("(no pop-up)");
    ClosePopup();
    return text;
  }
  static void ClosePopup() {
    if (QWidget* popup = ui::HelpPopup()) QTest::keyClick(popup, Qt::Key_Escape);
    WaitUntil([] { return !ui::HelpPopup(); }, 3000);
  }
  // The page the help viewer shows, once it is up; it is closed again.
  QString PageShown(bool close = true) {
    ui::THelpViewer& viewer = window->HelpViewer();
    WaitUntil([&] { return viewer.isVisible(); }, 3000);
    const QString page = viewer.isVisible() ? viewer.CurrentPage() : QString("(no page)");
    if (close) viewer.close();
    return page;
  }
  // A click on the link with this text in the viewer, through its window as
  // the platform delivers it (so that a window blocked by a modal dialog
  // does not take it).
  void ClickLink(const QString& text) {
    ui::THelpViewer& viewer = window->HelpViewer();
    auto* browser = viewer.findChild<QTextBrowser*>("HelpBrowser");
    const QTextCursor found = browser->document()->find(text);
    ASSERT_FALSE(found.isNull()) << qPrintable(text);
    QTextCursor inside(browser->document());
    inside.setPosition(found.selectionStart() + 2);
    // Brought into view first, as a person scrolls to it, whatever the fonts.
    browser->setTextCursor(inside);
    browser->ensureCursorVisible();
    const QRect link = browser->cursorRect(inside);
    ASSERT_TRUE(browser->viewport()->rect().contains(link.center())) << qPrintable(text);
    QTest::mouseClick(viewer.windowHandle(), Qt::LeftButton, {}, browser->viewport()->mapTo(&viewer, link.center()));
  }
  QString PageAfterF1(QWidget* at = nullptr) {
    F1(at);
    return PageShown();
  }
  // Shift+F1 where the focus is, then a click on `control`.
  static void WhatsThisClick(QWidget* control, QPoint at = {}, QWidget* noFocus = nullptr) {
    F1(noFocus, Qt::ShiftModifier);
    ASSERT_TRUE(QWhatsThis::inWhatsThisMode());
    QTest::mouseClick(control, Qt::LeftButton, {}, at.isNull() ? control->rect().center() : at);
  }

  QPointer<ui::TFCapture> capture;
};

// cshelp.txt read here: ".topic N" lines, each followed by its text.
std::map<int, QString> PopupTexts(const QString& folder) {
  QFile file(folder + "/cshelp.txt");
  EXPECT_TRUE(file.open(QIODevice::ReadOnly));
  std::map<int, QString> texts;
  int id = -1;
  for (const QString& line : QString::fromUtf8(file.readAll()).split('\n')) {
    if (line.startsWith(".topic ")) texts[id = line.mid(7).trimmed().toInt()];
    else if (id >= 0) texts[id] += line.trimmed();
  }
  return texts;
}

TEST_F(Help, F1AndShiftF1AnswerForTheControlInEveryWindowAndEveryContextHasItsAnswer) {
  // Main window: through the port box's edit field to the port box's page.
  ClickToFocus(window->findChild<QComboBox*>("cmboPort")->lineEdit());
  EXPECT_EQ(PageAfterF1(), "125001.html");
  QTest::keyClick(Focus(), Qt::Key_Tab);
  auto* speed = window->findChild<QComboBox*>("cmboSpeed");
  ASSERT_EQ(Focus(), speed);
  EXPECT_EQ(PageAfterF1(), "125003.html");
  // A control without a context shows its hint, and is not pressed; the
  // speed box opens its page and does not drop down.
  WhatsThisClick(window->findChild<QToolButton*>("tbtnConnect"));
  EXPECT_EQ(PopupText(), "Quick connect to the calculator.");
  EXPECT_FALSE(QWhatsThis::inWhatsThisMode());
  EXPECT_FALSE(window->Connected() || window->Busy());
  WhatsThisClick(speed);
  EXPECT_EQ(PageShown(), "125003.html");
  EXPECT_FALSE(speed->view()->isVisible());
  EXPECT_FALSE(QWhatsThis::inWhatsThisMode());

  // The viewer has no context: F1 there opens the contents.
  Activate(window.get());
  ChooseFromMenu('h', "mnuHelp", "mnuTroubleShooting");
  ui::THelpViewer& viewer = window->HelpViewer();
  Activate(&viewer);
  ClickToFocus(viewer.findChild<QTextBrowser*>("HelpBrowser")->viewport());
  EXPECT_EQ(PageAfterF1(), "index.html");

  // The command window: its page, or a button's pop-up text (a pop-up id
  // opens no page, and the click toggles nothing).
  Activate(window.get());
  ChooseFromMenu('v', "mnuView", "mnuRPL");
  ui::TFRplCmd* commands = window->CommandWindow();
  ASSERT_TRUE(WaitUntil([&] { return commands->isVisible(); }));
  Activate(commands);
  auto* history = commands->findChild<QPlainTextEdit*>("historyText");
  ClickToFocus(history->viewport());
  EXPECT_EQ(PageAfterF1(), "145000.html");
  auto* autoUpdate = commands->findChild<QCheckBox*>("chbAutoUpdate");
  ClickToFocus(autoUpdate);
  F1();
  EXPECT_EQ(PopupText(), kAutoUpdateText);
  EXPECT_FALSE(viewer.isVisible());
  const bool checked = autoUpdate->isChecked();
  WhatsThisClick(autoUpdate);
  EXPECT_EQ(PopupText(), kAutoUpdateText);
  EXPECT_EQ(autoUpdate->isChecked(), checked);
  WhatsThisClick(history->viewport());
  EXPECT_EQ(PageShown(), "145000.html");
  commands->close();

  // The log window, opened by the typed word.
  QTest::keyClicks(speed, "log");
  ui::TFLogForm& log = window->LogForm();
  ASSERT_TRUE(WaitUntil([&] { return log.isVisible(); }));
  Activate(&log);
  ClickToFocus(log.findChild<QPlainTextEdit*>("logText")->viewport());
  EXPECT_EQ(PageAfterF1(), "125010.html");
  log.hide();

  // The capture window (made only by a capture, so made here), and its picture.
  capture = new ui::TFCapture(settings.get(), window->Host(), nullptr);
  capture->ShowCapture(std::string("\x1B") + std::string(8 * 135, '\x55'));  // a page-layout screen
  Activate(capture);
  EXPECT_EQ(PageAfterF1(capture), "135000.html");
  WhatsThisClick(capture->findChild<QLabel*>("screenPicture"), QPoint(4, 4), capture);
  EXPECT_EQ(PopupText(), kPictureText);

  Activate(window.get());
  // "Connect..." first shows how to start the server: the connecting page.
  QString page;
  boxes.When("FDownLd", [&](QWidget* prompt) {
    Activate(prompt);
    page = PageAfterF1(prompt);
    QTest::mouseClick(prompt->findChild<QPushButton*>("btnCancel"), Qt::LeftButton);
  });
  ChooseFromMenu('f', "mnuFile", "mnuConnect");
  ASSERT_TRUE(WaitUntil([&] { return boxes.Done(); }));
  EXPECT_EQ(page, "125001.html");
  EXPECT_FALSE(window->Connected());

  // The waiting prompt of a manual download: the manual transfers page.
  ui::TFDownLd& prompt = window->PromptDialog();
  prompt.ShowPrompt(kPromptDownload, "");
  Activate(&prompt);
  EXPECT_EQ(PageAfterF1(&prompt), "125008.html");
  prompt.HidePrompt(kPromptDownload);

  // Every help context the program sets, in any window made above, has its page or its pop-up text.
  std::set<int> ids;
  for (QWidget* w : QApplication::allWidgets())
    if (const int id = w->property("helpContext").toInt(); id > 1) ids.insert(id);
  for (QObject* o : window->findChildren<QObject*>())
    if (const int id = o->property("helpContext").toInt(); id > 1) ids.insert(id);
  // The prompts take the page of their command.
  for (int kind = 0; kind < kPromptKindCount; ++kind)
    if (const int id = ui::PromptHelpContext(kind)) ids.insert(id);
  // Nothing above is lost: the windows' pages and their controls' pop-ups.
  for (int id : {125000, 125001, 125002, 125003, 125006, 125008, 125009, 125010, 135000, 145000, 4002, 4003, 4004, 4005,
                 4006, 4007, 4008, 4009, 4010, 4011, 4012, 4013, 4014, 4015})
    EXPECT_TRUE(ids.count(id)) << id;

  const QString folder = ui::HelpFolder();
  QFile indexFile(folder + "/index.html");
  ASSERT_TRUE(indexFile.open(QIODevice::ReadOnly));
  const QString index = QString::fromUtf8(indexFile.readAll());
  const std::map<int, QString> popups = PopupTexts(folder);
  for (int id : ids) {
    // The rule, written here: the last four digits 5000 and above name a page.
    if (id % 10000 >= 5000) {
      EXPECT_TRUE(QFile::exists(folder + "/" + QString::number(id) + ".html")) << id;
    } else {
      const auto text = popups.find(id);
      EXPECT_TRUE(text != popups.end() && !text->second.isEmpty()) << id << " has no pop-up text";
    }
  }
  // Every page the program ships is reachable from the contents.
  for (const QString& shipped : QDir(folder).entryList({"*.html"}))
    EXPECT_TRUE(shipped == "index.html" || index.contains("href=\"" + shipped + "\"")) << qPrintable(shipped);
}

TEST_F(Help, TheOptionsDialogAnswersWithTheSettingsPopUpOrItsPage) {
  QStringList seen;  // in the order of the steps
  boxes.When("FOptions", [&](QWidget* dialog) {
    Activate(dialog);
    auto* controlCodes = dialog->findChild<QCheckBox*>("chb031");
    ClickToFocus(controlCodes);
    F1();
    seen << PopupText();
    // Shift+F1 and a click: the setting's pop-up, not toggled; the group
    // box's frame answered by the dialog's page.
    ClickToFocus(dialog->findChild<QCheckBox*>("chbAddExtension"));
    const bool before = controlCodes->isChecked();
    WhatsThisClick(controlCodes);
    seen << PopupText() << (controlCodes->isChecked() != before ? "toggled" : "kept");
    for (QGroupBox* group : dialog->findChildren<QGroupBox*>()) {
      if (group->title().remove('&') != "Other Options") continue;
      WhatsThisClick(group, QPoint(group->width() - 3, group->height() - 3));
      seen << PageShown();
    }
    // The buttons have no context of their own: the dialog's page answers,
    // above the modal dialog, and its links can be followed.
    ClickToFocus(dialog->findChild<QCheckBox*>("chbAddExtension"));
    QTest::keyClick(Focus(), Qt::Key_Tab);
    if (Focus() && Focus()->objectName() == "btnOK") {
      F1();
      seen << PageShown(false);
      ClickLink("Contents");
      seen << window->HelpViewer().CurrentPage();
    }
    QTest::mouseClick(dialog->findChild<QPushButton*>("btnCancel"), Qt::LeftButton);
  });
  ChooseFromMenu('v', "mnuView", "mnuOptions");
  ASSERT_TRUE(WaitUntil([&] { return boxes.Done(); }));
  EXPECT_EQ(seen, (QStringList{kControlCodesText, kControlCodesText, "kept", "125009.html", "125009.html", "index.html"}));
  // The dialog is gone, the page stays open: it blocks nothing now.
  ui::THelpViewer& viewer = window->HelpViewer();
  ASSERT_TRUE(WaitUntil([&] { return !test::VisibleWindow("FOptions"); }));
  EXPECT_TRUE(viewer.isVisible());
  EXPECT_FALSE(viewer.isModal());
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  viewer.close();
}

}  // namespace
}  // namespace bridgit
