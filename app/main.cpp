// bridgit: the window. An optional first argument names the port to connect to
// once the window is up.
#include <QApplication>

#include "ui/main/main_texts.h"
#include "ui/main/main_window.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(bridgit::ui::kApplication);
  QApplication::setOrganizationName(bridgit::ui::kOrganisation);
  QStringList arguments = QApplication::arguments();
  arguments.removeFirst();
  bridgit::ui::TFZQDir window(nullptr, arguments);
  window.show();
  window.activateWindow();
  return app.exec();
}
