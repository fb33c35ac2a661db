// The editor that Edit as Text starts: the "Editor" setting is a command line
// (split like a shell would, without running one); the file goes after it as
// one more argument, so that paths with spaces stay whole.
#pragma once

#include <QStringList>

namespace bridgit::ui {

// Program and arguments for `setting`. An empty setting falls back to
// $VISUAL, then $EDITOR, then a graphical text editor found on PATH. Empty
// when there is none.
QStringList EditorCommand(const QString& setting);

}  // namespace bridgit::ui
