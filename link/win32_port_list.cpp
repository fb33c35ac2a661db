// The ports of a Windows machine: the COM ports the system lists under
// HKEY_LOCAL_MACHINE\HARDWARE\DEVICEMAP\SERIALCOMM (drivers, and Wine, write
// them there), those of COM1 to COM16 that open although no driver listed them
// (some virtual ports; a port Wine was given by a bare dosdevices link), then
// the USB devices whose pipes open.
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <string>
#include <vector>

#include "link/port_list.h"
#include "link/port_names.h"
#include "link/win32_link.h"
#include "link/win32_usb_link.h"

namespace bridgit {

namespace {

constexpr const char* kSerialCommKey = "HARDWARE\\DEVICEMAP\\SERIALCOMM";
constexpr int kProbedComPorts = 16;

// Opens exclusively and closes again: 0 when the port exists and nobody else
// uses it, else the cause (EBUSY when another program holds it).
int OpenError(const std::string& path, DWORD access = GENERIC_READ | GENERIC_WRITE) {
  HANDLE h = ::CreateFileA(path.c_str(), access, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return OpenErrorCause(::GetLastError());
  ::CloseHandle(h);
  return 0;
}

// The port names (the values' data, "COM3") the registry lists.
std::vector<std::string> RegisteredComPorts() {
  std::vector<std::string> names;
  HKEY key = nullptr;
  if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSerialCommKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return names;
  for (DWORD i = 0;; ++i) {
    char value[256];
    DWORD valueSize = sizeof value;
    char data[256];
    DWORD dataSize = sizeof data - 1;
    DWORD type = 0;
    const LONG r = ::RegEnumValueA(key, i, value, &valueSize, nullptr, &type, reinterpret_cast<BYTE*>(data), &dataSize);
    if (r == ERROR_NO_MORE_ITEMS) break;
    if (r != ERROR_SUCCESS || type != REG_SZ) continue;
    data[dataSize] = '\0';
    const std::string name(data);
    if (!name.empty() && std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
  }
  ::RegCloseKey(key);
  return names;
}

}  // namespace

std::vector<TPortState> ExaminePorts() {
  std::vector<TPortState> ports;
  for (const std::string& name : RegisteredComPorts()) {
    const std::string device = SerialDevicePath(name);
    ports.push_back({name, device, OpenError(device)});
  }
  for (int n = 1; n <= kProbedComPorts; ++n) {
    const std::string name = "COM" + std::to_string(n);
    const auto listed = [&name](const TPortState& p) { return UpperCase(p.name) == name; };
    const std::string device = SerialDevicePath(name);
    if (std::none_of(ports.begin(), ports.end(), listed) && OpenError(device) == 0) ports.push_back({name, device, 0});
  }
  std::sort(ports.begin(), ports.end(), [](const TPortState& a, const TPortState& b) { return NaturalLess(a.name, b.name); });
  // A USB device is examined as the link opens it: its read pipe, then its
  // write pipe (the one that failed is the device reported).
  for (std::string_view suffix : kUsbSuffixes) {
    const std::string name = std::string(kUsbDeviceName) + std::string(suffix);
    const std::string device = UsbDeviceName(name);
    std::string pipe = device + "\\" + std::string(kUsbReadPipe);
    int error = OpenError(pipe, GENERIC_READ);
    if (error == 0) {
      pipe = device + "\\" + std::string(kUsbWritePipe);
      error = OpenError(pipe, GENERIC_WRITE);
    }
    // A USB device that is not plugged in is simply not there.
    if (error != ENOENT) ports.push_back({name, pipe, error});
  }
  return ports;
}

}  // namespace bridgit
