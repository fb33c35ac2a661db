// What the COM port and the USB device share on Windows: two handles (one on a
// COM port), whole writes in one call, and the fatal path with the cause
// logged. The handles are kept as void* so that <windows.h> stays out of the
// headers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "link/link.h"

namespace bridgit {

class TWin32Link : public TLink {
 public:
  using TLink::TLink;
  bool IsOpen() const override;
  void CloseComm() override;
  void WriteComm(const std::string& data) override;
  void WriteUnchecked(const char* data, std::size_t n) override;

 protected:
  [[noreturn]] void Fail(const std::string& cause);
  // Zeroes the unfilled rest of a read and logs a partial one.
  int FinishRead(std::string& buffer, int got);
  // Opens a device exclusively (no sharing, open-existing). The failure is
  // recorded for the hints under `shownName`; NoHandle() and the cause in
  // `error` on failure.
  static void* OpenExclusive(const std::string& path, unsigned long access, const std::string& shownName,
                             std::string& error, unsigned long flags = 0);
  virtual void OnClose() {}
  virtual void OnWrite() {}

  // INVALID_HANDLE_VALUE: no handle.
  static void* NoHandle() { return reinterpret_cast<void*>(static_cast<std::intptr_t>(-1)); }

  void* readHandle_ = NoHandle();  // on a COM port the same handle as writeHandle_
  void* writeHandle_ = NoHandle();
};

// The system's words for a Windows error code.
std::string Win32ErrorText(unsigned long code);
// The errno value the hints understand for a Windows open error: EBUSY for a
// port another program holds, ENOENT for one that is not there, else EIO.
int OpenErrorCause(unsigned long code);

}  // namespace bridgit
