#include "shell/window_pos_save.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QWidget>
#include <algorithm>

namespace bridgit::shell {

namespace {
const QString kWidth = "Width", kHeight = "Height", kLeft = "Left", kTop = "Top", kVisible = "Visible";
QString Flag(bool v) { return v ? "1" : "0"; }

// Where a window's frame goes: its top-left corner inside a screen's available
// area, so that the title bar can be reached and dragged, and the window no
// further right or down than that area allows; a place no screen shows any
// more centres it on the primary screen.
QPoint OnScreen(QPoint frame, QSize size) {
  for (const QScreen* s : QGuiApplication::screens()) {
    const QRect a = s->availableGeometry();
    if (a.contains(frame))
      return {std::min(frame.x(), std::max(a.left(), a.right() + 1 - size.width())),
              std::min(frame.y(), std::max(a.top(), a.bottom() + 1 - size.height()))};
  }
  const QScreen* primary = QGuiApplication::primaryScreen();
  if (!primary) return frame;
  const QRect a = primary->availableGeometry();
  return {a.left() + std::max(0, (a.width() - size.width()) / 2), a.top() + std::max(0, (a.height() - size.height()) / 2)};
}
}  // namespace

TWindowPosSave::TWindowPosSave(QWidget* form, QSettings* settings, QString subKey)
    : SubKey(std::move(subKey)), form_(form), settings_(settings) {}

// A window whose minimum and maximum sizes differ can be resized by the user.
bool TWindowPosSave::Sizeable() const { return form_->minimumSize() != form_->maximumSize(); }

int TWindowPosSave::ReadInt(const QString& name, int fallback) const {
  bool ok = false;
  const int v = settings_->value(SubKey + "/" + name).toString().toInt(&ok);
  return ok ? v : fallback;
}

bool TWindowPosSave::Important(const QWidget* w) const {
  return ImportantComponents.contains(w->objectName(), Qt::CaseInsensitive);
}

void TWindowPosSave::Visit(QWidget* parent, const std::function<void(QWidget*)>& step) const {
  for (QObject* o : parent->children()) {
    auto* w = qobject_cast<QWidget*>(o);
    if (!w || w->isWindow()) continue;
    if (Important(w)) step(w);
    Visit(w, step);
  }
}

void TWindowPosSave::Restore(bool forceHidden, bool withComponents, bool withForm) {
  if (!form_ || !form_->isWindow()) return;
  if (withForm) {
    const QSize now = form_->size();
    const QSize size(Sizeable() ? ReadInt(kWidth, now.width()) : now.width(), Sizeable() ? ReadInt(kHeight, now.height()) : now.height());
    form_->resize(size);
    form_->move(OnScreen(QPoint(ReadInt(kLeft, form_->pos().x()), ReadInt(kTop, form_->pos().y())), size));  // by the frame
    const bool visible = ReadInt(kVisible, form_->isVisible() ? 1 : 0) != 0;
    form_->setVisible(visible && !forceHidden);
  }
  if (withComponents) {
    const int dpi = form_->logicalDpiX();
    Visit(form_, [&](QWidget* w) {
      const QString p = w->objectName();
      const QRect now = w->geometry();
      const auto read = [&](const QString& name, int pixels) {
        return ScaleFromStored(ReadInt(p + name, ScaleToStored(pixels, dpi)), dpi);
      };
      w->setGeometry(read(kLeft, now.x()), read(kTop, now.y()), read(kWidth, now.width()), read(kHeight, now.height()));
      const bool visible = ReadInt(p + kVisible, w->isHidden() ? 0 : 1) != 0;
      w->setVisible(visible && !forceHidden);
    });
  }
}

void TWindowPosSave::Save(bool forceHidden) {
  if (!form_ || !form_->isWindow()) return;
  const auto put = [this](const QString& name, const QString& value) { settings_->setValue(SubKey + "/" + name, value); };
  // The normal geometry, so that a maximised window reopens with its old size.
  const QRect g = form_->isMaximized() || form_->isMinimized() ? form_->normalGeometry() : form_->geometry();
  put(kVisible, Flag(form_->isVisible() && !forceHidden));
  // The frame's corner, as Restore places it.
  const QPoint at = form_->isMaximized() || form_->isMinimized() ? g.topLeft() : form_->pos();
  put(kTop, QString::number(at.y()));
  put(kLeft, QString::number(at.x()));
  if (Sizeable()) {
    put(kWidth, QString::number(g.width()));
    put(kHeight, QString::number(g.height()));
  }
  const int dpi = form_->logicalDpiX();
  Visit(form_, [&](QWidget* w) {
    const QString p = w->objectName();
    const QRect r = w->geometry();
    put(p + kVisible, Flag(!w->isHidden()));
    put(p + kTop, QString::number(ScaleToStored(r.y(), dpi)));
    put(p + kLeft, QString::number(ScaleToStored(r.x(), dpi)));
    put(p + kWidth, QString::number(ScaleToStored(r.width(), dpi)));
    put(p + kHeight, QString::number(ScaleToStored(r.height(), dpi)));
  });
  settings_->sync();
}

}  // namespace bridgit::shell
