// Why a connection or an exchange failed, as far as the program can tell, and
// what the person can do about it: one hint for the causes it can tell apart.
// The command line and the window give the same hints.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "link/comm_port.h"
#include "link/port_list.h"

namespace bridgit {

// An error with a hint to show after it.
class THintedError : public std::runtime_error {
 public:
  THintedError(const std::string& what, std::string hint) : std::runtime_error(what), hint_(std::move(hint)) {}
  const std::string& hint() const { return hint_; }

 private:
  std::string hint_;
};

// How the front end lets the person act on a hint.
struct THintWords {
  std::string setSpeed;   // how the PC's speed is set ("or give --speed")
  std::string listPorts;  // where every port and why it cannot be opened is shown
};

// What was known before an attempt, to tell what happened during it.
struct TConnectAttempt {
  std::uint64_t receivedBefore = 0;
  bool kermitSeen = false;     // the session reported the Kermit server
  bool serverExpected = true;  // false when only the port was opened
};

// The start of an attempt on the link.
TConnectAttempt BeginAttempt(bool serverExpected);

// The hint for a failed attempt on `port` ("" when there is none to give).
// `rpn` chooses the wording of the start keys, `speed` is the speed used.
std::string ConnectionHint(const TConnectAttempt& attempt, const std::string& port, const std::string& speed, bool rpn,
                           const THintWords& words);

// The hint for an exchange on an open link that failed: bytes came, but made
// no sense, on a serial line (the speed); "" otherwise.
std::string ExchangeHint(const TConnectAttempt& attempt, const std::string& port, const std::string& speed,
                         const THintWords& words);

// Ports that exist but that this user may not open: how many and what would
// let them ("" when there are none).
std::string NotYoursHint(const std::vector<TPortState>& ports, const THintWords& words);

// The start keys of the XModem server as indented lines.
std::string StartServerKeys(bool rpn);

// Why a port that exists cannot be opened, in a few words for a port list.
std::string UnusableReason(const std::string& device, int error);

// The program holding the lock on a path: "process PID (NAME)", or "".
std::string LockHolder(const std::string& path);

}  // namespace bridgit
