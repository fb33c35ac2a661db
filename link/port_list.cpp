#include <fcntl.h>
#include <linux/serial.h>
#include <sys/ioctl.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "link/comm_port.h"
#include "link/port_names.h"
#include "link/serial_device.h"

namespace bridgit {

namespace {

std::string g_separator = "\n";

// Opens exclusively and closes again: the port exists and nobody else uses it.
bool Opens(const std::string& path, int access, bool needRealUart = false) {
  std::string error;
  const int fd = posix::OpenExclusive(path, access, error);
  if (fd < 0) return false;
  bool ok = true;
  if (needRealUart) {
    // /dev/ttyS* nodes exist for every possible UART; only those with hardware
    // behind them report a type.
    serial_struct info{};
    ok = ::ioctl(fd, TIOCGSERIAL, &info) == 0 && info.type != PORT_UNKNOWN;
  }
  posix::CloseFd(fd);
  return ok;
}

// ttyUSB2 before ttyUSB10.
bool NaturalLess(const std::string& a, const std::string& b) {
  const auto split = [](const std::string& s) {
    std::size_t i = s.size();
    while (i > 0 && std::isdigit(static_cast<unsigned char>(s[i - 1]))) --i;
    return std::pair{s.substr(0, i), i < s.size() ? std::stol(s.substr(i)) : -1L};
  };
  return split(a) < split(b);
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

void SetPortListSeparator(const std::string& separator) { g_separator = separator; }

void ListPorts(std::string& list) {
  list = std::string(kAutoPortName) + "\n";
  for (const char* prefix : {"ttyUSB", "ttyACM", "ttyS"})
    for (const std::string& path : DevicesStartingWith(prefix))
      if (Opens(path, O_RDWR, std::string_view(prefix) == "ttyS")) list += path + g_separator;

  if (const char* extra = std::getenv(kExtraPortsVariable)) {
    std::string_view rest(extra);
    while (!rest.empty()) {
      const std::size_t colon = rest.find(':');
      const std::string path(rest.substr(0, colon));
      rest = colon == std::string_view::npos ? std::string_view{} : rest.substr(colon + 1);
      if (!path.empty() && Opens(path, O_RDWR)) list += path + g_separator;
    }
  }

  for (std::string_view suffix : kUsbSuffixes) {
    const std::string name = std::string(kUsbDeviceName) + std::string(suffix);
    const std::string dir = UsbRoot() + "/" + name;
    if (Opens(dir + "/" + std::string(kUsbReadPipe), O_RDONLY) && Opens(dir + "/" + std::string(kUsbWritePipe), O_WRONLY))
      list += name + g_separator;
  }
}

}  // namespace bridgit
