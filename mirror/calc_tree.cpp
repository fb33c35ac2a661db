#include "mirror/calc_tree.h"

#include <functional>
#include <stdexcept>

#include "calcdata/escapes.h"
#include "calcdata/nibbles.h"
#include "calcdata/object_header.h"
#include "calcdata/object_walk.h"
#include "mirror/texts.h"

namespace bridgit::mirror {

namespace {

bool IsScratch(const std::string& name) { return name.starts_with("$$$"); }

std::string Signature(const TXPObject& item, const std::string& check) {
  const long long nibbles = item.Size * 2 - (item.OddNibble ? 1 : 0);
  return std::to_string(item.TypeIcon) + "." + std::to_string(nibbles) + "." + check;
}

}  // namespace

std::string KeyPart(const std::string& backslashName) {
  return EncodeEscapes(DecodeEscapes(backslashName, TEscapeMode::kBackslash), TEscapeMode::kCaret);
}

std::string CalcName(const std::string& keyPart) {
  return EncodeEscapes(DecodeEscapes(keyPart, TEscapeMode::kCaret), TEscapeMode::kBackslash);
}

std::string ChecksumCommand(const std::vector<std::string>& folderPaths) {
  // Folders get 0. instead of a checksum: a folder's own checksum would
  // cover everything below it again.
  std::string command = "IFERR { } ";
  for (const std::string& path : folderPaths)
    command += path +
               " VARS 1 \\<< RCL IF DUP TYPE 15. == THEN DROP 0. ELSE BYTES DROP END \\>> DOSUBS 1 \\->LIST + ";
  return command + "THEN { } END HOME '" + kCheckScratch + "' STO";
}

bool ParseChecksums(const std::string& file, std::vector<std::vector<std::string>>& checks) {
  checks.clear();
  const TFamily family = HeaderFamily(file);
  std::size_t pos = kObjectStartNibble;
  std::vector<TNibbleRange> folders;
  if (!ListItems(file, pos, family, folders)) return false;
  for (const auto& [from, to] : folders) {
    std::size_t at = from;
    std::vector<TNibbleRange> items;
    if (!ListItems(file, at, family, items)) return false;
    std::vector<std::string>& folder = checks.emplace_back();
    for (const auto& [first, last] : items) {
      std::string hex;
      for (std::size_t k = first; k < last; ++k) hex += "0123456789abcdef"[NibbleAt(file, k)];
      folder.push_back(hex);
    }
  }
  return true;
}

TCalcTree ReadCalcTree(TXModemServer& server, TXPObject& home, const std::string& folder,
                       const std::function<bool()>& interrupted) {
  server.ListAll(home);
  TCalcTree tree;
  TXPObject* at = &home;
  for (const std::string& name : FolderNames(folder)) {
    TXPObject* next = nullptr;
    for (const auto& c : at->Children)
      if (c->IsDirectory() && c->Name == name) next = c.get();
    if (!next) throw std::runtime_error(texts::MirrorNoFolder(folder));
    at = next;
  }
  tree.root = at;

  std::vector<TXPObject*> folders;
  std::vector<std::string> prefixes;
  const std::function<void(TXPObject&, const std::string&)> walk = [&](TXPObject& dir, const std::string& prefix) {
    folders.push_back(&dir);
    prefixes.push_back(prefix);
    for (const auto& c : dir.Children) {
      if (IsScratch(c->Name)) continue;
      const std::string key = prefix + KeyPart(c->Name);
      tree.entries[key] = {c.get(), &dir};
      if (c->IsDirectory()) {
        tree.side[key] = FolderSide();
        walk(*c, key + "/");
      }
    }
  };
  walk(*tree.root, "");

  std::vector<std::string> paths;
  for (TXPObject* f : folders) paths.push_back(f->FullPath());
  server.Channel().Execute(ChecksumCommand(paths), true, true);
  if (interrupted()) throw std::runtime_error(std::string(texts::kCancelled));
  const bool got = server.GetObject(kCheckScratch, "", 0);
  const std::string answer = server.LastData();
  server.Purge(kCheckScratch, false);
  std::vector<std::vector<std::string>> checks;
  if (!got || !ParseChecksums(answer, checks) || checks.size() != folders.size())
    throw std::runtime_error(std::string(texts::kMirrorNoChecksums));
  for (std::size_t i = 0; i < folders.size(); ++i) {
    const auto& children = folders[i]->Children;
    // The answer follows the folder's own order, which the listing has too.
    if (checks[i].size() != children.size()) throw std::runtime_error(std::string(texts::kMirrorCalcChanged));
    for (std::size_t k = 0; k < children.size(); ++k) {
      const TXPObject& c = *children[k];
      if (c.IsDirectory() || IsScratch(c.Name)) continue;
      tree.side[prefixes[i] + KeyPart(c.Name)] = {.folder = false, .sig = Signature(c, checks[i][k]), .file = ""};
    }
  }
  return tree;
}

}  // namespace bridgit::mirror
