// The calculator's side of a mirror: the folder tree under the mirrored
// folder as keys, each object signed by its type, its size and a checksum the
// calculator computes itself (one command for the whole tree and one
// transfer of its answer, never a fetch of an object).
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "mirror/plan.h"
#include "mirror/tree_answer.h"
#include "session/xmodem_server.h"

namespace bridgit::mirror {

struct TCalcEntry {
  TXPObject* item = nullptr;
  TXPObject* folder = nullptr;  // the folder that holds it
};

struct TCalcTree {
  TXPObject* root = nullptr;
  std::map<std::string, TCalcEntry> entries;  // by key
  TSide side;
  long long freeBytes = -1;  // the calculator's free memory as the tree was read (-1: not known)
};

// The key part of a calculator name (backslash notation): its caret notation.
std::string KeyPart(const std::string& backslashName);
// The calculator name (backslash notation) of a key part.
std::string CalcName(const std::string& keyPart);

// Has the calculator describe the mirrored folder (after `purges`, commands
// that end in HOME), builds its entries under `home` and signs every object
// below it. The answer stays in kTreeScratch, and the calculator in HOME.
// Throws when the folder does not exist or the answer is not whole, and
// before the answer is fetched when `interrupted`.
TCalcTree ReadCalcTree(TXModemServer& server, TXPObject& home, const std::string& folder, const std::string& purges,
                       const std::function<bool()>& interrupted);

}  // namespace bridgit::mirror
