#include "shell/file_target.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QClipboard>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QTimer>

#include "shell/clipboard_files.h"

namespace bridgit::shell {

namespace {
constexpr int kScrollMs = 100;
}

unsigned ScrollEffect(bool copyAllowed, QPoint at, QSize client, int margin, bool horizontal, bool vertical) {
  const unsigned base = copyAllowed ? kEffectCopy : kEffectNone;
  if (horizontal && (at.x() < margin || at.x() > client.width() - margin)) return base | kEffectScroll;
  if (vertical && (at.y() < margin || at.y() > client.height() - margin)) return base | kEffectScroll;
  return base;
}

TFileTarget::TFileTarget() : timer_(new QTimer(this)) {
  timer_->setInterval(kScrollMs);
  connect(timer_, &QTimer::timeout, this, &TFileTarget::ScrollStep);
}

TFileTarget::~TFileTarget() { RevokeTarget(); }

void TFileTarget::SetTarget(QAbstractScrollArea* view) {
  if (view == view_) return;
  RevokeTarget();
  view_ = view;
  if (!view_) return;
  view_->viewport()->setAcceptDrops(true);
  view_->viewport()->installEventFilter(this);
}

void TFileTarget::RevokeTarget() {
  if (view_) {
    view_->viewport()->removeEventFilter(this);
    view_->viewport()->setAcceptDrops(false);
  }
  view_ = nullptr;
  timer_->stop();
  holding_ = false;
}

unsigned TFileTarget::PasteFromClipboard() {
  // Never the files of an earlier paste or drop: only what the clipboard holds now.
  Files.clear();
  const QMimeData* mime = QApplication::clipboard()->mimeData();
  const QStringList files = FilesOf(mime);
  if (files.isEmpty()) return kEffectNone;
  Files = files;
  return mime->data("x-special/gnome-copied-files").startsWith("cut") ? kEffectMove : kEffectCopy;
}

bool TFileTarget::eventFilter(QObject* watched, QEvent* event) {
  if (!view_ || watched != view_->viewport()) return QObject::eventFilter(watched, event);
  const auto effect = [this](QDropEvent* e) {
    const bool copy = e->possibleActions() & Qt::CopyAction;
    const bool h = view_->horizontalScrollBar()->isVisible(), v = view_->verticalScrollBar()->isVisible();
    return ScrollEffect(copy, last_, view_->viewport()->size(), margin_, h, v);
  };
  switch (event->type()) {
    case QEvent::DragEnter: {
      auto* e = static_cast<QDragEnterEvent*>(event);
      Files.clear();
      last_ = e->position().toPoint();
      // Only the announcement is looked at: a source may make its files at the drop.
      holding_ = e->mimeData()->hasFormat("text/uri-list");
      if (!holding_) {
        e->ignore();
        return true;
      }
      margin_ = view_->window()->fontMetrics().height() / 2;
      if (!(effect(e) & kEffectCopy)) {
        e->ignore();
        return true;
      }
      e->setDropAction(Qt::CopyAction);
      e->accept();
      if (OnEnter) OnEnter(last_);
      return true;
    }
    case QEvent::DragMove: {
      auto* e = static_cast<QDragMoveEvent*>(event);
      last_ = e->position().toPoint();
      if (!holding_) {
        e->ignore();
        return true;
      }
      const unsigned fx = effect(e);
      if (OnDragOver) OnDragOver(last_);
      if (fx & kEffectScroll)
        timer_->start();
      else
        timer_->stop();
      if (fx & kEffectCopy) {
        e->setDropAction(Qt::CopyAction);
        e->accept();
      } else {
        e->ignore();
      }
      return true;
    }
    case QEvent::DragLeave:
      Files.clear();
      timer_->stop();
      holding_ = false;
      if (OnLeave) OnLeave();
      return true;
    case QEvent::Drop: {
      auto* e = static_cast<QDropEvent*>(event);
      timer_->stop();
      last_ = e->position().toPoint();
      if (holding_) {
        Files = FilesOf(e->mimeData());
        if (!Files.isEmpty()) {
          e->setDropAction(Qt::CopyAction);
          e->accept();
          if (OnDrop) OnDrop(last_);
        }
      }
      Files.clear();
      holding_ = false;
      return true;
    }
    default:
      return QObject::eventFilter(watched, event);
  }
}

// Near an edge the view scrolls a line every tick.
void TFileTarget::ScrollStep() {
  if (!view_) return;
  const QSize client = view_->viewport()->size();
  if (last_.y() < margin_) view_->verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
  if (last_.y() > client.height() - margin_) view_->verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  if (last_.x() < margin_) view_->horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
  if (last_.x() > client.width() - margin_) view_->horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
}

}  // namespace bridgit::shell
