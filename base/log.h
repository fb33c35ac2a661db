// The session log: one store of plain text lines that every layer writes to.
//
// `Log` appends its text as one line (a text holding line breaks becomes several
// lines). It may be called from any thread; lines land whole and in call order.
// There are no levels, time stamps or prefixes: the log window shows the lines as
// they were written. Listeners (the log window, a log file of the command line)
// are told of each new line in order.
#pragma once

#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace bridgit {

void Log(std::string_view text);

class TLogBook {
 public:
  // Called with each new line, in order, under the log's lock: a listener must
  // not block and must not call Log itself (queue the line instead).
  using Listener = std::function<void(const std::string& line)>;
  // Called after Clear, under the log's lock.
  using ClearListener = std::function<void()>;

  static TLogBook& Instance();

  void Append(std::string_view text);
  void Clear();
  std::vector<std::string> Lines() const;
  std::size_t LineCount() const;
  // The whole log as one text, lines ended by LF.
  std::string Text() const;

  int AddListener(Listener onLine, ClearListener onClear = {});
  void RemoveListener(int id);

 private:
  struct TEntry {
    int id;
    Listener onLine;
    ClearListener onClear;
  };
  mutable std::mutex mutex_;
  std::vector<std::string> lines_;
  std::vector<TEntry> listeners_;
  int nextId_ = 1;
};

}  // namespace bridgit
