#include "base/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <random>
#include <stdexcept>

namespace bridgit {

std::string ReadOrFail(const std::string& path) {
  std::string bytes;
  int code = 0;
  if (!ReadWholeFile(path, bytes, code)) throw std::runtime_error("cannot read " + path + ": " + std::strerror(code));
  return bytes;
}

void WriteOrFail(const std::string& path, const std::string& bytes) {
  int code = 0;
  if (!WriteFileSafely(path, bytes, code)) throw std::runtime_error("cannot write " + path + ": " + std::strerror(code));
}

namespace fs = std::filesystem;

// The longest file name the usual Linux file systems take (NAME_MAX).
constexpr std::size_t kTemporaryNameMax = 255;

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

int CreateTemporarySibling(const std::string& path, std::string& tempPath, int& errorCode) {
  // A name nobody can guess, made anew and never through a link: a file or
  // link planted where the temporary file goes is not written through.
  std::random_device random;
  char suffix[24];
  std::snprintf(suffix, sizeof suffix, "-%08x%08x", random(), random());
  const std::string tail = ".part-" + std::to_string(::getpid()) + suffix;
  // A name that fits the folder's limit only just must still have a
  // temporary sibling: its start stands for it.
  const std::size_t nameStart = path.rfind('/') + 1;  // 0 without a folder (npos + 1)
  const std::size_t room = kTemporaryNameMax - tail.size();
  tempPath = path.substr(0, nameStart + std::min(room, path.size() - nameStart)) + tail;
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

bool WriteFileSafely(const std::string& path, const std::string& bytes, int& errorCode) {
  std::string temp;
  const int fd = CreateTemporarySibling(path, temp, errorCode);
  if (fd < 0) return false;
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
      throw std::runtime_error("Unable to make a private temporary folder in " + system + ": " + std::strerror(errno));
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

std::string FindShippedFile(const std::string& name) {
  const fs::path program(ProgramFolder());
  // Beside the program in a build tree; in the data folder once installed.
  for (const fs::path& candidate : {program / name, program / BRIDGIT_DATA_FROM_BIN / name}) {
    std::error_code ec;
    if (!fs::is_regular_file(candidate, ec)) continue;
    const fs::path plain = fs::weakly_canonical(candidate, ec);  // no "bin/../" in what is shown
    return ec ? candidate.string() : plain.string();
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

std::string ErrorSuffix(int error) { return std::string(": ") + std::strerror(error); }

std::string ErrorCodeText(int error) { return std::to_string(error) + " (" + std::strerror(error) + ")"; }

}  // namespace bridgit
