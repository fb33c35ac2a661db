#include "calcdata/object_header.h"

namespace bridgit {

std::string MakeObjectHeader(std::string_view family, char revision) {
  std::string header(kBinaryMagic);
  header += family;
  header += '-';
  header += revision;
  return header;
}

bool IsBinaryObjectFor(std::string_view bytes, std::string_view model) {
  return !model.empty() && bytes.starts_with(kBinaryMagic) &&
         bytes.substr(kBinaryMagic.size()).starts_with(model);
}

bool HasBinaryMagic(std::string_view bytes) { return bytes.starts_with(kBinaryMagic); }

TFamily HeaderFamily(std::string_view bytes) {
  return bytes.size() >= 6 && bytes.substr(4, 2) == kFamily73 ? TFamily::k73 : TFamily::k71;
}

std::string_view FamilyDigits(TFamily family) {
  return family == TFamily::k73 ? kFamily73 : kFamily71;
}

}  // namespace bridgit
