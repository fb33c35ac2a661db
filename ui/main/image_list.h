// The image list: the program's small pictures, drawn here so that they stay
// crisp at any scale. Index 0 to 7 are the tool bar's and the views', 8 an
// unknown object, and 9 to 44 one picture per object type (the object's
// TypeIcon; 34 is the directory).
#pragma once

#include <QIcon>
#include <QPixmap>

namespace bridgit::ui {

enum TImageIndex : int {
  kImageOpenFolder = 0,
  kImageDisconnect = 1,
  kImageConnect = 2,
  kImageTextMode = 3,
  kImageBinaryMode = 4,
  kImageCapture = 5,
  kImageSortUp = 6,
  kImageSortDown = 7,
  kImageUnknown = 8,
  kImageDirectory = 34,
};

inline constexpr int kImageCount = 45;

// One picture, `size` pixels square.
QPixmap DrawImage(int index, int size);
// The picture at 16, 24 and 32 pixels (out of range: the unknown object).
QIcon ImageIcon(int index);
// The about box's picture.
QPixmap ProductPicture(QSize size);

}  // namespace bridgit::ui
