#include "base/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cctype>
#include <filesystem>
#include <random>

namespace bridgit {

namespace fs = std::filesystem;

bool ReadWholeFile(const std::string& path, std::string& bytes, int& errorCode) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    errorCode = errno;
    return false;
  }
  bytes.clear();
  char buf[65536];
  for (;;) {
    const ssize_t r = ::read(fd, buf, sizeof buf);
    if (r == 0) break;
    if (r < 0) {
      if (errno == EINTR) continue;
      errorCode = errno;
      ::close(fd);
      return false;
    }
    bytes.append(buf, static_cast<std::size_t>(r));
  }
  ::close(fd);
  return true;
}

bool WriteFileSafely(const std::string& path, const std::string& bytes, int& errorCode) {
  // A name nobody can guess, made anew and never through a link: a file or
  // link planted where the temporary file goes is not written through.
  std::random_device random;
  char suffix[24];
  std::snprintf(suffix, sizeof suffix, "-%08x%08x", random(), random());
  const std::string temp = path + ".part-" + std::to_string(::getpid()) + suffix;
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd < 0) {
    errorCode = errno;
    return false;
  }
  // A file replaced keeps its permissions (a private file stays private).
  struct stat old {};
  if (::lstat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode)) ::fchmod(fd, old.st_mode & 07777);
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t w = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) {
      errorCode = w < 0 ? errno : EIO;
      ::close(fd);
      std::remove(temp.c_str());
      return false;
    }
    done += static_cast<std::size_t>(w);
  }
  if (::close(fd) != 0 || std::rename(temp.c_str(), path.c_str()) != 0) {
    errorCode = errno;
    std::remove(temp.c_str());
    return false;
  }
  return true;
}

std::string ProgramFolder() {
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  return ec ? fs::current_path(ec).string() : exe.parent_path().string();
}

std::string TempFolder() {
  std::error_code ec;
  std::string t = fs::temp_directory_path(ec).string();
  if (ec || t.empty()) t = "/tmp";
  if (t.back() != '/') t += '/';
  return t;
}

std::string FindShippedFile(const std::string& name) {
  const fs::path program(ProgramFolder());
  for (const fs::path& candidate : {program / name, program.parent_path() / "share" / "bridgit" / name}) {
    std::error_code ec;
    if (fs::is_regular_file(candidate, ec)) return candidate.string();
  }
  return {};
}

std::string LowerExtension(const std::string& path) {
  std::string ext = fs::path(path).extension().string();
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}

std::string FileNamePart(const std::string& path) { return path.substr(path.find_last_of("/\\") + 1); }

std::string SafeFileNamePart(const std::string& path) {
  std::string part = FileNamePart(path);
  for (char& c : part)
    if (static_cast<unsigned char>(c) < 32 || std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos) c = '_';
  return part;
}

}  // namespace bridgit
