// One entry of the calculator's directory tree: a variable or a folder, with its
// name, type and size as the listing gave them. HOME is the root.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "calcdata/object_types.h"

namespace bridgit {

class TXModemServer;

// "WORK/DEEP", "HOME/WORK/DEEP", "" or "HOME": the folder names below HOME.
std::vector<std::string> FolderNames(const std::string& path);

// The icon of an entry whose type code is in no row of the table: never the
// folder's, so that such an entry is never taken for a folder.
inline constexpr int kUnknownTypeIcon = kTypeIconBase - 1;

class TXPObject {
 public:
  std::vector<std::unique_ptr<TXPObject>> Children;
  bool ChildrenLoaded = false;
  long long Size = 0;
  bool OddNibble = false;
  TXPObject* Parent = nullptr;
  std::string Name;  // backslash notation
  int TypeIcon = kDirectoryIcon;
  std::string TypeName;
  TXModemServer* Server = nullptr;
  // The listing ended inside this entry: its type or size may be missing.
  bool Truncated = false;

  void ClearChildren();
  std::vector<std::unique_ptr<TXPObject>>& GetChildren();
  // "HOME D A": the folder names from HOME, joined by single spaces.
  std::string FullPath() const;
  // Size for an entry; for HOME, 100 plus the sizes of its entries.
  long long TotalSize() const;
  bool IsDirectory() const { return TypeIcon == kDirectoryIcon; }
};

}  // namespace bridgit
