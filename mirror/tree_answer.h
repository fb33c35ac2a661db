// The calculator describes the mirrored folder's whole tree in one object:
// the name, type, size and checksum of every variable and the contents of
// every folder below it. One command makes it, one transfer brings it, so an
// unchanged memory costs two exchanges and never a listing of everything.
#pragma once

#include <string>
#include <vector>

namespace bridgit::mirror {

// The calculator's scratch variable (in HOME) that carries the tree back.
inline constexpr const char* kTreeScratch = "$$$c";

// What a tree command asks for: the folder HOME `folderNames...` (backslash
// notation), and a token (a whole number below 10^9) its answer carries, so
// that an answer an earlier command left is never taken for this one's.
struct TTreeRequest {
  std::vector<std::string> folderNames;
  long long token = 0;
};

// The command that stores the tree in kTreeScratch, run after `purges`
// (commands that end in HOME), and leaves the calculator in HOME. The object
// stored: { path items free token } where path is the folder's PATH, items
// holds, per variable in the folder's own order, its name, its checksum
// (BYTES) and the real type x 10^7 + nibbles, or for a folder its name and
// the list of its own items, and free is the free memory (MEM), which sizes
// the batches without an exchange of its own; { } when a folder of the path
// is missing; anything else when the calculator failed.
std::string TreeCommand(const std::string& purges, const TTreeRequest& request);

struct TTreeItem {
  std::string name;  // backslash notation
  bool folder = false;
  int typeIcon = 0;
  long long nibbles = 0;
  std::string check;  // the checksum object's nibbles as hex digits
  std::vector<TTreeItem> items;
};

enum class TTreeAnswer { kTree, kNoFolder, kNotATree };

// Reads the object file of the answer into `items` (the folder's own) and
// `freeBytes`.
TTreeAnswer ParseTree(const std::string& file, const TTreeRequest& request, std::vector<TTreeItem>& items,
                      long long& freeBytes);

// The type icon of the calculator's type number (TYPE): the table row of the
// type's prolog; kUnknownTypeIcon for a number of no row.
int TypeIconOfNumber(int number);

}  // namespace bridgit::mirror
