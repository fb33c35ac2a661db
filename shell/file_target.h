// TFileTarget: makes one view a drop target for files from a file manager. It
// accepts only drags that carry local files, offers a copy, scrolls the view
// while the pointer rests near its edges, and hands the file list and the
// drop point to its owner. It also reads a file list from the clipboard.
#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QStringList>
#include <functional>

class QAbstractScrollArea;
class QTimer;

namespace bridgit::shell {

// Drop effects as bits.
enum TDropEffect : unsigned { kEffectNone = 0, kEffectCopy = 1, kEffectMove = 2, kEffectScroll = 0x80000000u };

// The effect at a point: copy when the source allows it, plus scroll within
// `margin` pixels of an edge that has a scroll axis.
unsigned ScrollEffect(bool copyAllowed, QPoint at, QSize client, int margin, bool horizontal, bool vertical);

class TFileTarget : public QObject {
 public:
  using TPointEvent = std::function<void(QPoint at)>;
  TFileTarget();
  ~TFileTarget() override;

  QStringList Files;
  TPointEvent OnEnter, OnDragOver, OnDrop;
  std::function<void()> OnLeave;

  void SetTarget(QAbstractScrollArea* view);
  void RevokeTarget();
  QAbstractScrollArea* Target() const { return view_; }
  // Fills Files from the clipboard: 0 when it holds no files, else the
  // effect it asks for (copy, or move after a cut).
  unsigned PasteFromClipboard();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ScrollStep();
  QPointer<QAbstractScrollArea> view_;
  QTimer* timer_;
  QPoint last_;
  int margin_ = 0;
  bool holding_ = false;  // the drag carries files
};

}  // namespace bridgit::shell
