#include "ui/main/main_window.h"

#include <cerrno>
#include <string_view>

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>
#include <QThread>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>

#include "base/log.h"
#include "link/port_list.h"
#include "link/port_access.h"
#include "link/serial_device.h"
#include "session/texts.h"
#include "shell/file_source.h"
#include "shell/file_target.h"
#include "shell/window_pos_save.h"
#include "ui/dialogs/about_form.h"
#include "ui/dialogs/capture_window.h"
#include "ui/dialogs/comm_status_dialog.h"
#include "ui/dialogs/download_prompt.h"
#include "ui/dialogs/help_viewer.h"
#include "ui/dialogs/log_form.h"
#include "ui/dialogs/options_dialog.h"
#include "ui/dialogs/property_dialog.h"
#include "ui/dialogs/question_dialogs.h"
#include "ui/dialogs/working_dialogs.h"
#include "ui/main/hints.h"
#include "ui/main/image_list.h"
#include "ui/main/main_texts.h"
#include "ui/main/name_list.h"
#include "ui/main/port_box.h"

namespace bridgit::ui {

TFZQDir::TFZQDir(QSettings* settings, QStringList arguments, QWidget* parent)
    : QMainWindow(parent), arguments_(std::move(arguments)) {
  setObjectName("FZQDir");
  if (!settings) ownSettings_ = std::make_unique<QSettings>(kOrganisation, kApplication);
  settings_ = settings ? settings : ownSettings_.get();
  setWindowTitle(QString(kCaptionPrefix) + kApplication);
  resize(569, 362);
  setMinimumSize(400, 200);
  BuildToolBar();
  BuildViews();
  BuildStatusBar();
  BuildMenus();
  btnLog->setVisible(true);

  windowPosition = std::make_unique<shell::TWindowPosSave>(this, settings_, kWindowSubKey);
  windowPosition->Restore(false, true, true);

  server_ = std::make_unique<TXModemServer>(*this);
  server_->Channel().SetOnStatusChange([this](const std::string& text) { ShowStatus(text); });
  SetCalculatorFlags(kInitialFlags);

  home_.Name = "HOME";
  home_.Size = 0;
  home_.TypeIcon = kImageDirectory;
  home_.Server = server_.get();
  auto* root = new QTreeWidgetItem(folderTree, {kRootCaptionUnknown});
  root->setIcon(0, ImageIcon(kImageDirectory));
  root->setData(0, Qt::UserRole, QVariant::fromValue<void*>(&home_));

  ReloadPortList();
  loading_ = true;
  ReadSettings();
  loading_ = false;

  // The other forms, in the order they depend on each other: the prompt
  // dialog copies the RPN setting just read.
  FDownLd = new TFDownLd(this, RPNPrompts());
  FProperty = new TFProperty(this);
  FLogForm = new TFLogForm(settings_, this);
  FAboutForm = new TFAboutForm(this);
  FCmndStatus = new TFCmndStatus(this);
  FCnctStatus = new TFCnctStatus(this);
  FReplaceFile = new TFReplaceFile(this);
  FOptions = new TFOptions(this);
  FBadFile = new TFBadFile(this);
  FRplCmd = new TFRplCmd(this, settings_, *this, *this);

  BuildDragDrop();
  UpdateControls();
  focusedView_ = objectList;
  ShowSelectionFocus();
  DecorateHints(this);
  qApp->installEventFilter(this);
}

TFZQDir::~TFZQDir() {
  qApp->removeEventFilter(this);
  server_.reset();
}

void TFZQDir::BuildToolBar() {
  ToolBar = addToolBar("ToolBar");
  ToolBar->setObjectName("ToolBar");
  ToolBar->setMovable(false);
  ToolBar->setIconSize(QSize(16, 16));
  auto* label1 = new QLabel("  Connect &using:", this);
  label1->setObjectName("statusLabel");
  auto* portBox = new TPortBox(this);
  portBox->OnReload = [this] { ReloadPortList(); };
  cmboPort = portBox;
  cmboPort->setObjectName("cmboPort");
  cmboPort->setToolTip("Select a communications port");
  SetHelpContext(cmboPort, kHelpCommunications);
  // Editable, so that any serial device path can be typed in.
  cmboPort->setEditable(true);
  cmboPort->setInsertPolicy(QComboBox::NoInsert);
  cmboPort->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  cmboPort->setMinimumContentsLength(12);
  auto* lblSpeed = new QLabel(" &Speed:", this);
  lblSpeed->setObjectName("lblSpeed");
  cmboSpeed = new QComboBox(this);
  cmboSpeed->setObjectName("cmboSpeed");
  cmboSpeed->addItems(Speeds());
  cmboSpeed->setToolTip("Select a communications speed.  (ignored for USB)");
  SetHelpContext(cmboSpeed, kHelpSpeed);
  const auto toolButton = [this](const char* name, int image, const QString& hint) {
    auto* b = new QToolButton(this);
    b->setObjectName(name);
    b->setIcon(ImageIcon(image));
    b->setToolTip(hint);
    b->setAutoRaise(true);
    return b;
  };
  tbtnConnect = toolButton("tbtnConnect", kImageConnect, kHintQuickConnect);
  tbtnScrnCapture = toolButton("tbtnScrnCapture", kImageCapture, "Press to disconnect and start screen capture.");
  tbtnXferMode = toolButton("tbtnXferMode", kImageBinaryMode, kHintBinaryMode);
  tbtnConnect->setAccessibleName(kNameConnect);
  tbtnScrnCapture->setAccessibleName(kNameCapture);
  tbtnXferMode->setAccessibleName(kNameTextMode);
  // The labels name their boxes for a screen reader and give them Alt letters.
  label1->setBuddy(cmboPort);
  lblSpeed->setBuddy(cmboSpeed);
  cmboPort->lineEdit()->setAccessibleName(label1->text().remove('&').trimmed());
  btnLog = new QPushButton("&Log", this);
  btnLog->setObjectName("btnLog");
  btnLog->setToolTip("Show log window");
  for (QWidget* w : std::initializer_list<QWidget*>{label1, cmboPort, lblSpeed, cmboSpeed})
    ToolBar->addWidget(w);
  ToolBar->addSeparator();
  for (QWidget* w : std::initializer_list<QWidget*>{tbtnConnect, tbtnScrnCapture, tbtnXferMode})
    ToolBar->addWidget(w);
  ToolBar->addSeparator();
  ToolBar->addWidget(btnLog);

  connect(tbtnConnect, &QToolButton::clicked, this, &TFZQDir::tbtnConnectClick);
  connect(tbtnXferMode, &QToolButton::clicked, this, &TFZQDir::tbtnXferModeClick);
  connect(btnLog, &QPushButton::clicked, this, &TFZQDir::btnLogClick);
  connect(cmboPort, &QComboBox::currentTextChanged, this, &TFZQDir::cmboPortChange);
  connect(cmboSpeed, &QComboBox::currentTextChanged, this, &TFZQDir::cmboSpeedChange);
}

void TFZQDir::BuildViews() {
  paneSplitter = new QSplitter(this);
  paneSplitter->setObjectName("paneSplitter");
  paneSplitter->setHandleWidth(8);
  paneSplitter->setChildrenCollapsible(false);
  folderTree = new QTreeWidget(paneSplitter);
  folderTree->setObjectName("folderTree");
  folderTree->setHeaderHidden(true);
  folderTree->setIndentation(19);
  folderTree->setIconSize(QSize(16, 16));
  folderTree->setContextMenuPolicy(Qt::CustomContextMenu);
  SetHelpContext(folderTree, kHelpDirectory);
  folderTree->setAccessibleName(kNameFolders);
  objectList = new TNameList(paneSplitter);
  objectList->setObjectName("objectList");
  objectList->setRootIsDecorated(false);
  objectList->setSelectionMode(QAbstractItemView::ExtendedSelection);
  objectList->setHeaderLabels({"Files", "Type", "Size"});
  objectList->headerItem()->setTextAlignment(kColumnSize, Qt::AlignRight | Qt::AlignVCenter);  // over its numbers
  objectList->header()->setSectionsMovable(true);
  // The list sorts by its own rules, not the view's; a click on a header still
  // has to reach ListView1ColumnClick.
  objectList->header()->setSectionsClickable(true);
  connect(objectList->header(), &QHeaderView::sectionResized, this, [this](int column, int, int size) {
    // Icons and List stretch the names alone across the view: not a width to keep.
    if (size > 0 && column >= 0 && column < 3 && viewStyle_ == kStyleReport) columnWidths_[column] = size;
  });
  objectList->setIconSize(QSize(16, 16));
  objectList->setContextMenuPolicy(Qt::CustomContextMenu);
  SetHelpContext(objectList, kHelpDirectory);
  objectList->setAccessibleName(kNameObjects);
  paneSplitter->setStretchFactor(1, 1);
  paneSplitter->setSizes({153, 408});
  setCentralWidget(paneSplitter);

  // A right click selects what it points at before the pop-up menu opens.
  for (QTreeWidget* view : {folderTree, objectList}) {
    connect(view, &QWidget::customContextMenuRequested, this, [this, view](const QPoint& at) {
      if (QTreeWidgetItem* item = view->itemAt(at); item && view == folderTree) view->setCurrentItem(item);
      focusedView_ = view;
      ReadClipboardAndEnable();
      popupMenu->popup(view->viewport()->mapToGlobal(at));
    });
  }

  ConnectViews();

  refreshTimer = new QTimer(this);
  refreshTimer->setObjectName("refreshTimer");
  refreshTimer->setSingleShot(true);
  refreshTimer->setInterval(1);
  connect(refreshTimer, &QTimer::timeout, this, [this] { Guarded([this] { RefreshDirectory(); }); });
  tmrAbout = new QTimer(this);
  tmrAbout->setObjectName("tmrAbout");
  connect(tmrAbout, &QTimer::timeout, this, &TFZQDir::tmrAboutTimer);
}

void TFZQDir::BuildStatusBar() {
  QStatusBar* bar = statusBar();
  bar->setObjectName("StatusBar");
  bar->setToolTip("Last command");
  SetHelpContext(bar, kHelpStatusBar);
  statusMessage = new QLabel(this);
  statusMessage->setObjectName("statusMessage");
  statusMessage->setMinimumWidth(200);
  statusVersion = new QLabel(this);
  statusVersion->setObjectName("statusVersion");
  statusVersion->setMinimumWidth(50);
  bar->addWidget(statusMessage, 1);
  bar->addPermanentWidget(statusVersion);  // the version and free memory, always whole
}

void TFZQDir::closeEvent(QCloseEvent* event) {
  try {
    if (Connected()) server_->Quit();
    server_->Connect("");
  } catch (const std::exception& e) {
    Log(e.what());  // the settings are written all the same
  }
  WriteSettings();
  FRplCmd->close();
  FLogForm->close();
  if (FCapture) FCapture->close();
  if (helpViewer_) helpViewer_->close();
  windowPosition->Save(false);
  SetDropTargets(false);
  event->accept();
}

void TFZQDir::ShowError(const std::exception& e, const std::string& hint) {
  if (dynamic_cast<const TQuietStop*>(&e)) return;
  ShowBox(true, kApplication, QString::fromLatin1(e.what()), hint);
}

void TFZQDir::ShowBox(bool error, const std::string& caption, QString text, const std::string& hint) {
  text.replace("\r\n", "\n");
  if (!hint.empty()) {
    // A box needs neither the "hint: " lead nor the indentation that sets the
    // hint's lines apart on a terminal.
    QString advice = QString::fromStdString(hint)
                         .replace(QString::fromLatin1(texts::kHint.data(), texts::kHint.size()), "")
                         .replace("\n" + QString::fromLatin1(texts::kHintIndent.data(), texts::kHintIndent.size()), "\n");
    advice[0] = advice[0].toUpper();
    text += "\n\n" + advice;
  }
  QMessageBox box(error ? QMessageBox::Critical : QMessageBox::Information, QString::fromStdString(caption), text, QMessageBox::Ok, this);
  // A path is never broken over lines: the lines of an error or a hint are their own.
  if (auto* label = box.findChild<QLabel*>("qt_msgbox_label"); label && (error || !hint.empty())) label->setWordWrap(false);
  box.exec();
}

void TFZQDir::tbtnXferModeClick() {
  if (!Connected()) return;
  SetTextMode(!TextMode());
}

void TFZQDir::btnLogClick() {
  FLogForm->show();
  if (FLogForm->isMinimized() || FLogForm->isMaximized()) FLogForm->showNormal();
  FLogForm->raise();
  FLogForm->activateWindow();
}

void TFZQDir::mnuOptionsClick() { FOptions->ShowOptions(FileSettings()); }

void TFZQDir::mnuAboutClick() { FAboutForm->exec(); }

void TFZQDir::OnStatusText(const std::string& text) {
  statusMessage->setText(QString::fromLatin1(text.c_str()).replace("\r\n", " "));
}

void TFZQDir::OnBusyCursor(bool busy) {
  if (busy)
    QApplication::setOverrideCursor(Qt::WaitCursor);
  else
    QApplication::restoreOverrideCursor();
}

void TFZQDir::OnRootCaption(const std::string& caption) {
  if (QTreeWidgetItem* root = folderTree->topLevelItem(0)) root->setText(0, QString::fromStdString(caption));
}

// --- The host's dialogs.

bool TFZQDir::ShowMessagePrompt(const std::string& text, const std::string& caption) {
  const bool ok = FDownLd->ShowMessagePrompt(text, caption);
  UpdateControls();
  return ok;
}

bool TFZQDir::ShowPrompt(int kind, const std::string& caption) {
  const bool ok = FDownLd->ShowPrompt(kind, caption);
  UpdateControls();
  return ok;
}

void TFZQDir::HidePrompt(int kind) {
  FDownLd->HidePrompt(kind);
  UpdateControls();
}

bool TFZQDir::PromptVisible() const { return FDownLd->Showing(); }

void TFZQDir::Beep() { QApplication::beep(); }

bool TFZQDir::CommandStatusVisible() const { return FCmndStatus->Showing(); }
void TFZQDir::ShowCommandStatus() { FCmndStatus->ShowWorking(); }
void TFZQDir::CloseCommandStatus() { FCmndStatus->hide(); }
void TFZQDir::ResetCommandCancel() { FCmndStatus->ResetCancel(); }
bool TFZQDir::CommandCancelled() const { return FCmndStatus->Cancelled(); }

void TFZQDir::ShowConnectionStatus() {
  FCnctStatus->ShowLooking();
  UpdateControls();
}

bool TFZQDir::ConnectionStatusVisible() const { return FCnctStatus->Showing(); }

void TFZQDir::CloseConnectionStatus() {
  FCnctStatus->hide();
  UpdateControls();
}

void TFZQDir::DisableViews() {
  if (!restoreViewFocus_) restoreViewFocus_ = ViewHasFocus();
  folderTree->setEnabled(false);
  objectList->setEnabled(false);
}

std::unique_ptr<TCommStatusDialog> TFZQDir::CreateCommStatusDialog() { return std::make_unique<TFCmStatus>(this); }

TModalResult TFZQDir::AskReplace(const std::string& name, int count) { return FReplaceFile->AskReplace(name, count); }

TModalResult TFZQDir::AskBadFile(const std::string& name, const std::string& typeName, bool offer) {
  return FBadFile->AskBadFile(name, typeName, offer);
}

void TFZQDir::ShowMessage(const std::string& text, const std::string& caption) {
  std::string hint;
  if (capturing_) {
    const std::string speed = RequiredSpeed() != 0 ? std::to_string(RequiredSpeed()) : server_->Channel().Speed();
    hint = ExchangeHint(*capturing_, cmboPort->currentText().toStdString(), speed, {kHintSetSpeed, kHintListPorts});
  }
  ShowBox(false, caption, QString::fromLatin1(text.c_str()), hint);
}

void TFZQDir::ProcessMessages() {
  if (OnUiThread()) QCoreApplication::processEvents();
}

void TFZQDir::FocusMainWindow() {
  raise();
  activateWindow();
}

bool TFZQDir::OnUiThread() const { return QThread::currentThread() == thread(); }

void TFZQDir::RunOnUiThread(const std::function<void()>& step) {
  if (OnUiThread()) {
    step();
    return;
  }
  QMetaObject::invokeMethod(this, [&step] { step(); }, Qt::BlockingQueuedConnection);
}

void TFZQDir::ServeUntil(const std::function<bool()>& done) {
  while (!done()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QThread::msleep(1);
  }
}

}  // namespace bridgit::ui
