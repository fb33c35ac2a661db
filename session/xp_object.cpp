#include "session/xp_object.h"

namespace bridgit {

void TXPObject::ClearChildren() {
  Children.clear();
  ChildrenLoaded = false;
}

std::vector<std::unique_ptr<TXPObject>>& TXPObject::GetChildren() {
  ChildrenLoaded = true;
  return Children;
}

std::vector<std::string> FolderNames(const std::string& path) {
  std::vector<std::string> parts;
  std::size_t at = 0;
  while (at <= path.size()) {
    const std::size_t slash = path.find('/', at);
    const std::string part = path.substr(at, slash == std::string::npos ? std::string::npos : slash - at);
    if (!part.empty()) parts.push_back(part);
    if (slash == std::string::npos) break;
    at = slash + 1;
  }
  if (!parts.empty() && parts.front() == "HOME") parts.erase(parts.begin());
  return parts;
}

std::string TXPObject::FullPath() const {
  if (!Parent) return Name;
  const std::string parent = Parent->FullPath();
  return parent.empty() ? Name : parent + " " + Name;
}

long long TXPObject::TotalSize() const {
  if (Parent) return Size;
  long long total = 100;
  for (const auto& c : Children) total += c->Size;
  return total;
}

}  // namespace bridgit
