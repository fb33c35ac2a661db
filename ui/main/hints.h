// Hints that lead to help: a control with a help context gets its hint marked
// "? " (a pop-up text) or "?* " (a whole help page).
#pragma once

#include <QString>

class QObject;
class QWidget;

namespace bridgit::ui {

// The dynamic property that holds a control's help context id.
inline constexpr const char* kHelpContextProperty = "helpContext";

void SetHelpContext(QObject* control, int id);
int HelpContext(const QObject* control);
// The hint as shown: unchanged for contexts 0 and 1, an empty hint or one
// already marked with "?".
QString DecoratedHint(const QString& hint, int context);
// Marks the hints of every widget below `root` (and of `root`).
void DecorateHints(QWidget* root);

}  // namespace bridgit::ui
