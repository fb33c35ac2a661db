#include "link/port_names.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <utility>

namespace bridgit {

std::string UpperCase(std::string_view s) {
  std::string u(s);
  std::transform(u.begin(), u.end(), u.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return u;
}

bool IsAutoPortName(std::string_view name) { return UpperCase(name) == UpperCase(kAutoPortName); }

bool IsUsbPortName(std::string_view name) {
  return UpperCase(name).find(UpperCase(kUsbDeviceName)) != std::string::npos;
}

bool IsSerialPortName(std::string_view name) { return !name.empty() && !IsAutoPortName(name) && !IsUsbPortName(name); }

std::string SerialDevicePath(std::string_view name) {
  const std::string upper = UpperCase(name);
#ifdef _WIN32
  // The device namespace form is the only one that reaches COM10 and above.
  if (upper.starts_with("COM")) return "\\\\.\\" + std::string(name);
#else
  if (upper.size() > 3 && upper.size() <= 6 && upper.starts_with("COM") &&
      std::all_of(upper.begin() + 3, upper.end(), [](unsigned char c) { return std::isdigit(c); })) {
    const int n = std::atoi(upper.c_str() + 3);
    if (n >= 1) return "/dev/ttyS" + std::to_string(n - 1);
  }
#endif
  return std::string(name);
}

std::string UsbRoot() {
  const char* root = std::getenv(kUsbRootVariable);
  std::string r = (root && *root) ? root : "/dev";
  while (r.size() > 1 && r.back() == '/') r.pop_back();
  return r;
}

std::string UsbDevicePath(std::string_view name) {
  if (name.find('/') != std::string_view::npos) return std::string(name);
  const std::string upper = UpperCase(name);
  for (std::string_view suffix : kUsbSuffixes) {
    const std::string canonical = std::string(kUsbDeviceName) + std::string(suffix);
    if (upper == UpperCase(canonical)) return UsbRoot() + "/" + canonical;
  }
  return UsbRoot() + "/" + std::string(name);
}

bool SamePort(std::string_view a, std::string_view b) {
  if (IsSerialPortName(a) && IsSerialPortName(b)) return UpperCase(SerialDevicePath(a)) == UpperCase(SerialDevicePath(b));
  return UpperCase(a) == UpperCase(b);
}

bool NaturalLess(const std::string& a, const std::string& b) {
  const auto split = [](const std::string& s) {
    std::size_t i = s.size();
    while (i > 0 && std::isdigit(static_cast<unsigned char>(s[i - 1]))) --i;
    return std::pair{s.substr(0, i), i < s.size() ? std::stol(s.substr(i)) : -1L};
  };
  return split(a) < split(b);
}

}  // namespace bridgit
