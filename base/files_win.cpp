// Files and folders on Windows: names in UTF-8 reach the system as UTF-16.
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <sddl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <random>
#include <stdexcept>

#include "base/files.h"
#include "base/texts.h"
#include "base/win_text.h"

namespace bridgit {

namespace {

int OpenWide(const std::string& path, int flags, int& errorCode) {
  // Binary: the bytes of a calculator object are never translated; not
  // inherited: an editor started later does not hold the file open.
  const int fd = ::_wopen(Widen(path).c_str(), flags | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
  if (fd < 0) errorCode = errno;
  return fd;
}

}  // namespace

int OpenFileDescriptor(const std::string& path, TOpenFor mode, int& errorCode) {
  return OpenWide(path, mode == TOpenFor::kReading ? _O_RDONLY : _O_WRONLY | _O_CREAT | _O_TRUNC, errorCode);
}

int CreateTemporarySibling(const std::string& path, std::string& tempPath, int& errorCode) {
  tempPath = TemporarySiblingName(path);
  // _O_EXCL: made anew, a file planted under the name is refused.
  return OpenWide(tempPath, _O_WRONLY | _O_CREAT | _O_EXCL, errorCode);
}

bool ReplaceWithSibling(const std::string& tempPath, const std::string& path, int& errorCode) {
  const std::wstring temp = Widen(tempPath), target = Widen(path);
  // ReplaceFile keeps the replaced file's security and creation time; a file
  // that is not there yet is simply moved into place. Its attributes are set
  // again after either, as not every ReplaceFile carries them over.
  const DWORD attributes = ::GetFileAttributesW(target.c_str());
  bool replaced = attributes != INVALID_FILE_ATTRIBUTES &&
                  ::ReplaceFileW(target.c_str(), temp.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr);
  if (!replaced) {
    if (!::MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      errorCode = ErrnoFromWindows(::GetLastError());
      return false;
    }
  }
  constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & kKept))
    ::SetFileAttributesW(target.c_str(), (attributes & kKept) | FILE_ATTRIBUTE_ARCHIVE);
  return true;
}

void RemoveFileQuietly(const std::string& path) { ::DeleteFileW(Widen(path).c_str()); }

std::string ProgramFolder() {
  std::wstring exe(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = ::GetModuleFileNameW(nullptr, exe.data(), static_cast<DWORD>(exe.size()));
    if (n == 0) return ".";
    if (n < exe.size()) {
      exe.resize(n);
      break;
    }
    exe.resize(exe.size() * 2);
  }
  return Narrow(exe.substr(0, exe.find_last_of(L"\\/")));
}

namespace {

// The private folder: readable by its owner only, removed with everything in
// it when the program ends, made again when something removed it meanwhile
// (a cleaner of old temporary files under a program that runs for weeks).
class TPrivateFolder {
 public:
  ~TPrivateFolder() { Remove(); }

  std::string Path() {
    std::lock_guard lock(mutex_);
    if (!path_.empty()) {
      const DWORD attributes = ::GetFileAttributesW(Widen(path_).c_str());
      if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
          !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return path_;
    }
    Remove();
    wchar_t system[MAX_PATH + 1];
    const DWORD n = ::GetTempPathW(MAX_PATH + 1, system);
    const std::string base = n == 0 ? std::string(".\\") : Narrow(std::wstring(system, n));
    std::random_device random;
    for (int attempt = 0; attempt < 16; ++attempt) {
      char name[32];
      std::snprintf(name, sizeof name, "bridgit-%08x", random());
      const std::string candidate = base + name;
      if (MakePrivateFolder(candidate)) {
        path_ = candidate + "\\";
        return path_;
      }
      if (::GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
    throw std::runtime_error(std::string(texts::kNoPrivateFolder) + base + ": " + std::strerror(ErrnoFromWindows(::GetLastError())));
  }

 private:
  // Full access for the folder's owner and nobody else, whatever the
  // temporary folder grants (TMP may point at a shared folder).
  static bool MakePrivateFolder(const std::string& path) {
    SECURITY_ATTRIBUTES security{sizeof(SECURITY_ATTRIBUTES), nullptr, FALSE};
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;OICI;FA;;;OW)", SDDL_REVISION_1, &descriptor, nullptr))
      security.lpSecurityDescriptor = descriptor;
    const BOOL made = ::CreateDirectoryW(Widen(path).c_str(), &security);
    const DWORD error = ::GetLastError();
    if (descriptor) ::LocalFree(descriptor);
    ::SetLastError(error);
    return made != FALSE;
  }

  void Remove() {
    if (path_.empty()) return;
    std::error_code ec;
    std::filesystem::remove_all(std::filesystem::path(Widen(path_)), ec);
    path_.clear();
  }

  std::mutex mutex_;
  std::string path_;
};

}  // namespace

std::string TempFolder() {
  static TPrivateFolder folder;
  return folder.Path();
}

}  // namespace bridgit
