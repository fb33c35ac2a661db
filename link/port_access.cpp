#include "link/port_access.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "link/line_counters.h"
#include "link/texts.h"

namespace bridgit {

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

}  // namespace

TPortAccess ExamineAccess(const std::string& path) {
  TPortAccess a;
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return a;
  a.known = true;
  a.owner = UserName(st.st_uid);
  a.group = GroupName(st.st_gid);
  char mode[8];
  std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(st.st_mode & 07777));
  a.mode = mode;
  a.groupMayUse = (st.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
  a.inGroup = InGroup(st.st_gid);
  return a;
}

std::vector<std::string> PermissionAdvice(const std::string& path) {
  const TPortAccess a = ExamineAccess(path);
  if (!a.known) return {};
  // Joining the group helps only when the group may read and write.
  if (a.groupMayUse && !a.inGroup) return texts::PermissionGroupAdvice(path, a.group);
  return {texts::PermissionModeAdvice(path, a.owner, a.group, a.mode)};
}

std::string PortErrorText(int error) { return std::strerror(error); }

TLockHolder FindLockHolder(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return {};
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
    TLockHolder holder;
    std::ifstream comm("/proc/" + pid + "/comm");
    std::getline(comm, holder.name);
    try {
      holder.pid = std::stoi(pid);
    } catch (const std::exception&) {
      return {};
    }
    return holder;
  }
  return {};
}

}  // namespace bridgit
