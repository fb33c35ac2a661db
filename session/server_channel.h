// The exchange with the calculator's XModem server over the one link: command
// letters, command packets with their acknowledgements, the pulse that waits
// for the calculator, the pauses of the link's timing profile, and what the
// window shows of it (status, port, speed, the server's version). The
// operations on the calculator's memory (TXModemServer) rest on it.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "base/clock.h"
#include "host/comm_status.h"
#include "host/session_host.h"
#include "link/link.h"

namespace bridgit {

class TTransferThread;

class TServerChannel {
 public:
  TServerChannel(TSessionHost& host, std::unique_ptr<TLink> link);
  TServerChannel(const TServerChannel&) = delete;
  TServerChannel& operator=(const TServerChannel&) = delete;

  // --- What the window shows of the channel.
  const std::string& Status() const { return status_; }
  void SetStatus(const std::string& text);
  void SetOnStatusChange(std::function<void(const std::string&)> onChange) { onStatusChange_ = std::move(onChange); }
  // The port of the current connection; empty: disconnected.
  const std::string& PortName() const { return portName_; }
  void SetPortName(const std::string& name) { portName_ = name; }
  bool IsConnected() const { return !portName_.empty(); }
  void CheckConnected() const;
  // The speed the person chose; GetSpeed gives the one in force ("130000" on USB).
  const std::string& Speed() const { return speed_; }
  void SetSpeed(const std::string& speed);
  std::string GetSpeed() const;
  // The server's answer to V, followed by the ROM's version once identified.
  const std::string& Version() const { return version_; }
  void SetVersion(const std::string& version) { version_ = version; }

  // --- The link.
  TLink& Link() { return *link_; }
  // Opening PortName at Speed and closing: refused while a transfer runs.
  void OpenLink();
  void CloseLink();
  // Runs a transfer thread over the link in the progress dialog. Until it
  // ends the link is the thread's: opening, closing and command letters are
  // refused, so that nothing is pulled from under it.
  TModalResult Transfer(TTransferThread& thread, TCommStatusDialog& dialog, const std::string& caption);

  // --- Command letters and packets.
  void SendCommandChar(char letter);
  void SendCommandPacket(const std::string& text);  // backslash notation
  std::string ReceiveCommandPacket();
  // Waits until the calculator listens again.
  void Pulse();
  // Has the calculator evaluate a command (none: only waits); every operation rests on it.
  void Execute(const std::string& command, bool showBusy, bool wait);

 private:
  // How long the calculator may take to start an answer.
  static constexpr int kReplyTimeoutMs = 2500;
  // The packet for a command in backslash notation, and its payload; a comm
  // error when it is too long.
  std::string PacketFor(const std::string& text, std::string& payload);
  // Writes a packet until the calculator acknowledges it.
  void SendPacket(const std::string& packet);
  // One attempt at reading a packet; false when it was short or its check failed.
  bool ReadPacketOnce(std::string& payload);
  void RefuseDuringTransfer() const;

  // The pulse waits for the calculator as its link allows: by timed reads on a
  // serial line, by the USB reader's read-ahead on the USB device.
  struct TPulseLetters;
  void PulseIdle();
  void SendPulseLetter(TPulseLetters& letters, TTickMs interval);
  void PulseSerial(TPulseLetters& letters);
  void PulseUsb(TPulseLetters& letters);

  TSessionHost& host_;
  std::unique_ptr<TLink> link_;
  bool transferRunning_ = false;
  std::string status_;
  std::string portName_;
  std::string speed_ = "9600";
  std::string version_;
  std::function<void(const std::string&)> onStatusChange_;
};

}  // namespace bridgit
