#include "shell/file_source.h"

#include <QApplication>
#include <QClipboard>
#include <QDrag>
#include <QGuiApplication>
#include <QPointer>
#include <QUrl>
#include <QWidget>
#include <memory>

#include "shell/clipboard_files.h"

namespace bridgit::shell {

namespace {

// What one drag's data knows of its files; shared, because the drag (and its
// data with it) may be deleted by the desktop's cancel while the files are
// still being made inside the first request for them.
struct TRendering {
  std::function<QStringList()> render;
  std::function<QStringList()> names;  // the paths the files will have
  bool over = false;                   // the drag ended (in a drop or not)
  bool started = false;
  bool done = false;
  QStringList paths;
  bool deletePending = false;  // the drag was to be deleted meanwhile
  QPointer<QObject> drag;
};

// The data of a list of files, for one format of the file list.
QVariant FileListData(const QStringList& paths, const QString& mime) {
  if (paths.isEmpty()) return {};
  std::unique_ptr<QMimeData> list(FileListMime(paths, false));
  if (mime == "text/uri-list") {
    QVariantList urls;
    for (const QUrl& url : list->urls()) urls << url;
    return urls;
  }
  if (mime == "x-special/gnome-copied-files") return list->data(mime);
  return {};
}

// Renders the file list when it is first asked for, not when the drag starts.
// Only file-list formats are offered: a drop on a text field must not start a
// fetch from the calculator for the sake of a line of text (the X11 platform
// still adds text aliases of the uri list).
class TDeferredFiles : public QMimeData {
 public:
  explicit TDeferredFiles(std::shared_ptr<TRendering> state) : state_(std::move(state)) {}
  QStringList formats() const override { return {"text/uri-list", "x-special/gnome-copied-files"}; }
  bool hasFormat(const QString& mime) const override { return formats().contains(mime); }
  const std::shared_ptr<TRendering>& State() const { return state_; }

 protected:
  QVariant retrieveData(const QString& mime, QMetaType) const override {
    // Nothing of this object is touched once the files are being made.
    const std::shared_ptr<TRendering> state = state_;
    // Asked while the button is still held over another program's window: a
    // file manager wants the list to choose its answer, and refuses the drop
    // until it has one; a release before it says yes cancels the drag. The
    // names are enough for that, and nothing is fetched for a drag that may
    // yet be cancelled. (A window of ours is the drag's target, and reads
    // only at the drop.)
    const auto* drag = qobject_cast<const QDrag*>(state->drag.data());
    if (!state->started && !state->over && drag && !drag->target() && QGuiApplication::mouseButtons() != Qt::NoButton)
      return FileListData(state->names(), mime);
    if (!state->started) {
      state->started = true;
      const auto render = state->render;
      state->paths = render();
      state->done = true;
      if (state->deletePending && state->drag) state->drag->deleteLater();
    }
    // A request that comes while the files are still being made (a desktop
    // asks again as the pointer moves) gets nothing yet.
    return state->done ? FileListData(state->paths, mime) : QVariant();
  }

 private:
  std::shared_ptr<TRendering> state_;
};

// Holds back the deletion of a drag while its files are being made: its data
// is in use further down the call stack.
class TKeepWhileRendering : public QObject {
 public:
  TKeepWhileRendering(QObject* drag, std::shared_ptr<TRendering> state) : QObject(drag), state_(std::move(state)) {
    state_->drag = drag;
    drag->installEventFilter(this);
  }
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::DeferredDelete && state_->started && !state_->done) {
      state_->deletePending = true;
      return true;
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  std::shared_ptr<TRendering> state_;
};

}  // namespace

QMimeData* TFileSource::CreateMime() {
  cancelled_ = false;
  auto state = std::make_shared<TRendering>();
  state->render = [this] {
    bool continueDrop = true;
    if (OnDrop) OnDrop(continueDrop);
    cancelled_ = !continueDrop;
    QStringList paths;
    if (!cancelled_)
      for (const TSourceFile& f : Files) paths << f.path;
    return paths;
  };
  state->names = [this] {
    QStringList paths;
    for (const TSourceFile& f : Files) paths << (FinalPath ? FinalPath(f) : f.path);
    return paths;
  };
  return new TDeferredFiles(std::move(state));
}

QDrag* TFileSource::CreateDrag(QWidget* source) {
  auto* drag = new QDrag(source);
  auto* mime = static_cast<TDeferredFiles*>(CreateMime());
  new TKeepWhileRendering(drag, mime->State());
  drag->setMimeData(mime);
  return drag;
}

bool TFileSource::StartDrag(QWidget* source) {
  if (Files.isEmpty()) return false;
  QDrag* drag = CreateDrag(source);
  const std::shared_ptr<TRendering> state = static_cast<TDeferredFiles*>(drag->mimeData())->State();
  dragging_ = true;
  const Qt::DropAction action = drag->exec(Qt::CopyAction, Qt::CopyAction);
  dragging_ = false;
  state->over = true;  // a request from now on is the drop's
  return action == Qt::CopyAction && !cancelled_;
}

bool TFileSource::CopyToClipboard(bool cut) {
  if (Files.isEmpty()) return false;
  QStringList paths;
  for (const TSourceFile& f : Files) paths << f.path;
  CopyFilesToClipboard(paths, cut);
  return true;
}

}  // namespace bridgit::shell
