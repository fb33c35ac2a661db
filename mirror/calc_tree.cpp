#include "mirror/calc_tree.h"

#include <functional>
#include <memory>
#include <random>
#include <stdexcept>

#include "calcdata/escapes.h"
#include "mirror/texts.h"

namespace bridgit::mirror {

namespace {

bool IsScratch(const std::string& name) { return name.starts_with("$$$"); }

std::mt19937_64& Random() {
  static std::mt19937_64 random{std::random_device{}()};
  return random;
}

std::string Signature(const TXPObject& item, const std::string& check) {
  const long long nibbles = item.Size * 2 - (item.OddNibble ? 1 : 0);
  return std::to_string(item.TypeIcon) + "." + std::to_string(nibbles) + "." + check;
}

// The entries of a folder, under `dir` and as keys below `prefix`.
void AddItems(TCalcTree& tree, TXModemServer& server, TXPObject& dir, const std::vector<TTreeItem>& items,
              const std::string& prefix) {
  for (const TTreeItem& item : items) {
    auto e = std::make_unique<TXPObject>();
    e->Server = &server;
    e->Parent = &dir;
    e->ChildrenLoaded = true;
    e->Name = item.name;
    e->TypeIcon = item.typeIcon;
    if (item.typeIcon > kUnknownTypeIcon)
      e->TypeName = std::string(ObjectTypeTable[static_cast<std::size_t>(item.typeIcon - kTypeIconBase)].name);
    e->Size = (item.nibbles + 1) / 2;
    e->OddNibble = item.nibbles % 2 != 0;
    TXPObject& c = *dir.Children.emplace_back(std::move(e));
    if (IsScratch(c.Name)) continue;
    const std::string key = prefix + KeyPart(c.Name);
    tree.entries[key] = {&c, &dir};
    if (item.folder) {
      tree.side[key] = FolderSide();
      AddItems(tree, server, c, item.items, key + "/");
    } else {
      tree.side[key] = {.folder = false, .sig = Signature(c, item.check), .file = ""};
    }
  }
}

// The folders of the path as entries under `home`: the last is the root.
TXPObject& AddPath(TXModemServer& server, TXPObject& home, const std::vector<std::string>& names) {
  home.ClearChildren();
  home.ChildrenLoaded = true;
  TXPObject* at = &home;
  for (const std::string& name : names) {
    auto e = std::make_unique<TXPObject>();
    e->Server = &server;
    e->Parent = at;
    e->Name = name;
    at = at->Children.emplace_back(std::move(e)).get();
  }
  return *at;
}

}  // namespace

std::string KeyPart(const std::string& backslashName) {
  return EncodeEscapes(DecodeEscapes(backslashName, TEscapeMode::kBackslash), TEscapeMode::kCaret);
}

std::string CalcName(const std::string& keyPart) {
  return EncodeEscapes(DecodeEscapes(keyPart, TEscapeMode::kCaret), TEscapeMode::kBackslash);
}

TCalcTree ReadCalcTree(TXModemServer& server, TXPObject& home, const std::string& folder, const std::string& purges,
                       const std::function<bool()>& interrupted) {
  const TTreeRequest request{FolderNames(folder), std::uniform_int_distribution<long long>(1, 999999999)(Random())};
  server.Channel().Execute(TreeCommand(purges, request), true, true);
  if (interrupted()) throw std::runtime_error(std::string(texts::kCancelled));
  const bool got = server.GetObject(kTreeScratch, "", 0);
  TCalcTree tree;
  std::vector<TTreeItem> items;
  const TTreeAnswer answer = got ? ParseTree(server.LastData(), request, items, tree.freeBytes) : TTreeAnswer::kNotATree;
  if (answer == TTreeAnswer::kNoFolder) throw std::runtime_error(texts::MirrorNoFolder(folder));
  if (answer != TTreeAnswer::kTree) throw std::runtime_error(std::string(texts::kMirrorNoChecksums));
  tree.root = &AddPath(server, home, request.folderNames);
  tree.root->ChildrenLoaded = true;
  AddItems(tree, server, *tree.root, items, "");
  return tree;
}

}  // namespace bridgit::mirror
