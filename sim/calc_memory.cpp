#include "sim/calc_memory.h"

#include <algorithm>

#include "sim/calc_names.h"

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
  if (PrologOf(d) != kDirectory || d.size() < 13) throw TRplError{"Bad Argument Type"};
  auto dir = std::make_unique<TDir>();
  const std::uint32_t offset = Field(d, 8, 5);
  if (offset == 0) return dir;
  // Each variable's link field holds the distance back to the link field before
  // it (the first one's, back to the offset field). Followed from the last
  // variable they place every variable without sizing any object, so objects of
  // types the simulator does not know keep exactly the nibbles they came with.
  const TRplError invalid{"Invalid object"};
  if (offset < 10) throw invalid;
  std::vector<std::size_t> links;
  for (std::size_t link = 8 + offset - 5;;) {
    links.insert(links.begin(), link);
    const std::uint32_t back = Field(d, link, 5);
    if (back == 0 || back > link - 8) throw invalid;
    if (link - back == 8) break;
    link -= back;
  }
  for (std::size_t i = 0; i < links.size(); ++i) {
    const std::size_t nameAt = links[i] + 5;
    const std::size_t count = Field(d, nameAt, 2);
    TVar v;
    for (std::size_t k = 0; k < count; ++k) v.name += static_cast<char>(Field(d, nameAt + 2 + 2 * k, 2));
    const std::size_t objAt = nameAt + 2 + 2 * count + 2;
    const std::size_t end = i + 1 < links.size() ? links[i + 1] : d.size();
    if (objAt + 5 > end) throw invalid;
    TObj obj = d.substr(objAt, end - objAt);
    if (PrologOf(obj) == kDirectory) {
      v.dir = FromObject(obj);
      v.dir->parent = dir.get();
    } else {
      v.object = std::move(obj);
    }
    dir->vars.push_back(std::move(v));
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
  // The length field covers itself, HOME and the two flag words.
  const std::uint32_t length = Field(backup, 5, 5);
  if (length < 5 + 13 + 32 || backup.size() < 5 + length) throw TRplError{"Invalid object"};
  const std::size_t homeLen = length - 5 - 32;
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
    const std::string name = path + "/" + SpellBackslash(v.name);
    if (v.IsDir()) {
      out += name + "/\n";
      DumpLevel(*v.dir, name, out);
    } else {
      const char* type = TypeName(PrologOf(v.object));
      std::string text;
      try {
        text = Decompile(v.object);
      } catch (const TRplError&) {
        text = "External";  // holds objects the simulator does not know
      }
      out += name + " " + (type ? type : "?") + " " + std::to_string((v.object.size() + 1) / 2) + " " +
             SpellBackslash(text) + "\n";
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
