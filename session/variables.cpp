// Deleting, creating and renaming variables and folders: each one text the
// calculator evaluates in its current folder.
#include "base/clock.h"
#include "calcdata/escapes.h"
#include "calcdata/var_name.h"
#include "link/link.h"
#include "session/xmodem_server.h"

namespace bridgit {

bool TXModemServer::Purge(const std::string& name, bool isDirectory) {
  if (!CheckVarName(name, host_)) return false;
  channel_.Execute("'" + name + (isDirectory ? "' PGDIR" : "' PURGE"), true, true);
  return true;
}

void TXModemServer::CreateDir(const std::string& name) { channel_.Execute("'" + name + "' CRDIR", true, true); }

bool TXModemServer::Rename(const std::string& oldName, const std::string& newName, bool isDirectory, TXPObject* folder,
                           std::string* why) {
  // Storing over an existing name would lose that object: refused instead.
  if (folder) {
    const std::string target = DecodeEscapes(newName, TEscapeMode::kBackslash);
    for (const auto& c : folder->Children)
      if (DecodeEscapes(c->Name, TEscapeMode::kBackslash) == target) {
        if (why) *why = newName + " already exists in this folder.";
        return false;
      }
  }
  channel_.Execute("'" + oldName + "' DUP RCL SWAP " + (isDirectory ? "PGDIR" : "PURGE") + " '" + newName + "' STO ", true, true);
  SleepMs(channel_.Link().Timing().AfterStore);
  return true;
}

}  // namespace bridgit
