#include "cli/mirror.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <optional>
#include <set>
#include <stdexcept>

#include "base/files.h"
#include "calcdata/escapes.h"
#include "calcdata/text_header.h"
#include "calcdata/var_name.h"
#include "cli/console_host.h"
#include "cli/mirror_batch.h"
#include "cli/mirror_calc.h"
#include "cli/mirror_pc.h"
#include "cli/texts.h"
#include "link/comm_error.h"

namespace bridgit::cli::mirror {

namespace fs = std::filesystem;

namespace {

constexpr int kRealIcon = 32, kListIcon = 30, kProgramIcon = 16;

std::string ReadOrFail(const std::string& path) {
  std::string bytes;
  int code = 0;
  if (!ReadWholeFile(path, bytes, code)) throw std::runtime_error("cannot read " + path + ": " + std::strerror(code));
  return bytes;
}

void WriteOrFail(const std::string& path, const std::string& bytes) {
  int code = 0;
  if (!WriteFileSafely(path, bytes, code)) throw std::runtime_error("cannot write " + path + ": " + std::strerror(code));
}

// A path inside the mirror for a write or a deletion. A link on the way (a
// checkout can hold one) or a ".." must not lead the pull out of the mirror:
// refused, and the run stops with the link named.
fs::path Inside(const fs::path& dir, const std::string& relative) {
  fs::path at = dir;
  for (const fs::path& part : fs::path(relative)) {
    at /= part;
    std::error_code error;
    if (part == ".." || part.is_absolute() || fs::is_symlink(fs::symlink_status(at, error)))
      throw std::runtime_error(texts::MirrorThroughLink(at.string()));
  }
  return at;
}

// An object's file that could not be written: that object fails, the run goes on.
struct TFileNotWritten : std::runtime_error {
  using std::runtime_error::runtime_error;
};

std::string Parent(const std::string& key) {
  const std::size_t slash = key.rfind('/');
  return slash == std::string::npos ? "" : key.substr(0, slash);
}

std::string Last(const std::string& key) {
  const std::size_t slash = key.rfind('/');
  return slash == std::string::npos ? key : key.substr(slash + 1);
}

std::string JoinFolder(const std::vector<std::string>& names) {
  std::string path = "HOME";
  for (const std::string& n : names) path += "/" + n;
  return path;
}

}  // namespace

bool TextByDefault(int typeIcon) {
  return typeIcon == kRealIcon || typeIcon == kStringIcon || typeIcon == kListIcon || typeIcon == kProgramIcon ||
         typeIcon == kAlgebraicIcon;
}

TMirror::TMirror(TXModemServer& server, TSessionHost& host, std::ostream& out, TMirrorDisplay display,
                 TMirrorOptions options)
    : server_(server), host_(host), out_(out), display_(std::move(display)), options_(std::move(options)) {}

// One run: the two trees, the state, and what has been done so far.
struct TMirror::TRun {
  TRun(TMirror& mirror, TDirection d) : m(mirror), direction(d), pull(d == TDirection::kPull) {}
  TMirror& m;
  TDirection direction;
  bool pull;
  fs::path dir;
  fs::path stateFile;
  TState state;
  TXPObject home;
  TCalcTree calc;
  TPcTree pc;
  TPlanOptions plan;
  TMirrorReport report;
  std::string changedDir;  // the calculator folder made current last
  std::vector<std::string> sent;  // files sent, with the signature they had before
  std::map<std::string, std::string> sigBefore;
  std::set<std::string> made;  // calculator folders this push created
  std::set<std::string> notExact;  // objects whose text does not compile back to them
  // Small objects fetched together: the batch each belongs to, the file it is
  // fetched for, and the bytes of the files fetched ahead of their step.
  std::map<std::string, std::size_t> batchOf;
  std::map<std::string, std::string> batchFile;
  std::vector<std::vector<std::string>> batches;
  std::map<std::string, std::string> fetchedAhead;
  bool batchScratchLeft = false;  // the next batch, or the end of the run, purges it

  void PurgeBatchScratch() {
    if (!batchScratchLeft) return;
    ChangeDir("HOME");
    m.server_.Purge(kBatchScratch, false);
    batchScratchLeft = false;
  }
  std::size_t objectIndex = 0, objectCount = 0;
  unsigned long long totalBytes = 0, doneBytes = 0;

  const char* Command() const { return pull ? "pull" : "push"; }

  // A thing done or left, as a line on standard output (none for --json; with
  // --quiet only what was not done) and in the report.
  void Record(const char* kind, const std::string& file, const std::string& line, const std::string& reason = "") {
    report.items.push_back({kind, file, reason});
    const bool done = reason.empty();
    if (m.options_.json || (done && m.options_.quiet && !m.options_.dryRun)) return;
    m.display_.clear();
    m.out_ << line << "\n" << std::flush;
  }
  void Done(const char* kind, const char* verb, const std::string& file) {
    const std::string past = kind == std::string("created") ? "created folder" : kind;
    Record(kind, file, texts::MirrorDone(m.options_.dryRun, verb, past, file));
  }

  void SaveState() {
    if (m.options_.dryRun) return;
    WriteOrFail(stateFile.string(), FormatState(state));
  }

  // The calculator path ("HOME A B") of a folder key ("" is the mirrored folder).
  std::string CalcPath(const std::string& folderKey) {
    std::string path = "HOME";
    for (const std::string& n : FolderNames(state.folder)) path += " " + n;
    if (!folderKey.empty())
      for (const std::string& part : FolderNames(folderKey)) path += " " + CalcName(part);
    return path;
  }

  void ChangeDir(const std::string& path) {
    if (path == changedDir) return;
    m.server_.ChangeDir(path);
    changedDir = path;
  }

  // A folder's relative path on the PC: its own spelling where it exists.
  std::string PcFolder(const std::string& key) {
    if (key.empty()) return "";
    if (const auto f = pc.side.find(key); f != pc.side.end() && f->second.folder && !f->second.file.empty())
      return f->second.file;
    const std::string parent = PcFolder(Parent(key));
    return parent.empty() ? Last(key) : parent + "/" + Last(key);
  }

  // The file an object is written to: the PC's own when it has one (its form
  // is kept unless a form is forced), else by type.
  std::string FileFor(const std::string& key) {
    const auto p = pc.side.find(key);
    const bool hasFile = p != pc.side.end() && !p->second.folder;
    TForm form = m.options_.form;
    if (form == TForm::kAuto) {
      const bool text = TextByDefault(calc.entries.at(key).item->TypeIcon) && !notExact.contains(key);
      // A text file keeps its form only while the object's type has an exact
      // text (a real that became a graphic goes binary).
      if (hasFile && (text || fs::path(p->second.file).extension() != kTextExtension)) return p->second.file;
      form = text ? TForm::kText : TForm::kBinary;
    }
    const std::string folder = PcFolder(Parent(key));
    const std::string stem = hasFile ? fs::path(p->second.file).stem().string() : Last(key);
    return (folder.empty() ? "" : folder + "/") + stem + (form == TForm::kText ? kTextExtension : kBinaryExtension);
  }

  // The batches of a pull: the small objects to fetch of each folder, in one
  // form, in the plan's order.
  void PlanBatches(const std::vector<TStep>& steps) {
    if (!pull || m.options_.dryRun) return;
    // One an interrupted run left goes too.
    for (const auto& c : home.Children) batchScratchLeft |= c->Name == kBatchScratch;
    std::map<std::pair<std::string, bool>, std::size_t> open;  // (folder, text) -> batch being filled
    std::vector<long long> bytes;
    // Asked of the calculator only when something is to be fetched.
    std::optional<long long> freeBytes;
    const auto freeMemory = [&] {
      if (freeBytes) return *freeBytes;
      try {
        freeBytes = std::stoll(m.server_.QueryFreeMemory());
      } catch (const std::logic_error&) {
        freeBytes = -1;  // not a number: the smallest batches
      }
      return *freeBytes;
    };
    for (const TStep& s : steps) {
      if (s.folder || (s.action != TAction::kCopy && s.action != TAction::kCompare)) continue;
      const TXPObject& item = *calc.entries.at(s.key).item;
      const std::string file = s.action == TAction::kCompare ? pc.side.at(s.key).file : FileFor(s.key);
      const bool text = fs::path(file).extension() == kTextExtension;
      const TBatchLimits limits = BatchLimits(freeMemory(), text);
      // A name the calculator would not read back in a list goes alone, as a get does it.
      // Nor does an object of a type the table lacks: only the listing's size can cut it.
      if (item.Size > limits.maxObjectBytes || item.TypeIcon == kUnknownTypeIcon || !CalcNameOk(Last(s.key))) continue;
      const auto group = std::make_pair(Parent(s.key), text);
      auto b = open.find(group);
      if (b == open.end() || batches[b->second].size() >= kBatchMaxObjects || bytes[b->second] + item.Size > limits.maxBytes) {
        batches.emplace_back();
        bytes.push_back(0);
        b = open.insert_or_assign(group, batches.size() - 1).first;
      }
      batches[b->second].push_back(s.key);
      bytes[b->second] += item.Size;
      batchOf[s.key] = b->second;
      batchFile[s.key] = file;
    }
  }

  // Fetches the batch of `key` once; what it could not bring is fetched alone.
  void FetchBatch(const std::string& key) {
    const auto b = batchOf.find(key);
    if (b == batchOf.end()) return;
    std::vector<std::string> keys = std::move(batches[b->second]);
    for (const std::string& k : keys) batchOf.erase(k);
    std::vector<std::string> names;
    for (const std::string& k : keys) names.push_back(CalcName(Last(k)));
    const bool text = fs::path(batchFile.at(keys.front())).extension() == kTextExtension;
    m.server_.Execute(BatchCommand(CalcPath(Parent(key)), names, text), true, true);
    changedDir = "HOME";
    batchScratchLeft = true;
    TConsoleHost::ThrowIfInterrupted();
    const bool got = m.server_.GetObject(kBatchScratch, "", 0);
    const std::string answer = m.server_.LastData();
    if (!got) throw std::runtime_error("could not fetch " + key);
    std::vector<std::string> split;
    if (!SplitBatch(answer, keys.size(), text, split)) return;
    for (std::size_t i = 0; i < keys.size(); ++i) {
      if (text && split[i].empty()) {
        notExact.insert(keys[i]);
        continue;
      }
      const int icon = calc.entries.at(keys[i]).item->TypeIcon;
      fetchedAhead[keys[i]] = text ? m.server_.TextFileOf(split[i], icon) : split[i];
    }
  }

  // Fetches an object as the bytes of its file in the form `file` names.
  std::string Fetch(const std::string& key, const std::string& file) {
    FetchBatch(key);
    // A batch fetches each object in the form of the file its step names.
    if (const auto a = fetchedAhead.find(key); a != fetchedAhead.end()) {
      std::string bytes = std::move(a->second);
      fetchedAhead.erase(a);
      return bytes;
    }
    const TCalcEntry& e = calc.entries.at(key);
    ChangeDir(CalcPath(Parent(key)));
    m.host_.SetTextMode(fs::path(file).extension() == kTextExtension);
    const std::string temp = TempFolder() + "mirror-fetch";
    TConsoleHost::ThrowIfInterrupted();
    if (!m.server_.GetToFile(KeyPart(e.item->Name), temp, e.item->TypeIcon, e.item->Size)) {
      std::remove(temp.c_str());
      throw std::runtime_error("could not fetch " + key);
    }
    std::string bytes = ReadOrFail(temp);
    std::remove(temp.c_str());
    return bytes;
  }

  // The bytes an object moves, as the progress counts them.
  unsigned long long PlannedBytes(const std::string& key) {
    if (pull) {
      const auto c = calc.entries.find(key);
      return c == calc.entries.end() ? 0 : static_cast<unsigned long long>(c->second.item->Size);
    }
    const auto p = pc.side.find(key);
    std::error_code error;
    const auto size = p == pc.side.end() ? 0 : fs::file_size(dir / p->second.file, error);
    return error ? 0 : size;
  }

  void Progress(const std::string& key, const std::string& what) {
    ++objectIndex;
    const unsigned long long size = PlannedBytes(key);
    m.display_.show(texts::MirrorProgress(Command(), objectIndex, objectCount, doneBytes, totalBytes, what));
    doneBytes += size;
  }

  // Writes fetched bytes into the mirror and records the object as in sync.
  void Store(const std::string& key, const std::string& file, const std::string& bytes) {
    const fs::path target = Inside(dir, file);
    std::error_code error;
    fs::create_directories(target.parent_path(), error);
    int code = 0;
    if (!WriteFileSafely(target.string(), bytes, code))
      throw TFileNotWritten("cannot write " + target.string() + ": " + std::strerror(code));
    // A forced form replaces the file of the other form.
    const auto p = pc.side.find(key);
    if (p != pc.side.end() && !p->second.folder && p->second.file != file) fs::remove(Inside(dir, p->second.file), error);
    state.entries[key] = {.folder = false, .file = file, .calcSig = calc.side.at(key).sig, .pcHash = HashBytes(bytes)};
    report.bytes += bytes.size();
    ++report.moved;
    SaveState();
  }

  // A failure of one object: named on standard error, counted, and the run goes on.
  void Failed(const std::string& file, const std::string& text) {
    ++report.failures;
    report.items.push_back({"skipped", file, text});
    m.display_.clear();
    std::fprintf(stderr, "%s%s\n", texts::kProgram.data(), text.c_str());
  }

  // Every part of a key is a name the calculator takes (a PC folder "My Progs"
  // would have been read by the calculator as two words).
  static bool CalcNameOk(const std::string& key) {
    for (std::size_t at = 0; at <= key.size();) {
      const std::size_t slash = std::min(key.find('/', at), key.size());
      if (!IsProperVarName(DecodeEscapes(key.substr(at, slash - at), TEscapeMode::kCaret))) return false;
      at = slash + 1;
    }
    return true;
  }

  // Sends a file. The state is left as it was until the calculator is seen
  // holding the new object (Refresh): a push cut short, or a text the
  // calculator did not take, still counts as changed on the PC.
  bool Send(const std::string& key) {
    const TSideEntry& p = pc.side.at(key);
    if (!CalcNameOk(key)) return Failed(p.file, texts::MirrorNotACalcName(p.file)), false;
    // Into a folder the calculator has: entering a missing one would leave
    // the calculator where it was, and the file would land there.
    const std::string folder = Parent(key);
    if (!folder.empty() && !made.contains(folder) && !(calc.side.contains(folder) && calc.side.at(folder).folder))
      return Failed(p.file, texts::MirrorNoCalcFolder(p.file)), false;
    ChangeDir(CalcPath(Parent(key)));
    bool all = true;
    const std::string file = (dir / p.file).string();
    const auto size = fs::file_size(file);
    TConsoleHost::ThrowIfInterrupted();
    if (!m.server_.PutFile(CalcName(Last(key)), file, 1, all, false)) return Failed(p.file, texts::MirrorNotSent(p.file)), false;
    const auto c = calc.side.find(key);
    sigBefore[key] = c != calc.side.end() ? c->second.sig : "";
    sent.push_back(key);
    report.bytes += size;
    ++report.moved;
    return true;
  }

  void Copy(const std::string& key) {
    if (pull) {
      if (!m.options_.dryRun) FetchBatch(key);  // it may find the object has no exact text
      const std::string file = FileFor(key);
      Progress(key, file);
      if (m.options_.dryRun) return Done("fetched", "fetch", file);
      try {
        Store(key, file, Fetch(key, file));
      } catch (const TFileNotWritten& e) {
        return Failed(file, e.what());  // a name too long for the file system, a full disk: the others go on
      }
      Done("fetched", "fetch", file);
    } else {
      const std::string& file = pc.side.at(key).file;
      // The calculator would ask how to read it, and nobody answers there:
      // skipped in a dry run as in the run.
      if (fs::path(file).extension() == kTextExtension && !StartsAsTextFile(ReadOrFail((dir / file).string())))
        return Failed(file, texts::MirrorNoHeader(file, MakeTextHeader(3, 'D', '.')));
      Progress(key, file);
      if (m.options_.dryRun) return Done("sent", "send", file);
      if (Send(key)) Done("sent", "send", file);
    }
  }

  // Both sides new or changed: equal contents are simply in sync.
  void Compare(const std::string& key) {
    const TSideEntry& p = pc.side.at(key);
    const std::string fetched = Fetch(key, p.file);
    const bool same = fetched == ReadOrFail((dir / p.file).string());
    switch (DecideCompared(same, plan)) {
      case TAction::kNone:
        if (!m.options_.dryRun) {
          state.entries[key] = {.folder = false, .file = p.file, .calcSig = calc.side.at(key).sig, .pcHash = p.sig};
          SaveState();
        }
        break;
      case TAction::kCopy:
        if (pull) {
          if (m.options_.dryRun) return Done("fetched", "fetch", p.file);
          Store(key, p.file, fetched);
          Done("fetched", "fetch", p.file);
        } else {
          if (m.options_.dryRun) return Done("sent", "send", p.file);
          if (Send(key)) Done("sent", "send", p.file);
        }
        break;
      case TAction::kKeepTarget:
        KeepTarget(key);
        break;
      default:
        ++report.conflicts;
        Conflict(p.file, texts::MirrorConflictLine(p.file));
    }
  }

  // A conflict decided for the target: the source's version counts as seen,
  // so the other direction moves the target's.
  void KeepTarget(const std::string& key) {
    if (m.options_.dryRun) return;
    TStateEntry& e = state.entries[key];
    if (const auto c = calc.side.find(key); c != calc.side.end()) {
      if (pull) e.calcSig = c->second.sig;
    } else if (pull) {
      e.calcSig = "";
    }
    if (const auto p = pc.side.find(key); p != pc.side.end()) {
      e.file = p->second.file;
      if (!pull) e.pcHash = p->second.sig;
    } else if (!pull) {
      e.pcHash = "";
    }
    if (e.file.empty()) e.file = FileFor(key);
    SaveState();
  }

  std::string Shown(const TStep& s) {
    if (s.folder) return s.key + "/";
    if (const auto p = pc.side.find(s.key); p != pc.side.end()) return p->second.file;
    if (const auto st = state.entries.find(s.key); st != state.entries.end()) return st->second.file;
    return s.key;
  }

  void MakeFolder(const std::string& key) {
    if (!pull && !CalcNameOk(key)) return Failed(key + "/", texts::MirrorNotACalcName(key + "/"));
    Done("created", "create folder", key + "/");
    if (m.options_.dryRun) return;
    if (pull) {
      std::error_code error;
      fs::create_directories(Inside(dir, PcFolder(key)), error);
      if (error) throw std::runtime_error("cannot create the folder " + (dir / PcFolder(key)).string() + ": " + error.message());
    } else {
      ChangeDir(CalcPath(Parent(key)));
      m.server_.CreateDir(CalcName(Last(key)));
      made.insert(key);
    }
    state.entries[key] = FolderState();
    SaveState();
  }

  void Remove(const TStep& s) {
    const std::string shown = Shown(s);
    Done("deleted", "delete", shown);
    if (m.options_.dryRun) return;
    if (pull) {
      std::error_code error;
      // A folder goes only when nothing is left in it.
      fs::remove(Inside(dir, s.folder ? PcFolder(s.key) : shown), error);
      if (error && s.folder) return;  // still holds something: kept, and kept in the state
    } else {
      ChangeDir(CalcPath(Parent(s.key)));
      // PURGE, not PGDIR, for a folder too: a folder that still holds anything stays.
      m.server_.Purge(CalcName(Last(s.key)), false);
    }
    state.entries.erase(s.key);
    SaveState();
  }

  void Skipped(const std::string& file, const std::string& line) { Record("skipped", file, line, line); }
  // The reason of a conflict is its line without the leading "conflict: ".
  void Conflict(const std::string& file, const std::string& line) {
    Record("conflicts", file, line, line.substr(line.find(": ") + 2));
  }

  void Listed(const TStep& s) {
    const std::string shown = Shown(s);
    switch (s.action) {
      case TAction::kRemovedSource:
        return Skipped(shown, texts::MirrorDeletedLine(shown, pull, true));
      case TAction::kRemovedTarget:
        return Skipped(shown, texts::MirrorDeletedLine(shown, !pull, false));
      case TAction::kTargetChanged:
        if (pc.side.contains(s.key) || calc.side.contains(s.key)) Skipped(shown, texts::MirrorChangedLine(shown, !pull));
        return;
      default:
        return;
    }
  }

  void Conflict(const TStep& s) {
    ++report.conflicts;
    const std::string shown = Shown(s);
    const bool onCalc = !calc.side.contains(s.key), onPc = !pc.side.contains(s.key);
    std::string line = texts::MirrorConflictLine(shown);
    if (calc.side.contains(s.key) && pc.side.contains(s.key) && calc.side.at(s.key).folder != pc.side.at(s.key).folder)
      line = texts::MirrorFolderClashLine(shown);
    else if (onCalc || onPc)
      line = texts::MirrorDeletedConflictLine(shown, onCalc);
    Conflict(shown, line);
  }

  // After a push: the objects sent get the signature the calculator gives them now.
  void Refresh() {
    if (sent.empty() || m.options_.dryRun) return;
    home.ClearChildren();
    calc = ReadCalcTree(m.server_, home, state.folder);
    for (const std::string& key : sent) {
      const TSideEntry& sentFile = pc.side.at(key);
      const std::string& file = sentFile.file;
      const auto c = calc.side.find(key);
      if (c == calc.side.end() || c->second.folder) {
        Failed(file, texts::MirrorNotStored(file));
        continue;
      }
      if (sigBefore[key] == c->second.sig) {
        Failed(file, texts::MirrorUnchangedAfterPut(file));
        continue;
      }
      state.entries[key] = {.folder = false, .file = file, .calcSig = c->second.sig, .pcHash = sentFile.sig};
    }
    SaveState();
  }
};

TMirrorReport TMirror::Run(TDirection direction) {
  try {
    return RunOnce(direction);
  } catch (...) {
    PurgeScratch();
    if (TConsoleHost::Interrupted()) throw std::runtime_error(std::string(texts::kCancelled));
    throw;
  }
}

// A run that stopped may have left a batch or the checksums on the
// calculator: purged while the link still answers (a transfer cut short
// drops it; the next pull purges them then).
void TMirror::PurgeScratch() {
  if (!server_.IsConnected()) return;
  try {
    server_.Execute(std::string("HOME IFERR '") + kBatchScratch + "' PURGE THEN END IFERR '" + kCheckScratch +
                        "' PURGE THEN END",
                    false, false);
  } catch (const std::exception&) {
  }
}

TMirrorReport TMirror::RunOnce(TDirection direction) {
  TRun r(*this, direction);
  r.dir = fs::path(options_.dir);
  r.stateFile = r.dir / kStateFileName;
  const std::string asked = options_.folder.empty() ? "" : JoinFolder(FolderNames(options_.folder));
  if (fs::exists(r.stateFile)) {
    const auto parsed = ParseState(ReadOrFail(r.stateFile.string()));
    if (!parsed) throw std::runtime_error(texts::MirrorBadState(r.stateFile.string()));
    r.state = *parsed;
    if (!asked.empty() && asked != r.state.folder)
      throw std::runtime_error(texts::MirrorOtherFolder(options_.dir, r.state.folder, asked));
  } else {
    r.state.folder = asked.empty() ? "HOME" : asked;
  }
  if (!r.pull && !fs::is_directory(r.dir)) throw std::runtime_error("no folder " + options_.dir);
  if (r.pull && !options_.dryRun) {
    std::error_code error;
    fs::create_directories(r.dir, error);
    if (error) throw std::runtime_error("cannot create the folder " + options_.dir + ": " + error.message());
  }
  r.home.Name = "HOME";
  r.calc = ReadCalcTree(server_, r.home, r.state.folder);
  // The check command leaves the calculator in HOME.
  r.changedDir = "HOME";
  if (fs::is_directory(r.dir))
    r.pc = ReadPcTree(r.dir.string(), [&r](const std::string& key) { return r.state.entries.contains(key); });
  if (!r.pc.clashes.empty()) throw std::runtime_error(texts::MirrorClash(r.pc.clashes.front()));
  r.plan = {.forceSource = r.pull ? options_.forceCalc : options_.forcePc,
            .forceTarget = r.pull ? options_.forcePc : options_.forceCalc,
            .remove = options_.remove};
  const std::vector<TStep> steps = MakePlan(direction, r.state, r.calc.side, r.pc.side, r.plan);

  for (const TStep& s : steps) {
    if (s.folder || (s.action != TAction::kCopy && s.action != TAction::kCompare)) continue;
    ++r.objectCount;
    r.totalBytes += r.PlannedBytes(s.key);
  }

  r.PlanBatches(steps);

  std::vector<const TStep*> removals;
  for (const TStep& s : steps) {
    TConsoleHost::ThrowIfInterrupted();
    // A failure stops the run (a failed transfer leaves the link unusable);
    // every file and the state file stay whole, and the next run goes on.
    switch (s.action) {
        case TAction::kNone:
          if (options_.dryRun) break;
          if (s.folder) {
            if (!r.state.entries.contains(s.key)) r.state.entries[s.key] = FolderState(), r.SaveState();
          } else if (const auto st = r.state.entries.find(s.key); st == r.state.entries.end() || st->second.calcSig == kPendingSig) {
            // Pending from an interrupted push: the calculator's signature now.
            if (st != r.state.entries.end() && r.calc.side.contains(s.key)) st->second.calcSig = r.calc.side.at(s.key).sig, r.SaveState();
          }
          break;
        case TAction::kCopy:
          r.Copy(s.key);
          break;
        case TAction::kCompare:
          r.Progress(s.key, r.Shown(s));
          r.Compare(s.key);
          break;
        case TAction::kMakeFolder:
          r.MakeFolder(s.key);
          break;
        case TAction::kRemove:
          removals.push_back(&s);
          break;
        case TAction::kForget:
          if (!options_.dryRun) r.state.entries.erase(s.key), r.SaveState();
          break;
        case TAction::kKeepTarget:
          r.KeepTarget(s.key);
          break;
        case TAction::kConflict:
          r.Conflict(s);
          break;
        default:
          r.Listed(s);
      }
  }
  r.PurgeBatchScratch();
  // What a folder held goes before the folder.
  std::reverse(removals.begin(), removals.end());
  for (const TStep* s : removals) {
    TConsoleHost::ThrowIfInterrupted();
    r.Remove(*s);
  }
  if (!r.pull) r.Refresh();
  return r.report;
}

}  // namespace bridgit::cli::mirror
