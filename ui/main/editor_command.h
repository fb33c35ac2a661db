// The editor that Edit as Text starts. The "Editor" setting is a command line
// (split like a shell would, without running one); the file goes after it as
// one more argument, so that paths with spaces stay whole. Terminal editors are
// started inside a terminal emulator, and graphical editors that hand their
// files to an instance already running get the flag that makes them wait.
#pragma once

#include <QString>
#include <QStringList>

namespace bridgit::ui {

struct TEditorLaunch {
  enum TProblem { kNone, kNoEditor, kNoTerminal };
  QString program;        // what is started: the editor, or the terminal that runs it
  QStringList arguments;  // the file last
  QString editor;         // the editor's command line as it was given, for messages
  bool inTerminal = false;
  TProblem problem = kNone;
};

// How to edit `file` with `setting`. An empty setting falls back to $VISUAL,
// then $EDITOR, then a graphical text editor found on PATH. A terminal editor
// is a known one (vi, nano, "emacs -nw", ...), or any $EDITOR while $VISUAL is
// unset; it runs in $TERMINAL, else x-terminal-emulator, else a terminal
// emulator found on PATH.
TEditorLaunch EditorLaunch(const QString& setting, const QString& file);

// One word of a command line, quoted when QProcess::splitCommand would
// otherwise cut it (spaces) or change it (quotes): a program path chosen in a
// file dialog stays one word.
QString CommandWord(const QString& word);

// An editor that returns sooner than this without a change to its file most
// likely gave the file to another process (an instance already running, a
// terminal's server): the person is asked to say when the file is saved.
int EditorQuickReturnMs();
void SetEditorQuickReturnMs(int ms);

}  // namespace bridgit::ui
