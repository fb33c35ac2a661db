#include "ui/dialogs/help_viewer.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "base/files.h"

namespace bridgit::ui {

namespace {
const char* const kContentsPage = "index.html";
}

QString HelpFolder() {
  const std::string index = FindShippedFile(std::string("help/") + kContentsPage);
  return index.empty() ? QString() : QFileInfo(QString::fromStdString(index)).absolutePath();
}

QString PopupHelpText(const QString& cshelp, int id) {
  const QString marker = ".topic " + QString::number(id);
  QStringList text;
  bool inside = false;
  for (const QString& line : cshelp.split('\n')) {
    if (line.startsWith(".topic ")) {
      if (inside) break;
      inside = line.trimmed() == marker;
      continue;
    }
    if (inside) text << line;
  }
  return text.join('\n').trimmed();
}

QString ReadPopupHelp(int id) {
  QFile cshelp(HelpFolder() + "/cshelp.txt");
  if (!cshelp.open(QIODevice::ReadOnly)) return {};
  return PopupHelpText(QString::fromUtf8(cshelp.readAll()), id);
}

THelpViewer::THelpViewer(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName("HelpViewer");
  setWindowTitle("Bridgit Help");
  resize(560, 480);
  browser_ = new QTextBrowser(this);
  browser_->setObjectName("HelpBrowser");
  browser_->setOpenLinks(true);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(browser_);
}

bool THelpViewer::Open(const QString& page) {
  const QString folder = HelpFolder();
  if (folder.isEmpty() || !QFileInfo::exists(folder + "/" + page)) return false;
  browser_->setSearchPaths({folder});
  browser_->setSource(QUrl::fromLocalFile(folder + "/" + page));
  // Asked from inside a modal dialog, the viewer would be blocked by it: it
  // then stays above the dialog, usable, while the dialog is up; once the
  // dialog goes, the viewer blocks nothing.
  QWidget* modal = QApplication::activeModalWidget();
  if (modal == this) modal = nullptr;
  SetModal(modal != nullptr);
  if (modal && modal != dialog_) {
    if (dialog_) dialog_->removeEventFilter(this);
    dialog_ = modal;
    dialog_->installEventFilter(this);
  }
  show();
  raise();
  activateWindow();
  return true;
}

void THelpViewer::SetModal(bool modal) {
  const Qt::WindowModality wanted = modal ? Qt::ApplicationModal : Qt::NonModal;
  if (windowModality() == wanted) return;
  const bool shown = isVisible();
  hide();  // the modality of a window takes effect when it is shown
  setWindowModality(wanted);
  if (shown) show();
}

bool THelpViewer::eventFilter(QObject* watched, QEvent* event) {
  if (watched == dialog_ && event->type() == QEvent::Hide) {
    dialog_->removeEventFilter(this);
    dialog_ = nullptr;
    SetModal(false);
  }
  return QWidget::eventFilter(watched, event);
}

void THelpViewer::ShowContents() { Open(kContentsPage); }

bool THelpViewer::ShowTopic(int id) { return Open(QString::number(id) + ".html"); }

QString THelpViewer::CurrentPage() const { return QFileInfo(browser_->source().toLocalFile()).fileName(); }

}  // namespace bridgit::ui
