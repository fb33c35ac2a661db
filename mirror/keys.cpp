#include "mirror/keys.h"

#include <algorithm>

#include "calcdata/escapes.h"
#include "calcdata/var_name.h"

namespace bridgit::mirror {

bool CalcNameOk(const std::string& key) {
  for (std::size_t at = 0; at <= key.size();) {
    const std::size_t slash = std::min(key.find('/', at), key.size());
    if (!IsProperVarName(DecodeEscapes(key.substr(at, slash - at), TEscapeMode::kCaret))) return false;
    at = slash + 1;
  }
  return true;
}

}  // namespace bridgit::mirror
