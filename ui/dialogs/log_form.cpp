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
  Memo1 = new QPlainTextEdit(this);
  Memo1->setObjectName("Memo1");
  Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
  Memo1->setContextMenuPolicy(Qt::CustomContextMenu);
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
  layout->addWidget(Memo1);
  layout->addLayout(buttons);
  SetHelpContext(this, kHelpLog);
  SetHelpContext(btnClear, kHelpClear);
  connect(btnClear, &QPushButton::clicked, [] { TLogBook::Instance().Clear(); });
  connect(btnOK, &QPushButton::clicked, this, &QWidget::hide);
  connect(Memo1, &QWidget::customContextMenuRequested, this, &TFLogForm::ShowMemoMenu);
  // Lines may come from any thread: queued to this window's thread, in order.
  connect(this, &TFLogForm::lineLogged, Memo1, &QPlainTextEdit::appendPlainText, Qt::QueuedConnection);
  connect(this, &TFLogForm::logCleared, Memo1, &QPlainTextEdit::clear, Qt::QueuedConnection);
  for (const std::string& line : TLogBook::Instance().Lines()) Memo1->appendPlainText(LogLine(line));
  listener_ = TLogBook::Instance().AddListener([this](const std::string& line) { emit lineLogged(LogLine(line)); },
                                               [this] { emit logCleared(); });
  if (settings) {
    WindowPosSave1 = std::make_unique<shell::TWindowPosSave>(this, settings, kSubKey);
    WindowPosSave1->Restore(false, true, true);
  }
}

TFLogForm::~TFLogForm() { TLogBook::Instance().RemoveListener(listener_); }

void TFLogForm::ShowMemoMenu(const QPoint& at) {
  QMenu menu(this);
  menu.setObjectName("PopupMenu1");
  QAction* selectAll = menu.addAction("Select All", QKeySequence("Ctrl+A"), Memo1, &QPlainTextEdit::selectAll);
  selectAll->setObjectName("SelectAll1");
  QAction* copy = menu.addAction("Copy", QKeySequence("Ctrl+C"), Memo1, &QPlainTextEdit::copy);
  copy->setObjectName("Copy1");
  copy->setEnabled(Memo1->textCursor().hasSelection());
  menu.exec(Memo1->viewport()->mapToGlobal(at));
}

// Closing with the main window keeps the geometry and whether it was open.
void TFLogForm::closeEvent(QCloseEvent* event) {
  if (WindowPosSave1 && parentWidget() && parentWidget()->objectName() == "FZQDir") WindowPosSave1->Save(false);
  QWidget::closeEvent(event);
}

}  // namespace bridgit::ui
