#include "base/log.h"

namespace bridgit {

void Log(std::string_view text) { TLogBook::Instance().Append(text); }

TLogBook& TLogBook::Instance() {
  static TLogBook book;
  return book;
}

namespace {

// Splits at CR LF and at a lone LF; an empty text is one empty line.
template <typename F>
void ForEachLine(std::string_view text, F&& f) {
  std::size_t start = 0;
  for (;;) {
    std::size_t lf = text.find('\n', start);
    if (lf == std::string_view::npos) {
      f(text.substr(start));
      return;
    }
    std::size_t end = (lf > start && text[lf - 1] == '\r') ? lf - 1 : lf;
    f(text.substr(start, end - start));
    start = lf + 1;
  }
}

}  // namespace

void TLogBook::Append(std::string_view text) {
  std::lock_guard lock(mutex_);
  ForEachLine(text, [this](std::string_view line) {
    lines_.emplace_back(line);
    for (const auto& l : listeners_)
      if (l.onLine) l.onLine(lines_.back());
  });
}

void TLogBook::Clear() {
  std::lock_guard lock(mutex_);
  lines_.clear();
  for (const auto& l : listeners_)
    if (l.onClear) l.onClear();
}

std::vector<std::string> TLogBook::Lines() const {
  std::lock_guard lock(mutex_);
  return lines_;
}

std::size_t TLogBook::LineCount() const {
  std::lock_guard lock(mutex_);
  return lines_.size();
}

std::string TLogBook::Text() const {
  std::lock_guard lock(mutex_);
  std::string all;
  for (const auto& line : lines_) {
    all += line;
    all += '\n';
  }
  return all;
}

int TLogBook::AddListener(Listener onLine, ClearListener onClear) {
  std::lock_guard lock(mutex_);
  int id = nextId_++;
  listeners_.push_back({id, std::move(onLine), std::move(onClear)});
  return id;
}

void TLogBook::RemoveListener(int id) {
  std::lock_guard lock(mutex_);
  std::erase_if(listeners_, [id](const TEntry& e) { return e.id == id; });
}

}  // namespace bridgit
