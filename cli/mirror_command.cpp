#include "cli/mirror_command.h"

#include <cstdlib>
#include <memory>
#include <iostream>
#include <stdexcept>

#include "session/connect_hint.h"
#include "cli/console_host.h"
#include "cli/texts.h"
#include "link/port_names.h"
#include "session/texts.h"

namespace bridgit::cli {

using mirror::TDirection;
using mirror::TForm;
using mirror::TMirror;
using mirror::TMirrorConsole;
using mirror::TMirrorOptions;
using mirror::TMirrorReport;

void AddMirrorCommands(CLI::App& app, const TGlobal& global, std::function<void()>& run) {
  auto options = std::make_shared<TMirrorOptions>();
  const auto add = [&](const char* name, const char* what, TDirection direction) {
    CLI::App* c = app.add_subcommand(name, what);
    c->add_option("DIR", options->dir, "the PC folder of the mirror")->required();
    c->add_option("FOLDER", options->folder, "calculator folder as A/B or HOME/A/B (default: the mirror's, else HOME)");
    if (direction == TDirection::kPull) {
      auto* binary = c->add_flag_callback("--binary", [options] { options->form = TForm::kBinary; },
                                          "write every object fetched as an object file (.zq)");
      c->add_flag_callback("--text", [options] { options->form = TForm::kText; },
                           "write every object fetched as a text file (.txt)")
          ->excludes(binary);
    }
    auto* pcWins = c->add_flag("--force-pc", options->forcePc, "on a conflict the PC's version wins");
    c->add_flag("--force-calc", options->forceCalc, "on a conflict the calculator's version wins")->excludes(pcWins);
    c->add_flag("--delete", options->remove, "delete what was deleted on the other side");
    c->add_flag("-n,--dry-run", options->dryRun, "show what would be done and do nothing");
    c->add_flag("--json", options->json, "what was done as one JSON object on standard output");
    c->callback([&global, &run, options, direction] {
      options->quiet = global.console.quiet;
      run = [&global, options, direction] { RunMirrorCommand(global, *options, direction, std::cout); };
    });
  };
  add("pull", "mirror a calculator folder into a PC folder: fetch what changed on the calculator", TDirection::kPull);
  add("push", "send what changed in a mirror's PC folder to the calculator", TDirection::kPush);
}

void RunMirrorCommand(const TGlobal& global, const TMirrorOptions& options, TDirection direction, std::ostream& out) {
  TConsoleHost host(global.console);
  TXModemServer server(host);
  server.Channel().SetSpeed(global.speed);
  std::string port = global.port;
  if (port.empty()) {
    const char* env = std::getenv("BRIDGIT_PORT");
    port = env && *env ? env : std::string(kAutoPortName);
  }
  TConnectAttempt attempt = BeginAttempt(true);
  const std::size_t shown = host.Messages().size();
  try {
    server.Connect(port);
  } catch (const std::exception& e) {
    if (TConsoleHost::Interrupted()) throw;
    for (std::size_t i = shown; i < host.Messages().size(); ++i)
      if (host.Messages()[i].first == bridgit::texts::kWrongServerCaption) attempt.kermitSeen = true;
    const std::string hint = ConnectionHint(attempt, port, server.Channel().Speed(), host.RPNPrompts(), {texts::kSetSpeed, texts::kListPorts});
    if (hint.empty()) throw;
    throw THintedError(e.what(), hint);
  }
  TMirrorReport report;
  try {
    TMirrorConsole console{
        .show = [&host](const std::string& line) { host.ShowSubject(line); },
        .clear = [&host] { host.ClearProgress(); },
        .warn = [](const std::string& line) { std::cerr << texts::kProgram << line << "\n" << std::flush; },
        .interrupted = [] { return TConsoleHost::Interrupted(); }};
    TMirror mirror(server, host, out, console, options);
    report = mirror.Run(direction);
  } catch (...) {
    host.FinishProgress();
    throw;
  }
  host.FinishProgress();
  if (options.json) out << ReportJson(report, direction == TDirection::kPull, options.dryRun) << std::flush;
  if (report.conflicts) throw std::runtime_error(texts::MirrorConflicts(report.conflicts));
  if (report.failures) throw std::runtime_error(texts::MirrorFailures(report.failures));
}

}  // namespace bridgit::cli
