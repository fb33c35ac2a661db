#include "session/connect_hint.h"

#include <cerrno>
#include <sstream>

#include "host/prompt_kinds.h"
#include "host/prompt_texts.h"
#include "link/line_counters.h"
#include "link/port_access.h"
#include "link/port_names.h"
#include "session/texts.h"

namespace bridgit {

namespace {

std::string PermissionHint(const std::string& path) {
  std::string hint;
  for (const std::string& line : PermissionAdvice(path))
    hint += (hint.empty() ? std::string(texts::kHint) : "\n" + std::string(texts::kHintIndent)) + line;
  return hint;
}

}  // namespace

TConnectAttempt BeginAttempt(bool serverExpected) {
  TConnectAttempt a;
  a.receivedBefore = LineBytesReceived();
  a.serverExpected = serverExpected;
  return a;
}

std::string StartServerKeys(bool rpn) {
  std::string out;
  std::istringstream in{std::string(PromptText(kPromptStartServer, rpn))};
  std::string line;
  while (std::getline(in, line)) {
    std::erase(line, '\r');
    while (!line.empty() && line.back() == ' ') line.pop_back();
    if (line.empty() || line.starts_with(texts::kPromptButtonLine)) continue;
    out += std::string(texts::kHintIndent) + line + "\n";
  }
  if (!out.empty()) out.pop_back();
  return out;
}

std::string LockHolder(const std::string& path) {
  const TLockHolder holder = FindLockHolder(path);
  return holder.pid > 0 ? texts::HolderText(holder.pid, holder.name) : "";
}

std::string ConnectionHint(const TConnectAttempt& attempt, const std::string& port, const std::string& speed, bool rpn,
                           const THintWords& words) {
  if (IsAutoPortName(port)) return "";
  if (attempt.kermitSeen) return texts::KermitHint(StartServerKeys(rpn));
  const TOpenFailure failure = LastOpenFailure();
  switch (failure.error) {
    case 0:
      break;
    case EACCES:
    case EPERM:
      return PermissionHint(failure.path);
    case EWOULDBLOCK:
    case EBUSY:  // another holder set TIOCEXCL
      return texts::InUseHint(failure.path, LockHolder(failure.path));
    default:
      return texts::NoSuchPortHint(failure.path, PortErrorText(failure.error), words.listPorts);
  }
  if (!attempt.serverExpected) return "";
  // Over USB there is no speed to get wrong.
  const bool serial = !IsUsbPortName(port);
  if (LineBytesReceived() == attempt.receivedBefore)
    return texts::NoByteHint(port, StartServerKeys(rpn)) + (serial ? texts::NoByteSpeedLine(speed, words.setSpeed) : "");
  return serial ? texts::GarbledHint(port, speed, words.setSpeed) : "";
}

std::string ExchangeHint(const TConnectAttempt& attempt, const std::string& port, const std::string& speed,
                         const THintWords& words) {
  if (IsUsbPortName(port) || LineBytesReceived() == attempt.receivedBefore) return "";
  return texts::GarbledHint(port, speed, words.setSpeed);
}

std::string NotYoursHint(const std::vector<TPortState>& ports, const THintWords& words) {
  std::size_t n = 0;
  std::string group;
  for (const TPortState& p : ports) {
    if (p.error != EACCES && p.error != EPERM) continue;
    ++n;
    const TPortAccess a = ExamineAccess(p.device);
    if (a.groupMayUse && !a.inGroup) group = a.group;
  }
  if (n == 0) return "";
  return texts::NotYoursHint(n, (group.empty() ? std::string() : texts::JoinGroupAdvice(group) + ". ") + words.listPorts);
}

std::string UnusableReason(const std::string& device, int error) {
  switch (error) {
    case EACCES:
    case EPERM: {
      const TPortAccess a = ExamineAccess(device);
      if (a.groupMayUse && !a.inGroup) return texts::JoinGroupReason(a.group);
      return texts::ModeReason(a.owner, a.group, a.mode);
    }
    case EWOULDBLOCK:
    case EBUSY:
      return texts::InUseReason(LockHolder(device));
    default:
      return PortErrorText(error);
  }
}

}  // namespace bridgit
