#include "link/win32_usb_link.h"

#include <windows.h>

#include "base/log.h"
#include "link/device_links.h"
#include "link/port_names.h"
#include "link/texts.h"

namespace bridgit {

std::string UsbDeviceName(const std::string& portName) {
  const std::string upper = UpperCase(portName);
  for (std::string_view suffix : kUsbSuffixes) {
    const std::string canonical = std::string(kUsbDeviceName) + std::string(suffix);
    if (upper == UpperCase(canonical)) return "\\\\.\\" + canonical;
  }
  return "\\\\.\\" + portName;
}

TWin32UsbLink::TWin32UsbLink(TSessionHost& host)
    : TWin32Link(host), readAhead_(*this, [this] {
        return std::make_unique<TSafeRdThread>([this](unsigned char* buf, std::size_t n) { return BlockingRead(buf, n); },
                                               [this] { ::SetEvent(closing_); });
      }) {
  readDone_ = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
  closing_ = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
}

TWin32UsbLink::~TWin32UsbLink() {
  CloseComm();
  ::CloseHandle(readDone_);
  ::CloseHandle(closing_);
}

void TWin32UsbLink::OpenComm(const std::string& portName, int) {
  if (IsOpen()) CloseComm();
  Timing() = Usb;
  readAhead_.Stop();
  const std::string device = UsbDeviceName(portName);
  const std::string in = device + "\\" + std::string(kUsbReadPipe);
  const std::string out = device + "\\" + std::string(kUsbWritePipe);
  std::string error;
  // The read pipe is opened for overlapped reads: a read without a time-out
  // must still end when the link closes.
  void* readHandle = OpenExclusive(in, GENERIC_READ, portName, error, FILE_FLAG_OVERLAPPED);
  if (readHandle == NoHandle()) Fail("Cannot open " + in + ": " + error);
  void* writeHandle = OpenExclusive(out, GENERIC_WRITE, portName, error);
  if (writeHandle == NoHandle()) {
    ::CloseHandle(readHandle);
    Fail("Cannot open " + out + ": " + error);
  }
  readHandle_ = readHandle;
  writeHandle_ = writeHandle;
  ::ResetEvent(closing_);
  WindowStep([this] { Host().SetConnected(true); });
}

long TWin32UsbLink::BlockingRead(unsigned char* buf, std::size_t n) {
  OVERLAPPED ov{};
  ov.hEvent = readDone_;
  DWORD got = 0;
  if (!::ReadFile(readHandle_, buf, static_cast<DWORD>(n), &got, &ov)) {
    // A failed read counts as no data (the reader pauses before the next).
    if (::GetLastError() != ERROR_IO_PENDING) return 0;
    HANDLE waits[2] = {readDone_, closing_};
    if (::WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0) {
      // The buffer and `ov` must outlive the read: a cancelled read completes
      // at once, so this wait is short.
      ::CancelIoEx(readHandle_, &ov);
      ::GetOverlappedResult(readHandle_, &ov, &got, TRUE);
      return -1;
    }
    if (!::GetOverlappedResult(readHandle_, &ov, &got, FALSE)) return 0;
  }
  return static_cast<long>(got);
}

void TWin32UsbLink::OnClose() { readAhead_.Stop(); }

void TWin32UsbLink::ChangeSpeed(int speed) { Log(std::string(texts::kLogChangingSpeed) + std::to_string(speed)); }

std::unique_ptr<TLink> MakeUsbLink(TSessionHost& host) { return std::make_unique<TWin32UsbLink>(host); }

std::size_t TWin32UsbLink::SafeRead() {
  if (!IsOpen()) Fail(std::string(texts::kLogReadOnClosedLink));  // as a closed serial port's read fails
  return readAhead_.SafeRead();
}

}  // namespace bridgit
