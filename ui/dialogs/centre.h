// Every dialog of the program opens centred over the main window.
#pragma once

#include <QWidget>

namespace bridgit::ui {

// left = main.left + (main.width - width) / 2, top likewise (integer division).
// A dialog without a parent window keeps its own position.
inline void CentreOver(QWidget* dialog, const QWidget* main) {
  if (!main) return;
  const QRect m = main->frameGeometry();
  const QRect d = dialog->frameGeometry();
  dialog->move(m.left() + (m.width() - d.width()) / 2, m.top() + (m.height() - d.height()) / 2);
}

}  // namespace bridgit::ui
