// File lists on the clipboard in the forms Linux file managers read and write:
// text/uri-list, plus x-special/gnome-copied-files saying "copy" or "cut".
#pragma once

#include <QStringList>

class QMimeData;

namespace bridgit::shell {

// A new description of the files (the caller owns it).
QMimeData* FileListMime(const QStringList& paths, bool cut);
void CopyFilesToClipboard(const QStringList& paths, bool cut);
// The local files a description names, in its order.
QStringList FilesOf(const QMimeData* mime);
QStringList FilesOnClipboard();
bool ClipboardHasFiles();

}  // namespace bridgit::shell
