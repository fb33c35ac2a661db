// TFileSource: calculator objects dragged out to a file manager, or copied to
// the clipboard, as files. The files do not exist when a drag begins: the
// source announces their paths, and only when the drop target asks for the
// file list does OnDrop make them (fetching the objects); the list the target
// reads is the one OnDrop left.
#pragma once

#include <QList>
#include <QMimeData>
#include <QString>
#include <QVariant>
#include <functional>

class QDrag;
class QWidget;

namespace bridgit::shell {

struct TSourceFile {
  QString path;    // where the file will be (OnDrop may complete it)
  QVariant object; // what it stands for, for the owner
};

class TFileSource {
 public:
  QList<TSourceFile> Files;
  // Makes the files; clearing `continueDrop` cancels the drop.
  std::function<void(bool& continueDrop)> OnDrop;

  // A modal drag offering only a copy. True when it ended in a drop that
  // copied the files.
  bool StartDrag(QWidget* source);
  // The file list on the clipboard (files already made).
  bool CopyToClipboard(bool cut = false);
  // What a drop target reads: the files are made at the first request for
  // the list, once. The caller owns the result.
  QMimeData* CreateMime();
  // A drag carrying CreateMime's data, kept alive while its files are being
  // made even when the desktop cancels it meanwhile.
  QDrag* CreateDrag(QWidget* source);

 private:
  bool cancelled_ = false;
};

}  // namespace bridgit::shell
