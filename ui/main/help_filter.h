// Help in every window of the program, not only the main one: F1 answers for
// the control that has the focus, Shift+F1 enters What's This mode, and a
// click in that mode answers for the control clicked. The main window's
// application-wide event filter hands every event here first.
//
// What answers depends on the help context id alone: a page id opens its page
// in the help viewer, a pop-up id shows its text from cshelp.txt beside the
// control. A control without a context takes its nearest parent's within its
// window; F1 in a window without any opens the contents, What's This there
// shows the control's hint.
#pragma once

#include <QPoint>
#include <QString>

class QEvent;
class QObject;
class QWidget;

namespace bridgit::ui {

class TFZQDir;

// The context that answers for `control`: its own, its nearest parent's up to
// its window, else the window's by what it shows (the instruction prompt takes
// the page of the command that raised it). 0 when there is none.
int EffectiveHelpContext(const QWidget* control);

// The page of the command behind an instruction prompt of this kind; 0 for a
// plain question, which any command may ask.
int PromptHelpContext(int promptKind);

// Shows `text` as a What's This pop-up at `at`, placed beside `control`. The
// pop-up carries its text as its accessible name, for screen readers.
void ShowHelpPopup(const QPoint& at, const QString& text, QWidget* control);

// The pop-up that is showing, if any.
QWidget* HelpPopup();

// Answers F1, Shift+F1 and the What's This events. True when `event` was
// help and has been answered.
bool HelpEvent(TFZQDir& main, QObject* watched, QEvent* event);

}  // namespace bridgit::ui
