// pull against bridgit-calcsim on a line paced both ways, at 9600 and 115200
// baud: a pull of an unchanged memory of 50 objects in folders against one
// listing of it (and the exchanges it takes), the objects a pull moves after
// one changed, and a first pull
// of a 100 KB memory as a fraction of the line rate. Beside them, for the
// choice of change detection, what the other ways of finding a same-size
// edit cost on the same memory: a backup, and fetching every object.
//
//   bench_mirror [--baud N]   (both speeds when none is given)
#include <CLI/CLI.hpp>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "base/log.h"
#include "calcdata/object_header.h"
#include "mirror/mirror.h"
#include "host/headless_host.h"
#include "link/link.h"
#include "session/texts.h"
#include "session/xmodem_server.h"
#include "sim/paced_relay.h"
#include "sim/rpl_objects.h"
#include "support/calcsim_process.h"
#include "support/pty_pair.h"
#include "paced_line.h"
#include "table_row.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using bridgit::mirror::TDirection;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

void WriteObject(const fs::path& path, const bridgit::sim::TObj& object) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bridgit::MakeObjectHeader(bridgit::kFamily73) << bridgit::sim::ToBytes(object);
}

// 50 objects: 5 folders of 10 (strings, reals and lists), HOME empty of
// variables.
void SmallMemory(const fs::path& dir) {
  for (int f = 0; f < 5; ++f)
    for (int i = 0; i < 10; ++i) {
      const fs::path p = dir / ("D" + std::to_string(f)) / ("V" + std::to_string(i) + ".zq");
      if (i % 3 == 0) WriteObject(p, bridgit::sim::MakeReal(f * 100 + i));
      else WriteObject(p, bridgit::sim::MakeString("text " + std::to_string(f) + "/" + std::to_string(i) + " of a note"));
    }
}

// 100 KB in 10 graphics of 10 KB, in two folders.
void LargeMemory(const fs::path& dir) {
  std::string rows(10240, '\0');
  for (std::size_t k = 0; k < rows.size(); ++k) rows[k] = static_cast<char>(k * 37 % 251);
  for (int i = 0; i < 10; ++i)
    WriteObject(dir / (i < 5 ? "P" : "Q") / ("G" + std::to_string(i) + ".zq"), bridgit::sim::MakeGrob(256, 320, rows));
}

struct TLine {
  explicit TLine(int baud, const fs::path& memory)
      : sim({"--model", "71GII", "--speed", std::to_string(baud), "--memory", memory.string()}),
        simFd(bridgit::bench::OpenRaw(sim.PcPath(), baud)),
        relay(pc.master(), simFd, baud) {}
  ~TLine() {
    relay.Stop();
    ::close(simFd);
  }
  bridgit::test::TCalcSim sim;
  bridgit::test::TPtyPair pc;
  int simFd;
  bridgit::sim::TPacedRelay relay;
};

bridgit::mirror::TMirrorReport Pull(bridgit::TXModemServer& server, bridgit::TSessionHost& host, const fs::path& dir,
                                         double& took) {
  std::ostringstream out;
  bridgit::mirror::TMirror mirror(server, host, out, {}, {.dir = dir.string()});
  const auto start = Clock::now();
  const auto report = mirror.Run(TDirection::kPull);
  took = Seconds(Clock::now() - start);
  return report;
}

// The exchanges the log holds from line `from` on: the command letters sent,
// but a pulse's M.
std::size_t ExchangesSince(std::size_t from) {
  const std::vector<std::string> lines = bridgit::TLogBook::Instance().Lines();
  const std::string_view sent = bridgit::texts::kLogSendCommand;
  std::size_t n = 0;
  for (std::size_t i = from; i < lines.size(); ++i) n += lines[i].starts_with(sent) && lines[i].substr(sent.size()) != "M";
  return n;
}

bool RunAt(int baud) {
  using bridgit::bench::Row;
  bridgit::THeadlessHost host;
  host.SetReplacePolicy([](const std::string&, const std::string&) { return bridgit::kModalYes; });
  host.SetQuestionPolicy([](const std::string&, const std::string&) { return true; });
  const std::string speed = std::to_string(baud);
  bool ok = true;
  bridgit::test::TTempDir work;
  {
    SmallMemory(work / "small");
    TLine line(baud, work / "small");
    bridgit::TXModemServer server(host);
    server.Channel().SetSpeed(speed);
    server.Connect(line.pc.path());
    if (!host.Connected()) throw std::runtime_error("no connection to the simulator");
    bridgit::TXPObject home;
    home.Name = "HOME";
    auto start = Clock::now();
    server.ListAll(home);
    const double listing = Seconds(Clock::now() - start);

    double first = 0, unchanged = 0, oneChanged = 0;
    const auto firstReport = Pull(server, host, work / "m", first);
    const std::size_t logAt = bridgit::TLogBook::Instance().LineCount();
    Pull(server, host, work / "m", unchanged);
    const std::size_t exchanges = ExchangesSince(logAt);
    server.Channel().Execute("HOME D2 \"text 2/4 of a notX\" 'V4' STO HOME", true, true);  // same size
    const auto changed = Pull(server, host, work / "m", oneChanged);
    start = Clock::now();
    ok &= server.Backup(work / "b.zqbackup", home.TotalSize());
    const double backup = Seconds(Clock::now() - start);
    server.Quit();

    std::printf("\npull against bridgit-calcsim at %d baud, 50 objects in 5 folders\n", baud);
    std::printf("one listing %.3f s; first pull (fetches all %zu) %.3f s; backup %.3f s\n", listing, firstReport.moved, first,
                backup);
    Row("Pull of the unchanged 50 objects at " + speed + " / one listing", unchanged / listing, "<=", 1.5);
    Row("  its exchanges with the calculator at " + speed, static_cast<double>(exchanges), "<=", 2);
    Row("  backup (the other exact way without fetching) at " + speed + " / one listing", backup / listing);
    Row("  fetching all 50 at " + speed + " / one listing", first / listing);
    Row("Objects a pull moves after one same-size edit at " + speed, static_cast<double>(changed.moved), "<=", 1);
    ok &= firstReport.moved == 50 && changed.moved == 1;
  }
  {
    LargeMemory(work / "large");
    TLine line(baud, work / "large");
    bridgit::TXModemServer server(host);
    server.Channel().SetSpeed(speed);
    server.Connect(line.pc.path());
    if (!host.Connected()) throw std::runtime_error("no connection to the simulator");
    double first = 0;
    const auto report = Pull(server, host, work / "big", first);
    server.Quit();
    Row("First pull of 100 KB at " + speed + ", fraction of line rate", static_cast<double>(report.bytes) * 10.0 / baud / first,
        ">=", 0.8);
    ok &= report.moved == 10;
  }
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"pull against the simulator on a paced line"};
  int baud = 0;
  app.add_option("--baud", baud, "line speed (default: 9600, then 115200)");
  CLI11_PARSE(app, argc, argv);
  bool ok = true;
  try {
    for (int b : baud ? std::vector<int>{baud} : std::vector<int>{9600, 115200}) ok &= RunAt(b);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench_mirror: %s\n", e.what());
    return 1;
  }
  if (!ok) std::fprintf(stderr, "bench_mirror: an operation failed\n");
  return ok ? 0 : 1;
}
