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
