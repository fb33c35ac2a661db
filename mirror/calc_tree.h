// The calculator's side of a mirror: the folder tree under the mirrored
// folder as keys, each object signed by its type, its size and a checksum the
// calculator computes itself (one command for the whole tree, so that an
// unchanged memory costs a listing and one small answer, never a fetch).
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "mirror/plan.h"
#include "session/xmodem_server.h"

namespace bridgit::mirror {

// The calculator's scratch variable that carries the checksums back.
inline constexpr const char* kCheckScratch = "$$$c";

struct TCalcEntry {
  TXPObject* item = nullptr;
  TXPObject* folder = nullptr;  // the folder that holds it
};

struct TCalcTree {
  TXPObject* root = nullptr;
  std::map<std::string, TCalcEntry> entries;  // by key
  TSide side;
};

// The key part of a calculator name (backslash notation): its caret notation.
std::string KeyPart(const std::string& backslashName);
// The calculator name (backslash notation) of a key part.
std::string CalcName(const std::string& keyPart);

// Lists the calculator, finds the mirrored folder and signs every object
// below it. Throws when the folder does not exist or the checksums do not
// come back whole, and before the checksums are fetched when `interrupted`.
TCalcTree ReadCalcTree(TXModemServer& server, TXPObject& home, const std::string& folder,
                       const std::function<bool()>& interrupted);

// The checksum command for these folders (FullPath texts), in this order.
std::string ChecksumCommand(const std::vector<std::string>& folderPaths);

// The checksums in the answer (a binary object file of a list of lists), one
// list of opaque checks (nibbles as hex digits) per folder. False when the
// answer is not such a list.
bool ParseChecksums(const std::string& file, std::vector<std::vector<std::string>>& checks);

}  // namespace bridgit::mirror
