#include "base/utf8_path.h"
#include "mirror/pc_tree.h"

#include <cstring>
#include <filesystem>
#include <functional>
#include <stdexcept>

#include "base/files.h"
#include "calcdata/escapes.h"
#include "mirror/state.h"

namespace bridgit::mirror {

namespace fs = std::filesystem;

std::string PcKeyPart(const std::string& stem) {
  return EncodeEscapes(DecodeEscapes(stem, TEscapeMode::kCaret), TEscapeMode::kCaret);
}

TPcTree ReadPcTree(const std::string& dir, const std::function<bool(const std::string& key)>& tracked) {
  TPcTree tree;
  const std::function<void(const fs::path&, const std::string&, const std::string&)> walk =
      [&](const fs::path& at, const std::string& keyPrefix, const std::string& filePrefix) {
        std::error_code error;
        for (const auto& e : fs::directory_iterator(at, error)) {
          const std::string name = Utf8(e.path().filename());
          if (name.find(".part-") != std::string::npos) continue;
          if (e.is_symlink()) continue;  // a link could lead out of the mirror
          const auto hidden = [&](const std::string& key) { return name.starts_with(".") && !(tracked && tracked(key)); };
          if (e.is_directory()) {
            const std::string key = keyPrefix + PcKeyPart(name);
            if (hidden(key)) continue;
            if (tree.side.contains(key)) tree.clashes.push_back(key);
            tree.side[key] = FolderSide(filePrefix + name);
            walk(e.path(), key + "/", filePrefix + name + "/");
            continue;
          }
          if (!e.is_regular_file()) continue;
          const std::string ext = Utf8(e.path().extension());
          if (ext != kTextExtension && ext != kBinaryExtension) continue;
          const std::string stem = Utf8(e.path().stem());
          if (stem.empty()) continue;
          const std::string key = keyPrefix + PcKeyPart(stem);
          if (hidden(key)) continue;
          std::string bytes;
          int code = 0;
          if (!ReadWholeFile(Utf8(e.path()), bytes, code))
            throw std::runtime_error("cannot read " + Utf8(e.path()) + ": " + std::strerror(code));
          if (tree.side.contains(key)) tree.clashes.push_back(key);
          tree.side[key] = {.folder = false, .sig = HashBytes(bytes), .file = filePrefix + name};
        }
        if (error) throw std::runtime_error("cannot read the folder " + Utf8(at) + ": " + error.message());
      };
  walk(Utf8Path(dir), "", "");
  return tree;
}

}  // namespace bridgit::mirror
