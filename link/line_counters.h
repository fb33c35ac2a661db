// What the link has carried so far and why its latest open failed: read by the
// benchmarks and by the hints after a failed connection, on every platform.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace bridgit {

// Bytes the link has read and written so far, over all threads (the wire time
// of an exchange is this at 10 bits a byte).
std::uint64_t LineBytesTotal();
void CountLineBytes(std::size_t n);
// Bytes read alone (counted in the total too): whether the calculator sent
// anything at all during an attempt.
std::uint64_t LineBytesReceived();
void CountReceivedBytes(std::size_t n);

// Why the last exclusive open of a port failed: the path and an errno value
// (EWOULDBLOCK or EBUSY when another program holds it, ENOENT when there is no
// such port); error 0 after an open that succeeded.
struct TOpenFailure {
  std::string path;
  int error = 0;
};
TOpenFailure LastOpenFailure();
void RecordOpen(const std::string& path, int error);

// A port open error in a few words, for a hint or a port list.
std::string PortErrorText(int error);

}  // namespace bridgit
