// bridgit-cli: Bridgit from a terminal or a script.
//
// Exit codes: 0 success, 1 a failure (one line on standard error), 2 a usage
// error, 128 + the signal's number after Ctrl+C (130) or SIGTERM (143).
#include <CLI/CLI.hpp>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <memory>

#include "base/console.h"
#include "base/files.h"
#include "base/log.h"
#include "calcdata/escapes.h"
#include "cli/commands.h"
#include "session/connect_hint.h"
#include "cli/mirror_command.h"
#include "cli/texts.h"

#ifndef BRIDGIT_VERSION_STRING
#define BRIDGIT_VERSION_STRING "0.0.0"
#endif

namespace {

// An error as one line; other control characters (an error can quote the
// calculator) in the backslash notation.
std::string OneLine(std::string text) {
  for (char& c : text)
    if (c == '\r' || c == '\n') c = ' ';
  std::string out;
  for (char c : text) {
    if (c == ' ' && !out.empty() && out.back() == ' ') continue;
    const auto u = static_cast<unsigned char>(c);
    if (u < 32 || u == 127)
      out += bridgit::EncodeEscapes(std::string_view(&c, 1), bridgit::TEscapeMode::kBackslash);
    else
      out += c;
  }
  return out;
}

std::atomic<int> g_signal{0};

void OnInterrupt(int signal) {
  g_signal = signal;
  bridgit::cli::TConsoleHost::Interrupt();
}

// The exit code of a run that a signal stopped, else `code`.
int ExitCode(int code) { return g_signal ? 128 + g_signal : code; }

std::string VersionText() {
  const std::string archive = bridgit::FindShippedFile("Arch73.zq");
  return std::string("bridgit-cli ") + BRIDGIT_VERSION_STRING + "\n" +
         bridgit::cli::texts::CalcFilesLine(archive.empty() ? "" : archive.substr(0, archive.find_last_of(bridgit::kPathSeparators)));  // CLI11 ends it
}

// The number of single-letter edits that turn `a` into `b`.
std::size_t EditDistance(const std::string& a, const std::string& b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

void PrintShortUsage(CLI::App& app) {
  std::vector<std::string> names;
  for (const CLI::App* c : app.get_subcommands({})) names.push_back(c->get_name());
  std::fputs(bridgit::cli::texts::ShortUsage(names).c_str(), stderr);
}

// The command named `word`, else the usage on standard error (with the nearest
// command's name, for a slip of the keyboard).
CLI::App* CommandOrUsage(CLI::App& app, const std::string& word) {
  std::string nearest;
  for (CLI::App* c : app.get_subcommands({})) {
    if (c->get_name() == word) return c;
    const std::size_t distance = EditDistance(word, c->get_name());
    if (distance <= (word.size() > 4 ? 2u : 1u) && (nearest.empty() || distance < EditDistance(word, nearest)))
      nearest = c->get_name();
  }
  std::fputs(bridgit::cli::texts::UnknownCommand(word, nearest).c_str(), stderr);
  PrintShortUsage(app);
  return nullptr;
}

// No command at all, `help [COMMAND]`, or a word that is no command: the usage
// instead of CLI11's bare "A subcommand is required". -1: none of these.
int Usage(CLI::App& app, int argc, char** argv) {
  if (argc == 1) {
    std::fputs(app.help().c_str(), stderr);
    return 2;
  }
  const auto takesValue = [](const char* option) {
    for (const char* valued : {"--port", "--speed", "--log", "--wait"})
      if (std::strcmp(option, valued) == 0) return true;
    return false;
  };
  int at = 1;  // the first word that is neither an option nor an option's value
  for (; at < argc && argv[at][0] == '-'; ++at)
    if (takesValue(argv[at])) ++at;
  if (at >= argc) return -1;
  if (std::strcmp(argv[at], "help") != 0) return CommandOrUsage(app, argv[at]) ? -1 : 2;
  if (at + 1 == argc) {
    std::fputs(app.help().c_str(), stdout);
    return 0;
  }
  const CLI::App* command = CommandOrUsage(app, argv[at + 1]);
  if (command) std::fputs(command->help(app.get_name()).c_str(), stdout);
  return command ? 0 : 2;
}

}  // namespace

int main(int rawArgc, char** rawArgv) {
  bridgit::PrepareConsole();
  std::vector<std::string> arguments = bridgit::ProgramArguments(rawArgc, rawArgv);
  std::vector<char*> pointers;
  for (std::string& a : arguments) pointers.push_back(a.data());
  pointers.push_back(nullptr);
  const int argc = static_cast<int>(arguments.size());
  char** argv = pointers.data();
  CLI::App app{"bridgit-cli: talk to a ZQ71G(X), ZQ73G, ZQ73G+ or ZQ71GII calculator"};
  app.name("bridgit-cli");
  app.require_subcommand(1);
  app.fallthrough();  // a global option after the command is taken too
  app.set_version_flag("--version", VersionText, "print the version and where the calculator files are, and exit");
  bridgit::cli::TGlobal global;
  std::string logFile;
  app.add_option("--port", global.port, "port: a device path, COMn, ZQx3G+, or auto (default $BRIDGIT_PORT, then auto)");
  app.add_option("--speed", global.speed, "serial speed, as set on the calculator")
      ->capture_default_str()
      ->check(CLI::IsMember({"9600", "19200", "38400", "57600", "115200"}));
  app.add_option("--log", logFile, "write the session log to this file");
  app.add_flag("--yes,-y", global.console.yes, "answer yes to every question");
  app.add_flag("--quiet,-q", global.console.quiet, "no progress bar and no messages but errors");
  app.add_option("--wait", global.console.waitSeconds, "seconds to wait for the calculator to start a transfer")
      ->capture_default_str()
      ->check(CLI::PositiveNumber);

  std::function<void()> run;
  bridgit::cli::AddConnectionCommands(app, global, run);
  bridgit::cli::AddObjectCommands(app, global, run);
  bridgit::cli::AddCalculatorCommands(app, global, run);
  bridgit::cli::AddMirrorCommands(app, global, run);

  app.footer(std::string(bridgit::cli::texts::kExitCodes));
  if (const int code = Usage(app, argc, argv); code >= 0) return code;
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    if (e.get_exit_code() == 0) return app.exit(e);
    std::fprintf(stderr, "bridgit-cli: %s\n", OneLine(e.what()).c_str());
    if (app.get_subcommands().empty()) PrintShortUsage(app);  // options only
    return 2;
  }

  std::unique_ptr<std::ofstream> log;
  if (!logFile.empty()) {
    log = std::make_unique<std::ofstream>(logFile, std::ios::app);
    if (!*log) {
      std::fprintf(stderr, "bridgit-cli: cannot write the log %s\n", logFile.c_str());
      return 1;
    }
    bridgit::TLogBook::Instance().AddListener([&log](const std::string& line) { *log << line << "\n" << std::flush; });
  }
  bridgit::CatchInterrupts(OnInterrupt);
  try {
    run();
  } catch (const bridgit::THintedError& e) {
    std::cout.flush();
    std::fprintf(stderr, "bridgit-cli: %s\n%s\n", OneLine(e.what()).c_str(), e.hint().c_str());
    return ExitCode(1);
  } catch (const std::exception& e) {
    std::cout.flush();
    std::fprintf(stderr, "bridgit-cli: %s\n", OneLine(e.what()).c_str());
    return ExitCode(1);
  }
  return ExitCode(0);
}
