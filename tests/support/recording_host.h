// A headless host that also records the window steps the core asks for.
#pragma once

#include <atomic>
#include <thread>

#include "host/headless_host.h"

namespace bridgit::test {

class TRecordingHost : public THeadlessHost {
 public:
  int updates = 0;
  int focusCalls = 0;
  std::thread::id connectedChangedOn;

  void FocusMainWindow() override { ++focusCalls; }

 protected:
  void UpdateControls() override {
    ++updates;
    connectedChangedOn = std::this_thread::get_id();
  }
};

}  // namespace bridgit::test
