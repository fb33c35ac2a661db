// One pull or push: the two trees, the state, and what has been done so far.
// The steps both directions take alike are here; TPull and TPush do what
// moving in their direction means.
#pragma once

#include <filesystem>
#include <ostream>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "mirror/calc_cursor.h"
#include "mirror/calc_tree.h"
#include "mirror/mirror.h"
#include "mirror/pc_tree.h"

namespace bridgit::mirror {

// An object's file that could not be written: that object fails, the run goes on.
struct TFileNotWritten : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// A path inside the mirror for a write or a deletion. A link on the way (a
// checkout can hold one) or a ".." must not lead the pull out of the mirror:
// refused, and the run stops with the link named.
std::filesystem::path Inside(const std::filesystem::path& dir, const std::string& relative);

// What a run is given: the link and the terminal around it.
struct TRunContext {
  TXModemServer& server;
  TSessionHost& host;
  std::ostream& out;
  const TMirrorConsole& console;
  const TMirrorOptions& options;
};

class TRun {
 public:
  TRun(const TRunContext& context, TDirection direction);
  virtual ~TRun() = default;
  TMirrorReport Run();

 protected:
  // --- what each direction does its own way
  // The PC folder before the run: made by a pull, required by a push.
  virtual void PrepareDir() = 0;
  virtual void BeforeSteps(const std::vector<TStep>&) {}
  virtual void Finish() {}      // after the removals
  // The bytes an object moves, as the progress counts them.
  virtual unsigned long long PlannedBytes(const std::string& key) = 0;
  virtual void Copy(const std::string& key) = 0;
  // A compared object that differs, the source forced: `fetched` is the calculator's.
  virtual void Take(const std::string& key, const std::string& file, const std::string& fetched) = 0;
  // The source's version of `key` recorded as seen.
  virtual void SeeSource(TStateEntry& entry, const std::string& key) = 0;
  virtual void MakeFolder(const std::string& key) = 0;
  // Deletes on the target; false when a folder still holds something and stays.
  virtual bool RemoveFromTarget(const TStep& s, const std::string& shown) = 0;
  // Fetches an object as the bytes of its file in the form `file` names.
  virtual std::string Fetch(const std::string& key, const std::string& file);

  // --- shared by both
  void ThrowIfInterrupted() const;
  // A thing done or left, as a line on standard output (none for --json; with
  // --quiet only what was not done) and in the report.
  void Record(const char* kind, const std::string& file, const std::string& line, const std::string& reason = "");
  void Done(const char* kind, const char* verb, const std::string& file);
  // A failure of one object: named on standard error, counted, and the run goes on.
  void Failed(const std::string& file, const std::string& text);
  void Progress(const std::string& key, const std::string& what);
  void SaveState();
  // The calculator path ("HOME A B") of a folder key ("" is the mirrored folder).
  std::string CalcPath(const std::string& folderKey) const;
  // A folder's relative path on the PC: its own spelling where it exists.
  std::string PcFolder(const std::string& key) const;
  // The file an object is written to: the PC's own when it has one (its form
  // is kept unless a form is forced), else by type.
  std::string FileFor(const std::string& key) const;
  std::string Shown(const TStep& s) const;
  void FolderMade(const std::string& key);
  // The calculator's tree read again; its answer is purged with the next command.
  void ReadCalc();

  TXModemServer& server_;
  TSessionHost& host_;
  std::ostream& out_;
  const TMirrorConsole& console_;
  const TMirrorOptions& options_;
  const TDirection direction_;
  const char* const command_;  // "pull" or "push"
  const bool calcIsSource_;
  std::filesystem::path dir_;
  std::filesystem::path stateFile_;
  TState state_;
  TXPObject home_;
  TCalcTree calc_;
  TPcTree pc_;
  TPlanOptions plan_;
  TMirrorReport report_;
  TCalcCursor cursor_;
  std::set<std::string> notExact_;  // objects whose text does not compile back to them

 private:
  void ReadState();
  void Step(const TStep& s, std::vector<const TStep*>& removals);
  void Compare(const std::string& key);
  // A conflict decided for the target: the source's version counts as seen,
  // so the other direction moves the target's.
  void KeepTarget(const std::string& key);
  void Remove(const TStep& s);
  void Listed(const TStep& s);
  void Skipped(const std::string& file, const std::string& line);
  void Conflict(const std::string& file, const std::string& line);
  void Conflict(const TStep& s);
  std::size_t objectIndex_ = 0, objectCount_ = 0;
  unsigned long long totalBytes_ = 0, doneBytes_ = 0;
};

}  // namespace bridgit::mirror
