// The calculator's memory: HOME and its folders of variables, the current
// folder, the flags and the free memory that follows the contents.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sim/rpl_objects.h"

namespace bridgit::sim {

struct TDir;

struct TVar {
  std::string name;              // calculator characters
  TObj object;                   // for a variable
  std::unique_ptr<TDir> dir;     // for a folder
  bool IsDir() const { return dir != nullptr; }
};

struct TDir {
  std::vector<TVar> vars;  // in listing order: the newest first
  TDir* parent = nullptr;
  TVar* Find(const std::string& name);
  // The folder as one Directory object (the calculator's own layout).
  TObj ToObject() const;
  static std::unique_ptr<TDir> FromObject(const TObj& dirObject);
  std::size_t Nibbles() const { return ToObject().size(); }
};

class TCalcMemory {
 public:
  static constexpr std::size_t kTotalBytes = 256 * 1024;

  TCalcMemory();
  TDir& Home() { return *home_; }
  const TDir& Home() const { return *home_; }
  TDir& Current() { return *current_; }
  void GoHome() { current_ = home_.get(); }
  bool UpDir();
  void Enter(TDir& dir) { current_ = &dir; }
  std::vector<std::string> Path() const;

  // Looks a name up in the current folder and then in the folders above it.
  TVar* Lookup(const std::string& name);
  void Store(const std::string& name, const TObj& object);  // a Directory object becomes a folder
  // Removes a variable or an empty folder; nothing when absent.
  void Purge(const std::string& name);
  // Removes a folder and all it holds; nothing when absent.
  void PurgeDir(const std::string& name);
  void CreateDir(const std::string& name);

  // The whole memory as one Backup object, and back.
  TObj Backup() const;
  void Restore(const TObj& backup);
  void Clear();

  std::size_t FreeBytes() const;
  // The answer to the directory listing command.
  std::string Listing() const;
  // A readable dump of every folder and variable (names in backslash notation).
  std::string Dump() const;

  std::uint64_t systemFlags = 0;  // bit i-1 is flag -i
  std::uint64_t userFlags = 0;

  bool Flag(int n) const;
  void SetFlag(int n, bool on);

 private:
  std::unique_ptr<TDir> home_;
  TDir* current_;
};

}  // namespace bridgit::sim
