#include "shell/clipboard_files.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QUrl>

namespace bridgit::shell {

namespace {
const char* const kGnomeCopiedFiles = "x-special/gnome-copied-files";
}

QMimeData* FileListMime(const QStringList& paths, bool cut) {
  auto* mime = new QMimeData;
  QList<QUrl> urls;
  QByteArray gnome = cut ? "cut" : "copy";
  for (const QString& p : paths) {
    const QUrl url = QUrl::fromLocalFile(p);
    urls << url;
    gnome += "\n" + url.toEncoded();
  }
  mime->setUrls(urls);  // text/uri-list
  mime->setData(kGnomeCopiedFiles, gnome);
  mime->setText(paths.join('\n'));
  return mime;
}

void CopyFilesToClipboard(const QStringList& paths, bool cut) {
  QApplication::clipboard()->setMimeData(FileListMime(paths, cut));
}

QStringList FilesOf(const QMimeData* mime) {
  QStringList files;
  if (!mime) return files;
  for (const QUrl& url : mime->urls())
    if (url.isLocalFile()) files << url.toLocalFile();
  return files;
}

QStringList FilesOnClipboard() { return FilesOf(QApplication::clipboard()->mimeData()); }

bool ClipboardHasFiles() { return !FilesOnClipboard().isEmpty(); }

}  // namespace bridgit::shell
