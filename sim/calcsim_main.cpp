// bridgit-calcsim: a calculator at the other end of a pseudo-terminal or of the
// USB device's pipes, serving Bridgit as the calculator's XModem server does.
#include <CLI/CLI.hpp>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <iostream>

#include <unistd.h>

#include "sim/calc_link.h"
#include "sim/calc_server.h"
#include "sim/control_commands.h"
#include "sim/control_socket.h"
#include "sim/demo_memory.h"

#ifndef BRIDGIT_VERSION_STRING
#define BRIDGIT_VERSION_STRING "0.0.0"
#endif

namespace {

std::atomic<bool> g_stop{false};
int g_interruptFd = -1;

void OnStopSignal(int) {
  g_stop = true;
  if (g_interruptFd >= 0) [[maybe_unused]] auto w = ::write(g_interruptFd, "x", 1);
}

std::string DefaultFolder() {
  std::string tmpl = (std::filesystem::temp_directory_path() / "bridgit-calcsim-XXXXXX").string();
  const char* made = ::mkdtemp(tmpl.data());
  return made ? made : std::filesystem::temp_directory_path().string();
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "bridgit-calcsim: %s\n", message.c_str());
  return 1;
}

// What the command line asks of the simulated calculator.
struct TSimOptions {
  std::string serverSpeed;
  std::string linkKind = "pty", path, usbRoot, usbSuffix, model = "73", romRevision, memoryPath, server = "on", control, holdPauses = "on";
  bool linkGiven = false;
  int baud = 0, speed = 0, evalMs = 20;
  std::vector<std::string> faultSpecs;
  double noise = 0;
  std::uint64_t seed = 1;
};

// Reads the options; -1 when the simulator is to run, else the exit code
// (0 after --help or --version, 2 after a usage error).
int ParseOptions(int argc, char** argv, TSimOptions& o) {
  CLI::App app{"bridgit-calcsim: a simulated calculator for Bridgit"};
  app.name("bridgit-calcsim");
  app.add_option("--link", o.linkKind, "pty or usb")->check(CLI::IsMember({"pty", "usb"}));
  app.add_option("--path", o.path, "where to link the terminal end (pty)");
  app.add_option("--usb-root", o.usbRoot, "folder that holds the USB device folder (usb)");
  app.add_option("--usb-suffix", o.usbSuffix, "device suffix 1 to 4 (usb)")->check(CLI::IsMember({"", "1", "2", "3", "4"}));
  app.add_option("--baud", o.baud, "pace what the calculator writes to this baud rate")->check(CLI::NonNegativeNumber);
  app.add_option("--model", o.model, "71, 73, 73G+ or 71GII")->check(CLI::IsMember({"71", "73", "73G+", "71GII"}));
  app.add_option("--rom-revision", o.romRevision, "the ROM revision text");
  app.add_option("--speed", o.speed, "the calculator's own configured speed")->check(CLI::IsMember({1200, 2400, 4800, 9600, 15360, 19200, 38400, 57600, 115200}));
  app.add_option("--server-speed", o.serverSpeed, "the speed its server runs at (default: --speed), or any: the PC's")
      ->check(CLI::IsMember({"any", "1200", "2400", "4800", "9600", "15360", "19200", "38400", "57600", "115200"}));
  app.add_option("--memory", o.memoryPath, "load the memory from this folder and write it back at the end");
  app.add_option("--server", o.server, "on, off or kermit")->check(CLI::IsMember({"on", "off", "kermit"}));
  app.add_option("--control", o.control, "Unix socket for key presses and faults");
  app.add_option("--fault", o.faultSpecs, "KIND[:ARG]@N, repeatable");
  app.add_option("--noise", o.noise, "probability of a flipped bit in each byte written")->check(CLI::Range(0.0, 1.0));
  app.add_option("--seed", o.seed, "seed of the noise");
  app.add_option("--hold-pauses", o.holdPauses, "on: what the PC sends before the calculator listens again is lost")
      ->check(CLI::IsMember({"on", "off"}));
  app.add_option("--eval-ms", o.evalMs, "how long an evaluation keeps the server deaf")->check(CLI::NonNegativeNumber);
  app.set_version_flag("--version", std::string("bridgit-calcsim ") + BRIDGIT_VERSION_STRING, "print the version and exit");
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    if (e.get_exit_code() == 0) return app.exit(e);  // --help or --version, on standard output
    std::fprintf(stderr, "bridgit-calcsim: %s\n", e.what());
    return 2;
  }
  o.linkGiven = app.count("--link") > 0;
  return -1;
}

bridgit::sim::TCalcIdentity IdentityOf(const TSimOptions& o) {
  bridgit::sim::TCalcIdentity identity;
  identity.family = o.model == "71" ? "71" : "73";
  identity.modelName = o.model;
  identity.romRevision = !o.romRevision.empty() ? o.romRevision : o.model == "71" ? "R" : o.model == "73" ? "1.18" : "2.15";
  identity.speed = o.speed ? o.speed : o.model == "71" ? 9600 : o.model == "71GII" ? 115200 : 9600;
  return identity;
}

std::unique_ptr<bridgit::sim::TCalcLink> OpenLink(const TSimOptions& o, std::string& error) {
  using bridgit::sim::TCalcLink;
  if (o.linkKind == "usb")
    return TCalcLink::OpenUsb(o.usbRoot.empty() ? DefaultFolder() : o.usbRoot, o.usbSuffix.empty() ? "" : "_" + o.usbSuffix, error);
  return TCalcLink::OpenPty(o.path.empty() ? DefaultFolder() + "/calc" : o.path, error);
}

}  // namespace

int main(int argc, char** argv) {
  using namespace bridgit::sim;
  TSimOptions o;
  if (const int code = ParseOptions(argc, argv, o); code >= 0) return code;
  const TCalcIdentity identity = IdentityOf(o);
  if (o.model == "73G+" && o.linkKind != "usb" && !o.linkGiven) o.linkKind = "usb";

  TFaults faults;
  for (const std::string& spec : o.faultSpecs) {
    std::string error;
    if (!faults.Add(spec, error)) return Fail(error);
  }
  if (o.noise > 0) faults.SetNoise(o.noise, o.seed);

  TCalcMemory memory;
  if (!o.memoryPath.empty()) {
    std::string error;
    if (!LoadMemoryFolder(memory, o.memoryPath, error)) return Fail(error);
  } else {
    LoadDemoMemory(memory);
  }

  std::string error;
  std::unique_ptr<TCalcLink> link = OpenLink(o, error);
  if (!link) return Fail(error);
  link->SetPacing(o.baud);
  link->SetFaults(&faults);
  link->SetHoldPauses(o.holdPauses == "on");

  TServerOptions options;
  options.mode = o.server == "off" ? TServerMode::kOff : o.server == "kermit" ? TServerMode::kKermit : TServerMode::kOn;
  options.evalMs = o.evalMs;
  if (o.linkKind != "usb") options.speed = o.serverSpeed.empty() ? identity.speed : o.serverSpeed == "any" ? 0 : std::stoi(o.serverSpeed);
  TCalcServer calc(*link, memory, identity, faults, options);

  TControlCommands commands(calc, memory, faults);
  std::unique_ptr<TControlSocket> socket;
  if (!o.control.empty()) {
    socket = std::make_unique<TControlSocket>(o.control, [&commands](const std::string& line) { return commands.Answer(line); });
    if (!socket->Ok()) return Fail(socket->Error());
  }

  // The stop signals are caught before the path is printed: whoever reads the
  // path may stop the simulator at once, and it must still write its memory back.
  g_interruptFd = link->InterruptFd();
  std::signal(SIGINT, OnStopSignal);
  std::signal(SIGTERM, OnStopSignal);
  std::signal(SIGPIPE, SIG_IGN);
  std::printf("%s\n", link->PcPath().c_str());
  std::fflush(stdout);
  // Whatever goes wrong inside, the link and the socket are removed and the
  // memory folder written back.
  int code = 0;
  try {
    calc.Run(g_stop);
  } catch (const std::exception& e) {
    code = Fail(std::string("stopped: ") + e.what());
  }

  socket.reset();
  if (!o.memoryPath.empty() && !SaveMemoryFolder(memory, o.memoryPath, identity.family, error)) return Fail(error);
  return code;
}
