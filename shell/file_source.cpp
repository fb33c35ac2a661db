#include "shell/file_source.h"

#include <QApplication>
#include <QClipboard>
#include <QDrag>
#include <QUrl>
#include <QWidget>

#include "shell/clipboard_files.h"

namespace bridgit::shell {

namespace {

// Renders the file list when it is first asked for, not when the drag starts.
// Only file-list formats are offered: a drop on a text field must not start a
// fetch from the calculator for the sake of a line of text.
class TDeferredFiles : public QMimeData {
 public:
  explicit TDeferredFiles(std::function<QStringList()> render) : render_(std::move(render)) {}
  QStringList formats() const override { return {"text/uri-list", "x-special/gnome-copied-files"}; }
  bool hasFormat(const QString& mime) const override { return formats().contains(mime); }

 protected:
  QVariant retrieveData(const QString& mime, QMetaType type) const override {
    if (!rendered_) {
      rendered_ = true;
      paths_ = render_();
    }
    if (paths_.isEmpty()) return {};
    std::unique_ptr<QMimeData> list(FileListMime(paths_, false));
    if (mime == "text/uri-list") {
      QVariantList urls;
      for (const QUrl& url : list->urls()) urls << url;
      return urls;
    }
    if (mime == "x-special/gnome-copied-files") return list->data(mime);
    return QMimeData::retrieveData(mime, type);
  }

 private:
  std::function<QStringList()> render_;
  mutable bool rendered_ = false;
  mutable QStringList paths_;
};

}  // namespace

QMimeData* TFileSource::CreateMime() {
  cancelled_ = false;
  return new TDeferredFiles([this] {
    bool continueDrop = true;
    if (OnDrop) OnDrop(continueDrop);
    cancelled_ = !continueDrop;
    QStringList paths;
    if (!cancelled_)
      for (const TSourceFile& f : Files) paths << f.path;
    return paths;
  });
}

bool TFileSource::StartDrag(QWidget* source) {
  if (Files.isEmpty()) return false;
  auto* drag = new QDrag(source);
  drag->setMimeData(CreateMime());
  const Qt::DropAction action = drag->exec(Qt::CopyAction, Qt::CopyAction);
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
