#include "ui/main/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>
#include <QThread>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>

#include "link/comm_port.h"
#include "link/port_names.h"
#include "ui/dialogs/comm_status_dialog.h"
#include "ui/dialogs/log_form.h"

namespace bridgit::ui {

namespace {

const QStringList kSpeeds = {"4800", "9600", "14400", "19200", "38400", "57600", "115200"};
constexpr const char* kDefaultPort = "Auto";
constexpr const char* kDefaultSpeed = "115200";
constexpr const char* kFallbackSpeed = "9600";
constexpr const char* kCaption = "Confidential Test, Do not Copy.  Bridgit";

}  // namespace

TFZQDir::TFZQDir(QSettings* settings, QWidget* parent) : QMainWindow(parent) {
  setObjectName("FZQDir");
  if (!settings) ownSettings_ = std::make_unique<QSettings>("Orrindale", "Bridgit");
  settings_ = settings ? settings : ownSettings_.get();
  logForm_ = new TFLogForm(this);
  BuildControls();
  SetLinkHost(this);
  server_ = std::make_unique<TXModemServer>(*this);
  server_->OnStatusChange = [this](const std::string& text) { ShowStatus(text); };
  home_.Name = "HOME";
  home_.Server = server_.get();
  ReadSettings();
  UpdateControls();
}

TFZQDir::~TFZQDir() {
  server_.reset();
  SetLinkHost(nullptr);
}

void TFZQDir::BuildControls() {
  setWindowTitle(kCaption);
  resize(569, 362);
  setMinimumSize(400, 200);
  auto* toolBar = addToolBar("ToolBar");
  toolBar->setObjectName("ToolBar");
  toolBar->setMovable(false);
  auto* label1 = new QLabel("  Connect using:", this);
  label1->setObjectName("Label1");
  cmboPort = new QComboBox(this);
  cmboPort->setObjectName("cmboPort");
  cmboPort->setToolTip("Select a communications port");
  cmboPort->setEditable(true);
  cmboPort->setMinimumWidth(96);
  cmboPort->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  cmboPort->setMinimumContentsLength(10);
  auto* lblSpeed = new QLabel(" Speed:", this);
  lblSpeed->setObjectName("lblSpeed");
  cmboSpeed = new QComboBox(this);
  cmboSpeed->setObjectName("cmboSpeed");
  cmboSpeed->addItems(kSpeeds);
  cmboSpeed->setToolTip("Select a communications speed.  (ignored for USB)");
  tbtnConnect = new QToolButton(this);
  tbtnConnect->setObjectName("tbtnConnect");
  tbtnConnect->setText("Connect");
  tbtnConnect->setToolTip("Quick connect to the calculator.");
  tbtnXferMode = new QToolButton(this);
  tbtnXferMode->setObjectName("tbtnXferMode");
  tbtnXferMode->setToolTip("Binary transfer mode, press for text mode");
  btnLog = new QPushButton("Log", this);
  btnLog->setObjectName("btnLog");
  btnLog->setToolTip("Show log window");
  for (QWidget* w : std::initializer_list<QWidget*>{label1, cmboPort, lblSpeed, cmboSpeed, tbtnConnect, tbtnXferMode, btnLog})
    toolBar->addWidget(w);

  auto* splitter = new QSplitter(this);
  TreeView1 = new QTreeWidget(splitter);
  TreeView1->setObjectName("TreeView1");
  TreeView1->setHeaderHidden(true);
  TreeView1->setIndentation(19);
  ListView1 = new QTreeWidget(splitter);
  ListView1->setObjectName("ListView1");
  ListView1->setRootIsDecorated(false);
  ListView1->setSelectionMode(QAbstractItemView::ExtendedSelection);
  ListView1->setHeaderLabels({"Files", "Type", "Size"});
  ListView1->setSortingEnabled(false);
  splitter->setSizes({153, 416});
  setCentralWidget(splitter);

  statusPanel0 = new QLabel(this);
  statusPanel0->setObjectName("StatusPanel0");
  statusPanel0->setMinimumWidth(350);
  statusPanel1 = new QLabel(this);
  statusPanel1->setObjectName("StatusPanel1");
  statusBar()->setObjectName("StatusBar");
  statusBar()->addWidget(statusPanel0, 1);
  statusBar()->addWidget(statusPanel1);

  auto* root = new QTreeWidgetItem(TreeView1, {"HOME"});
  root->setData(0, Qt::UserRole, QVariant::fromValue<void*>(&home_));

  connect(tbtnConnect, &QToolButton::clicked, this, &TFZQDir::tbtnConnectClick);
  connect(tbtnXferMode, &QToolButton::clicked, this, &TFZQDir::tbtnXferModeClick);
  connect(btnLog, &QPushButton::clicked, this, &TFZQDir::btnLogClick);
  connect(TreeView1, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
    if (!item) return;
    auto* folder = static_cast<TXPObject*>(item->data(0, Qt::UserRole).value<void*>());
    if (!folder) return;
    CurrentPath = folder->FullPath();
    FillList(*folder);
  });
}

void TFZQDir::FillPorts() {
  const QString current = cmboPort->currentText();
  SetPortListSeparator("\n");
  std::string list;
  ListPorts(list);
  cmboPort->clear();
  for (const QString& p : QString::fromStdString(list).split('\n', Qt::SkipEmptyParts)) cmboPort->addItem(p);
  SetPort(current.isEmpty() ? kDefaultPort : current);
}

void TFZQDir::SetPort(const QString& port) {
  const int at = cmboPort->findText(port);
  if (at >= 0)
    cmboPort->setCurrentIndex(at);
  else
    cmboPort->setEditText(port);
}

void TFZQDir::ReadSettings() {
  FillPorts();
  SetPort(settings_->value("Port", kDefaultPort).toString());
  QString speed = settings_->value("Speed", kDefaultSpeed).toString();
  if (!kSpeeds.contains(speed)) speed = kFallbackSpeed;
  cmboSpeed->setCurrentText(speed);
  TFileSettings& f = FileSettings();
  const auto flag = [this](const char* key, bool def) { return settings_->value(key, def ? "1" : "0").toString() == "1"; };
  f.addExtension = flag("AddExtension", true);
  f.addCR = flag("AddCR", true);
  f.translateControl = flag("TRANS031", true);
  f.editor = settings_->value("Editor", "").toString().toStdString();
  f.translationLevel = std::clamp(settings_->value("TRANSIO", "3").toString().toInt(), 0, 3);
  if (f.translationLevel == 0 && f.addCR) f.translationLevel = 1;
  else if (f.translationLevel == 1 && !f.addCR) f.translationLevel = 0;
  SetRPNPrompts(flag("RPNPrompts", true));
}

void TFZQDir::WriteSettings() {
  const auto flag = [](bool v) { return QString(v ? "1" : "0"); };
  const TFileSettings& f = FileSettings();
  settings_->setValue("Port", cmboPort->currentText());
  settings_->setValue("Speed", QString::fromStdString(server_->Speed));
  settings_->setValue("AddExtension", flag(f.addExtension));
  settings_->setValue("AddCR", flag(f.addCR));
  settings_->setValue("TRANS031", flag(f.translateControl));
  settings_->setValue("Editor", QString::fromStdString(f.editor));
  settings_->setValue("TRANSIO", QString::number(f.translationLevel));
  settings_->setValue("RPNPrompts", flag(RPNPrompts()));
  settings_->sync();
}

void TFZQDir::closeEvent(QCloseEvent* event) {
  try {
    if (Connected()) server_->Quit();
    server_->Connect("");
  } catch (...) {
  }
  WriteSettings();
  logForm_->close();
  event->accept();
}

void TFZQDir::ShowError(const std::exception& e) {
  QMessageBox::critical(this, "Bridgit", QString::fromLatin1(e.what()).replace("\r\n", "\n"));
}

void TFZQDir::tbtnConnectClick() {
  if (Busy()) return Beep();
  SetBusy(true);
  try {
    home_.ClearChildren();
    server_->Speed = cmboSpeed->currentText().toStdString();
    server_->Connect(cmboPort->currentText().toStdString());
    CurrentPath = "HOME";
    RefreshDirectory();
    statusPanel1->setText(QString::fromStdString("Free Mem: " + server_->QueryFreeMemory()));
  } catch (const std::exception& e) {
    SetConnected(false);
    SetBusy(false);
    ShowError(e);
    return;
  }
  SetBusy(false);
}

void TFZQDir::RefreshDirectory() {
  server_->ListAll(home_);
  QTreeWidgetItem* root = TreeView1->topLevelItem(0);
  qDeleteAll(root->takeChildren());
  FillTree(root, home_);
  root->setExpanded(true);
  TreeView1->setCurrentItem(root);
  FillList(home_);
}

void TFZQDir::FillTree(QTreeWidgetItem* node, TXPObject& folder) {
  for (const auto& c : folder.Children) {
    if (!c->IsDirectory()) continue;
    auto* child = new QTreeWidgetItem(node, {QString::fromLatin1(c->Name.c_str())});
    child->setData(0, Qt::UserRole, QVariant::fromValue<void*>(c.get()));
    FillTree(child, *c);
  }
}

void TFZQDir::FillList(TXPObject& folder) {
  ListView1->clear();
  for (const auto& c : folder.Children)
    new QTreeWidgetItem(ListView1, {QString::fromLatin1(c->Name.c_str()), QString::fromStdString(c->IsDirectory() ? "Directory" : c->TypeName),
                                    c->IsDirectory() ? QString() : QString::number(c->Size)});
}

void TFZQDir::tbtnXferModeClick() {
  if (Busy()) return Beep();
  SetTextMode(!TextMode());
}

void TFZQDir::btnLogClick() {
  logForm_->show();
  logForm_->raise();
  logForm_->activateWindow();
}

void TFZQDir::UpdateControls() {
  if (!tbtnConnect) return;
  tbtnXferMode->setText(TextMode() ? "Text" : "Binary");
  tbtnXferMode->setToolTip(TextMode() ? "Text transfer mode, press for binary mode" : "Binary transfer mode, press for text mode");
  tbtnConnect->setEnabled(!Busy());
  TreeView1->setEnabled(!Busy());
  ListView1->setEnabled(!Busy());
  if (!Connected()) statusPanel1->clear();
}

void TFZQDir::OnStatusText(const std::string& text) { statusPanel0->setText(QString::fromLatin1(text.c_str()).replace("\r\n", " ")); }

void TFZQDir::OnBusyCursor(bool busy) {
  if (busy)
    QApplication::setOverrideCursor(Qt::WaitCursor);
  else
    QApplication::restoreOverrideCursor();
}

void TFZQDir::OnRootCaption(const std::string& caption) {
  if (QTreeWidgetItem* root = TreeView1->topLevelItem(0)) root->setText(0, QString::fromStdString(caption));
}

bool TFZQDir::ShowMessagePrompt(const std::string& text, const std::string& caption) {
  return QMessageBox::question(this, QString::fromStdString(caption.empty() ? "Set the Calculator" : caption),
                               QString::fromLatin1(text.c_str()).replace("\r\n", "\n")) == QMessageBox::Yes;
}

void TFZQDir::Beep() { QApplication::beep(); }

bool TFZQDir::ShowPrompt(int kind, const std::string& caption) {
  promptKind_ = kind;
  // The instruction texts of every kind come with the prompt dialog.
  if (kind == 1 || kind == 3 || kind == 4 || kind == 10) {
    promptVisible_ = true;
    return false;
  }
  return ShowMessagePrompt("Continue?", caption);
}

void TFZQDir::HidePrompt(int kind) {
  if (kind == promptKind_) promptVisible_ = false;
}

std::unique_ptr<TCommStatusDialog> TFZQDir::CreateCommStatusDialog() { return std::make_unique<TFCmStatus>(this); }

int TFZQDir::AskReplace(const std::string& name, int count) {
  const auto buttons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel | (count >= 2 ? QMessageBox::YesToAll : QMessageBox::NoButton);
  const auto answer = QMessageBox::question(this, "Confirm File Replace",
                                            QString::fromLatin1(("This folder already contains a file named " + name + ".\n\nWould you like to replace the existing file?").c_str()),
                                            buttons);
  return answer == QMessageBox::Yes ? kModalYes : answer == QMessageBox::No ? kModalNo : answer == QMessageBox::YesToAll ? kModalAll : kModalCancel;
}

int TFZQDir::AskBadFile(const std::string& name, const std::string& typeName, bool offer) {
  Beep();
  const QString text = QString::fromLatin1((name + "\n\nis a " + typeName + " file and does not match the calculator.").c_str());
  if (!offer) return QMessageBox::question(this, "Wrong File Type?", text + "\n\nDo you wish to continue?") == QMessageBox::Yes ? kModalOk : kModalCancel;
  QMessageBox box(QMessageBox::Question, "Wrong File Type?", text + "\n\nHow should this file be downloaded?", QMessageBox::Cancel, this);
  QPushButton* asText = box.addButton("&Text", QMessageBox::AcceptRole);
  QPushButton* asBinary = box.addButton("&Binary", QMessageBox::AcceptRole);
  box.exec();
  return box.clickedButton() == asText ? -1 : box.clickedButton() == asBinary ? -2 : kModalCancel;
}

void TFZQDir::ShowMessage(const std::string& text, const std::string& caption) {
  QMessageBox::information(this, QString::fromStdString(caption), QString::fromLatin1(text.c_str()).replace("\r\n", "\n"));
}

void TFZQDir::ProcessMessages() {
  if (OnUiThread()) QCoreApplication::processEvents();
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
