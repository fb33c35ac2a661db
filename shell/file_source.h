// TFileSource: calculator objects dragged out to a file manager, or copied to
// the clipboard, as files. The files do not exist when a drag begins: the
// source announces their paths, and only when the drop target asks for the
// file list at the drop does OnDrop make them (fetching the objects); the list
// the target reads is the one OnDrop left. A file manager that asks while the
// pointer merely passes over it (to choose its answer) gets the names the
// files will have, at once, and nothing is fetched for it.
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
  // The path a file will have once OnDrop made it (by default its path).
  std::function<QString(const TSourceFile&)> FinalPath;
  // A drag is under way (StartDrag has not returned).
  bool Dragging() const { return dragging_; }

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
  bool dragging_ = false;
};

}  // namespace bridgit::shell
