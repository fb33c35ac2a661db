#include "link/posix_link.h"

#include <algorithm>

#include "base/log.h"
#include "link/serial_device.h"
#include "link/texts.h"

namespace bridgit {

namespace {
constexpr int kWriteConstantMs = 100;
constexpr int kWriteMultiplierMs = 30;
}  // namespace

int TPosixLink::WriteTimeoutMs(std::size_t bytes) {
  return kWriteConstantMs + kWriteMultiplierMs * static_cast<int>(std::min<std::size_t>(bytes, 1u << 24));
}

void TPosixLink::Fail(const std::string& cause) {
  Log(cause);
  FatalDisconnect();
}

void TPosixLink::CloseComm() {
  OnClose();  // a reader thread stops first, even in the middle of a read
  if (writeHandle_ == readHandle_) writeHandle_ = -1;
  if (readHandle_ >= 0) {
    posix::CloseFd(readHandle_);
    posix::CloseFd(writeHandle_);
    readHandle_ = writeHandle_ = -1;
  }
}

int TPosixLink::FinishRead(std::string& buffer, int got) {
  std::fill(buffer.begin() + got, buffer.end(), '\0');
  if (got > 0 && static_cast<std::size_t>(got) < buffer.size()) Log(texts::kLogPartialRead);
  return got;
}

void TPosixLink::WriteComm(const std::string& data) {
  std::string error;
  if (!posix::WriteWithin(writeHandle_, data.data(), data.size(), WriteTimeoutMs(data.size()), error))
    Fail("WriteFile failed: " + error);
  OnWrite();
}

void TPosixLink::WriteUnchecked(const char* data, std::size_t n) {
  std::string ignored;
  posix::WriteWithin(writeHandle_, data, n, WriteTimeoutMs(n), ignored);
}

}  // namespace bridgit
