#include "sim/control_commands.h"

#include <condition_variable>
#include <memory>
#include <mutex>

#include "sim/calc_names.h"

namespace bridgit::sim {

TControlCommands::TControlCommands(TCalcServer& calc, TCalcMemory& memory, TFaults& faults)
    : calc_(calc), memory_(memory), faults_(faults) {
  using TAnswer = std::optional<std::string>;
  TCalcServer* c = &calc_;
  commands_ = {
      {"server", [this, c](const std::string&) -> TAnswer { return Press([c] { c->StartServer(); }); }},
      {"abort", [c](const std::string&) -> TAnswer { return c->Abort(), "ok"; }},
      {"quit-server", [this, c](const std::string&) -> TAnswer { return Press([c] { c->QuitServer(); }); }},
      {"xrecv", [this, c](const std::string& arg) -> TAnswer {
         if (arg.empty()) return std::nullopt;
         return Press([c, name = ReadBackslash(arg)] { c->ManualReceive(name); });
       }},
      {"xsend", [this, c](const std::string& arg) -> TAnswer {
         if (arg.empty()) return std::nullopt;
         return Press([c, name = ReadBackslash(arg)] { c->ManualSend(name); });
       }},
      {"screen", [this, c](const std::string& arg) -> TAnswer {
         if (arg != "page" && arg != "header" && arg != "legacy") return std::nullopt;
         return Press([c, arg] { c->SendScreen(arg); });
       }},
      {"rom", [this, c](const std::string&) -> TAnswer { return Press([c] { c->RomLoader(); }); }},
      {"status", [c](const std::string&) -> TAnswer { return c->LastResult(); }},
      {"error", [c](const std::string&) -> TAnswer { return "ok " + c->Machine().LastError(); }},
      {"early", [c](const std::string&) -> TAnswer { return "ok " + std::to_string(c->TakeEarlyBytes()); }},
      {"dump", [this](const std::string&) -> TAnswer { return Dump(); }},
      {"fault", [this](const std::string& arg) -> TAnswer {
         std::string why;
         return faults_.Add(arg, why) ? "ok" : "error " + why;
       }},
      {"clear-faults", [this](const std::string&) -> TAnswer {
         const int unfired = faults_.Clear();
         return unfired == 0 ? "ok" : "ok " + std::to_string(unfired) + " never fired";
       }},
  };
}

std::string TControlCommands::Answer(const std::string& line) {
  const std::size_t space = line.find(' ');
  const std::string word = line.substr(0, space), arg = space == std::string::npos ? "" : line.substr(space + 1);
  const auto it = commands_.find(word);
  std::optional<std::string> answer;
  if (it != commands_.end()) answer = it->second(arg);
  return answer ? *answer : "error unknown command: " + line;
}

std::string TControlCommands::Press(std::function<void()> action) {
  calc_.Post(std::move(action));
  return "ok";
}

// The memory is read on the server's thread, between two of its steps. What
// the wait shares with the posted read outlives a wait that gives up.
std::string TControlCommands::Dump() {
  struct TShared {
    std::mutex lock;
    std::condition_variable done;
    bool ready = false;
    std::string text;
  };
  const auto shared = std::make_shared<TShared>();
  calc_.Post([shared, &memory = memory_] {
    std::string text = memory.Dump();
    std::lock_guard hold(shared->lock);
    shared->text = std::move(text);
    shared->ready = true;
    shared->done.notify_one();
  });
  std::unique_lock hold(shared->lock);
  shared->done.wait_for(hold, kDumpWait, [&] { return shared->ready; });
  return shared->text + "end";
}

}  // namespace bridgit::sim
