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

}  // namespace

int main(int argc, char** argv) {
  using namespace bridgit::sim;
  CLI::App app{"bridgit-calcsim: a simulated calculator for Bridgit"};
  app.name("bridgit-calcsim");
  std::string serverSpeed;
  std::string linkKind = "pty", path, usbRoot, usbSuffix, model = "73", romRevision, memoryPath, server = "on", control;
  int baud = 0, speed = 0, evalMs = 20;
  std::vector<std::string> faultSpecs;
  double noise = 0;
  std::uint64_t seed = 1;
  app.add_option("--link", linkKind, "pty or usb")->check(CLI::IsMember({"pty", "usb"}));
  app.add_option("--path", path, "where to link the terminal end (pty)");
  app.add_option("--usb-root", usbRoot, "folder that holds the USB device folder (usb)");
  app.add_option("--usb-suffix", usbSuffix, "device suffix 1 to 4 (usb)")->check(CLI::IsMember({"", "1", "2", "3", "4"}));
  app.add_option("--baud", baud, "pace what the calculator writes to this baud rate")->check(CLI::NonNegativeNumber);
  app.add_option("--model", model, "71, 73, 73G+ or 71GII")->check(CLI::IsMember({"71", "73", "73G+", "71GII"}));
  app.add_option("--rom-revision", romRevision, "the ROM revision text");
  app.add_option("--speed", speed, "the calculator's own configured speed")->check(CLI::IsMember({1200, 2400, 4800, 9600, 15360, 19200, 38400, 57600, 115200}));
  app.add_option("--server-speed", serverSpeed, "the speed its server runs at (default: --speed), or any: the PC's")
      ->check(CLI::IsMember({"any", "1200", "2400", "4800", "9600", "15360", "19200", "38400", "57600", "115200"}));
  app.add_option("--memory", memoryPath, "load the memory from this folder and write it back at the end");
  app.add_option("--server", server, "on, off or kermit")->check(CLI::IsMember({"on", "off", "kermit"}));
  app.add_option("--control", control, "Unix socket for key presses and faults");
  app.add_option("--fault", faultSpecs, "KIND[:ARG]@N, repeatable");
  app.add_option("--noise", noise, "probability of a flipped bit in each byte written")->check(CLI::Range(0.0, 1.0));
  app.add_option("--seed", seed, "seed of the noise");
  app.add_option("--eval-ms", evalMs, "how long an evaluation keeps the server deaf")->check(CLI::NonNegativeNumber);
  app.set_version_flag("--version", std::string("bridgit-calcsim ") + BRIDGIT_VERSION_STRING, "print the version and exit");
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    if (e.get_exit_code() == 0) return app.exit(e);  // --help or --version, on standard output
    std::fprintf(stderr, "bridgit-calcsim: %s\n", e.what());
    return 2;
  }

  TCalcIdentity identity;
  identity.family = model == "71" ? "71" : "73";
  identity.modelName = model;
  identity.romRevision = !romRevision.empty() ? romRevision : model == "71" ? "R" : model == "73" ? "1.18" : "2.15";
  identity.speed = speed ? speed : model == "71" ? 9600 : model == "71GII" ? 115200 : 9600;
  if (model == "73G+" && linkKind != "usb" && app.count("--link") == 0) linkKind = "usb";

  TFaults faults;
  for (const std::string& spec : faultSpecs) {
    std::string error;
    if (!faults.Add(spec, error)) return Fail(error);
  }
  if (noise > 0) faults.SetNoise(noise, seed);

  TCalcMemory memory;
  if (!memoryPath.empty()) {
    std::string error;
    if (!LoadMemoryFolder(memory, memoryPath, error)) return Fail(error);
  } else {
    LoadDemoMemory(memory);
  }

  std::string error;
  std::unique_ptr<TCalcLink> link;
  if (linkKind == "usb") {
    link = TCalcLink::OpenUsb(usbRoot.empty() ? DefaultFolder() : usbRoot, usbSuffix.empty() ? "" : "_" + usbSuffix, error);
  } else {
    link = TCalcLink::OpenPty(path.empty() ? DefaultFolder() + "/calc" : path, error);
  }
  if (!link) return Fail(error);
  link->SetPacing(baud);
  link->SetFaults(&faults);

  TServerOptions options;
  options.mode = server == "off" ? TServerMode::kOff : server == "kermit" ? TServerMode::kKermit : TServerMode::kOn;
  options.evalMs = evalMs;
  if (linkKind != "usb") options.speed = serverSpeed.empty() ? identity.speed : serverSpeed == "any" ? 0 : std::stoi(serverSpeed);
  TCalcServer calc(*link, memory, identity, faults, options);

  TControlCommands commands(calc, memory, faults);
  std::unique_ptr<TControlSocket> socket;
  if (!control.empty()) {
    socket = std::make_unique<TControlSocket>(control, [&commands](const std::string& line) { return commands.Answer(line); });
    if (!socket->Ok()) return Fail(socket->Error());
  }

  std::printf("%s\n", link->PcPath().c_str());
  std::fflush(stdout);
  g_interruptFd = link->InterruptFd();
  std::signal(SIGINT, OnStopSignal);
  std::signal(SIGTERM, OnStopSignal);
  std::signal(SIGPIPE, SIG_IGN);
  // Whatever goes wrong inside, the link and the socket are removed and the
  // memory folder written back.
  int code = 0;
  try {
    calc.Run(g_stop);
  } catch (const std::exception& e) {
    code = Fail(std::string("stopped: ") + e.what());
  }

  socket.reset();
  if (!memoryPath.empty() && !SaveMemoryFolder(memory, memoryPath, identity.family, error)) return Fail(error);
  return code;
}
