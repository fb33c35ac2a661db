// The dialogs around the main window, driven as a person would: the
// instruction prompt, options, properties, the two put questions, the progress
// dialog, the about box, window geometry, help and the pictures.

#include <algorithm>
#include <set>

#include "gui/gui_support.h"
#include "host/comm_status.h"
#include "host/prompt_texts.h"
#include "shell/window_pos_save.h"
#include "support/temp_dir.h"
#include "ui/dialogs/about_form.h"
#include "ui/dialogs/comm_status_dialog.h"
#include "ui/dialogs/download_prompt.h"
#include "ui/dialogs/property_dialog.h"
#include "ui/dialogs/question_dialogs.h"
#include "ui/main/hints.h"
#include "ui/main/image_list.h"
#include "ui/main/list_sort.h"
#include "ui/main/main_texts.h"

namespace bridgit {
namespace {

using test::TDialogDriver;

QString Text(std::string_view s) {
  QString q = QString::fromLatin1(s.data(), static_cast<int>(s.size())).replace("\r\n", "\n");
  if (q.endsWith('\n')) q.chop(1);
  return q;
}

TEST(PromptDialog, SwitchingTheEntryModeRewordsAndResizesTheOpenPrompt) {
  QWidget main;
  ui::TFDownLd prompt(&main, true);
  EXPECT_FALSE(prompt.ShowPrompt(kPromptDownload, ""));  // modeless: returns at once
  EXPECT_TRUE(prompt.isVisible());
  EXPECT_TRUE(prompt.Showing());
  auto* memo = prompt.findChild<QPlainTextEdit*>("instructionsText");
  EXPECT_EQ(memo->toPlainText(), Text(PromptText(kPromptDownload, true)));
  EXPECT_FALSE(prompt.findChild<QPushButton*>("btnOK")->isVisible());
  EXPECT_TRUE(prompt.findChild<QPushButton*>("btnCancel")->isVisible());
  const int rpnHeight = prompt.height();
  prompt.findChild<QRadioButton*>("rbtnALG")->click();
  EXPECT_FALSE(prompt.RPN());
  EXPECT_EQ(memo->toPlainText(), Text(PromptText(kPromptDownload, false)));
  EXPECT_GT(prompt.height(), rpnHeight);  // one more line of instructions
  // Cancel hides it: the waiting operation sees that.
  prompt.findChild<QPushButton*>("btnCancel")->click();
  EXPECT_FALSE(prompt.Showing());
}

TEST(PromptDialog, AfterTransferPromptsHaveOnlyACentredOk) {
  QWidget main;
  ui::TFDownLd prompt(&main, true);
  for (int kind : {kPromptServerSent, kPromptDownloaded}) {
    TDialogDriver driver;
    bool cancelShown = true;
    int okCentre = 0;
    QString text;
    driver.When("FDownLd", [&](QWidget* d) {
      cancelShown = d->findChild<QPushButton*>("btnCancel")->isVisible();
      okCentre = d->findChild<QPushButton*>("btnOK")->geometry().center().x();
      text = d->findChild<QPlainTextEdit*>("instructionsText")->toPlainText();
      // The mode switch changes nothing for a text shared by both modes.
      d->findChild<QRadioButton*>("rbtnALG")->click();
      EXPECT_EQ(d->findChild<QPlainTextEdit*>("instructionsText")->toPlainText(), text);
      test::Click(d, "btnOK");
    });
    EXPECT_TRUE(prompt.ShowPrompt(kind, ""));
    EXPECT_FALSE(cancelShown);
    EXPECT_NEAR(okCentre, prompt.width() / 2, 1);
    EXPECT_EQ(text, Text(PromptText(kind, true)));
  }
}

TEST(PromptDialog, HidesOnlyForItsOwnKindAndKeepsTheCaptionOfAQuestion) {
  QWidget main;
  ui::TFDownLd prompt(&main, true);
  prompt.ShowPrompt(kPromptCapture, "");
  prompt.HidePrompt(kPromptAnotherCapture);
  EXPECT_TRUE(prompt.isVisible());
  prompt.HidePrompt(kPromptCapture);
  EXPECT_FALSE(prompt.isVisible());

  TDialogDriver driver;
  QString caption;
  bool modeChoice = true;
  driver.When("FDownLd", [&](QWidget* d) {
    caption = d->windowTitle();
    modeChoice = d->findChild<QGroupBox*>("grpPrompt")->isVisible();
    test::Click(d, "btnOK");
  });
  EXPECT_TRUE(prompt.ShowMessagePrompt("Change the speed?", ""));
  EXPECT_EQ(caption, "Set the Calculator");
  EXPECT_FALSE(modeChoice);

  driver.When("FDownLd", [&](QWidget* d) { caption = d->windowTitle(); test::Click(d, "btnCancel"); });
  EXPECT_FALSE(prompt.ShowMessagePrompt("Erase?", "Erase Calculator?"));
  EXPECT_EQ(caption, "Erase Calculator?");

  QString okCaption;
  driver.When("FDownLd", [&](QWidget* d) {
    caption = d->windowTitle();
    okCaption = d->findChild<QPushButton*>("btnOK")->text();
    test::Click(d, "btnOK");
  });
  EXPECT_TRUE(prompt.ShowPrompt(kPromptRestored, ""));
  EXPECT_EQ(caption, "Wait for the Calculator");
  EXPECT_EQ(okCaption, "Connect");
}

TEST(ListSort, FoldersFirstNamesWithoutCaseSizesAsNumbers) {
  using ui::CompareEntries;
  const ui::TListEntry folder{"ZZZ", "Directory", "0", true};
  const ui::TListEntry var{"AAA", "Real", "11", false};
  for (int tag : {ui::kTagFiles, ui::kTagSize, ui::kTagType}) {
    EXPECT_LT(CompareEntries(folder, var, tag, false), 0);
    EXPECT_GT(CompareEntries(folder, var, tag, true), 0);  // descending: folders last
  }
  EXPECT_LT(ui::CompareFolded("abc", "ABD"), 0);
  EXPECT_LT(ui::CompareFolded("AB", "abc"), 0);
  EXPECT_EQ(ui::CompareFolded("abc", "ABC"), 0);
  EXPECT_GT(ui::CompareFolded("_", "Z"), 0);  // only letters fold
  const ui::TListEntry nine{"X", "Real", "9", false}, ten{"Y", "Real", "10", false};
  EXPECT_LT(CompareEntries(nine, ten, ui::kTagSize, false), 0);
  EXPECT_EQ(ui::EstimatedSeconds(6000, 9600, false), 7);
  EXPECT_EQ(ui::EstimatedSeconds(6000, 9600, true), 14);
}

TEST(SmallDialogs, PropertiesShowSizeAndCopyTime) {
  EXPECT_EQ(ui::PropertySizeText(1024), "1024 B");
  EXPECT_EQ(ui::PropertySizeText(1025), "1 KB");
  EXPECT_EQ(ui::PropertyTimeText(0), "0min : 2s");
  EXPECT_EQ(ui::PropertyTimeText(1), "0min : 2s");
  EXPECT_EQ(ui::PropertyTimeText(125), "2min : 5s");
  QWidget main;
  ui::TFProperty dialog(&main);
  TDialogDriver driver;
  int names = 0;
  QString size;
  driver.When("FProperty", [&](QWidget* d) {
    names = d->findChild<QListWidget*>("propertyList")->count();
    size = d->findChild<QLabel*>("Size")->text();
    test::Click(d, "closeButton");
  });
  dialog.ShowProperties("A\nB\nPROG\n", 3000, 10);
  EXPECT_EQ(names, 3);
  EXPECT_EQ(size, "2 KB");
}

TEST(SmallDialogs, ReplaceAndWrongFileQuestionsReturnTheChoice) {
  QWidget main;
  ui::TFReplaceFile replace(&main);
  TDialogDriver driver;
  bool allShown = true;
  QString text;
  driver.When("FReplaceFile", [&](QWidget* d) {
    allShown = d->findChild<QPushButton*>("btnAll")->isVisible();
    text = d->findChild<QPlainTextEdit*>("messageText")->toPlainText();
    test::Click(d, "btnNo");
  });
  EXPECT_EQ(replace.AskReplace("PROG", 1), kModalNo);
  EXPECT_FALSE(allShown);
  EXPECT_TRUE(text.contains("This folder already contains a file named PROG."));
  driver.When("FReplaceFile", [&](QWidget* d) {
    allShown = d->findChild<QPushButton*>("btnAll")->isVisible();
    const auto x = [&](const char* b) { return d->findChild<QPushButton*>(b)->geometry().x(); };
    EXPECT_GT(x("btnCancel"), std::max({x("btnYes"), x("btnNo"), x("btnAll")}));  // Cancel last
    test::Click(d, "btnAll");
  });
  EXPECT_EQ(replace.AskReplace("PROG", 2), kModalAll);
  EXPECT_TRUE(allShown);

  ui::TFBadFile bad(&main);
  driver.When("FBadFile", [&](QWidget* d) {
    text = d->findChild<QPlainTextEdit*>("messageText")->toPlainText();
    EXPECT_FALSE(d->findChild<QPushButton*>("btnYes")->isVisible());
    test::Click(d, "btnBinary");
  });
  EXPECT_EQ(bad.AskBadFile("x.bin", "Unknown", true), kModalBinary);
  EXPECT_TRUE(text.endsWith("How should this file be downloaded?"));
  driver.When("FBadFile", [&](QWidget* d) {
    EXPECT_FALSE(d->findChild<QPushButton*>("btnText")->isVisible());
    test::Click(d, "btnYes");
  });
  EXPECT_EQ(bad.AskBadFile("a.zq", "ZQ71", false), kModalOk);
  driver.When("FBadFile", [&](QWidget* d) { test::Click(d, "btnNo"); });
  EXPECT_EQ(bad.AskBadFile("a.zq", "ZQ71", false), kModalCancel);
}

TEST(SmallDialogs, TheProgressDialogCannotBeClosedWhileCancelIsDisabled) {
  QWidget main;
  ui::TFCmStatus status(&main);
  TDialogDriver driver;
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

TEST(SmallDialogs, TheVersionLabelShowsTheProgramsVersion) {
  EXPECT_EQ(ui::VersionText(-1, 0, 0), "-.-.-.-");
  EXPECT_EQ(ui::VersionText(1, 2, 3), "Version 1.2 Build 3");
  QWidget main;
  main.setWindowTitle("Confidential Test, Do not Copy.  Bridgit");
  ui::TFAboutForm about(&main);
  about.show();
  EXPECT_TRUE(about.findChild<QLabel*>("versionLabel")->text().startsWith("Confidential Test: Version "));
  EXPECT_EQ(about.windowTitle(), main.windowTitle());
}

TEST(WindowGeometry, SavedGeometryComesBackAndDialogsKeepTheirSize) {
  EXPECT_EQ(shell::ScaleToStored(240, 120), 192);
  EXPECT_EQ(shell::ScaleFromStored(192, 120), 240);
  test::TTempDir dir;
  QSettings settings(QString::fromStdString(dir / "w.conf"), QSettings::IniFormat);
  QWidget form;
  form.setGeometry(10, 20, 300, 200);
  shell::TWindowPosSave pos(&form, &settings, "Form");
  pos.Restore(false, true, true);  // never saved: design bounds and visibility
  EXPECT_EQ(form.geometry(), QRect(10, 20, 300, 200));
  EXPECT_FALSE(form.isVisible());
  form.show();
  form.setGeometry(30, 40, 350, 250);
  pos.Save(false);
  EXPECT_EQ(settings.value("Form/Visible").toString(), "1");
  QWidget again;
  shell::TWindowPosSave pos2(&again, &settings, "Form");
  pos2.Restore(false, true, true);
  EXPECT_EQ(again.geometry(), QRect(30, 40, 350, 250));
  EXPECT_TRUE(again.isVisible());
  // Forced hidden: it never reopens by itself.
  pos2.Save(true);
  EXPECT_EQ(settings.value("Form/Visible").toString(), "0");

  QWidget dialog;
  dialog.setFixedSize(120, 80);
  shell::TWindowPosSave pos3(&dialog, &settings, "Form");
  pos3.Restore(true, true, true);
  EXPECT_EQ(dialog.size(), QSize(120, 80));  // a fixed-size window keeps its size
  EXPECT_EQ(dialog.pos(), form.pos());  // the frame's corner, where it was
  // A place no screen shows any more: the window comes back onto a screen.
  settings.setValue("Form/Left", "-5000");
  pos3.Restore(true, true, true);
  EXPECT_TRUE(QGuiApplication::primaryScreen()->availableGeometry().contains(dialog.pos())) << dialog.pos().x();
}

// Hints of controls with a help page or pop-up are marked for the person.
TEST(Help, HintsAreMarked) {
  for (const auto& [hint, context, shown] : std::vector<std::tuple<const char*, int, const char*>>{
           {"Pick", 4001, "? Pick"}, {"Pick", 125001, "?* Pick"}, {"? Pick", 4001, "? Pick"}, {"Pick", 1, "Pick"}, {"", 4001, ""}})
    EXPECT_EQ(ui::DecoratedHint(hint, context), shown) << hint << " " << context;
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
