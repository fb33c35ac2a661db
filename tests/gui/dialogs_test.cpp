// The dialogs around the main window, driven as a person would: the
// instruction prompt, properties, the two put questions, the progress dialog
// and the about box; the window's pictures and its small rules.

#include <set>

#include "gui/gui_support.h"
#include "host/comm_status.h"
#include "host/prompt_texts.h"
#include "shell/file_target.h"
#include "ui/dialogs/about_form.h"
#include "ui/dialogs/comm_status_dialog.h"
#include "ui/dialogs/download_prompt.h"
#include "ui/dialogs/property_dialog.h"
#include "ui/dialogs/question_dialogs.h"
#include "ui/main/application.h"
#include "ui/main/hints.h"
#include "ui/main/image_list.h"
#include "ui/main/list_sort.h"
#include "ui/main/main_texts.h"
#include "ui/main/transfer_rules.h"

namespace bridgit {
namespace {

using test::TDialogDriver;

QString Text(std::string_view s) {
  QString q = QString::fromLatin1(s.data(), static_cast<int>(s.size())).replace("\r\n", "\n");
  if (q.endsWith('\n')) q.chop(1);
  return q;
}

// The prompt's buttons, caption and text as it comes up; it is answered with `button`.
struct TPromptSeen {
  QString caption, ok, text;
  bool cancel = true, modeChoice = true;
  int okCentre = 0;
};
void AnswerPrompt(TDialogDriver& driver, TPromptSeen& seen, const char* button) {
  driver.When("FDownLd", [&seen, button](QWidget* d) {
    seen = {d->windowTitle(), d->findChild<QPushButton*>("btnOK")->text(), d->findChild<QPlainTextEdit*>("instructionsText")->toPlainText(),
            d->findChild<QPushButton*>("btnCancel")->isVisible(), d->findChild<QGroupBox*>("grpPrompt")->isVisible(),
            d->findChild<QPushButton*>("btnOK")->geometry().center().x()};
    if (!seen.cancel) {  // nor does Esc end it
      QTest::keyClick(d, Qt::Key_Escape);
      EXPECT_TRUE(d->isVisible());
    }
    // The mode switch changes nothing for a text shared by both modes.
    QTest::mouseClick(d->findChild<QRadioButton*>("rbtnALG"), Qt::LeftButton);
    EXPECT_EQ(d->findChild<QPlainTextEdit*>("instructionsText")->toPlainText(), seen.text);
    test::Click(d, button);
  });
}

TEST(PromptDialog, RewordsForTheModeAndShowsOnlyTheButtonsOfItsKind) {
  QWidget main;
  ui::TFDownLd prompt(&main, true);
  EXPECT_FALSE(prompt.ShowPrompt(kPromptDownload, ""));  // modeless: returns at once
  EXPECT_TRUE(prompt.Showing());
  auto* memo = prompt.findChild<QPlainTextEdit*>("instructionsText");
  EXPECT_EQ(memo->toPlainText(), Text(PromptText(kPromptDownload, true)));
  EXPECT_FALSE(prompt.findChild<QPushButton*>("btnOK")->isVisible());
  const int rpnHeight = prompt.height();
  QTest::mouseClick(prompt.findChild<QRadioButton*>("rbtnALG"), Qt::LeftButton);
  EXPECT_FALSE(prompt.RPN());
  EXPECT_EQ(memo->toPlainText(), Text(PromptText(kPromptDownload, false)));
  EXPECT_GT(prompt.height(), rpnHeight);  // one more line of instructions
  prompt.HidePrompt(kPromptAnotherCapture);  // another kind's end leaves it up
  EXPECT_TRUE(prompt.isVisible());
  QTest::mouseClick(prompt.findChild<QPushButton*>("btnCancel"), Qt::LeftButton);
  EXPECT_FALSE(prompt.Showing());  // the waiting operation sees that

  TDialogDriver driver;
  TPromptSeen seen;
  for (int kind : {kPromptServerSent, kPromptDownloaded}) {  // after a transfer: only a centred OK
    AnswerPrompt(driver, seen, "btnOK");
    EXPECT_TRUE(prompt.ShowPrompt(kind, ""));
    EXPECT_FALSE(seen.cancel);
    EXPECT_NEAR(seen.okCentre, prompt.width() / 2, 1);
    EXPECT_EQ(seen.text, Text(PromptText(kind, false)));
  }
  AnswerPrompt(driver, seen, "btnOK");
  EXPECT_TRUE(prompt.ShowMessagePrompt("Change the speed?", ""));
  EXPECT_EQ(seen.caption, "Set the Calculator");
  EXPECT_FALSE(seen.modeChoice);
  AnswerPrompt(driver, seen, "btnOK");
  EXPECT_TRUE(prompt.ShowPrompt(kPromptRestored, ""));
  EXPECT_EQ(seen.caption, "Wait for the Calculator");
  EXPECT_EQ(seen.ok, "Connect");
}

// The window's small rules, each on literal cases.
TEST(WindowRules, SortingCopyTimesVersionsHintsBackupNamesAndDrops) {
  // Folders first and sizes as numbers are the sorting journey's checks.
  EXPECT_LT(ui::CompareFolded("abc", "ABD"), 0);
  EXPECT_LT(ui::CompareFolded("AB", "abc"), 0);
  EXPECT_EQ(ui::CompareFolded("abc", "ABC"), 0);
  EXPECT_GT(ui::CompareFolded("_", "Z"), 0);  // only letters fold
  EXPECT_EQ(ui::EstimatedSeconds(6000, 9600, false), 7);
  EXPECT_EQ(ui::EstimatedSeconds(6000, 9600, true), 14);
  for (const auto& [size, text] : std::vector<std::pair<int, const char*>>{{1024, "1024 B"}, {1025, "1 KB"}})
    EXPECT_EQ(ui::PropertySizeText(size), text);
  for (const auto& [seconds, text] : std::vector<std::pair<int, const char*>>{{0, "0min : 2s"}, {1, "0min : 2s"}, {125, "2min : 5s"}})
    EXPECT_EQ(ui::PropertyTimeText(seconds), text);
  EXPECT_EQ(ui::VersionText(-1, 0, 0), "-.-.-.-");
  EXPECT_EQ(ui::VersionText(1, 2, 3), "Version 1.2 Build 3");
  // The program's arguments: at most one port, no options.
  EXPECT_EQ(ui::ArgumentProblem({"--bogus"}), "unknown option --bogus");
  EXPECT_EQ(ui::ArgumentProblem({"/dev/ttyS0", "COM1"}), "one port at most, not /dev/ttyS0 COM1");
  EXPECT_EQ(ui::ArgumentProblem({"/dev/ttyS0"}), "");
  // Hints of controls with a help page or pop-up are marked for the person.
  for (const auto& [hint, context, shown] : std::vector<std::tuple<const char*, int, const char*>>{
           {"Pick", 4001, "? Pick"}, {"Pick", 125001, "?* Pick"}, {"? Pick", 4001, "? Pick"}, {"Pick", 1, "Pick"}, {"", 4001, ""}})
    EXPECT_EQ(ui::DecoratedHint(hint, context), shown) << hint << " " << context;
  EXPECT_EQ(ui::BackupFileName("73", QDate(2026, 12, 5)), "73_5-Dec-2026.zqbackup");
  EXPECT_EQ(ui::BackupFileName("71", QDate(2027, 1, 31)), "71_31-Jan-2027.zqbackup");
  for (const auto& [port, speed, capture] : std::vector<std::tuple<const char*, int, int>>{
           {"/dev/ttyS0", 19200, 115200}, {"COM1", 4800, 9600}, {"/dev/ttyUSB0", 9600, 0}, {"/dev/ttyUSB0", 115200, 0},
           {"ZQx3G+", 19200, 0}, {"Auto", 19200, 0}})
    EXPECT_EQ(ui::CaptureSpeed(port, speed), capture) << port << " at " << speed;
  // A drop scrolls near the edges where there is a scroll bar, and offers only a copy.
  using namespace shell;
  const QSize client(200, 100);
  EXPECT_EQ(ScrollEffect(true, {50, 3}, client, 5, false, true), kEffectCopy | kEffectScroll);
  EXPECT_EQ(ScrollEffect(true, {50, 50}, client, 5, false, true), kEffectCopy);
  EXPECT_EQ(ScrollEffect(true, {50, 97}, client, 5, false, false), kEffectCopy);  // no scroll bar
  EXPECT_EQ(ScrollEffect(true, {198, 50}, client, 5, true, false), kEffectCopy | kEffectScroll);
  EXPECT_EQ(ScrollEffect(false, {50, 50}, client, 5, true, true), kEffectNone);  // a move-only source
}

TEST(SmallDialogs, EachShowsWhatItIsGivenAndReturnsTheChoice) {
  QWidget main;
  ui::TFProperty properties(&main);
  TDialogDriver driver;
  QString seen;
  driver.When("FProperty", [&](QWidget* d) {
    seen = QString::number(d->findChild<QListWidget*>("propertyList")->count()) + " " + d->findChild<QLabel*>("Size")->text();
    test::Click(d, "closeButton");
  });
  properties.ShowProperties("A\nB\nPROG\n", 3000, 10);
  EXPECT_EQ(seen, "3 2 KB");
  // The about box's version label and caption follow the main window's title.
  main.setWindowTitle("Confidential Test, Do not Copy.  Bridgit");
  ui::TFAboutForm about(&main);
  about.show();
  EXPECT_TRUE(about.findChild<QLabel*>("versionLabel")->text().startsWith("Confidential Test: Version "));
  EXPECT_EQ(about.windowTitle(), main.windowTitle());

  // Each question returns the button pressed, and shows only the buttons of its case.
  ui::TFReplaceFile replace(&main);
  ui::TFBadFile bad(&main);
  QString shown;
  const auto answer = [&](const char* dialog, const char* button) {
    driver.When(dialog, [&shown, button](QWidget* d) {
      shown = d->findChild<QPlainTextEdit*>("messageText")->toPlainText() + "|";
      for (const QPushButton* b : d->findChildren<QPushButton*>())
        if (b->isVisible()) shown += " " + b->objectName();
      test::Click(d, button);
    });
  };
  answer("FReplaceFile", "btnNo");
  EXPECT_EQ(replace.AskReplace("PROG", 1), kModalNo);
  EXPECT_TRUE(shown.contains("This folder already contains a file named PROG."));
  EXPECT_TRUE(shown.endsWith("| btnYes btnCancel btnNo"));
  answer("FReplaceFile", "btnAll");
  EXPECT_EQ(replace.AskReplace("PROG", 2), kModalAll);
  EXPECT_TRUE(shown.endsWith("| btnYes btnCancel btnNo btnAll"));
  answer("FBadFile", "btnBinary");
  EXPECT_EQ(bad.AskBadFile("x.bin", "Unknown", true), kModalBinary);
  EXPECT_TRUE(shown.endsWith("How should this file be downloaded?| btnCancel btnText btnBinary"));
  answer("FBadFile", "btnYes");
  EXPECT_EQ(bad.AskBadFile("a.zq", "ZQ71", false), kModalOk);
  EXPECT_TRUE(shown.endsWith("| btnYes btnNo"));
  answer("FBadFile", "btnNo");
  EXPECT_EQ(bad.AskBadFile("a.zq", "ZQ71", false), kModalCancel);

  // The progress dialog cannot be closed while its Cancel is disabled.
  ui::TFCmStatus status(&main);
  bool enabled = true;
  bool stillUp = false;
  driver.When("FCmStatus", [&](QWidget* d) {
    status.UpdateCommStatus("0", 4, 0, 0);
    enabled = d->findChild<QPushButton*>("cancelButton")->isEnabled();
    static_cast<QDialog*>(d)->reject();  // Esc
    stillUp = d->isVisible();
    status.UpdateCommStatus("1", 4, 0, 0);
    status.UpdateCommStatus("Block 3\r\n", 2, 10, 3);
    EXPECT_EQ(d->findChild<QProgressBar*>("progressBar")->value(), 3);
    status.UpdateCommStatus("", 3, 0, 0);  // finished
  });
  EXPECT_EQ(status.ShowCommStatus("Copying", true), kModalOk);
  EXPECT_FALSE(enabled);
  EXPECT_TRUE(stillUp);
}

TEST(Pictures, EveryImageIsDrawnAndNoTwoAreAlike) {
  std::set<QByteArray> seen;
  for (int i = 0; i < ui::kImageCount; ++i) {
    const QImage image = ui::DrawImage(i, 16).toImage();
    ASSERT_EQ(image.size(), QSize(16, 16));
    int opaque = 0;
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) opaque += qAlpha(image.pixel(x, y)) > 0;
    EXPECT_GT(opaque, 20) << "image " << i << " is nearly empty";
    const QByteArray bytes(reinterpret_cast<const char*>(image.constBits()), static_cast<int>(image.sizeInBytes()));
    EXPECT_TRUE(seen.insert(bytes).second) << "image " << i << " looks like another";
  }
}

}  // namespace
}  // namespace bridgit
