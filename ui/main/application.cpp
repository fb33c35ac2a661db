#include "ui/main/application.h"

#include <QApplication>
#include <QDirIterator>
#include <QIcon>

#include "base/files.h"
#include "ui/dialogs/help_viewer.h"
#include "ui/main/main_texts.h"

#ifndef BRIDGIT_VERSION_STRING
#define BRIDGIT_VERSION_STRING "0.0.0"
#endif

namespace bridgit::ui {

namespace {

// The icon's sizes, built into the program: the window needs no installed file.
QIcon ProgramIcon() {
  QIcon icon;
  QDirIterator sizes(":/icons", {"*.png"}, QDir::Files, QDirIterator::Subdirectories);
  while (sizes.hasNext()) icon.addFile(sizes.next());
  // The desktop's own theme wins when it has the installed icon.
  return QIcon::fromTheme(kDesktopId, icon);
}

std::string Found(const std::string& path) { return path.empty() ? "not found" : path; }

}  // namespace

void SetUpApplication() {
  QApplication::setApplicationName(kApplication);
  QApplication::setOrganizationName(kOrganisation);
  QApplication::setApplicationVersion(BRIDGIT_VERSION_STRING);
  QGuiApplication::setDesktopFileName(kDesktopId);
  QApplication::setWindowIcon(ProgramIcon());
}

std::string VersionReport() {
  const std::string archive = FindShippedFile("Arch73.zq");
  return std::string(kApplication) + " " + BRIDGIT_VERSION_STRING + "\n" +
         "Help pages: " + Found(HelpFolder().toStdString()) + "\n" +
         "Calculator files: " + Found(archive.empty() ? "" : archive.substr(0, archive.rfind('/'))) + "\n";
}

std::string UsageText() {
  return "Usage: bridgit [PORT]\n"
         "Browse, copy, back up and capture a ZQ71G(X), ZQ73G, ZQ73G+ or ZQ71GII calculator.\n"
         "PORT (a device path or ZQx3G+) is connected to once the window is up.\n"
         "\n"
         "  -h, --help     show this text\n"
         "  --version      show the version and where the help pages and calculator files are\n";
}

QString ArgumentProblem(const QStringList& arguments) {
  for (const QString& argument : arguments)
    if (argument.startsWith('-')) return QStringLiteral("unknown option %1").arg(argument);
  if (arguments.size() > 1) return QStringLiteral("one port at most, not %1").arg(arguments.join(' '));
  return {};
}

}  // namespace bridgit::ui
