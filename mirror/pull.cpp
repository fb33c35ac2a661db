#include "base/utf8_path.h"
#include "mirror/pull.h"

#include <cstring>

#include "base/files.h"
#include "mirror/batch.h"
#include "mirror/keys.h"

namespace bridgit::mirror {

namespace fs = std::filesystem;

TPull::TPull(const TRunContext& context)
    : TRun(context, TDirection::kPull), batches_(server_, cursor_, calc_, notExact_, console_.interrupted) {}

void TPull::PrepareDir() {
  if (options_.dryRun) return;
  std::error_code error;
  fs::create_directories(dir_, error);
  if (error) throw std::runtime_error("cannot create the folder " + options_.dir + ": " + error.message());
}

void TPull::BeforeSteps(const std::vector<TStep>& steps) {
  if (options_.dryRun) return;
  // A compared object is fetched in the form of the PC's file.
  batches_.Plan(steps,
                [this](const TStep& s) { return s.action == TAction::kCompare ? pc_.side.at(s.key).file : FileFor(s.key); });
}

unsigned long long TPull::PlannedBytes(const std::string& key) {
  const auto c = calc_.entries.find(key);
  return c == calc_.entries.end() ? 0 : static_cast<unsigned long long>(c->second.item->Size);
}

std::string TPull::Fetch(const std::string& key, const std::string& file) {
  batches_.FetchFor(key, CalcPath(Parent(key)));
  if (auto bytes = batches_.TakeFetched(key)) return std::move(*bytes);
  return TRun::Fetch(key, file);
}

void TPull::Store(const std::string& key, const std::string& file, const std::string& bytes) {
  const fs::path target = Inside(dir_, file);
  std::error_code error;
  fs::create_directories(target.parent_path(), error);
  int code = 0;
  if (!WriteFileSafely(Utf8(target), bytes, code))
    throw TFileNotWritten("cannot write " + Utf8(target) + ": " + std::strerror(code));
  // A forced form replaces the file of the other form.
  const auto p = pc_.side.find(key);
  if (p != pc_.side.end() && !p->second.folder && p->second.file != file) fs::remove(Inside(dir_, p->second.file), error);
  state_.entries[key] = {.folder = false, .file = file, .calcSig = calc_.side.at(key).sig, .pcHash = HashBytes(bytes)};
  report_.bytes += bytes.size();
  ++report_.moved;
  SaveState();
}

void TPull::Copy(const std::string& key) {
  if (!options_.dryRun) batches_.FetchFor(key, CalcPath(Parent(key)));  // it may find the object has no exact text
  const std::string file = FileFor(key);
  Progress(key, file);
  if (options_.dryRun) return Done("fetched", "fetch", file);
  try {
    Store(key, file, Fetch(key, file));
  } catch (const TFileNotWritten& e) {
    return Failed(file, e.what());  // a name too long for the file system, a full disk: the others go on
  }
  Done("fetched", "fetch", file);
}

void TPull::Take(const std::string& key, const std::string& file, const std::string& fetched) {
  if (options_.dryRun) return Done("fetched", "fetch", file);
  Store(key, file, fetched);
  Done("fetched", "fetch", file);
}

void TPull::SeeSource(TStateEntry& entry, const std::string& key) {
  const auto c = calc_.side.find(key);
  entry.calcSig = c != calc_.side.end() ? c->second.sig : "";
}

void TPull::MakeFolder(const std::string& key) {
  Done("created", "create folder", key + "/");
  if (options_.dryRun) return;
  std::error_code error;
  fs::create_directories(Inside(dir_, PcFolder(key)), error);
  if (error) throw std::runtime_error("cannot create the folder " + Utf8(dir_ / Utf8Path(PcFolder(key))) + ": " + error.message());
  FolderMade(key);
}

bool TPull::RemoveFromTarget(const TStep& s, const std::string& shown) {
  std::error_code error;
  // A folder goes only when nothing is left in it.
  fs::remove(Inside(dir_, s.folder ? PcFolder(s.key) : shown), error);
  return !(error && s.folder);
}

}  // namespace bridgit::mirror
