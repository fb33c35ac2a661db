// Keyboard, focus and help: the window previews every key typed in it (the
// word "log", Ctrl+K), follows which view has the focus, and answers F1 and
// What's This with the program's help.
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTextEdit>
#include <QPushButton>
#include <QTreeWidget>

#include "ui/dialogs/help_viewer.h"
#include "ui/main/help_filter.h"
#include "ui/main/main_window.h"

namespace bridgit::ui {

namespace {

bool Inside(const QObject* o, const QWidget* w) {
  for (; o; o = o->parent())
    if (o == w) return true;
  return false;
}

// A field that takes typed text: its letters are the person's, never the
// start of the word that opens the log.
bool TakesText(const QObject* o) {
  for (; o; o = o->parent()) {
    if (qobject_cast<const QLineEdit*>(o) || qobject_cast<const QAbstractSpinBox*>(o) ||
        qobject_cast<const QTextEdit*>(o) || qobject_cast<const QPlainTextEdit*>(o))
      return true;
    if (const auto* box = qobject_cast<const QComboBox*>(o); box && box->isEditable()) return true;
  }
  return false;
}

}  // namespace

bool TFZQDir::eventFilter(QObject* watched, QEvent* event) {
  if (HelpEvent(*this, watched, event)) return true;  // F1 and What's This in every window
  auto* widget = qobject_cast<QWidget*>(watched);
  if (!widget || widget->window() != this) return QMainWindow::eventFilter(watched, event);
  switch (event->type()) {
    case QEvent::FocusIn:
      // While a busy spell has the views disabled, focus moves by Qt's rules,
      // not by the person's choice.
      if (!restoreViewFocus_)
        for (QWidget* view : {static_cast<QWidget*>(folderTree), static_cast<QWidget*>(objectList)})
          if (Inside(watched, view)) SetFocusedView(view);
      break;
    case QEvent::MouseButtonPress:
      for (QWidget* view : {static_cast<QWidget*>(folderTree), static_cast<QWidget*>(objectList)})
        if (Inside(watched, view)) SetFocusedView(view);
      [[fallthrough]];
    case QEvent::MouseButtonRelease:
    case QEvent::MouseMove:
      if (DragMouse(watched, event)) return true;
      break;
    case QEvent::KeyPress:
      if (PreviewKey(watched, static_cast<QKeyEvent*>(event))) return true;
      break;
    default:
      break;
  }
  return QMainWindow::eventFilter(watched, event);
}

// Returns true when the key is swallowed.
bool TFZQDir::PreviewKey(QObject* watched, QKeyEvent* key) {
  // A key not taken by a control travels up to its parents: preview it once.
  if (key == lastKey_ && lastKeyTarget_ && watched != lastKeyTarget_ && Inside(lastKeyTarget_, qobject_cast<QWidget*>(watched)))
    return false;
  lastKey_ = key;
  lastKeyTarget_ = watched;

  const bool inViews = Inside(watched, folderTree) || Inside(watched, objectList) || watched == btnLog;
  if (inViews) SetShortCuts();
  if (inViews && key->key() == Qt::Key_K && key->modifiers() == Qt::ControlModifier) {
    if (!Busy()) {
      try {
        server_->Quit();
      } catch (const std::exception& e) {
        ShowError(e);
      }
    }
    return true;
  }
  if (ViewKey(watched, key)) return true;
  if (Editing() || TakesText(watched)) {
    KeySequenceState.Reset();
    return false;
  }
  const QString text = key->text();
  if (text.size() != 1 || !text[0].isPrint() || (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) return false;
  const TKeySequence::TResult r = KeySequenceState.Feed(text[0].toLatin1());
  if (r.complete) {
    cmboPort->hidePopup();
    cmboSpeed->hidePopup();
    btnLog->setVisible(true);
    btnLogClick();
  }
  return r.swallow;
}

THelpViewer& TFZQDir::HelpViewer() {
  if (!helpViewer_) helpViewer_ = new THelpViewer(this);
  return *helpViewer_;
}

void TFZQDir::mnuContentsHelpClick() {
  HelpViewer().ShowContents();
}

void TFZQDir::ShowHelpTopic(int id) {
  if (!HelpViewer().ShowTopic(id)) host_->Beep();
}

}  // namespace bridgit::ui
