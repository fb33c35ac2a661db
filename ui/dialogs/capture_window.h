// TFCapture: "Screen capture". Shows the last screen captured from the
// calculator, in a black frame with a light margin, enlarged by a whole zoom
// factor. Each new picture goes to the clipboard at once; it can be saved as
// JPEG, BMP or PNG. Frame, margin, zoom and the border switch are kept between runs.
#pragma once

#include <QMainWindow>
#include <memory>
#include <string>

#include "picture/screen_picture.h"

class QActionGroup;
class QLabel;
class QSettings;

namespace bridgit {
class TSessionHost;
}
namespace bridgit::shell {
class TWindowPosSave;
}

namespace bridgit::ui {

class TFCapture : public QMainWindow {
 public:
  TFCapture(QSettings* settings, TSessionHost& host, QWidget* parent = nullptr);
  ~TFCapture() override;

  // Takes a capture string over and shows it.
  void ShowCapture(const std::string& capture);
  // Rebuilds the picture with the present settings and adjusts the window.
  void RenderCapture();
  void CopyToClipboard();
  void FitWindow();
  // Writes the picture as shown (framed and zoomed), of the kind the name's
  // extension asks for. False, with the reason, for another name or a failed write.
  bool SaveTo(const std::string& path, std::string& why);

  // The picture as it is built, before the zoom.
  const TScreenPicture& Framed() const { return framed_; }
  int Zoom() const { return zoom_; }
  int Frame() const { return frame_; }
  int Space() const { return space_; }
  bool ShowBorder() const { return showBorder_; }
  QString StatusText() const;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void BuildMenus();
  void Build();
  void ApplySizeLimits();
  void SaveSettings();
  void SaveAs();
  // Where the save dialog opens: the last folder saved in, else the pictures folder, else home.
  QString SaveFolder() const;
  TSessionHost& host_;
  QSettings* settings_;
  std::unique_ptr<shell::TWindowPosSave> windowPosition;
  QLabel* screenPicture;
  QActionGroup* frames_ = nullptr;
  QActionGroup* spaces_ = nullptr;
  QActionGroup* zooms_ = nullptr;
  QAction* showBorderItem_ = nullptr;
  int frame_ = 2;
  int space_ = 1;
  int zoom_ = 2;
  bool showBorder_ = true;
  bool imageReady_ = false;
  bool fitPending_ = false;
  std::string capture_;
  TScreenPicture framed_;
};

}  // namespace bridgit::ui
