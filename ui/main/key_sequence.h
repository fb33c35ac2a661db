// The typed word that opens the log window: "l", "o", "g" in a row anywhere in
// the main window. The letters of the word are swallowed as they continue it;
// any other character starts over and passes on.
#pragma once

#include <string_view>

namespace bridgit::ui {

class TKeySequence {
 public:
  struct TResult {
    bool swallow = false;   // the key does not reach the control
    bool complete = false;  // the whole word was typed
  };

  TResult Feed(char c) {
    static constexpr std::string_view kWord = "log";
    if (c != kWord[state_]) {
      state_ = 0;
      return {};
    }
    if (++state_ < kWord.size()) return {true, false};
    state_ = 0;
    return {true, true};
  }
  void Reset() { state_ = 0; }
  std::size_t State() const { return state_; }

 private:
  std::size_t state_ = 0;
};

}  // namespace bridgit::ui
