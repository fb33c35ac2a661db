// The questions the core asks the person at the machine. The window answers
// them with dialogs, the command line on the console, tests with scripted
// answers. The session host interface extends this one.
#pragma once

#include <string>

namespace bridgit {

class TPromptHost {
 public:
  virtual ~TPromptHost() = default;

  // A yes/no question in the instruction prompt dialog; true when confirmed.
  virtual bool ShowMessagePrompt(const std::string& text, const std::string& caption) = 0;

  // The default system beep of a refused or questionable action.
  virtual void Beep() = 0;
};

}  // namespace bridgit
