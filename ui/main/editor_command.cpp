#include "ui/main/editor_command.h"

#include <QProcess>
#include <QStandardPaths>

namespace bridgit::ui {

namespace {
// Graphical editors that keep running until their window closes.
const char* const kKnownEditors[] = {"gnome-text-editor", "gedit", "kate", "kwrite", "mousepad", "xed", "pluma", "featherpad", "leafpad"};
}  // namespace

QStringList EditorCommand(const QString& setting) {
  if (!setting.trimmed().isEmpty()) return QProcess::splitCommand(setting);
#ifdef _WIN32
  return {"Notepad.exe"};
#else
  for (const char* variable : {"VISUAL", "EDITOR"}) {
    const QString value = qEnvironmentVariable(variable);
    if (!value.trimmed().isEmpty()) return QProcess::splitCommand(value);
  }
  for (const char* editor : kKnownEditors)
    if (const QString path = QStandardPaths::findExecutable(editor); !path.isEmpty()) return {path};
  return {};
#endif
}

}  // namespace bridgit::ui
