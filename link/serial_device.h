// POSIX building blocks of the link: exclusive opens, tty settings, and reads
// and writes bounded in time with poll().
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace bridgit::posix {

// Opens a path with O_NOCTTY | O_NONBLOCK (opens never block) and takes an
// exclusive lock on it (flock, plus TIOCEXCL on a tty). A tty's settings are
// saved for CloseFd. Returns -1 and the cause in `error` on failure; a device
// in use fails.
int OpenExclusive(const std::string& path, int accessFlags, std::string& error);

// Closes what OpenExclusive opened; a tty gets its saved settings back (once
// its output has left) and its exclusive mode cleared.
void CloseFd(int fd);

// Raw 8N1 at the speed, receiver on, modem lines ignored, no flow control of
// either kind, DTR and RTS raised where the device has them.
bool ConfigureTty(int fd, int speed, std::string& error);
bool SetTtySpeed(int fd, int speed, std::string& error);
// The baud rate a speed maps to, or 0 when the tty layer has no such rate.
unsigned BaudConstant(int speed);

// Reads up to n bytes, returning when n have arrived or the time is up. Returns
// the count, or -1 when the read itself failed (`error` says why).
long ReadWithin(int fd, char* buf, std::size_t n, int timeoutMs, std::string& error);

// Writes all n bytes within the time; false (and the cause) when it could not.
bool WriteWithin(int fd, const char* data, std::size_t n, int timeoutMs, std::string& error);

// Waits until the bytes written have left the tty (bounded), then discards the
// input that has arrived. Bytes just written (a cancel) still reach the peer.
void DrainOutputThenFlushInput(int fd, int timeoutMs);

std::string ErrnoText(int err);

// Bytes the link has read and written so far, over all threads (the wire time
// of an exchange is this at 10 bits a byte).
std::uint64_t LineBytesTotal();
void CountLineBytes(std::size_t n);
// Bytes read alone (counted in the total too): whether the calculator sent
// anything at all during an attempt.
std::uint64_t LineBytesReceived();
void CountReceivedBytes(std::size_t n);

// Why the last OpenExclusive failed: the path and errno (EWOULDBLOCK when
// another holder has the lock); errno 0 after an open that succeeded.
struct TOpenFailure {
  std::string path;
  int error = 0;
};
TOpenFailure LastOpenFailure();

}  // namespace bridgit::posix
