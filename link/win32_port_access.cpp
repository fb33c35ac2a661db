// Windows has no device groups, modes or lock table to report: a COM port is
// either free, held by another program, or not there, and the hints say which
// from the open error alone.
#include <cerrno>

#include "link/line_counters.h"
#include "link/port_access.h"

namespace bridgit {

TPortAccess ExamineAccess(const std::string&) { return {}; }

std::vector<std::string> PermissionAdvice(const std::string&) { return {}; }

TLockHolder FindLockHolder(const std::string&) { return {}; }

std::string PortErrorText(int error) {
  switch (error) {
    case ENOENT:
      return "there is no such COM port on this computer";
    case EBUSY:
      return "another program is using it";
    default:
      return "Windows refused to open it";
  }
}

}  // namespace bridgit
