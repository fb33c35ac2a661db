#include "ui/dialogs/log_form.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/log.h"

namespace bridgit::ui {

TFLogForm::TFLogForm(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName("TFLogForm");
  setWindowTitle("LogForm");
  setGeometry(701, 196, 329, 414);
  Memo1 = new QPlainTextEdit(this);
  Memo1->setObjectName("Memo1");
  Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
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
  connect(btnClear, &QPushButton::clicked, [] { TLogBook::Instance().Clear(); });
  connect(btnOK, &QPushButton::clicked, this, &QWidget::hide);
  // Lines may come from any thread: queued to this window's thread, in order.
  connect(this, &TFLogForm::lineLogged, Memo1, &QPlainTextEdit::appendPlainText, Qt::QueuedConnection);
  connect(this, &TFLogForm::logCleared, Memo1, &QPlainTextEdit::clear, Qt::QueuedConnection);
  for (const std::string& line : TLogBook::Instance().Lines()) Memo1->appendPlainText(QString::fromLatin1(line.c_str()));
  listener_ = TLogBook::Instance().AddListener(
      [this](const std::string& line) { emit lineLogged(QString::fromLatin1(line.data(), static_cast<int>(line.size()))); },
      [this] { emit logCleared(); });
}

TFLogForm::~TFLogForm() { TLogBook::Instance().RemoveListener(listener_); }

}  // namespace bridgit::ui
