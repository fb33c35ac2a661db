#include "ui/dialogs/log_form.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/log.h"
#include "shell/window_pos_save.h"
#include "ui/main/hints.h"
#include "ui/main/main_texts.h"

namespace bridgit::ui {

namespace {
const char* const kSubKey = "LogForm";
constexpr int kHelpClear = 4015;  // pop-up help of "Clear Log"
QString LogLine(const std::string& line) {
  return QString::fromLatin1(line.data(), static_cast<int>(line.size())).replace("\r\n", "\n");
}
}  // namespace

TFLogForm::TFLogForm(QSettings* settings, QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName("FLogForm");
  setWindowTitle("LogForm");
  setGeometry(701, 196, 329, 414);
  logText = new QPlainTextEdit(this);
  logText->setObjectName("logText");
  logText->setLineWrapMode(QPlainTextEdit::NoWrap);
  logText->setContextMenuPolicy(Qt::CustomContextMenu);
  auto* btnClear = new QPushButton("Clear Log", this);
  btnClear->setObjectName("btnClear");
  auto* btnOK = new QPushButton("OK", this);
  btnOK->setObjectName("btnOK");
  btnOK->setShortcut(Qt::Key_Escape);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(btnClear);
  buttons->addStretch();
  buttons->addWidget(btnOK);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(logText);
  layout->addLayout(buttons);
  SetHelpContext(this, kHelpLog);
  SetHelpContext(btnClear, kHelpClear);
  connect(btnClear, &QPushButton::clicked, [] { TLogBook::Instance().Clear(); });
  connect(btnOK, &QPushButton::clicked, this, &QWidget::hide);
  connect(logText, &QWidget::customContextMenuRequested, this, &TFLogForm::ShowMemoMenu);
  // Lines may come from any thread: queued to this window's thread, in order.
  connect(this, &TFLogForm::lineLogged, logText, &QPlainTextEdit::appendPlainText, Qt::QueuedConnection);
  connect(this, &TFLogForm::logCleared, logText, &QPlainTextEdit::clear, Qt::QueuedConnection);
  for (const std::string& line : TLogBook::Instance().Lines()) logText->appendPlainText(LogLine(line));
  listener_ = TLogBook::Instance().AddListener([this](const std::string& line) { emit lineLogged(LogLine(line)); },
                                               [this] { emit logCleared(); });
  if (settings) {
    windowPosition = std::make_unique<shell::TWindowPosSave>(this, settings, kSubKey);
    windowPosition->Restore(false, true, true);
  }
}

TFLogForm::~TFLogForm() { TLogBook::Instance().RemoveListener(listener_); }

void TFLogForm::ShowMemoMenu(const QPoint& at) {
  QMenu menu(this);
  menu.setObjectName("popupMenu");
  QAction* selectAll = menu.addAction("Select All", QKeySequence("Ctrl+A"), logText, &QPlainTextEdit::selectAll);
  selectAll->setObjectName("mnuSelectAll");
  QAction* copy = menu.addAction("Copy", QKeySequence("Ctrl+C"), logText, &QPlainTextEdit::copy);
  copy->setObjectName("mnuCopy");
  copy->setEnabled(logText->textCursor().hasSelection());
  menu.exec(logText->viewport()->mapToGlobal(at));
}

// Closing with the main window keeps the geometry and whether it was open.
void TFLogForm::closeEvent(QCloseEvent* event) {
  if (windowPosition && parentWidget() && parentWidget()->objectName() == "FZQDir") windowPosition->Save(false);
  QWidget::closeEvent(event);
}

}  // namespace bridgit::ui
