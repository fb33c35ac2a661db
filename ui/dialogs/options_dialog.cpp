#include "ui/dialogs/options_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "ui/dialogs/centre.h"
#include "ui/main/editor_command.h"
#include "ui/main/hints.h"
#include "ui/main/main_texts.h"

namespace bridgit::ui {

namespace {
#ifdef _WIN32
const char* const kEditorFilter = "Programs (*.exe)";
#else
const char* const kEditorFilter = "Programs (*)";
#endif

template <typename T>
T* Named(T* w, const char* name, const char* hint = nullptr) {
  w->setObjectName(name);
  if (hint) w->setToolTip(hint);
  return w;
}
}  // namespace

TFOptions::TFOptions(QWidget* mainWindow) : QDialog(mainWindow), main_(mainWindow) {
  setObjectName("FOptions");
  setWindowTitle("File Options");
  // No close button, only the help button (it needs the system menu).
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::CustomizeWindowHint | Qt::WindowSystemMenuHint |
                 Qt::WindowContextHelpButtonHint);
  auto* translate = new QGroupBox("&Translate Calculator Text Files", this);
  auto* translationGroup = Named(new QFrame(translate), "translationGroup");
  rbtnTrans1 = Named(new QRadioButton("&1: No Translation", translationGroup), "rbtnTrans1", "Do not translate ZQ characters");
  rbtnTrans2 = Named(new QRadioButton("&2: Translate Codes 128-159", translationGroup), "rbtnTrans2",
                     "Translate ZQ characters 128-159 to tri-graphs or \\nnn form");
  rbtnTrans3 = Named(new QRadioButton("&3: Translate Codes 128-255", translationGroup), "rbtnTrans3",
                     "Translate ZQ characters 128-255 to tri-graphs or \\nnn form");
  rbtnTrans3->setChecked(true);
  auto* radios = new QVBoxLayout(translationGroup);
  radios->setContentsMargins(0, 0, 0, 0);
  for (QRadioButton* r : {rbtnTrans1, rbtnTrans2, rbtnTrans3}) radios->addWidget(r);
  chb031 = Named(new QCheckBox("Translate Codes &0-31, 127 But Not LF (10)", translate), "chb031",
                 "Also translate codes 0 to 31, 127 to \\nnn form.  Line Feed (10) will not be translated.");
  chbAddCR = Named(new QCheckBox("Add C/&R to Line Feeds", translate), "chbAddCR", "Add a carraige return (x0D) after each line feed.");
  auto* t = new QVBoxLayout(translate);
  t->addWidget(translationGroup);
  t->addWidget(chb031);
  t->addWidget(chbAddCR);

  auto* editor = new QGroupBox("&Editor for Calculator Text Files", this);
  edtEditor = Named(new QLineEdit(editor), "edtEditor",
                    "Command line for text editor.  Use \" if there are spaces in file path.");
  auto* btnBrowseEditor = Named(new QPushButton("&Browse", editor), "btnBrowseEditor");
  edtEditor->setAccessibleName(editor->title().remove('&'));  // its only label is the box's title
  auto* e = new QHBoxLayout(editor);
  e->addWidget(edtEditor);
  e->addWidget(btnBrowseEditor);

  auto* other = new QGroupBox("Other O&ptions", this);
  chbAddExtension = Named(new QCheckBox("Add .zq E&xtension to File Names", other), "chbAddExtension", "Use .zq file extension for binary files");
  (new QVBoxLayout(other))->addWidget(chbAddExtension);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  // Their own Alt letters: not every desktop's texts for them have one.
  Named(buttons->button(QDialogButtonBox::Ok), "btnOK")->setText("&OK");
  Named(buttons->button(QDialogButtonBox::Cancel), "btnCancel")->setText("&Cancel");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(translate);
  layout->addWidget(editor);
  layout->addWidget(other);
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  // The dialog's page answers for the group boxes and the buttons; each
  // setting has a pop-up text (help/cshelp.txt).
  SetHelpContext(this, kHelpOptions);
  const std::pair<QWidget*, int> popups[] = {
      {rbtnTrans1, 4002}, {rbtnTrans2, 4003}, {rbtnTrans3, 4004},      {chb031, 4005},
      {chbAddCR, 4006},   {edtEditor, 4007},  {btnBrowseEditor, 4008}, {chbAddExtension, 4009}};
  for (const auto& [control, id] : popups) SetHelpContext(control, id);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(btnBrowseEditor, &QPushButton::clicked, this, &TFOptions::Browse);
}

int TFOptions::LevelOf(int option, bool addCR) {
  if (option == 1) return addCR ? 1 : 0;
  return option;
}

int TFOptions::ShowOptions(TFileSettings& s) {
  chbAddCR->setChecked(s.addCR);
  edtEditor->setText(QString::fromStdString(s.editor));
  chb031->setChecked(s.translateControl);
  chbAddExtension->setChecked(s.addExtension);
  // A level above 3 leaves the choice made before.
  if (s.translationLevel < 2) rbtnTrans1->setChecked(true);
  else if (s.translationLevel == 2) rbtnTrans2->setChecked(true);
  else if (s.translationLevel == 3) rbtnTrans3->setChecked(true);
  adjustSize();
  CentreOver(this, main_);
  const int result = exec();
  if (result == QDialog::Accepted) {
    s.addCR = chbAddCR->isChecked();
    s.editor = edtEditor->text().toStdString();
    s.translateControl = chb031->isChecked();
    s.addExtension = chbAddExtension->isChecked();
    const int option = rbtnTrans1->isChecked() ? 1 : rbtnTrans2->isChecked() ? 2 : 3;
    s.translationLevel = LevelOf(option, s.addCR);
  }
  return result;
}

// Opens where the present editor program is (the working folder when there is
// none); a picked program replaces the text, quoted when it holds spaces so
// that the command line gives it back whole.
void TFOptions::Browse() {
  const QStringList command = QProcess::splitCommand(edtEditor->text());
  const QString start = command.isEmpty() ? QDir::currentPath() : command.first();
  const QString file = QFileDialog::getOpenFileName(this, "Editor Program", start, kEditorFilter);
  if (!file.isEmpty()) edtEditor->setText(CommandWord(file));
}

}  // namespace bridgit::ui
