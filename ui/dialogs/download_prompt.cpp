#include "ui/dialogs/download_prompt.h"

#include <QFontMetrics>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include "host/prompt_texts.h"
#include "ui/dialogs/centre.h"

namespace bridgit::ui {

namespace {
// The dialog's design: client 263 x 236, buttons 75 x 25 at top 205.
constexpr int kWidth = 263, kHeight = 236, kMargin = 8;
constexpr int kButtonTop = 205, kButtonWidth = 75, kButtonHeight = 25;
constexpr int kOkLeft = 24, kCancelLeft = 168;
constexpr int kGroupHeight = 41;

QString FromText(std::string_view s) { return QString::fromLatin1(s.data(), static_cast<int>(s.size())); }
}  // namespace

TFDownLd::TFDownLd(QWidget* mainWindow, bool rpn) : TShowingDialog(mainWindow), main_(mainWindow), rpn_(rpn) {
  setObjectName("FDownLd");
  setWindowTitle(FromText(texts::kPromptCaption));
  setWindowFlags(Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint | Qt::CustomizeWindowHint);
  grpPrompt = new QGroupBox(FromText(texts::kPromptGroup), this);
  grpPrompt->setObjectName("grpPrompt");
  rbtnALG = new QRadioButton(FromText(texts::kPromptAlg), grpPrompt);
  rbtnALG->setObjectName("rbtnALG");
  rbtnRPN = new QRadioButton(FromText(texts::kPromptRpn), grpPrompt);
  rbtnRPN->setObjectName("rbtnRPN");
  auto* modes = new QHBoxLayout(grpPrompt);
  modes->setContentsMargins(8, 2, 8, 2);
  modes->addWidget(rbtnALG);
  modes->addWidget(rbtnRPN);
  instructionsText = new QPlainTextEdit(this);
  instructionsText->setObjectName("instructionsText");
  instructionsText->setReadOnly(true);
  instructionsText->setFrameShape(QFrame::NoFrame);
  instructionsText->setFocusPolicy(Qt::NoFocus);
  instructionsText->setLineWrapMode(QPlainTextEdit::NoWrap);
  instructionsText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  instructionsText->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  instructionsText->setBackgroundRole(QPalette::Window);
  instructionsText->viewport()->setAutoFillBackground(false);
  btnOK = new QPushButton(FromText(texts::kPromptOk), this);
  btnOK->setObjectName("btnOK");
  btnOK->setDefault(true);
  btnCancel = new QPushButton(tr("Cancel"), this);
  btnCancel->setObjectName("btnCancel");
  setFixedSize(kWidth, kHeight);
  grpPrompt->setGeometry(kMargin, kMargin, kWidth - 2 * kMargin, kGroupHeight);
  btnOK->setGeometry(kOkLeft, kButtonTop, kButtonWidth, kButtonHeight);
  btnCancel->setGeometry(kCancelLeft, kButtonTop, kButtonWidth, kButtonHeight);
  rbtnRPN->setChecked(rpn_);
  rbtnALG->setChecked(!rpn_);
  connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
  connect(btnCancel, &QPushButton::clicked, this, &TFDownLd::reject);
  connect(rbtnALG, &QRadioButton::clicked, this, [this] { rpn_ = false; SetPrompt(kind_); });
  connect(rbtnRPN, &QRadioButton::clicked, this, [this] { rpn_ = true; SetPrompt(kind_); });
}

void TFDownLd::SetPrompt(int kind) {
  const TPromptShape shape = ShapePrompt(kind, rpn_, question_, "");
  QString text = QString::fromLatin1(shape.text.c_str()).replace("\r\n", "\n");
  if (text.endsWith('\n')) text.chop(1);
  instructionsText->setPlainText(text);
  grpPrompt->setVisible(shape.modeChoice);
  // The text's own size decides the dialog's: lines + 1 rows of the font.
  const QFontMetrics fm(instructionsText->font());
  const QStringList lines = text.split('\n');
  int widest = 0;
  for (const QString& l : lines) widest = std::max(widest, fm.horizontalAdvance(l));
  const int memoHeight = (static_cast<int>(lines.size()) + 1) * (fm.height() + 1);
  const int width = std::max(kWidth, widest + 4 * kMargin);
  const int memoTop = shape.modeChoice ? kMargin + kGroupHeight + kMargin : kMargin;
  instructionsText->setGeometry(kMargin, memoTop, width - 2 * kMargin, memoHeight);
  // The buttons keep their distance m from the text and from the bottom edge.
  const int m = kHeight - (kButtonTop + kButtonHeight);
  const int height = 2 * m + memoTop + memoHeight + kButtonHeight;
  setFixedSize(width, height);
  grpPrompt->setGeometry(kMargin, kMargin, width - 2 * kMargin, kGroupHeight);
  const int buttonTop = height - m - kButtonHeight;
  btnCancel->move(width - (kWidth - kCancelLeft), buttonTop);
  btnOK->move(kOkLeft, buttonTop);
  rbtnALG->setChecked(!rpn_);
  rbtnRPN->setChecked(rpn_);
}

bool TFDownLd::ShowPrompt(int kind, const std::string& caption) {
  kind_ = kind;
  SetPrompt(kind);
  const TPromptShape shape = ShapePrompt(kind, rpn_, question_, caption);
  btnOK->setText(QString::fromStdString(shape.okCaption));
  setWindowTitle(QString::fromLatin1(shape.caption.c_str()));
  btnCancel->setVisible(shape.cancelVisible);
  if (shape.okCentred) btnOK->move((width() - btnOK->width()) / 2, btnOK->y());
  if (shape.modeless) {
    btnOK->hide();
    setModal(false);
    show();
    raise();
    return false;
  }
  btnOK->show();
  return exec() == QDialog::Accepted;
}

bool TFDownLd::ShowMessagePrompt(const std::string& text, const std::string& caption) {
  question_ = text;
  return ShowPrompt(kPromptQuestion, caption);
}

void TFDownLd::HidePrompt(int kind) {
  if (kind == kind_) hide();
}

void TFDownLd::showEvent(QShowEvent* e) {
  CentreOver(this, main_);
  TShowingDialog::showEvent(e);
  if (btnOK->isVisibleTo(this))
    btnOK->setFocus();
  else if (btnCancel->isVisibleTo(this))
    btnCancel->setFocus();
}

// Cancel hides the dialog; a modal prompt ends with the Cancel result.
void TFDownLd::reject() {
  if (!btnCancel->isVisibleTo(this)) return;  // kinds 2 and 5 only end with OK
  QDialog::reject();
}

}  // namespace bridgit::ui
