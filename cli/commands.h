// The commands of bridgit-cli, each one session operation or a few.
#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/console_host.h"
#include "session/connect_hint.h"
#include "session/xmodem_server.h"

namespace CLI {
class App;
}

namespace bridgit::cli {

struct TGlobal {
  std::string port;
  std::string speed = "115200";
  TConsoleOptions console;
};

// The subcommands in groups: each sets `run` when it is the one chosen.
// ports and info.
void AddConnectionCommands(CLI::App& app, const TGlobal& global, std::function<void()>& run);
// ls, get, put, rm, mkdir and mv (put sets the replace answer of `global`).
void AddObjectCommands(CLI::App& app, TGlobal& global, std::function<void()>& run);
// eval, exec, stack, backup, restore, capture, send, recv, send-server and rom.
void AddCalculatorCommands(CLI::App& app, const TGlobal& global, std::function<void()>& run);

class TCommands {
 public:
  TCommands(const TGlobal& global, std::ostream& out);
  ~TCommands();

  // The ports that can be opened now; with `all` also those that exist but
  // cannot, each with its reason after a tab.
  void Ports(bool all);
  void Info(bool json);
  void Ls(const std::string& folder, bool recursive, bool json);
  void Get(const std::vector<std::string>& names, const std::string& output, bool text);
  void Put(const std::vector<std::string>& files, const std::string& folder);
  void Rm(const std::vector<std::string>& names);
  void Mkdir(const std::string& name);
  void Mv(const std::string& from, const std::string& to);
  void Eval(const std::string& name);
  void Exec(const std::string& text);
  void Stack(bool json);
  void Backup(const std::string& file);
  void Restore(const std::string& file);
  void Capture(const std::string& file);
  void Send(const std::string& file);
  void Recv(const std::string& file);
  void SendServer();
  void Rom(const std::string& file);

 private:
  void Connect();
  void OpenDirect();
  // Opens the link with `open`; a failure carries the hint for its likely cause.
  void Attempt(bool serverExpected, const std::function<void()>& open);
  // How a hint here says to act on it.
  static THintWords Words();
  // Throws `what`, with the speed hint when bytes came since `attempt` but made no sense.
  [[noreturn]] void Failed(const std::string& what, const TConnectAttempt& attempt);
  // The object a backup or an upload received, written to the file.
  void WriteReceived(const std::string& file);
  void List();
  // "WORK/NOTE" or "HOME/WORK/NOTE": the folder's item and the last name.
  TXPObject& Folder(const std::string& path);
  TXPObject* Find(const std::string& path, TXPObject** folder = nullptr);
  void PrintStack(bool json = false);
  // Runs a person's command and prints the stack; the calculator's error is a failure.
  void RunAndPrint(const std::string& command);

  TGlobal global_;
  std::ostream& out_;
  TConsoleHost host_;
  TXModemServer server_;
  TXPObject home_;
};

}  // namespace bridgit::cli
