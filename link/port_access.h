// Why this user may not open a device, and what would let them: the device's
// owner, group and mode against the user's own groups.
#pragma once

#include <string>
#include <vector>

namespace bridgit {

struct TPortAccess {
  bool known = false;        // the device could be examined at all
  std::string owner;         // user name (or number) owning the device
  std::string group;         // group name (or number) owning the device
  std::string mode;          // permission bits in octal, "0660"
  bool groupMayUse = false;  // the group may read and write it
  bool inGroup = false;      // the user is in that group (effective or supplementary)
};

TPortAccess ExamineAccess(const std::string& path);

// The advice for a device this user may not open, as lines (empty when the
// device cannot be examined): joining the owning group when that would help,
// else the owner, group and mode that stand in the way.
std::vector<std::string> PermissionAdvice(const std::string& path);

// The process holding the device's lock (flock, as the link takes it), found
// in the system's lock table; pid 0 when nobody or nothing is known.
struct TLockHolder {
  int pid = 0;
  std::string name;  // the process's command name, may be empty
};
TLockHolder FindLockHolder(const std::string& path);

}  // namespace bridgit
