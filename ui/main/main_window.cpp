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

  host_ = std::make_unique<TWindowHost>(*this, HostHooks());
  server_ = std::make_unique<TXModemServer>(*host_);
  server_->Channel().SetOnStatusChange([this](const std::string& text) { host_->ShowStatus(text); });
  host_->SetCalculatorFlags(TSessionHost::kInitialFlags);

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
  host_->CreateDialogs();
  FProperty = new TFProperty(this);
  FLogForm = new TFLogForm(settings_, this);
  FAboutForm = new TFAboutForm(this);
  FOptions = new TFOptions(this);
  services_ = std::make_unique<TCommandServices>(*server_, [this](const std::exception& e) { ShowError(e); });
  FRplCmd = new TFRplCmd(this, settings_, *host_, *services_);

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

TWindowHost::THooks TFZQDir::HostHooks() {
  TWindowHost::THooks hooks;
  hooks.updateControls = [this] { UpdateControls(); };
  hooks.statusText = [this](const QString& text) { statusMessage->setText(text); };
  hooks.rootCaption = [this](const QString& caption) {
    if (QTreeWidgetItem* root = folderTree->topLevelItem(0)) root->setText(0, caption);
  };
  hooks.disableViews = [this] { DisableViews(); };
  // While a screen is captured, a message from the session is most often a
  // calculator at another speed.
  hooks.messageHint = [this] {
    if (!capturing_) return std::string();
    const int required = host_->RequiredSpeed();
    const std::string speed = required != 0 ? std::to_string(required) : server_->Channel().Speed();
    return ExchangeHint(*capturing_, cmboPort->currentText().toStdString(), speed, {kHintSetSpeed, kHintListPorts});
  };
  return hooks;
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
  // The button disconnects first, so it is never tied to the menu item's
  // enabling (which the File menu sets off while connected).
  connect(tbtnScrnCapture, &QToolButton::clicked, this, [this] { Guarded([this] { mnuCaptureScreenClick(); }); });
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
  host_->ShowBox(true, kApplication, QString::fromLatin1(e.what()), hint);
}

void TFZQDir::tbtnXferModeClick() {
  if (!Connected()) return;
  host_->SetTextMode(!host_->TextMode());
}

void TFZQDir::btnLogClick() {
  FLogForm->show();
  if (FLogForm->isMinimized() || FLogForm->isMaximized()) FLogForm->showNormal();
  FLogForm->raise();
  FLogForm->activateWindow();
}

void TFZQDir::mnuOptionsClick() { FOptions->ShowOptions(host_->FileSettings()); }

void TFZQDir::mnuAboutClick() { FAboutForm->exec(); }

void TFZQDir::DisableViews() {
  if (!restoreViewFocus_) restoreViewFocus_ = ViewHasFocus();
  folderTree->setEnabled(false);
  objectList->setEnabled(false);
}

}  // namespace bridgit::ui
