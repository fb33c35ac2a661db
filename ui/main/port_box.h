// The port box: an editable drop-down whose list is read again each time it
// opens or takes the focus, so that an adapter or the USB device plugged in
// after start-up can be chosen.
#pragma once

#include <QComboBox>
#include <QFocusEvent>
#include <functional>

namespace bridgit::ui {

class TPortBox : public QComboBox {
 public:
  using QComboBox::QComboBox;
  std::function<void()> OnReload;  // reads the ports again

  void showPopup() override {
    if (OnReload) OnReload();
    QComboBox::showPopup();
  }

 protected:
  void focusInEvent(QFocusEvent* event) override {
    // Not when the focus only comes back with the window: the person is not
    // entering the box then.
    if (OnReload && event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason) OnReload();
    QComboBox::focusInEvent(event);
  }
};

}  // namespace bridgit::ui
