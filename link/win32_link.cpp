#include "link/win32_link.h"

#include <windows.h>

#include <algorithm>
#include <cerrno>

#include "base/log.h"
#include "link/line_counters.h"
#include "link/texts.h"

namespace bridgit {

namespace {

bool Valid(void* h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }

// One WriteFile of everything; a COM port's write time-out bounds it.
bool WriteAll(void* handle, const char* data, std::size_t n, std::string& error) {
  DWORD written = 0;
  if (!Valid(handle)) {
    error = "the link is not open";
    return false;
  }
  if (!::WriteFile(handle, data, static_cast<DWORD>(n), &written, nullptr)) {
    error = Win32ErrorText(::GetLastError());
    return false;
  }
  CountLineBytes(written);
  // The write time-out ends a write short: bytes lost, so a failure.
  if (written < n) {
    error = "write timed out";
    return false;
  }
  return true;
}

}  // namespace

std::string Win32ErrorText(unsigned long code) {
  char* text = nullptr;
  const DWORD n = ::FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string out = n > 0 && text ? std::string(text, n) : "error " + std::to_string(code);
  if (text) ::LocalFree(text);
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r' || out.back() == '.' || out.back() == ' '))
    out.pop_back();
  return out;
}

int OpenErrorCause(unsigned long code) {
  switch (code) {
    case ERROR_SUCCESS:
      return 0;
    // A COM port is never shared: a refused open means another program has it.
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
      return EBUSY;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
      return ENOENT;
    default:
      return EIO;
  }
}

void* TWin32Link::OpenExclusive(const std::string& path, unsigned long access, const std::string& shownName,
                                std::string& error, unsigned long flags) {
  HANDLE h = ::CreateFileA(path.c_str(), access, 0, nullptr, OPEN_EXISTING, flags, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD code = ::GetLastError();
    RecordOpen(shownName, OpenErrorCause(code));
    error = Win32ErrorText(code);
    return NoHandle();
  }
  RecordOpen(shownName, 0);
  return h;
}

bool TWin32Link::IsOpen() const { return Valid(readHandle_); }

void TWin32Link::Fail(const std::string& cause) {
  Log(cause);
  FatalDisconnect();
}

void TWin32Link::CloseComm() {
  OnClose();  // a reader thread stops first, even in the middle of a read
  if (writeHandle_ == readHandle_) writeHandle_ = NoHandle();
  if (Valid(readHandle_)) {
    ::CloseHandle(readHandle_);
    if (Valid(writeHandle_)) ::CloseHandle(writeHandle_);
  }
  readHandle_ = writeHandle_ = NoHandle();
}

int TWin32Link::FinishRead(std::string& buffer, int got) {
  std::fill(buffer.begin() + got, buffer.end(), '\0');
  if (got > 0 && static_cast<std::size_t>(got) < buffer.size()) Log(texts::kLogPartialRead);
  return got;
}

void TWin32Link::WriteComm(const std::string& data) {
  std::string error;
  if (!WriteAll(writeHandle_, data.data(), data.size(), error)) Fail("WriteFile failed: " + error);
  OnWrite();
}

void TWin32Link::WriteUnchecked(const char* data, std::size_t n) {
  std::string ignored;
  WriteAll(writeHandle_, data, n, ignored);
}

}  // namespace bridgit
