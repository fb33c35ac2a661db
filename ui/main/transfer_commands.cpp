// Whole-calculator and manual transfers from the File and ROM menus.
#include <QTimer>

#include "host/prompt_kinds.h"
#include "ui/main/main_window.h"

namespace bridgit::ui {

void TFZQDir::RestoreFromFile(const std::string& path) {
  ProcessMessages();
  if (server_->Restore(path)) {
    // The calculator leaves its server to reorganise its memory.
    SetConnected(false);
    if (ShowPrompt(kPromptRestored, "")) tbtnConnectClick();
  } else if (Connected()) {
    Timer1->start();
  }
}

}  // namespace bridgit::ui
