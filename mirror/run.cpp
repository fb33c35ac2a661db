#include "base/utf8_path.h"
#include "mirror/run.h"

#include <algorithm>
#include <cstring>

#include "base/files.h"
#include "mirror/batch.h"
#include "mirror/keys.h"
#include "mirror/texts.h"

namespace bridgit::mirror {

namespace fs = std::filesystem;

namespace {

std::string JoinFolder(const std::vector<std::string>& names) {
  std::string path = "HOME";
  for (const std::string& n : names) path += "/" + n;
  return path;
}

}  // namespace

fs::path Inside(const fs::path& dir, const std::string& relative) {
  fs::path at = dir;
  for (const fs::path& part : Utf8Path(relative)) {
    at /= part;
    std::error_code error;
    if (part == ".." || part.is_absolute() || fs::is_symlink(fs::symlink_status(at, error)))
      throw std::runtime_error(texts::MirrorThroughLink(Utf8(at)));
  }
  return at;
}

TRun::TRun(const TRunContext& context, TDirection direction)
    : server_(context.server),
      host_(context.host),
      out_(context.out),
      console_(context.console),
      options_(context.options),
      direction_(direction),
      command_(direction == TDirection::kPull ? "pull" : "push"),
      calcIsSource_(direction == TDirection::kPull),
      cursor_(context.server) {}

void TRun::ThrowIfInterrupted() const {
  // Before a transfer: a stop between exchanges leaves the link working.
  if (console_.interrupted()) throw std::runtime_error(std::string(texts::kCancelled));
}

void TRun::Record(const char* kind, const std::string& file, const std::string& line, const std::string& reason) {
  report_.items.push_back({kind, file, reason});
  const bool done = reason.empty();
  if (options_.json || (done && options_.quiet && !options_.dryRun)) return;
  console_.clear();
  out_ << line << "\n" << std::flush;
}

void TRun::Done(const char* kind, const char* verb, const std::string& file) {
  const std::string past = kind == std::string("created") ? "created folder" : kind;
  Record(kind, file, texts::MirrorDone(options_.dryRun, verb, past, file));
}

void TRun::Failed(const std::string& file, const std::string& text) {
  ++report_.failures;
  report_.items.push_back({"skipped", file, text});
  console_.clear();
  console_.warn(text);
}

void TRun::Progress(const std::string& key, const std::string& what) {
  ++objectIndex_;
  const unsigned long long size = PlannedBytes(key);
  console_.show(texts::MirrorProgress(command_, objectIndex_, objectCount_, doneBytes_, totalBytes_, what));
  doneBytes_ += size;
}

void TRun::SaveState() {
  if (options_.dryRun) return;
  WriteOrFail(Utf8(stateFile_), FormatState(state_));
}

std::string TRun::CalcPath(const std::string& folderKey) const {
  std::string path = "HOME";
  for (const std::string& n : FolderNames(state_.folder)) path += " " + n;
  if (!folderKey.empty())
    for (const std::string& part : FolderNames(folderKey)) path += " " + CalcName(part);
  return path;
}

std::string TRun::PcFolder(const std::string& key) const {
  if (key.empty()) return "";
  if (const auto f = pc_.side.find(key); f != pc_.side.end() && f->second.folder && !f->second.file.empty())
    return f->second.file;
  const std::string parent = PcFolder(Parent(key));
  return parent.empty() ? Last(key) : parent + "/" + Last(key);
}

std::string TRun::FileFor(const std::string& key) const {
  const auto p = pc_.side.find(key);
  const bool hasFile = p != pc_.side.end() && !p->second.folder;
  TForm form = options_.form;
  if (form == TForm::kAuto) {
    const bool text = TextByDefault(calc_.entries.at(key).item->TypeIcon) && !notExact_.contains(key);
    // A text file keeps its form only while the object's type has an exact
    // text (a real that became a graphic goes binary).
    if (hasFile && (text || Utf8Path(p->second.file).extension() != kTextExtension)) return p->second.file;
    form = text ? TForm::kText : TForm::kBinary;
  }
  const std::string folder = PcFolder(Parent(key));
  const std::string stem = hasFile ? Utf8(Utf8Path(p->second.file).stem()) : Last(key);
  return (folder.empty() ? "" : folder + "/") + stem + (form == TForm::kText ? kTextExtension : kBinaryExtension);
}

std::string TRun::Shown(const TStep& s) const {
  if (s.folder) return s.key + "/";
  if (const auto p = pc_.side.find(s.key); p != pc_.side.end()) return p->second.file;
  if (const auto st = state_.entries.find(s.key); st != state_.entries.end()) return st->second.file;
  return s.key;
}

void TRun::FolderMade(const std::string& key) {
  state_.entries[key] = FolderState();
  SaveState();
}

std::string TRun::Fetch(const std::string& key, const std::string& file) {
  const TCalcEntry& e = calc_.entries.at(key);
  cursor_.Enter(CalcPath(Parent(key)));
  host_.SetTextMode(Utf8Path(file).extension() == kTextExtension);
  const std::string temp = TempFolder() + "mirror-fetch";
  ThrowIfInterrupted();
  if (!server_.GetToFile(KeyPart(e.item->Name), temp, e.item->TypeIcon, e.item->Size)) {
    std::remove(temp.c_str());
    throw std::runtime_error("could not fetch " + key);
  }
  std::string bytes = ReadOrFail(temp);
  std::remove(temp.c_str());
  return bytes;
}

void TRun::Compare(const std::string& key) {
  const TSideEntry& p = pc_.side.at(key);
  const std::string fetched = Fetch(key, p.file);
  const bool same = fetched == ReadOrFail(Utf8(dir_ / Utf8Path(p.file)));
  switch (DecideCompared(same, plan_)) {
    case TAction::kNone:
      if (!options_.dryRun) {
        state_.entries[key] = {.folder = false, .file = p.file, .calcSig = calc_.side.at(key).sig, .pcHash = p.sig};
        SaveState();
      }
      break;
    case TAction::kCopy:
      Take(key, p.file, fetched);
      break;
    case TAction::kKeepTarget:
      KeepTarget(key);
      break;
    default:
      ++report_.conflicts;
      Conflict(p.file, texts::MirrorConflictLine(p.file));
  }
}

void TRun::KeepTarget(const std::string& key) {
  if (options_.dryRun) return;
  TStateEntry& e = state_.entries[key];
  SeeSource(e, key);
  if (const auto p = pc_.side.find(key); p != pc_.side.end()) e.file = p->second.file;
  if (e.file.empty()) e.file = FileFor(key);
  SaveState();
}

void TRun::Remove(const TStep& s) {
  const std::string shown = Shown(s);
  Done("deleted", "delete", shown);
  if (options_.dryRun) return;
  if (!RemoveFromTarget(s, shown)) return;  // still holds something: kept, and kept in the state
  state_.entries.erase(s.key);
  SaveState();
}

void TRun::Skipped(const std::string& file, const std::string& line) { Record("skipped", file, line, line); }

// The reason of a conflict is its line without the leading "conflict: ".
void TRun::Conflict(const std::string& file, const std::string& line) {
  Record("conflicts", file, line, line.substr(line.find(": ") + 2));
}

void TRun::Listed(const TStep& s) {
  const std::string shown = Shown(s);
  switch (s.action) {
    case TAction::kRemovedSource:
      return Skipped(shown, texts::MirrorDeletedLine(shown, calcIsSource_, true));
    case TAction::kRemovedTarget:
      return Skipped(shown, texts::MirrorDeletedLine(shown, !calcIsSource_, false));
    case TAction::kTargetChanged:
      if (pc_.side.contains(s.key) || calc_.side.contains(s.key))
        Skipped(shown, texts::MirrorChangedLine(shown, !calcIsSource_));
      return;
    default:
      return;
  }
}

void TRun::Conflict(const TStep& s) {
  ++report_.conflicts;
  const std::string shown = Shown(s);
  const bool onCalc = !calc_.side.contains(s.key), onPc = !pc_.side.contains(s.key);
  std::string line = texts::MirrorConflictLine(shown);
  if (calc_.side.contains(s.key) && pc_.side.contains(s.key) && calc_.side.at(s.key).folder != pc_.side.at(s.key).folder)
    line = texts::MirrorFolderClashLine(shown);
  else if (onCalc || onPc)
    line = texts::MirrorDeletedConflictLine(shown, onCalc);
  Conflict(shown, line);
}

void TRun::ReadCalc() {
  // A batch an interrupted run left goes with the command, and so does the
  // answer an earlier run left, which must not be fetched for this one's.
  cursor_.PurgeLater(kBatchScratch);
  cursor_.PurgeLater(kTreeScratch);
  calc_ = ReadCalcTree(server_, home_, state_.folder, cursor_.TakePurges(), console_.interrupted);
  cursor_.LeftIn("HOME");
  cursor_.PurgeLater(kTreeScratch);
}

void TRun::ReadState() {
  dir_ = Utf8Path(options_.dir);
  stateFile_ = dir_ / kStateFileName;
  const std::string asked = options_.folder.empty() ? "" : JoinFolder(FolderNames(options_.folder));
  if (fs::exists(stateFile_)) {
    const auto parsed = ParseState(ReadOrFail(Utf8(stateFile_)));
    if (!parsed) throw std::runtime_error(texts::MirrorBadState(Utf8(stateFile_)));
    state_ = *parsed;
    if (!asked.empty() && asked != state_.folder)
      throw std::runtime_error(texts::MirrorOtherFolder(options_.dir, state_.folder, asked));
  } else {
    state_.folder = asked.empty() ? "HOME" : asked;
  }
}

void TRun::Step(const TStep& s, std::vector<const TStep*>& removals) {
  switch (s.action) {
    case TAction::kNone:
      // A folder both sides hold and the state does not yet.
      if (!options_.dryRun && s.folder && !state_.entries.contains(s.key)) state_.entries[s.key] = FolderState(), SaveState();
      break;
    case TAction::kCopy:
      Copy(s.key);
      break;
    case TAction::kCompare:
      Progress(s.key, Shown(s));
      Compare(s.key);
      break;
    case TAction::kMakeFolder:
      MakeFolder(s.key);
      break;
    case TAction::kRemove:
      removals.push_back(&s);
      break;
    case TAction::kForget:
      if (!options_.dryRun) state_.entries.erase(s.key), SaveState();
      break;
    case TAction::kKeepTarget:
      KeepTarget(s.key);
      break;
    case TAction::kConflict:
      Conflict(s);
      break;
    default:
      Listed(s);
  }
}

TMirrorReport TRun::Run() {
  ReadState();
  PrepareDir();
  home_.Name = "HOME";
  ReadCalc();
  if (fs::is_directory(dir_))
    pc_ = ReadPcTree(Utf8(dir_), [this](const std::string& key) { return state_.entries.contains(key); });
  if (!pc_.clashes.empty()) throw std::runtime_error(texts::MirrorClash(pc_.clashes.front()));
  const bool pull = direction_ == TDirection::kPull;
  plan_ = {.forceSource = pull ? options_.forceCalc : options_.forcePc,
           .forceTarget = pull ? options_.forcePc : options_.forceCalc,
           .remove = options_.remove};
  const std::vector<TStep> steps = MakePlan(direction_, state_, calc_.side, pc_.side, plan_);
  for (const TStep& s : steps) {
    if (s.folder || (s.action != TAction::kCopy && s.action != TAction::kCompare)) continue;
    ++objectCount_;
    totalBytes_ += PlannedBytes(s.key);
  }
  BeforeSteps(steps);
  std::vector<const TStep*> removals;
  for (const TStep& s : steps) {
    ThrowIfInterrupted();
    // A failure stops the run (a failed transfer leaves the link unusable);
    // every file and the state file stay whole, and the next run goes on.
    Step(s, removals);
  }
  // What a folder held goes before the folder.
  std::reverse(removals.begin(), removals.end());
  for (const TStep* s : removals) {
    ThrowIfInterrupted();
    Remove(*s);
  }
  Finish();
  // A run that moved objects leaves no scratch behind; an unchanged pull
  // leaves the tree's answer to the next run's first command.
  if (objectCount_ > 0) cursor_.PurgeNow();
  return report_;
}

}  // namespace bridgit::mirror
