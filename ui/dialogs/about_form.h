// TFAboutForm: the about box with the program's version, also shown briefly at
// start-up. TVersionLabel shows a prefix followed by the version text.
#pragma once

#include <QDialog>
#include <QLabel>

namespace bridgit::ui {

// "Version major.minor Build n", or "-.-.-.-" for a program without a version.
std::string VersionText();
std::string VersionText(int major, int minor, int build);

class TVersionLabel : public QLabel {
 public:
  explicit TVersionLabel(QWidget* parent);
  void SetPrefix(const QString& prefix);
};

class TFAboutForm : public QDialog {
 public:
  explicit TFAboutForm(QWidget* mainWindow);

 protected:
  void showEvent(QShowEvent* e) override;

 private:
  QWidget* main_;
  TVersionLabel* versionLabel;
};

}  // namespace bridgit::ui
