#include "link/comm_port.h"

#include "link/port_names.h"
#include "link/tty_link.h"
#include "link/usb_link.h"

namespace bridgit {

TCommPort::TCommPort(TSessionHost& host) : TLink(host), device_(std::make_unique<TTtyLink>(host)) {}

TCommPort::~TCommPort() { CloseComm(); }

void TCommPort::OpenComm(const std::string& portName, int speed) {
  CloseComm();
  // The kind of device is chosen here only; closing keeps the object, so that
  // a thread still holding the link meets a closed device, never a freed one.
  const bool usb = IsUsbPortName(portName);
  if (usb && device_->Mode() != ModeUsb) device_ = std::make_unique<TUsbLink>(Host());
  if (!usb && device_->Mode() != ModeSerial) device_ = std::make_unique<TTtyLink>(Host());
  device_->OpenComm(portName, speed);
  Timing() = device_->Timing();
}

void TCommPort::CloseComm() { device_->CloseComm(); }

}  // namespace bridgit
