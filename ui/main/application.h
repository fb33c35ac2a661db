// What the whole program shares before its first window: its names, the
// desktop entry it belongs to, the icon every window shows, and the answers
// to --version and --help.
#pragma once

#include <QString>
#include <QStringList>
#include <string>

namespace bridgit::ui {

// The desktop entry's name without ".desktop", also the icon's name.
inline constexpr const char* kDesktopId = "org.bridgit.Bridgit";

// Names the application and gives every window the program's icon.
void SetUpApplication();

// "Bridgit VERSION" and where the help pages and the calculator files were
// found, one a line: what a person installing the program checks first.
std::string VersionReport();

// The command line's usage.
std::string UsageText();

// Why the arguments left after Qt's own options cannot be used (an unknown
// option, more than one port), or an empty text.
QString ArgumentProblem(const QStringList& arguments);

}  // namespace bridgit::ui
