// bridgit: the window. An optional first argument names the port to connect to
// once the window is up.
#include <QApplication>
#include <cstdio>
#include <cstring>

#include "ui/main/application.h"
#include "ui/main/main_window.h"

int main(int argc, char** argv) {
  // Answered before Qt starts: they need no display.
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--version") == 0) {
      std::fputs(bridgit::ui::VersionReport().c_str(), stdout);
      return 0;
    }
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      std::fputs(bridgit::ui::UsageText().c_str(), stdout);
      return 0;
    }
  }
  QApplication app(argc, argv);
  bridgit::ui::SetUpApplication();
  QStringList arguments = QApplication::arguments();
  arguments.removeFirst();
  // Qt has taken its own options by now; what is left is at most one port.
  if (const QString problem = bridgit::ui::ArgumentProblem(arguments); !problem.isEmpty()) {
    std::fprintf(stderr, "bridgit: %s\n%s", problem.toLocal8Bit().constData(), bridgit::ui::UsageText().c_str());
    return 2;
  }
  bridgit::ui::TFZQDir window(nullptr, arguments);
  window.show();
  window.activateWindow();
  return app.exec();
}
