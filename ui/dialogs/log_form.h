// TFLogForm: the session log's window. It exists for the whole run, so that
// lines are collected from the first moment; hiding it never clears them.
#pragma once

#include <QWidget>
#include <memory>

class QPlainTextEdit;
class QSettings;

namespace bridgit::shell {
class TWindowPosSave;
}

namespace bridgit::ui {

class TFLogForm : public QWidget {
  Q_OBJECT
 public:
  // `settings`: where its geometry is kept ("LogForm"); none keeps nothing.
  explicit TFLogForm(QSettings* settings = nullptr, QWidget* parent = nullptr);
  ~TFLogForm() override;
  QPlainTextEdit* memo() const { return logText; }

 signals:
  void lineLogged(const QString& line);
  void logCleared();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void ShowMemoMenu(const QPoint& at);
  QPlainTextEdit* logText;
  std::unique_ptr<shell::TWindowPosSave> windowPosition;
  int listener_ = 0;
};

}  // namespace bridgit::ui
