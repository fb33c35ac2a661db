// Driving the windows without a person: answering the dialogs that come up
// and waiting for the event loop to catch up. Shared by the screenshot tool
// and the window tests.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "base/clock.h"

namespace bridgit::ui {

// Processes events until `done` holds; false when `limitMs` passed first (a
// bound against hangs, never a speed requirement).
inline bool WaitUntil(const std::function<bool()>& done, int limitMs = 30000) {
  const auto end = TickCount() + limitMs;
  while (!done()) {
    if (TickCount() > end) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    SleepMs(2);
  }
  return true;
}

template <typename T = QWidget>
T* VisibleWindow(const QString& name) {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->isVisible() && w->objectName() == name)
      if (auto* t = qobject_cast<T*>(w)) return t;
  return nullptr;
}

inline void Click(QWidget* window, const char* button) {
  if (auto* b = window->findChild<QAbstractButton*>(button)) b->click();
}

// Answers the dialogs that come up, in order: each step runs once the window
// of its name is on screen, shown anew since the last step for it (a dialog
// reused for the next prompt counts again). Message boxes are answered with
// their default button and their texts kept.
class TDialogDriver : public QObject {
 public:
  TDialogDriver() {
    timer_.setInterval(20);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
    timer_.start();
    qApp->installEventFilter(this);
  }
  ~TDialogDriver() override { qApp->removeEventFilter(this); }
  void When(const QString& name, std::function<void(QWidget*)> step) { steps_.push_back({name, std::move(step)}); }
  bool Done() const { return steps_.empty(); }
  std::vector<std::string> boxTexts;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show)
      if (auto* w = qobject_cast<QWidget*>(watched); w && w->isWindow()) ++shows_[w->objectName()];
    return false;
  }

 private:
  void Tick() {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      boxTexts.push_back(box->text().toStdString());
      box->done(QMessageBox::Ok);
      return;
    }
    if (steps_.empty()) return;
    const QString name = steps_.front().first;
    if (QWidget* w = VisibleWindow(name); w && shows_[name] > used_[name]) {
      used_[name] = shows_[name];
      auto step = std::move(steps_.front().second);
      steps_.pop_front();
      step(w);
    }
  }
  QTimer timer_;
  std::deque<std::pair<QString, std::function<void(QWidget*)>>> steps_;
  std::map<QString, int> shows_, used_;
};

}  // namespace bridgit::ui
