#include <fcntl.h>
#include <linux/serial.h>
#include <sys/ioctl.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <filesystem>
#include <vector>

#include "link/port_list.h"
#include "link/port_names.h"
#include "link/serial_device.h"

namespace bridgit {

namespace {

// Opens exclusively and closes again: 0 when the port exists and nobody else
// uses it, else the cause (errno; EWOULDBLOCK when another program holds it,
// ENODEV for a serial node with no UART behind it).
int OpenError(const std::string& path, int access, bool needRealUart = false) {
  std::string error;
  const int fd = posix::OpenExclusive(path, access, error);
  if (fd < 0) {
    const int cause = posix::LastOpenFailure().error;
    return cause != 0 ? cause : EIO;
  }
  int cause = 0;
  if (needRealUart) {
    // /dev/ttyS* nodes exist for every possible UART; only those with hardware
    // behind them report a type.
    serial_struct info{};
    if (::ioctl(fd, TIOCGSERIAL, &info) != 0 || info.type == PORT_UNKNOWN) cause = ENODEV;
  }
  posix::CloseFd(fd);
  return cause;
}

// A serial node the kernel knows no UART for (read where anyone may read it,
// so that a port closed to this user still tells).
bool NoUartBehind(const std::string& path) {
  std::ifstream type("/sys/class/tty/" + path.substr(path.rfind('/') + 1) + "/type");
  int t = -1;
  return type >> t && t == PORT_UNKNOWN;
}

std::vector<std::string> DevicesStartingWith(const std::string& prefix) {
  std::vector<std::string> found;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator("/dev", ec)) {
    const std::string name = entry.path().filename().string();
    if (name.starts_with(prefix) && name.size() > prefix.size()) found.push_back(entry.path().string());
  }
  std::sort(found.begin(), found.end(), NaturalLess);
  return found;
}

}  // namespace

std::vector<TPortState> ExaminePorts() {
  std::vector<TPortState> ports;
  for (const char* prefix : {"ttyUSB", "ttyACM", "ttyS"}) {
    const bool uart = std::string_view(prefix) == "ttyS";
    for (const std::string& path : DevicesStartingWith(prefix)) {
      const int error = OpenError(path, O_RDWR, uart);
      // Every possible UART has a node: only those with hardware count.
      if (uart && (error == ENODEV || (error != 0 && NoUartBehind(path)))) continue;
      ports.push_back({path, path, error});
    }
  }

  if (const char* extra = std::getenv(kExtraPortsVariable)) {
    std::string_view rest(extra);
    while (!rest.empty()) {
      const std::size_t colon = rest.find(':');
      const std::string path(rest.substr(0, colon));
      rest = colon == std::string_view::npos ? std::string_view{} : rest.substr(colon + 1);
      std::error_code ec;
      if (!path.empty() && std::filesystem::exists(path, ec)) ports.push_back({path, path, OpenError(path, O_RDWR)});
    }
  }

  for (std::string_view suffix : kUsbSuffixes) {
    const std::string name = std::string(kUsbDeviceName) + std::string(suffix);
    const std::string dir = UsbRoot() + "/" + name;
    std::error_code ec;
    if (!std::filesystem::exists(dir, ec)) continue;
    const std::string in = dir + "/" + std::string(kUsbReadPipe);
    int error = OpenError(in, O_RDONLY);
    std::string path = in;
    if (error == 0) {
      path = dir + "/" + std::string(kUsbWritePipe);
      error = OpenError(path, O_WRONLY);
    }
    ports.push_back({name, path, error});
  }
  return ports;
}

}  // namespace bridgit
