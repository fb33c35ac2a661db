#include "base/utf8_path.h"
#include "base/files.h"

#include <unistd.h>  // read, write, close, getpid: in both POSIX and the Windows C library

#include <algorithm>
#include <cstdio>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
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

// The longest file name the usual file systems take (NAME_MAX on Linux, 255
// UTF-16 units on NTFS).
constexpr std::size_t kTemporaryNameMax = 255;

bool ReadWholeFile(const std::string& path, std::string& bytes, int& errorCode) {
  const int fd = OpenFileDescriptor(path, TOpenFor::kReading, errorCode);
  if (fd < 0) return false;
  bytes.clear();
  char buf[65536];
  for (;;) {
    const auto r = ::read(fd, buf, sizeof buf);
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

std::string TemporarySiblingName(const std::string& path) {
  // A name nobody can guess: a file planted where the temporary file goes is
  // found there, never written through.
  std::random_device random;
  char suffix[24];
  std::snprintf(suffix, sizeof suffix, "-%08x%08x", random(), random());
  const std::string tail = ".part-" + std::to_string(::getpid()) + suffix;
  // A name that fits the folder's limit only just must still have a
  // temporary sibling: its start stands for it.
  const std::size_t slash = path.find_last_of(kPathSeparators);
  const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  const std::size_t room = kTemporaryNameMax - tail.size();
  return path.substr(0, nameStart + std::min(room, path.size() - nameStart)) + tail;
}

bool WriteFileSafely(const std::string& path, const std::string& bytes, int& errorCode) {
  std::string temp;
  const int fd = CreateTemporarySibling(path, temp, errorCode);
  if (fd < 0) return false;
  std::size_t done = 0;
  while (done < bytes.size()) {
    // At most 1 GiB a call: the Windows C library counts in an unsigned int.
    const auto w = ::write(fd, bytes.data() + done, static_cast<unsigned>(std::min<std::size_t>(bytes.size() - done, 1u << 30)));
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) {
      errorCode = w < 0 ? errno : EIO;
      ::close(fd);
      RemoveFileQuietly(temp);
      return false;
    }
    done += static_cast<std::size_t>(w);
  }
  if (::close(fd) != 0) {
    errorCode = errno;
    RemoveFileQuietly(temp);
    return false;
  }
  if (!ReplaceWithSibling(temp, path, errorCode)) {
    RemoveFileQuietly(temp);
    return false;
  }
  return true;
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
  std::string ext = Utf8(Utf8Path(path).extension());
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
