#include "sim/calc_memory.h"

#include <algorithm>

#include "calcdata/escapes.h"
#include "calcdata/object_types.h"

namespace bridgit::sim {

TVar* TDir::Find(const std::string& name) {
  for (TVar& v : vars)
    if (v.name == name) return &v;
  return nullptr;
}

TObj TDir::ToObject() const {
  TObj o;
  PutField(o, kDirectory, 5);
  PutField(o, 0, 3);
  TObj body;  // everything after the offset field
  std::size_t lastName = 0, previousLink = 0;
  for (const TVar& v : vars) {
    const std::size_t link = 5 + body.size();
    PutField(body, static_cast<std::uint32_t>(link - previousLink), 5);
    previousLink = link;
    lastName = 5 + body.size();
    PutField(body, static_cast<std::uint32_t>(v.name.size()), 2);
    for (char c : v.name) PutField(body, static_cast<unsigned char>(c), 2);
    PutField(body, static_cast<std::uint32_t>(v.name.size()), 2);
    body += v.IsDir() ? v.dir->ToObject() : v.object;
  }
  PutField(o, vars.empty() ? 0 : static_cast<std::uint32_t>(lastName), 5);
  return o + body;
}

std::unique_ptr<TDir> TDir::FromObject(const TObj& d) {
  if (PrologOf(d) != kDirectory) throw TRplError{"Bad Argument Type"};
  auto dir = std::make_unique<TDir>();
  const std::uint32_t offset = Field(d, 8, 5);
  if (offset == 0) return dir;
  const std::size_t last = 8 + offset;
  std::size_t p = 13;
  for (;;) {
    const std::size_t nameAt = p + 5;
    const std::size_t count = Field(d, nameAt, 2);
    TVar v;
    for (std::size_t i = 0; i < count; ++i) v.name += static_cast<char>(Field(d, nameAt + 2 + 2 * i, 2));
    const std::size_t objAt = nameAt + 2 + 2 * count + 2;
    const std::size_t len = ObjectLength(d, objAt);
    TObj obj = d.substr(objAt, len);
    if (PrologOf(obj) == kDirectory) {
      v.dir = FromObject(obj);
      v.dir->parent = dir.get();
    } else {
      v.object = std::move(obj);
    }
    dir->vars.push_back(std::move(v));
    if (nameAt >= last) break;
    p = objAt + len;
    if (p >= d.size()) throw TRplError{"Invalid object"};
  }
  return dir;
}

TCalcMemory::TCalcMemory() : home_(std::make_unique<TDir>()), current_(home_.get()) {}

bool TCalcMemory::UpDir() {
  if (!current_->parent) return false;
  current_ = current_->parent;
  return true;
}

std::vector<std::string> TCalcMemory::Path() const {
  std::vector<std::string> path;
  for (const TDir* d = current_; d->parent; d = d->parent)
    for (const TVar& v : d->parent->vars)
      if (v.dir.get() == d) path.insert(path.begin(), v.name);
  path.insert(path.begin(), "HOME");
  return path;
}

TVar* TCalcMemory::Lookup(const std::string& name) {
  for (TDir* d = current_; d; d = d->parent)
    if (TVar* v = d->Find(name)) return v;
  return nullptr;
}

void TCalcMemory::Store(const std::string& name, const TObj& object) {
  if (name.empty()) throw TRplError{"Invalid Name"};
  TVar* existing = current_->Find(name);
  if (existing && existing->IsDir()) throw TRplError{"Directory Not Allowed"};
  TVar v;
  v.name = name;
  if (PrologOf(object) == kDirectory) {
    v.dir = TDir::FromObject(object);
    v.dir->parent = current_;
  } else {
    v.object = object;
  }
  if (FreeBytes() < object.size() / 2) throw TRplError{"Insufficient Memory"};
  if (existing) {
    *existing = std::move(v);
  } else {
    current_->vars.insert(current_->vars.begin(), std::move(v));
  }
}

void TCalcMemory::Purge(const std::string& name) {
  auto& vars = current_->vars;
  const auto it = std::find_if(vars.begin(), vars.end(), [&](const TVar& v) { return v.name == name; });
  if (it == vars.end()) return;
  if (it->IsDir() && !it->dir->vars.empty()) throw TRplError{"Non-Empty Directory"};
  vars.erase(it);
}

void TCalcMemory::PurgeDir(const std::string& name) {
  auto& vars = current_->vars;
  const auto it = std::find_if(vars.begin(), vars.end(), [&](const TVar& v) { return v.name == name; });
  if (it == vars.end()) return;
  if (!it->IsDir()) throw TRplError{"Bad Argument Type"};
  vars.erase(it);
}

void TCalcMemory::CreateDir(const std::string& name) {
  if (current_->Find(name)) throw TRplError{"Name Conflict"};
  TVar v;
  v.name = name;
  v.dir = std::make_unique<TDir>();
  v.dir->parent = current_;
  current_->vars.insert(current_->vars.begin(), std::move(v));
}

TObj TCalcMemory::Backup() const {
  const TObj home = home_->ToObject();
  TObj o;
  PutField(o, kBackup, 5);
  PutField(o, static_cast<std::uint32_t>(5 + home.size() + 32), 5);
  o += home;
  for (std::uint64_t f : {systemFlags, userFlags})
    for (int i = 0; i < 16; ++i, f >>= 4) o += static_cast<char>(f & 15u);
  return o;
}

void TCalcMemory::Restore(const TObj& backup) {
  if (PrologOf(backup) != kBackup) throw TRplError{"Bad Argument Type"};
  const std::size_t homeLen = ObjectLength(backup, 10);
  auto home = TDir::FromObject(backup.substr(10, homeLen));
  std::uint64_t flags[2] = {0, 0};
  for (int k = 0; k < 2; ++k)
    for (int i = 15; i >= 0; --i) flags[k] = (flags[k] << 4) | Field(backup, 10 + homeLen + 16 * k + static_cast<std::size_t>(i), 1);
  home_ = std::move(home);
  current_ = home_.get();
  systemFlags = flags[0];
  userFlags = flags[1];
}

void TCalcMemory::Clear() {
  home_ = std::make_unique<TDir>();
  current_ = home_.get();
}

std::size_t TCalcMemory::FreeBytes() const {
  const std::size_t used = (home_->Nibbles() + 1) / 2;
  return used >= kTotalBytes ? 0 : kTotalBytes - used;
}

namespace {

void ListLevel(const TDir& dir, std::string& out) {
  for (const TVar& v : dir.vars) {
    const TObj obj = v.IsDir() ? v.dir->ToObject() : v.object;
    const std::uint32_t prolog = PrologOf(obj);
    const std::size_t n = obj.size();
    out += static_cast<char>(v.name.size());
    out += v.name;
    out += static_cast<char>(prolog & 0xFF);
    out += static_cast<char>((prolog >> 8) & 0xFF);
    out += static_cast<char>(n & 0xFF);
    out += static_cast<char>((n >> 8) & 0xFF);
    out += static_cast<char>((n >> 16) & 0x0F);
    out += std::string(2, '\0');
    if (v.IsDir()) {
      ListLevel(*v.dir, out);
      out += '\0';
    }
  }
}

void DumpLevel(const TDir& dir, const std::string& path, std::string& out) {
  for (const TVar& v : dir.vars) {
    const std::string name = path + "/" + EncodeEscapes(v.name, TEscapeMode::kBackslash);
    if (v.IsDir()) {
      out += name + "/\n";
      DumpLevel(*v.dir, name, out);
    } else {
      const auto row = FindTypeByProlog(PrologOf(v.object), TFamily::k73);
      out += name + " " + (row ? std::string(ObjectTypeTable[static_cast<std::size_t>(*row)].name) : "?") + " " +
             std::to_string((v.object.size() + 1) / 2) + " " +
             EncodeEscapes(Decompile(v.object), TEscapeMode::kBackslash) + "\n";
    }
  }
}

}  // namespace

std::string TCalcMemory::Listing() const {
  std::string out;
  ListLevel(*home_, out);
  out += '\0';
  return out;
}

std::string TCalcMemory::Dump() const {
  std::string out;
  DumpLevel(*home_, "HOME", out);
  return out;
}

bool TCalcMemory::Flag(int n) const {
  if (n < 0 && n >= -64) return (systemFlags >> (-n - 1)) & 1u;
  if (n > 0 && n <= 64) return (userFlags >> (n - 1)) & 1u;
  throw TRplError{"Bad Argument Value"};
}

void TCalcMemory::SetFlag(int n, bool on) {
  std::uint64_t* word = n < 0 ? &systemFlags : &userFlags;
  const int bit = n < 0 ? -n - 1 : n - 1;
  if (n == 0 || bit > 63) throw TRplError{"Bad Argument Value"};
  if (on)
    *word |= (1ull << bit);
  else
    *word &= ~(1ull << bit);
}

}  // namespace bridgit::sim
