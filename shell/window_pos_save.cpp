#include "shell/window_pos_save.h"

#include <QSettings>
#include <QWidget>

namespace bridgit::shell {

namespace {
const QString kWidth = "Width", kHeight = "Height", kLeft = "Left", kTop = "Top", kVisible = "Visible";
QString Flag(bool v) { return v ? "1" : "0"; }
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
    const QRect now = form_->geometry();
    const int width = Sizeable() ? ReadInt(kWidth, now.width()) : now.width();
    const int height = Sizeable() ? ReadInt(kHeight, now.height()) : now.height();
    form_->setGeometry(ReadInt(kLeft, now.x()), ReadInt(kTop, now.y()), width, height);
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
  put(kTop, QString::number(g.y()));
  put(kLeft, QString::number(g.x()));
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
