// Files and folders on POSIX systems.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <stdexcept>

#include "base/files.h"
#include "base/texts.h"

namespace bridgit {

namespace fs = std::filesystem;

int OpenFileDescriptor(const std::string& path, TOpenFor mode, int& errorCode) {
  const int flags = mode == TOpenFor::kReading ? O_RDONLY : O_WRONLY | O_CREAT | O_TRUNC;
  const int fd = ::open(path.c_str(), flags | O_CLOEXEC, 0644);
  if (fd < 0) errorCode = errno;
  return fd;
}

int CreateTemporarySibling(const std::string& path, std::string& tempPath, int& errorCode) {
  tempPath = TemporarySiblingName(path);
  // Made anew and never through a link.
  const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd < 0) {
    errorCode = errno;
    return -1;
  }
  // A file replaced keeps its permissions (a private file stays private).
  struct stat old {};
  if (::lstat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode)) ::fchmod(fd, old.st_mode & 07777);
  return fd;
}

bool ReplaceWithSibling(const std::string& tempPath, const std::string& path, int& errorCode) {
  if (std::rename(tempPath.c_str(), path.c_str()) == 0) return true;
  errorCode = errno;
  return false;
}

void RemoveFileQuietly(const std::string& path) { std::remove(path.c_str()); }

std::string ProgramFolder() {
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  return ec ? fs::current_path(ec).string() : exe.parent_path().string();
}

namespace {

// The private folder; removed by the process that made it (a child forked for
// an editor or a terminal must not take it along when it ends). Made again
// when something removed it meanwhile (a cleaner of old temporary files under
// a program that runs for weeks).
class TPrivateFolder {
 public:
  ~TPrivateFolder() { Remove(); }

  std::string Path() {
    std::lock_guard lock(mutex_);
    struct stat st {};
    if (!path_.empty() && ::lstat(path_.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid()) return path_;
    Remove();
    std::error_code ec;
    std::string system = fs::temp_directory_path(ec).string();
    if (ec || system.empty()) system = "/tmp";
    std::string pattern = (fs::path(system) / "bridgit-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
      throw std::runtime_error(std::string(texts::kNoPrivateFolder) + system + ": " + std::strerror(errno));
    path_ = pattern + "/";
    owner_ = ::getpid();
    return path_;
  }

 private:
  void Remove() {
    if (path_.empty() || ::getpid() != owner_) return;
    std::error_code ec;
    fs::remove_all(path_, ec);
    path_.clear();
  }

  std::mutex mutex_;
  std::string path_;
  pid_t owner_ = 0;
};

}  // namespace

std::string TempFolder() {
  static TPrivateFolder folder;
  return folder.Path();
}

}  // namespace bridgit
