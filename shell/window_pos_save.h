// TWindowPosSave: a window reopens where the user left it. Each window's
// geometry (and, for secondary windows, its visibility) is kept in its own
// settings group; chosen child controls can be kept too, scaled to the
// screen's resolution so that they keep their look at another DPI.
#pragma once

#include <QString>
#include <functional>
#include <QStringList>

class QSettings;
class QWidget;

namespace bridgit::shell {

// Child-control bounds are stored in 96-dpi units (integer division).
constexpr int ScaleToStored(int pixels, int dpi) { return pixels * 96 / dpi; }
constexpr int ScaleFromStored(int stored, int dpi) { return stored * dpi / 96; }

class TWindowPosSave {
 public:
  // `form` is the window served; `settings` where the values go (under `subKey`).
  TWindowPosSave(QWidget* form, QSettings* settings, QString subKey);

  QString SubKey;
  QStringList ImportantComponents;  // object names of child controls kept too

  // Applies saved geometry: the form's bounds (its size only when it can be
  // resized) and visibility, then each important control's scaled bounds.
  void Restore(bool forceHidden, bool withComponents, bool withForm);
  // Stores the present geometry; `forceHidden` stores the window as hidden so
  // that it never reopens by itself.
  void Save(bool forceHidden);

 private:
  bool Sizeable() const;
  int ReadInt(const QString& name, int fallback) const;
  void Visit(QWidget* parent, const std::function<void(QWidget*)>& step) const;
  bool Important(const QWidget* w) const;
  QWidget* form_;
  QSettings* settings_;
};

}  // namespace bridgit::shell
