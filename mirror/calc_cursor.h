// The calculator folder a run has made current, so that consecutive objects
// of one folder cost a single change of folder.
#pragma once

#include <string>

#include "session/xmodem_server.h"

namespace bridgit::mirror {

class TCalcCursor {
 public:
  explicit TCalcCursor(TXModemServer& server) : server_(server) {}
  // Makes the folder ("HOME A B") current unless it already is.
  void Enter(const std::string& path) {
    if (path == at_) return;
    server_.ChangeDir(path);
    at_ = path;
  }
  // A command left the calculator in this folder.
  void LeftIn(const std::string& path) { at_ = path; }

 private:
  TXModemServer& server_;
  std::string at_;
};

}  // namespace bridgit::mirror
