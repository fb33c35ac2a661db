// TFLogForm: the session log's window. It exists for the whole run, so that
// lines are collected from the first moment; hiding it never clears them.
#pragma once

#include <QWidget>

class QPlainTextEdit;

namespace bridgit::ui {

class TFLogForm : public QWidget {
  Q_OBJECT
 public:
  explicit TFLogForm(QWidget* parent = nullptr);
  ~TFLogForm() override;
  QPlainTextEdit* memo() const { return Memo1; }

 signals:
  void lineLogged(const QString& line);
  void logCleared();

 private:
  QPlainTextEdit* Memo1;
  int listener_ = 0;
};

}  // namespace bridgit::ui
