#include "ui/dialogs/command_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QVBoxLayout>

#include "host/session_host.h"
#include "session/texts.h"
#include "shell/window_pos_save.h"
#include "ui/main/hints.h"
#include "ui/main/main_texts.h"

namespace bridgit::ui {

namespace {
const char* const kSubKey = "RplCmd";
const char* const kAutoStack = "AutoStack";
// Pop-up help of the buttons; the window's page answers for the rest.
constexpr int kHelpSend = 4010;
constexpr int kHelpAutoUpdate = 4011;
constexpr int kHelpUpdateStack = 4012;
constexpr int kHelpClose = 4013;
constexpr int kPasteLimit = 99;  // characters taken from the clipboard at most
const char* const kWarning =
    "\n                      - -  WARNING  - -\n\n"
    "Some commands can disconnect the calculator or change\n"
    "the directory structure.  Be very careful!\n\n"
    "Pressing F5 can be used to refresh the main file window.\n\n"
    "Pressing ENTER, by itself, in the Command Box will\n"
    "update the stack.";
}  // namespace

TFRplCmd::TFRplCmd(QWidget* mainWindow, QSettings* settings, TSessionHost& host, TCalculatorServices& services)
    : QWidget(mainWindow, Qt::Window), host_(host), services_(services), settings_(settings) {
  setObjectName("FRplCmd");
  setWindowTitle("Calculator Commands");
  setGeometry(383, 124, 293, 286);
  setMinimumSize(271, 270);
  historyText = new QPlainTextEdit(this);
  historyText->setObjectName("historyText");
  historyText->setReadOnly(true);
  // The warning is wrapped to the window; the stack picture is not.
  historyText->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  historyText->setToolTip("History of commands.  Right click for menu.");
  historyText->setContextMenuPolicy(Qt::CustomContextMenu);
  lblError = new QLabel(this);
  lblError->setObjectName("lblError");
  lblError->setWordWrap(true);
  lblError->setTextInteractionFlags(Qt::TextSelectableByMouse);
  lblError->hide();
  auto* commandPanel = new QWidget(this);
  commandPanel->setObjectName("commandPanel");
  auto* lblCmd = new QLabel("Command:", commandPanel);
  lblCmd->setObjectName("lblCmd");
  cmboCmd = new QComboBox(commandPanel);
  cmboCmd->setObjectName("cmboCmd");
  cmboCmd->setEditable(true);
  cmboCmd->setInsertPolicy(QComboBox::NoInsert);
  cmboCmd->setToolTip("Type RPN command, press ENTER");
  cmboCmd->lineEdit()->setContextMenuPolicy(Qt::CustomContextMenu);
  btnSend = new QPushButton("Send", commandPanel);
  btnSend->setObjectName("btnSend");
  btnSend->setToolTip("Send the command to the calculator");
  chbAutoUpdate = new QCheckBox("Automatically Update Stack Picture", commandPanel);
  chbAutoUpdate->setObjectName("chbAutoUpdate");
  chbAutoUpdate->setToolTip("Refresh stack after every command");
  btnStack = new QPushButton("Update Stack", commandPanel);
  btnStack->setObjectName("btnStack");
  btnStack->setToolTip("Refresh the stack data");
  auto* btnOK = new QPushButton("Close", commandPanel);
  btnOK->setObjectName("btnOK");
  btnOK->setShortcut(Qt::Key_Escape);
  auto* commandRow = new QHBoxLayout;
  commandRow->addWidget(lblCmd);
  commandRow->addWidget(cmboCmd, 1);
  commandRow->addWidget(btnSend);
  auto* buttonRow = new QHBoxLayout;
  buttonRow->addWidget(btnStack);
  buttonRow->addStretch();
  buttonRow->addWidget(btnOK);
  auto* panel = new QVBoxLayout(commandPanel);
  panel->setContentsMargins(0, 0, 0, 0);
  panel->addLayout(commandRow);
  panel->addWidget(chbAutoUpdate);
  panel->addLayout(buttonRow);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(historyText, 1);
  layout->addWidget(lblError);
  layout->addWidget(commandPanel);

  SetHelpContext(this, kHelpCommandWindow);
  SetHelpContext(btnSend, kHelpSend);
  SetHelpContext(chbAutoUpdate, kHelpAutoUpdate);
  SetHelpContext(btnStack, kHelpUpdateStack);
  SetHelpContext(btnOK, kHelpClose);
  // Windows draws the help button only when there is no minimise or maximise
  // button; Shift+F1 enters What's This mode everywhere.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint | Qt::WindowContextHelpButtonHint);
  connect(btnSend, &QPushButton::clicked, this, &TFRplCmd::Send);
  connect(btnStack, &QPushButton::clicked, this, &TFRplCmd::btnStackClick);
  connect(btnOK, &QPushButton::clicked, this, &QWidget::close);
  connect(historyText, &QWidget::customContextMenuRequested, this, &TFRplCmd::ShowMemoMenu);
  connect(cmboCmd->lineEdit(), &QWidget::customContextMenuRequested, this, &TFRplCmd::ShowCommandMenu);
  // Typed keys reach the box itself, which hands them to its line without
  // the line's own filters: both are watched.
  cmboCmd->installEventFilter(this);
  cmboCmd->lineEdit()->installEventFilter(this);

  windowPosition = std::make_unique<shell::TWindowPosSave>(this, settings_, kSubKey);
  windowPosition->Restore(false, true, true);
  chbAutoUpdate->setChecked(settings_->value(QString(kSubKey) + "/" + kAutoStack, "1").toString() != "0");
  historyText->setPlainText(kWarning);
  SetControlState(false, false);
}

TFRplCmd::~TFRplCmd() = default;

bool TFRplCmd::AutoUpdate() const { return chbAutoUpdate->isChecked(); }

void TFRplCmd::SetControlState(bool connected, bool busy) {
  const bool on = connected && !busy;
  for (QWidget* w : std::initializer_list<QWidget*>{btnStack, btnSend, cmboCmd}) w->setEnabled(on);
}

bool TFRplCmd::Ready() const { return host_.Connected() && !host_.Busy(); }

void TFRplCmd::Send() {
  if (!Ready()) return host_.Beep();
  const QString text = cmboCmd->currentText();
  try {
    TBusyScope busy(host_);
    if (!text.isEmpty()) {
      ShowError("");
      std::vector<std::string> stack;
      const std::string error = services_.RunCommand(text.toStdString(), AutoUpdate() ? &stack : nullptr);
      RecordHistory(text);
      if (AutoUpdate()) ShowStack(stack);
      ShowError(error);
    } else {
      UpdateStack();
    }
  } catch (const std::exception& e) {
    services_.ReportError(e);
  }
  // The busy spell's dialogs belong to the main window, which the desktop
  // activates when they close: the person goes on typing here.
  if (isVisible()) {
    raise();
    activateWindow();
  }
  cmboCmd->setFocus();
}

void TFRplCmd::ShowError(const std::string& error) {
  lblError->setText(error.empty() ? QString() : QString::fromLatin1((std::string(bridgit::texts::kCalculatorError) + error).c_str()));
  lblError->setVisible(!error.empty());
}

void TFRplCmd::RecordHistory(const QString& text) {
  const int old = cmboCmd->findText(text, Qt::MatchFixedString);  // whole text, letter case aside
  if (old >= 0) cmboCmd->removeItem(old);
  cmboCmd->insertItem(0, text);
  cmboCmd->setCurrentIndex(-1);
  cmboCmd->clearEditText();
}

void TFRplCmd::UpdateStack() { ShowStack(services_.ReadStack()); }

void TFRplCmd::ShowStack(const std::vector<std::string>& lines) {
  QString text;
  for (const std::string& line : lines) text += QString::fromLatin1(line.c_str()) + "\n";
  if (text.endsWith('\n')) text.chop(1);
  historyText->setLineWrapMode(QPlainTextEdit::NoWrap);
  historyText->setPlainText(text);
}

void TFRplCmd::btnStackClick() {
  if (!Ready()) return host_.Beep();
  try {
    TBusyScope busy(host_);
    UpdateStack();
  } catch (const std::exception& e) {
    services_.ReportError(e);
  }
  btnStack->setFocus();
}

// Enter sends; while the calculator cannot take a command every key is refused.
bool TFRplCmd::eventFilter(QObject* watched, QEvent* event) {
  if ((watched == cmboCmd || watched == cmboCmd->lineEdit()) && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (!Ready()) {
      host_.Beep();
      return true;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      Send();
      return true;
    }
    // Ctrl+V and Shift+Insert take no more than the context menu's paste does.
    if (static_cast<QKeyEvent*>(event)->matches(QKeySequence::Paste)) {
      PasteLimited();
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void TFRplCmd::PasteLimited() { cmboCmd->lineEdit()->insert(QApplication::clipboard()->text().left(kPasteLimit)); }

void TFRplCmd::ShowCommandMenu(const QPoint& at) {
  QLineEdit* edit = cmboCmd->lineEdit();
  QMenu menu(this);
  menu.setObjectName("commandPopupMenu");
  menu.addAction("Select All", QKeySequence("Ctrl+A"), edit, &QLineEdit::selectAll)->setObjectName("mnuCommandSelectAll");
  menu.addAction("Cut", QKeySequence("Ctrl+X"), edit, &QLineEdit::cut)->setObjectName("mnuCommandCut");
  menu.addAction("Copy", QKeySequence("Ctrl+C"), edit, &QLineEdit::copy)->setObjectName("mnuCommandCopy");
  menu.addAction("Paste", QKeySequence("Ctrl+V"), this, &TFRplCmd::PasteLimited)->setObjectName("mnuCommandPaste");
  menu.exec(edit->mapToGlobal(at));
}

void TFRplCmd::ShowMemoMenu(const QPoint& at) {
  QMenu menu(this);
  menu.setObjectName("popupMenu");
  menu.addAction("Select All", QKeySequence("Ctrl+A"), historyText, &QPlainTextEdit::selectAll)->setObjectName("mnuSelectAll");
  menu.addAction("Copy", QKeySequence("Ctrl+C"), historyText, &QPlainTextEdit::copy)->setObjectName("mnuCopy");
  menu.exec(historyText->viewport()->mapToGlobal(at));
}

// Closing hides the window; its place and the check box are kept.
void TFRplCmd::closeEvent(QCloseEvent* event) {
  windowPosition->Save(false);
  settings_->setValue(QString(kSubKey) + "/" + kAutoStack, chbAutoUpdate->isChecked() ? "1" : "0");
  settings_->sync();
  QWidget::closeEvent(event);
}

}  // namespace bridgit::ui
