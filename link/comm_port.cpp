#include "link/comm_port.h"

#include "link/device_links.h"
#include "link/port_names.h"

namespace bridgit {

TCommPort::TCommPort(TSessionHost& host) : TLink(host), device_(MakeSerialLink(host)) {}

TCommPort::~TCommPort() { CloseComm(); }

void TCommPort::OpenComm(const std::string& portName, int speed) {
  CloseComm();
  // The kind of device is chosen here only; closing keeps the object, so that
  // a thread still holding the link meets a closed device, never a freed one.
  const bool usb = IsUsbPortName(portName);
  if (usb && device_->Mode() != ModeUsb) device_ = MakeUsbLink(Host());
  if (!usb && device_->Mode() != ModeSerial) device_ = MakeSerialLink(Host());
  device_->OpenComm(portName, speed);
  Timing() = device_->Timing();
}

void TCommPort::CloseComm() { device_->CloseComm(); }

}  // namespace bridgit
