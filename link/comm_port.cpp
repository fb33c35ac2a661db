#include "link/comm_port.h"

#include "link/port_names.h"
#include "link/tty_link.h"
#include "link/usb_link.h"

namespace bridgit {

TCommPort::TCommPort(TSessionHost& host) : TLink(host), device_(std::make_unique<TTtyLink>(host)) {}

TCommPort::~TCommPort() { CloseComm(); }

void TCommPort::OpenComm(const std::string& portName, int speed) {
  CloseComm();
  if (IsUsbPortName(portName)) device_ = std::make_unique<TUsbLink>(Host());
  device_->OpenComm(portName, speed);
  Timing() = device_->Timing();
}

void TCommPort::CloseComm() {
  device_->CloseComm();
  device_ = std::make_unique<TTtyLink>(Host());
}

}  // namespace bridgit
