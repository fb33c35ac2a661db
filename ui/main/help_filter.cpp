#include "ui/main/help_filter.h"

#include <QApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QWhatsThis>
#include <QWidget>

#include "host/prompt_kinds.h"
#include "ui/dialogs/download_prompt.h"
#include "ui/dialogs/help_viewer.h"
#include "ui/main/hints.h"
#include "ui/main/main_texts.h"
#include "ui/main/main_window.h"

namespace bridgit::ui {

namespace {

// The hint that a control (or the nearest parent with one) shows, without the
// mark that says help is behind it.
QString PlainHint(const QWidget* control) {
  for (const QWidget* w = control; w; w = w->isWindow() ? nullptr : w->parentWidget()) {
    QString hint = w->toolTip();
    if (hint.isEmpty()) continue;
    if (hint.startsWith("?* ")) hint.remove(0, 3);
    else if (hint.startsWith("? ")) hint.remove(0, 2);
    return hint;
  }
  return {};
}

// The pop-up text of a control: its cshelp.txt text, or its hint when the
// text is missing.
QString PopupFor(const QWidget* control, int id) {
  const QString text = id > 1 ? ReadPopupHelp(id) : QString();
  return text.isEmpty() ? PlainHint(control) : text;
}

bool AnswerF1(TFZQDir& main, QWidget* control) {
  const int id = EffectiveHelpContext(control);
  if (id <= 1) {
    main.mnuContentsHelpClick();
  } else if (IsHelpTopic(id)) {
    main.ShowHelpTopic(id);
  } else if (const QString text = PopupFor(control, id); !text.isEmpty()) {
    ShowHelpPopup(control->mapToGlobal(control->rect().center()), text, control);
  } else {
    main.Host().Beep();
  }
  return true;
}

// A click in What's This mode: the same rule as F1, except that a control
// without any context shows its hint rather than the contents.
bool AnswerWhatsThis(TFZQDir& main, QWidget* control, const QPoint& at) {
  const int id = EffectiveHelpContext(control);
  if (IsHelpTopic(id)) {
    QWhatsThis::leaveWhatsThisMode();
    main.ShowHelpTopic(id);
    return true;
  }
  const QString text = PopupFor(control, id);
  if (text.isEmpty()) return false;  // Qt then leaves the mode on the release
  ShowHelpPopup(at, text, control);
  return true;
}

}  // namespace

int PromptHelpContext(int promptKind) {
  switch (promptKind) {
    case kPromptServerDownload:
    case kPromptServerSent:
    case kPromptDownload:
    case kPromptDownloaded:
    case kPromptUpload:
    case kPromptRom:
      return kHelpManualTransfers;
    case kPromptCapture:
    case kPromptAnotherCapture:
      return kHelpCaptureWindow;
    case kPromptStartServer:
      return kHelpCommunications;
    case kPromptRestored:
      return kHelpBackup;
    default:
      return 0;
  }
}

int EffectiveHelpContext(const QWidget* control) {
  const QWidget* window = control;
  for (const QWidget* w = control; w; w = w->isWindow() ? nullptr : w->parentWidget()) {
    if (const int id = HelpContext(w); id > 1) return id;
    window = w;
  }
  if (const auto* prompt = dynamic_cast<const TFDownLd*>(window)) return PromptHelpContext(prompt->Kind());
  return 0;
}

QWidget* HelpPopup() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->isVisible() && w->inherits("QWhatsThat")) return w;
  return nullptr;
}

void ShowHelpPopup(const QPoint& at, const QString& text, QWidget* control) {
  if (text.isEmpty()) return;
  QWhatsThis::showText(at, text, control);
  if (QWidget* popup = HelpPopup()) {
    popup->setObjectName("HelpPopup");
    popup->setAccessibleName(text);
  }
}

bool HelpEvent(TFZQDir& main, QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress: {
      const auto* key = static_cast<QKeyEvent*>(event);
      auto* control = qobject_cast<QWidget*>(watched);
      if (!control || key->key() != Qt::Key_F1) return false;
      if (key->modifiers() == Qt::ShiftModifier) {
        QWhatsThis::enterWhatsThisMode();
        return true;
      }
      return key->modifiers() == Qt::NoModifier && AnswerF1(main, control);
    }
    case QEvent::QueryWhatsThis: {
      // Accepted: the pointer shows that a click here answers.
      const auto* control = qobject_cast<QWidget*>(watched);
      return control && (EffectiveHelpContext(control) > 1 || !PlainHint(control).isEmpty());
    }
    case QEvent::WhatsThis: {
      auto* control = qobject_cast<QWidget*>(watched);
      return control && AnswerWhatsThis(main, control, static_cast<QHelpEvent*>(event)->globalPos());
    }
    default:
      return false;
  }
}

}  // namespace bridgit::ui
