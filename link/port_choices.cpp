// The connect list, the same on every platform: what the platform's listing
// found that can be opened now.
#include "link/port_list.h"
#include "link/port_names.h"

namespace bridgit {

std::vector<std::string> ListPorts() {
  std::vector<std::string> names{std::string(kAutoPortName)};
  for (const TPortState& port : ExaminePorts())
    if (port.error == 0) names.push_back(port.name);
  return names;
}

}  // namespace bridgit
