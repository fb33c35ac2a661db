#include "cli/connect_hint.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <vector>

#include "cli/texts.h"
#include "host/prompt_kinds.h"
#include "host/prompt_texts.h"
#include "link/port_names.h"
#include "link/serial_device.h"

namespace bridgit::cli {

namespace {

std::string GroupName(gid_t gid) {
  if (const group* g = ::getgrgid(gid)) return g->gr_name;
  return std::to_string(gid);
}

std::string UserName(uid_t uid) {
  if (const passwd* p = ::getpwuid(uid)) return p->pw_name;
  return std::to_string(uid);
}

bool InGroup(gid_t gid) {
  if (::getegid() == gid) return true;
  const int n = ::getgroups(0, nullptr);
  if (n <= 0) return false;
  std::vector<gid_t> groups(static_cast<std::size_t>(n));
  const int got = ::getgroups(n, groups.data());
  for (int i = 0; i < got; ++i)
    if (groups[static_cast<std::size_t>(i)] == gid) return true;
  return false;
}

std::string PermissionHint(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return "";
  const bool groupMayUse = (st.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
  const std::string group = GroupName(st.st_gid);
  // Joining the group helps only when the group may read and write.
  if (groupMayUse && !InGroup(st.st_gid)) return texts::PermissionGroupHint(path, group);
  char mode[8];
  std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(st.st_mode & 07777));
  return texts::PermissionModeHint(path, UserName(st.st_uid), group, mode);
}

}  // namespace

TConnectAttempt BeginAttempt(bool serverExpected) {
  TConnectAttempt a;
  a.receivedBefore = posix::LineBytesReceived();
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
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return "";
  // /proc/locks names a file as MAJOR:MINOR:INODE, the numbers of its device in hex.
  char key[64];
  std::snprintf(key, sizeof key, "%02x:%02x:%llu", ::major(st.st_dev), ::minor(st.st_dev),
                static_cast<unsigned long long>(st.st_ino));
  std::ifstream locks("/proc/locks");
  std::string line;
  while (std::getline(locks, line)) {
    std::istringstream fields(line);
    std::string number, kind, advisory, access, pid, file;
    fields >> number >> kind;
    if (kind == "->") continue;  // a waiter, not a holder
    fields >> advisory >> access >> pid >> file;
    if (kind != "FLOCK" || file != key) continue;
    std::string name;
    std::ifstream comm("/proc/" + pid + "/comm");
    std::getline(comm, name);
    try {
      return texts::HolderText(std::stoi(pid), name);
    } catch (const std::exception&) {
      return "";
    }
  }
  return "";
}

std::string ConnectionHint(const TConnectAttempt& attempt, const std::string& port, const std::string& speed, bool rpn) {
  if (IsAutoPortName(port)) return "";
  if (attempt.kermitSeen) return texts::KermitHint(StartServerKeys(rpn));
  const posix::TOpenFailure failure = posix::LastOpenFailure();
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
      return "";
  }
  if (!attempt.serverExpected) return "";
  if (posix::LineBytesReceived() == attempt.receivedBefore) return texts::NoByteHint(port, StartServerKeys(rpn));
  // Over USB there is no speed to get wrong.
  return IsUsbPortName(port) ? "" : texts::GarbledHint(port, speed);
}

}  // namespace bridgit::cli
