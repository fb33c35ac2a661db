// The timing profiles: the pauses and limits of every exchange, in milliseconds.
#pragma once

#include <cstdint>

namespace bridgit {

struct TLinkTiming {
  std::uint32_t AfterCommandChar;     // after a one-character server command
  std::uint32_t BeforePacketReply;    // between writing a command packet and reading its reply
  std::uint32_t AfterCommandPacket;   // after a command packet has been accepted
  std::uint32_t AfterPacketReceived;  // after a command packet has been received
  std::uint32_t PulseLimit;           // longest wait for the calculator in a pulse exchange
  std::uint32_t BeforeReceive;        // before a receiving transfer
  std::uint32_t BeforeSend;           // at the start of a sending transfer
  std::uint32_t AfterReceive;         // after a receiving transfer
  std::uint32_t AfterSend;            // after a sending transfer or a store sequence
  std::uint32_t AfterStore;           // after a store or purge sequence
  std::uint32_t AfterPulse;           // after a pulse exchange
  std::uint32_t AfterTransferError;   // after a failed transfer has sent its cancel bytes
  std::uint32_t BeforeBackupReceive;  // before receiving backup data
  std::uint32_t BeforeDirList;        // after requesting the directory list
};

// COM port at up to 9600 baud.
inline constexpr TLinkTiming SerialSlow{1, 10, 400, 200, 9000, 1, 1, 100, 10, 1, 100, 1000, 300, 1};
// The same values, chosen by the connection for the newer models.
inline constexpr TLinkTiming SerialSlowNewer{1, 10, 400, 200, 9000, 1, 1, 100, 10, 1, 100, 1000, 300, 1};
// COM port above 9600 baud.
inline constexpr TLinkTiming SerialFast{1, 10, 100, 50, 9000, 1, 1, 50, 10, 1, 100, 100, 300, 1};
// The ZQ73G+'s USB device.
inline constexpr TLinkTiming Usb{1, 10, 100, 50, 9000, 1, 1, 50, 10, 1, 50, 100, 300, 1};

}  // namespace bridgit
