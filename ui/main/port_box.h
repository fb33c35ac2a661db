// The port box: an editable drop-down whose list is read again each time it
// opens, so that an adapter or the USB device plugged in after start-up can be
// chosen.
#pragma once

#include <QComboBox>
#include <functional>

namespace bridgit::ui {

class TPortBox : public QComboBox {
 public:
  using QComboBox::QComboBox;
  std::function<void()> OnDropDown;

  void showPopup() override {
    if (OnDropDown) OnDropDown();
    QComboBox::showPopup();
  }
};

}  // namespace bridgit::ui
