#include "ui/dialogs/question_dialogs.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "host/comm_status.h"
#include "host/texts.h"
#include "ui/dialogs/centre.h"

namespace bridgit::ui {

namespace {

QPlainTextEdit* MessageMemo(QWidget* parent) {
  auto* m = new QPlainTextEdit(parent);
  m->setObjectName("messageText");
  m->setReadOnly(true);
  m->setFrameShape(QFrame::NoFrame);
  m->setFocusPolicy(Qt::NoFocus);
  m->setBackgroundRole(QPalette::Window);
  m->viewport()->setAutoFillBackground(false);
  m->setMinimumSize(320, 120);
  return m;
}

QPushButton* Button(const QString& caption, const char* name, QWidget* parent) {
  auto* b = new QPushButton(caption, parent);
  b->setObjectName(name);
  return b;
}

QString Text(const std::string& s) { return QString::fromLatin1(s.c_str()).replace("\r\n", "\n"); }

}  // namespace

TFReplaceFile::TFReplaceFile(QWidget* mainWindow) : QDialog(mainWindow), main_(mainWindow) {
  setObjectName("FReplaceFile");
  setWindowTitle(QString::fromLatin1(texts::kReplaceCaption.data(), static_cast<int>(texts::kReplaceCaption.size())));
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::CustomizeWindowHint);
  messageText = MessageMemo(this);
  auto* btnYes = Button(tr("&Yes"), "btnYes", this);
  auto* btnCancel = Button(tr("Cancel"), "btnCancel", this);
  auto* btnNo = Button(tr("&No"), "btnNo", this);
  btnAll = Button(tr("&All"), "btnAll", this);
  btnYes->setDefault(true);
  auto* row = new QHBoxLayout;
  // Cancel last, where a person looks for it.
  for (QPushButton* b : {btnYes, btnNo, btnAll, btnCancel}) row->addWidget(b);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(messageText);
  layout->addLayout(row);
  connect(btnYes, &QPushButton::clicked, this, [this] { done(kModalYes); });
  connect(btnNo, &QPushButton::clicked, this, [this] { done(kModalNo); });
  connect(btnAll, &QPushButton::clicked, this, [this] { done(kModalAll); });
  connect(btnCancel, &QPushButton::clicked, this, [this] { done(kModalCancel); });
}

TModalResult TFReplaceFile::AskReplace(const std::string& name, int count) {
  if (main_) {
    main_->raise();
    main_->activateWindow();
  }
  messageText->setPlainText(Text(texts::ReplaceQuestion(name)));
  btnAll->setVisible(count >= 2);
  adjustSize();
  CentreOver(this, main_);
  const int result = exec();
  return result == QDialog::Rejected ? kModalCancel : static_cast<TModalResult>(result);  // Esc or the close box
}

TFBadFile::TFBadFile(QWidget* mainWindow) : QDialog(mainWindow), main_(mainWindow) {
  setObjectName("FBadFile");
  setWindowTitle(QString::fromLatin1(texts::kBadFileCaption.data(), static_cast<int>(texts::kBadFileCaption.size())));
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::CustomizeWindowHint);
  messageText = MessageMemo(this);
  btnYes = Button(tr("&Yes"), "btnYes", this);
  btnNo = Button(tr("&No"), "btnNo", this);
  btnCancel = Button(tr("Cancel"), "btnCancel", this);
  btnText = Button("&Text", "btnText", this);
  btnBinary = Button("&Binary", "btnBinary", this);
  auto* row = new QHBoxLayout;
  for (QPushButton* b : {btnYes, btnNo, btnText, btnBinary, btnCancel}) row->addWidget(b);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(messageText);
  layout->addLayout(row);
  connect(btnYes, &QPushButton::clicked, this, [this] { done(kModalOk); });
  connect(btnNo, &QPushButton::clicked, this, [this] { done(kModalCancel); });
  connect(btnCancel, &QPushButton::clicked, this, [this] { done(kModalCancel); });
  connect(btnText, &QPushButton::clicked, this, [this] { choice_ = kModalText; done(kModalYes); });
  connect(btnBinary, &QPushButton::clicked, this, [this] { choice_ = kModalBinary; done(kModalYes); });
}

TModalResult TFBadFile::AskBadFile(const std::string& name, const std::string& typeName, bool offer) {
  QApplication::beep();
  choice_ = kModalNone;
  messageText->setPlainText(Text(texts::MismatchReport(name, typeName, offer)));
  btnBinary->setVisible(offer);
  btnText->setVisible(offer);
  btnCancel->setVisible(offer);
  btnYes->setVisible(!offer);
  btnNo->setVisible(!offer);
  btnYes->setDefault(!offer);
  adjustSize();
  CentreOver(this, main_);
  (offer ? btnCancel : btnNo)->setFocus();
  const int result = exec();
  if (result == kModalYes) return choice_;
  return result == kModalOk ? kModalOk : kModalCancel;
}

}  // namespace bridgit::ui
