#include "link/port_access.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

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

}  // namespace bridgit
