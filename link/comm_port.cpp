#include "link/comm_port.h"

#include "link/device_links.h"
#include "link/port_names.h"

namespace bridgit {

TCommPort::TCommPort(TSessionHost& host) : TLink(host), device_(MakeSerialLink(host)) {}

TCommPort::~TCommPort() { CloseComm(); }

void TCommPort::OpenComm(const std::string& portName, int speed) {
  CloseComm();
  if (IsUsbPortName(portName)) device_ = MakeUsbLink(Host());
  device_->OpenComm(portName, speed);
  Timing() = device_->Timing();
}

void TCommPort::CloseComm() {
  device_->CloseComm();
  device_ = MakeSerialLink(Host());
}

}  // namespace bridgit
