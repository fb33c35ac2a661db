#include "ui/dialogs/capture_window.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QScrollArea>
#include <QSettings>
#include <QStandardPaths>
#include <QStatusBar>
#include <filesystem>

#include "base/files.h"
#include "host/prompt_kinds.h"
#include "host/session_host.h"
#include "shell/window_pos_save.h"
#include "ui/main/hints.h"
#include "ui/main/main_texts.h"

namespace bridgit::ui {

namespace {
const char* const kSubKey = "ScreenCapture";
constexpr int kHelpPicture = 4014;  // pop-up help of the picture
constexpr int kJpegQuality = 75;  // the library's default
const int kZooms[] = {1, 2, 3, 4, 8, 16};
const char* const kProcessing = "Processing Image";
const char* const kCopied = "Copied to clipboard";
const char* const kJpegFilter = "JPEG Files (*.jpg *.jpeg *.JPG *.JPEG)";
const char* const kBmpFilter = "Bitmaps (*.bmp *.BMP)";
const char* const kPngFilter = "PNG Files (*.png *.PNG)";
const char* const kSaveFolder = "SaveFolder";  // the folder a picture was last saved in

QImage ToImage(const TScreenPicture& p) {
  QImage image(p.width, p.height, QImage::Format_Mono);
  image.setColor(0, qRgb(255, 255, 255));
  image.setColor(1, qRgb(0, 0, 0));
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) image.setPixel(x, y, p.Dark(x, y) ? 1 : 0);
  return image;
}

}  // namespace

TFCapture::TFCapture(QSettings* settings, TSessionHost& host, QWidget* parent)
    : QMainWindow(parent, Qt::Window), host_(host), settings_(settings) {
  setObjectName("FCapture");
  setWindowTitle("Screen capture");
  setAttribute(Qt::WA_DeleteOnClose);
  setMinimumSize(100, 100);
  resize(355, 323);
  SetHelpContext(this, kHelpCaptureWindow);
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint | Qt::WindowContextHelpButtonHint);
  screenPicture = new QLabel;
  screenPicture->setObjectName("screenPicture");
  screenPicture->setToolTip("Captured Screen");
  SetHelpContext(screenPicture, kHelpPicture);
  screenPicture->setScaledContents(true);
  auto* scroll = new QScrollArea(this);
  scroll->setWidget(screenPicture);
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  setCentralWidget(scroll);
  statusBar()->setObjectName("sbCapture");

  // The stored values; out-of-range ones leave the defaults.
  const auto read = [this](const char* key, int fallback) {
    bool ok = false;
    const int v = settings_->value(QString(kSubKey) + "/" + key).toString().toInt(&ok);
    return ok ? v : fallback;
  };
  showBorder_ = read("BorderShow", 1) != 0;
  if (const int v = read("BorderSpace", space_); v >= 0 && v <= 9) space_ = v;
  if (const int v = read("BorderFrame", frame_); v >= 0 && v <= 9) frame_ = v;
  if (!settings_->contains(QString(kSubKey) + "/Zoom")) {
    zoom_ = 2;
    fitPending_ = true;
  } else {
    const int v = read("Zoom", 2);
    zoom_ = std::find(std::begin(kZooms), std::end(kZooms), v) != std::end(kZooms) ? v : 2;
  }
  BuildMenus();
  windowPosition = std::make_unique<shell::TWindowPosSave>(this, settings_, kSubKey);
  windowPosition->Restore(true, true, true);  // shown only with a picture
}

TFCapture::~TFCapture() = default;

void TFCapture::BuildMenus() {
  QMenu* file = menuBar()->addMenu("&File");
  QAction* saveAs = file->addAction("Save &As...", this, &TFCapture::SaveAs);
  saveAs->setObjectName("mnuSaveAs");
  QAction* close = file->addAction("Close", QKeySequence("Alt+F4"), this, &QWidget::close);
  close->setObjectName("mnuClose");
  close->setStatusTip("Close the capture window");
  QMenu* edit = menuBar()->addMenu("Edit");
  QAction* copy = edit->addAction("Copy", QKeySequence("Ctrl+C"), this, &TFCapture::CopyToClipboard);
  copy->setObjectName("mnuCopy");
  copy->setStatusTip("Copy image to clipboard");
  QMenu* view = menuBar()->addMenu("View");
  showBorderItem_ = view->addAction("Show Border");
  showBorderItem_->setObjectName("mnuShowBorder");
  showBorderItem_->setCheckable(true);
  showBorderItem_->setChecked(showBorder_);
  showBorderItem_->setStatusTip("Apply/remove the frame and space options");
  connect(showBorderItem_, &QAction::triggered, this, [this](bool on) {
    showBorder_ = on;
    RenderCapture();
  });
  const auto radio = [this](QMenu* menu, const char* prefix, const QString& caption, int value, int current, const char* hint,
                            QActionGroup* group, int* field) {
    QAction* a = menu->addAction(caption);
    a->setObjectName(QString(prefix) + QString::number(value));
    a->setCheckable(true);
    a->setChecked(value == current);
    a->setStatusTip(hint);
    group->addAction(a);
    connect(a, &QAction::triggered, this, [this, field, value] {
      *field = value;
      RenderCapture();
    });
  };
  QMenu* frame = view->addMenu("Frame");
  frames_ = new QActionGroup(this);
  for (int v = 0; v <= 9; ++v) radio(frame, "mnuFrame", QString::number(v), v, frame_, "Size of added black frame", frames_, &frame_);
  QMenu* space = view->addMenu("Add Space");
  spaces_ = new QActionGroup(this);
  for (int v = 0; v <= 9; ++v)
    radio(space, "mnuSpace", QString::number(v), v, space_, "White space between frame and screen capture", spaces_, &space_);
  view->addSeparator();
  QMenu* zoom = view->addMenu("&Zoom");
  zooms_ = new QActionGroup(this);
  for (int v : kZooms) radio(zoom, "mnuZoom", "x" + QString::number(v), v, zoom_, "Set size of the capture window", zooms_, &zoom_);
  QAction* fit = view->addAction("Fit &Window to Image", this, &TFCapture::FitWindow);
  fit->setObjectName("mnuFit");
  fit->setStatusTip("Adjust the window size to match the captured image");
}

QString TFCapture::StatusText() const { return statusBar()->currentMessage(); }

void TFCapture::ShowCapture(const std::string& capture) {
  statusBar()->showMessage(kProcessing);
  capture_ = capture;
  RenderCapture();
}

void TFCapture::RenderCapture() {
  const bool fitted = imageReady_ && size() == maximumSize();
  bool fit = fitted || fitPending_;
  fitPending_ = false;
  const QSize chrome = size() - screenPicture->size();
  Build();
  // Fitted only when the whole window stays on the screen.
  const QRect screen = this->screen() ? this->screen()->availableGeometry() : QRect(0, 0, 4096, 4096);
  if (x() + chrome.width() + screenPicture->width() > screen.right()) fit = false;
  if (fit && y() + chrome.height() + screenPicture->height() <= screen.bottom()) FitWindow();
  SaveSettings();
}

void TFCapture::Build() {
  imageReady_ = false;
  const int f = showBorder_ ? frame_ : 0;
  const int s = showBorder_ ? space_ : 0;
  framed_ = FramePicture(DecodeCapture(capture_), f, s);
  screenPicture->setPixmap(QPixmap::fromImage(ToImage(framed_)));
  screenPicture->setFixedSize(framed_.width * zoom_, framed_.height * zoom_);
  imageReady_ = true;
  ApplySizeLimits();
  CopyToClipboard();
  show();
}

// The window never grows beyond the picture and its bars.
void TFCapture::ApplySizeLimits() {
  if (!imageReady_) return;
  const int barHeights = menuBar()->sizeHint().height() + statusBar()->sizeHint().height();
  setMaximumSize(std::max(minimumWidth(), screenPicture->width()), std::max(minimumHeight(), screenPicture->height() + barHeights));
}

void TFCapture::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  ApplySizeLimits();
}

void TFCapture::FitWindow() { resize(maximumSize()); }

void TFCapture::CopyToClipboard() {
  QApplication::clipboard()->setImage(ToImage(framed_));
  statusBar()->showMessage(kCopied);
}

void TFCapture::SaveSettings() {
  windowPosition->Save(true);  // never reopens by itself
  const auto put = [this](const char* key, int v) { settings_->setValue(QString(kSubKey) + "/" + key, QString::number(v)); };
  put("BorderShow", showBorder_ ? 1 : 0);
  put("BorderSpace", space_);
  put("BorderFrame", frame_);
  put("Zoom", zoom_);
  settings_->sync();
}

bool TFCapture::SaveTo(const std::string& path, std::string& why) {
  why = PictureNameProblem(path);
  if (!why.empty()) return false;
  // What the window shows: the framed picture at its zoom.
  const std::string bytes = EncodePicture(framed_, path, zoom_, kJpegQuality);
  int error = 0;
  if (bytes.empty()) {
    why = "The picture cannot be encoded for " + path + ".";
  } else if (!WriteFileSafely(path, bytes, error)) {
    why = "Cannot write to file " + path + ErrorSuffix(error);
  }
  return why.empty();
}

QString TFCapture::SaveFolder() const {
  const QString last = settings_->value(QString(kSubKey) + "/" + kSaveFolder).toString();
  if (!last.isEmpty() && QFileInfo(last).isDir()) return last;
  const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
  if (!pictures.isEmpty() && QFileInfo(pictures).isDir()) return pictures;
  return QDir::homePath();
}

void TFCapture::SaveAs() {
  QFileDialog dialog(this, "Save Captured Screen", SaveFolder());
  dialog.setObjectName("saveDialog");
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setNameFilters({kJpegFilter, kBmpFilter, kPngFilter, "All Files (*)"});
  dialog.setDefaultSuffix("jpg");
  // The proposed extension follows the chosen filter.
  connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
    dialog.setDefaultSuffix(filter == kBmpFilter ? "bmp" : filter == kJpegFilter ? "jpg" : filter == kPngFilter ? "png" : "");
  });
  // A name the picture cannot be saved under is said at once, and the dialog comes back.
  std::string path, why;
  do {
    if (!why.empty()) QMessageBox::warning(this, windowTitle(), QString::fromStdString(why));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    path = dialog.selectedFiles().front().toStdString();
    why = PictureNameProblem(path);
  } while (!why.empty());
  settings_->setValue(QString(kSubKey) + "/" + kSaveFolder, QFileInfo(QString::fromStdString(path)).absolutePath());
  bool saved = false;
  {
    TBusyScope busy(host_);
    QCoreApplication::processEvents();
    saved = SaveTo(path, why);
  }
  if (!saved) QMessageBox::warning(this, windowTitle(), QString::fromStdString(why));
}

void TFCapture::closeEvent(QCloseEvent* event) {
  imageReady_ = false;
  SaveSettings();
  host_.HidePrompt(kPromptAnotherCapture);
  QMainWindow::closeEvent(event);
}

}  // namespace bridgit::ui
