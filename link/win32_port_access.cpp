// Windows has no device groups, modes or lock table to report: a COM port is
// either free, held by another program, or not there, and the hints say which
// from the open error alone.
#include <cerrno>

#include "link/line_counters.h"
#include "link/port_access.h"
#include "link/texts.h"

namespace bridgit {

TPortAccess ExamineAccess(const std::string&) { return {}; }

std::vector<std::string> PermissionAdvice(const std::string&) { return {}; }

TLockHolder FindLockHolder(const std::string&) { return {}; }

std::string PortErrorText(int error) {
  switch (error) {
    case ENOENT:
      return std::string(texts::kNoSuchComPort);
    case EBUSY:
      return std::string(texts::kComPortInUse);
    default:
      return std::string(texts::kComPortRefused);
  }
}

}  // namespace bridgit
