// bridgit: the window. An optional first argument names the port to connect to
// at start-up.
#include <QApplication>
#include <QTimer>

#include "ui/main/main_window.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Bridgit");
  QApplication::setOrganizationName("Orrindale");
  bridgit::ui::TFZQDir window;
  window.show();
  if (argc > 1) {
    window.SetPort(QString::fromLocal8Bit(argv[1]));
    QTimer::singleShot(0, &window, [&window] { window.tbtnConnectClick(); });
  }
  return app.exec();
}
