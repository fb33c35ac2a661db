// The program's help: HTML pages in the help/ folder beside the program (or
// in the installed data folder), one page per help context id, plus
// cshelp.txt with the short pop-up texts.
#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

class QTextBrowser;

namespace bridgit::ui {

// Ids whose last four digits are 5000 or more name whole pages; smaller ones
// short pop-up texts.
constexpr bool IsHelpTopic(int id) { return id % 10000 >= 5000; }

// The folder of the help pages; empty when the program was shipped without.
QString HelpFolder();
// The pop-up text with this id in cshelp.txt (".topic N" followed by its text).
QString PopupHelpText(const QString& cshelp, int id);
// The same, read from the help folder's cshelp.txt; empty when there is none.
QString ReadPopupHelp(int id);

class THelpViewer : public QWidget {
 public:
  explicit THelpViewer(QWidget* parent);
  void ShowContents();
  // False when the page does not exist.
  bool ShowTopic(int id);
  QString CurrentPage() const;

 private:
  bool Open(const QString& page);
  void SetModal(bool modal);
  bool eventFilter(QObject* watched, QEvent* event) override;
  QTextBrowser* browser_;
  QPointer<QWidget> dialog_;  // the modal dialog the viewer was opened over
};

}  // namespace bridgit::ui
