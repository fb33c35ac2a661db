#include "sim/demo_memory.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "sim/calc_names.h"
#include "sim/rpl_machine.h"

namespace fs = std::filesystem;

namespace bridgit::sim {

namespace {

void StoreText(TCalcMemory& m, TRplMachine& rpl, const std::string& name, const std::string& text) {
  const auto objects = rpl.Compile(text);
  m.Store(name, objects.at(0));
}

}  // namespace

void LoadDemoMemory(TCalcMemory& m) {
  TRplMachine rpl(m, {});
  m.GoHome();
  // Stored oldest first: the listing shows the newest first.
  StoreText(m, rpl, "A", "42");
  StoreText(m, rpl, "PI2", "6.28318530718");
  StoreText(m, rpl, "GREETING", "\"Hello \\\"calc\\\" \x8D \xAB world \xBB\"");
  StoreText(m, rpl, "LST", "{ 1 2 \"three\" }");
  StoreText(m, rpl, "PROG", "\xAB \x8D x 'x*x' \xBB");
  m.Store("PROG", rpl.Compile("\xAB DUP * \xBB").at(0));
  StoreText(m, rpl, "EXPR", "'X^2+1'");
  m.Store("BINT", MakeSystemBinary(4660));
  StoreText(m, rpl, "MASK", "#FF00h");
  std::string rows;
  for (int y = 0; y < 16; ++y) rows += std::string(2, static_cast<char>(y % 2 ? 0xAA : 0x55));
  m.Store("PIC", MakeGrob(16, 16, rows));
  m.Store(std::string("\x8D") + "SPEED", MakeReal(9600));  // a name with the arrow character
  m.CreateDir("WORK");
  m.Enter(*m.Home().Find("WORK")->dir);
  StoreText(m, rpl, "NOTE", "\"inside WORK\"");
  m.CreateDir("DEEP");
  m.Enter(*m.Current().Find("DEEP")->dir);
  StoreText(m, rpl, "Z", "-1.5");
  m.GoHome();
}

namespace {

void LoadFolder(TCalcMemory& m, const fs::path& dir) {
  std::vector<fs::path> entries;
  for (const auto& e : fs::directory_iterator(dir)) entries.push_back(e.path());
  std::sort(entries.begin(), entries.end());
  for (const fs::path& p : entries) {
    std::string stem = p.filename().string();
    if (fs::is_directory(p)) {
      const std::string name = ReadCaret(stem);
      m.CreateDir(name);
      m.Enter(*m.Current().Find(name)->dir);
      LoadFolder(m, p);
      m.UpDir();
      continue;
    }
    if (p.extension() == ".zq") stem = p.stem().string();
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    const std::string bytes = ss.str();
    if (!IsObjectFile(bytes) || bytes.size() < kFileHeaderBytes + 3)
      throw std::runtime_error("not a calculator object: " + p.string());
    m.Store(ReadCaret(stem), ObjectOfFile(bytes));
  }
}

void SaveFolder(const TDir& dir, const fs::path& path, const std::string& family) {
  fs::create_directories(path);
  for (const TVar& v : dir.vars) {
    const std::string file = SpellCaret(v.name);
    if (v.IsDir()) {
      SaveFolder(*v.dir, path / file, family);
    } else {
      std::ofstream out(path / (file + ".zq"), std::ios::binary);
      out << FileHeader(family) << ToBytes(v.object);
      if (!out) throw std::runtime_error("cannot write " + (path / file).string());
    }
  }
}

}  // namespace

bool LoadMemoryFolder(TCalcMemory& memory, const std::string& path, std::string& error) {
  try {
    if (!fs::is_directory(path)) {
      error = "memory folder not found: " + path;
      return false;
    }
    memory.Clear();
    LoadFolder(memory, path);
    memory.GoHome();
    return true;
  } catch (const std::exception& e) {
    error = e.what();
  } catch (const TRplError& e) {
    error = "cannot load " + path + ": " + e.message;
  }
  return false;
}

bool SaveMemoryFolder(const TCalcMemory& memory, const std::string& path, const std::string& family, std::string& error) {
  const fs::path target(path), fresh(path + ".new"), old(path + ".old");
  try {
    fs::remove_all(fresh);
    SaveFolder(memory.Home(), fresh, family);
    fs::remove_all(old);
    if (fs::exists(target)) fs::rename(target, old);
    fs::rename(fresh, target);
    fs::remove_all(old);
    return true;
  } catch (const std::exception& e) {
    error = e.what();
    std::error_code ec;
    fs::remove_all(fresh, ec);
    return false;
  }
}

}  // namespace bridgit::sim
