// The calculator services of the command window: the session runs the
// commands and reads the stack, the main window reports the errors.
#pragma once

#include <exception>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "session/xmodem_server.h"
#include "ui/dialogs/command_window.h"

namespace bridgit::ui {

class TCommandServices : public TCalculatorServices {
 public:
  TCommandServices(TXModemServer& server, std::function<void(const std::exception&)> report)
      : server_(server), report_(std::move(report)) {}

  std::string RunCommand(const std::string& command, std::vector<std::string>* stack) override {
    return server_.RunCommand(command, stack);
  }
  std::vector<std::string> ReadStack() override { return server_.ReadStack(); }
  void ReportError(const std::exception& e) override { report_(e); }

 private:
  TXModemServer& server_;
  std::function<void(const std::exception&)> report_;
};

}  // namespace bridgit::ui
