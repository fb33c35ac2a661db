// Port names: what the user picks or types, and the device paths behind them.
//
// A serial port is a tty device path (/dev/ttyUSB0, a pseudo-terminal, any path
// given); "COMn" is accepted as an alias of /dev/ttyS(n-1). The ZQ73G+'s USB
// device is a folder "ZQx3G+" (or "ZQx3G+_1" to "_4") under the USB root
// (BRIDGIT_USB_ROOT, default /dev) holding the pipes PIPE0 (read) and PIPE1
// (write).
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace bridgit {

inline constexpr std::string_view kAutoPortName = "Auto";
inline constexpr std::string_view kUsbDeviceName = "ZQx3G+";
inline constexpr std::array<std::string_view, 5> kUsbSuffixes = {"", "_1", "_2", "_3", "_4"};
inline constexpr std::string_view kUsbReadPipe = "PIPE0";
inline constexpr std::string_view kUsbWritePipe = "PIPE1";
inline constexpr const char* kUsbRootVariable = "BRIDGIT_USB_ROOT";
inline constexpr const char* kExtraPortsVariable = "BRIDGIT_EXTRA_PORTS";

std::string UpperCase(std::string_view s);

bool IsAutoPortName(std::string_view name);
// The name contains the USB device name (in any case).
bool IsUsbPortName(std::string_view name);
// Neither "Auto" nor a USB device.
bool IsSerialPortName(std::string_view name);

// "COMn" -> /dev/ttyS(n-1); anything else as given. On Windows a name starting
// with "COM" -> \\.\COMn, anything else as given.
std::string SerialDevicePath(std::string_view name);

// The USB root folder, without a trailing slash.
std::string UsbRoot();
// The device folder of a USB port name: a name holding a '/' is the folder
// itself; otherwise the folder of that name (its case mended) under the root.
std::string UsbDevicePath(std::string_view name);

// Two port names denote the same port (case-insensitive, with the COM alias).
bool SamePort(std::string_view a, std::string_view b);

// Names in the order a person reads them: COM2 before COM10, ttyUSB2 before ttyUSB10.
bool NaturalLess(const std::string& a, const std::string& b);

}  // namespace bridgit
