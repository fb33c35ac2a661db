#include "link/transfer_files.h"

#include <sys/stat.h>
#include <unistd.h>  // read, write, close: in both POSIX and the Windows C library

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "base/files.h"

namespace bridgit {

namespace {

std::mutex g_mutex;
std::shared_ptr<TTransferFile> g_send;
std::shared_ptr<TTransferFile> g_receive;

std::shared_ptr<TTransferFile>& Slot(TTransferDirection d) {
  return d == TTransferDirection::kSend ? g_send : g_receive;
}

std::shared_ptr<TTransferFile> OpenFile(const std::string& path, TOpenFor mode, std::string& error) {
  int code = 0;
  const int fd = OpenFileDescriptor(path, mode, code);
  if (fd < 0) {
    error = ErrorCodeText(code);
    return nullptr;
  }
  return std::make_shared<TTransferFile>(fd);
}

}  // namespace

std::shared_ptr<TTransferFile> TTransferFile::OpenForReading(const std::string& path, std::string& error) {
  return OpenFile(path, TOpenFor::kReading, error);
}

std::shared_ptr<TTransferFile> TTransferFile::CreateForWriting(const std::string& path, std::string& error) {
  return OpenFile(path, TOpenFor::kWriting, error);
}

bool TTransferFile::WriteAll(const char* data, std::size_t n) {
  std::lock_guard lock(mutex_);
  while (n > 0) {
    if (fd_ < 0) return false;
    // At most 1 GiB a call: the Windows C library counts in an unsigned int.
    const auto w = ::write(fd_, data, static_cast<unsigned>(std::min<std::size_t>(n, 1u << 30)));
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) return false;
    data += w;
    n -= static_cast<std::size_t>(w);
  }
  return true;
}

long TTransferFile::Read(char* buf, std::size_t n) {
  std::lock_guard lock(mutex_);
  if (fd_ < 0) return -1;
  long r;
  do r = ::read(fd_, buf, static_cast<unsigned>(std::min<std::size_t>(n, 1u << 30)));
  while (r < 0 && errno == EINTR);
  return static_cast<long>(r);
}

long long TTransferFile::Size() const {
  std::lock_guard lock(mutex_);
  struct stat st {};
  if (fd_ < 0 || ::fstat(fd_, &st) != 0) return -1;
  return static_cast<long long>(st.st_size);
}

void TTransferFile::Close() {
  std::lock_guard lock(mutex_);
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

bool TTransferFile::IsOpen() const {
  std::lock_guard lock(mutex_);
  return fd_ >= 0;
}

void SetTransferFile(TTransferDirection direction, std::shared_ptr<TTransferFile> file) {
  std::lock_guard lock(g_mutex);
  Slot(direction) = std::move(file);
}

void ClearTransferFile(TTransferDirection direction) {
  std::lock_guard lock(g_mutex);
  Slot(direction).reset();
}

void CloseTransferFiles() {
  std::lock_guard lock(g_mutex);
  for (auto* f : {&g_send, &g_receive})
    if (*f) (*f)->Close();
}

}  // namespace bridgit
