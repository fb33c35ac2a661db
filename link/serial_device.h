// POSIX building blocks of the link: exclusive opens, tty settings, and reads
// and writes bounded in time with poll().
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "link/line_counters.h"

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

// The counters and the open failure record, under the names the POSIX code
// has always used.
using bridgit::CountLineBytes;
using bridgit::CountReceivedBytes;
using bridgit::LastOpenFailure;
using bridgit::LineBytesReceived;
using bridgit::LineBytesTotal;
using bridgit::TOpenFailure;

}  // namespace bridgit::posix
