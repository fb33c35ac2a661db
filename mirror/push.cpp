#include "base/utf8_path.h"
#include "mirror/push.h"

#include "base/files.h"
#include "calcdata/text_header.h"
#include "mirror/keys.h"
#include "mirror/texts.h"

namespace bridgit::mirror {

namespace fs = std::filesystem;

TPush::TPush(const TRunContext& context) : TRun(context, TDirection::kPush) {}

void TPush::PrepareDir() {
  if (!fs::is_directory(dir_)) throw std::runtime_error("no folder " + options_.dir);
}

unsigned long long TPush::PlannedBytes(const std::string& key) {
  const auto p = pc_.side.find(key);
  std::error_code error;
  const auto size = p == pc_.side.end() ? 0 : fs::file_size(dir_ / Utf8Path(p->second.file), error);
  return error ? 0 : size;
}

bool TPush::Send(const std::string& key) {
  const TSideEntry& p = pc_.side.at(key);
  if (!CalcNameOk(key)) return Failed(p.file, texts::MirrorNotACalcName(p.file)), false;
  // Into a folder the calculator has: entering a missing one would leave
  // the calculator where it was, and the file would land there.
  const std::string folder = Parent(key);
  if (!folder.empty() && !made_.contains(folder) && !(calc_.side.contains(folder) && calc_.side.at(folder).folder))
    return Failed(p.file, texts::MirrorNoCalcFolder(p.file)), false;
  cursor_.Enter(CalcPath(folder));
  bool all = true;
  const fs::path path = dir_ / Utf8Path(p.file);
  const auto size = fs::file_size(path);
  const std::string file = Utf8(path);
  ThrowIfInterrupted();
  if (!server_.PutFile(CalcName(Last(key)), file, 1, all, false)) return Failed(p.file, texts::MirrorNotSent(p.file)), false;
  const auto c = calc_.side.find(key);
  sigBefore_[key] = c != calc_.side.end() ? c->second.sig : "";
  sent_.push_back(key);
  report_.bytes += size;
  ++report_.moved;
  return true;
}

void TPush::Copy(const std::string& key) {
  const std::string& file = pc_.side.at(key).file;
  // The calculator would ask how to read it, and nobody answers there:
  // skipped in a dry run as in the run.
  if (Utf8Path(file).extension() == kTextExtension && !StartsAsTextFile(ReadOrFail(Utf8(dir_ / Utf8Path(file)))))
    return Failed(file, texts::MirrorNoHeader(file, MakeTextHeader(3, 'D', '.')));
  Progress(key, file);
  if (options_.dryRun) return Done("sent", "send", file);
  if (Send(key)) Done("sent", "send", file);
}

void TPush::Take(const std::string& key, const std::string& file, const std::string&) {
  if (options_.dryRun) return Done("sent", "send", file);
  if (Send(key)) Done("sent", "send", file);
}

void TPush::SeeSource(TStateEntry& entry, const std::string& key) {
  const auto p = pc_.side.find(key);
  entry.pcHash = p != pc_.side.end() ? p->second.sig : "";
}

void TPush::MakeFolder(const std::string& key) {
  if (!CalcNameOk(key)) return Failed(key + "/", texts::MirrorNotACalcName(key + "/"));
  Done("created", "create folder", key + "/");
  if (options_.dryRun) return;
  cursor_.Enter(CalcPath(Parent(key)));
  server_.CreateDir(CalcName(Last(key)));
  made_.insert(key);
  FolderMade(key);
}

bool TPush::RemoveFromTarget(const TStep& s, const std::string&) {
  cursor_.Enter(CalcPath(Parent(s.key)));
  // PURGE, not PGDIR, for a folder too: a folder that still holds anything stays.
  server_.Purge(CalcName(Last(s.key)), false);
  return true;
}

// The objects sent get the signature the calculator gives them now.
void TPush::Finish() {
  if (sent_.empty() || options_.dryRun) return;
  ReadCalc();
  for (const std::string& key : sent_) {
    const TSideEntry& sentFile = pc_.side.at(key);
    const std::string& file = sentFile.file;
    const auto c = calc_.side.find(key);
    if (c == calc_.side.end() || c->second.folder) {
      Failed(file, texts::MirrorNotStored(file));
      continue;
    }
    if (sigBefore_[key] == c->second.sig) {
      Failed(file, texts::MirrorUnchangedAfterPut(file));
      continue;
    }
    state_.entries[key] = {.folder = false, .file = file, .calcSig = c->second.sig, .pcHash = sentFile.sig};
  }
  SaveState();
}

}  // namespace bridgit::mirror
