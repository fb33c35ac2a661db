#include "ui/main/hints.h"

#include <QVariant>
#include <QWidget>

#include "ui/dialogs/help_viewer.h"

namespace bridgit::ui {

void SetHelpContext(QObject* control, int id) { control->setProperty(kHelpContextProperty, id); }

int HelpContext(const QObject* control) { return control->property(kHelpContextProperty).toInt(); }

QString DecoratedHint(const QString& hint, int context) {
  if (context <= 1 || hint.isEmpty() || hint.startsWith('?')) return hint;
  return (IsHelpTopic(context) ? "?* " : "? ") + hint;
}

void DecorateHints(QWidget* root) {
  QList<QWidget*> widgets = root->findChildren<QWidget*>();
  widgets.prepend(root);
  for (QWidget* w : widgets) w->setToolTip(DecoratedHint(w->toolTip(), HelpContext(w)));
}

}  // namespace bridgit::ui
