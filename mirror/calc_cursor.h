// The calculator folder a run has made current, so that consecutive objects
// of one folder cost a single change of folder; and the scratch variables in
// HOME still to be purged, which ride on the next command that goes to the
// calculator anyway instead of costing an exchange of their own.
#pragma once

#include <set>
#include <string>

#include "session/xmodem_server.h"

namespace bridgit::mirror {

class TCalcCursor {
 public:
  explicit TCalcCursor(TXModemServer& server) : server_(server) {}
  // Makes the folder ("HOME A B") current unless it already is.
  void Enter(const std::string& path) {
    if (path == at_) return;
    server_.ChangeDir(TakePurges() + path);
    at_ = path;
  }
  // A command left the calculator in this folder.
  void LeftIn(const std::string& path) { at_ = path; }

  // A scratch variable of HOME to purge with the next command.
  void PurgeLater(const std::string& name) { purges_.insert(name); }
  // The commands that purge them (ending in HOME), to put in front of a
  // command; empty when none are left.
  std::string TakePurges() {
    std::string text;
    for (const std::string& name : purges_) text += "IFERR '" + name + "' PURGE THEN END ";
    purges_.clear();
    return text.empty() ? text : "HOME " + text;
  }
  // Purges them now, if any are left.
  void PurgeNow() {
    if (purges_.empty()) return;
    server_.Channel().Execute(TakePurges(), true, true);
    at_ = "HOME";
  }

 private:
  TXModemServer& server_;
  std::string at_;
  std::set<std::string> purges_;
};

}  // namespace bridgit::mirror
