// TFOptions: "File Options", the file settings of the main window: how text
// copies are translated, CR before line feeds, the editor, the ".zq" extension.
// OK writes the settings back at once; the main window stores them at exit.
#pragma once

#include <QDialog>

#include "host/session_host.h"

class QCheckBox;
class QLineEdit;
class QRadioButton;

namespace bridgit::ui {

class TFOptions : public QDialog {
 public:
  explicit TFOptions(QWidget* mainWindow);
  // Loads the controls from `settings`, runs the dialog modally and, on OK,
  // writes the edits back. Returns the modal result.
  int ShowOptions(TFileSettings& settings);

  // The translation level a choice of the dialog stands for: option 1 is level
  // 1 with "Add C/R" and 0 without; options 2 and 3 are their own levels.
  static int LevelOf(int option, bool addCR);

 private:
  void Browse();
  QWidget* main_;
  QRadioButton* rbtnTrans1;
  QRadioButton* rbtnTrans2;
  QRadioButton* rbtnTrans3;
  QCheckBox* chb031;
  QCheckBox* chbAddCR;
  QLineEdit* edtEditor;
  QCheckBox* chbAddExtension;
};

}  // namespace bridgit::ui
