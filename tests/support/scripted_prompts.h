// A prompt host that answers from a script and records what it was asked.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "host/prompt_host.h"

namespace bridgit::test {

class TScriptedPrompts : public TPromptHost {
 public:
  struct TQuestion {
    std::string text;
    std::string caption;
  };

  void Answer(bool yes) { answers_.push_back(yes); }

  bool ShowMessagePrompt(const std::string& text, const std::string& caption) override {
    questions.push_back({text, caption});
    if (answers_.empty()) return false;  // an unexpected question is declined
    const bool yes = answers_.front();
    answers_.pop_front();
    return yes;
  }
  void Beep() override { ++beeps; }

  std::vector<TQuestion> questions;
  int beeps = 0;

 private:
  std::deque<bool> answers_;
};

}  // namespace bridgit::test
