// Whole session operations against bridgit-calcsim on a line paced both ways
// at 115200 baud: a 100 KB object put, a backup of the resulting memory and its
// restore, each as a fraction of the line rate; and 100 small variables put
// and fetched one by one. Each operation is also set beside its floor: the
// pauses the program prescribes plus the bytes the exchange moved at the line
// rate. Memory use is sampled after 10 and after 100 small puts: it must
// not grow.
//
//   bench_session [--baud N] [--small N]
#include <CLI/CLI.hpp>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <thread>

#include "base/clock.h"
#include "calcdata/object_header.h"
#include "host/headless_host.h"
#include "link/link.h"
#include "link/serial_device.h"
#include "session/xmodem_server.h"
#include "sim/rpl_objects.h"
#include "sim/paced_relay.h"
#include "support/calcsim_process.h"
#include "support/pty_pair.h"
#include "paced_line.h"
#include "table_row.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr double kBulkGoal = 0.95;
constexpr double kFloorGoal = 1.10;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// Resident memory now, in KiB (from /proc: the peak of getrusage never falls).
long ResidentKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.starts_with("VmRSS:")) return std::stol(line.substr(6));
  return 0;
}

// What an exchange cost and what it could not do without.
struct TMeasure {
  Clock::time_point start = Clock::now();
  bridgit::TTickMs paused = bridgit::PausedMsTotal();
  std::uint64_t bytes = bridgit::posix::LineBytesTotal();
  double Took() const { return Seconds(Clock::now() - start); }
  double Floor(int baud) const {
    return (bridgit::PausedMsTotal() - paused) / 1000.0 +
           static_cast<double>(bridgit::posix::LineBytesTotal() - bytes) * 10.0 / baud;
  }
};

void WriteObject(const std::string& path, const bridgit::sim::TObj& object) {
  std::ofstream(path, std::ios::binary) << bridgit::MakeObjectHeader(bridgit::kFamily73)
                                        << bridgit::sim::ToBytes(object);
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"Session operations against the simulator on a paced line"};
  int baud = 115200;
  int small = 100;
  app.add_option("--baud", baud, "line speed");
  app.add_option("--small", small, "small variables put and fetched");
  CLI11_PARSE(app, argc, argv);

  bridgit::THeadlessHost host;
  host.SetReplacePolicy([](const std::string&, const std::string&) { return bridgit::kModalYes; });
  host.SetQuestionPolicy([](const std::string&, const std::string&) { return true; });
  const std::string speed = std::to_string(baud);
  // Both directions paced, as on a serial line: the simulator's own end and
  // the PC's end joined by a relay at the baud rate.
  bridgit::test::TCalcSim sim({"--model", "71GII", "--speed", speed});
  bridgit::test::TPtyPair pc;
  const int simFd = bridgit::bench::OpenRaw(sim.PcPath(), baud);
  bridgit::sim::TPacedRelay relay(pc.master(), simFd, baud);
  bridgit::test::TTempDir dir;
  bridgit::TXModemServer server(host);
  server.Channel().SetSpeed(speed);
  bool all = true;
  bool ok = true;
  try {
    server.Connect(pc.path());
    if (!host.Connected()) throw std::runtime_error("no connection to the simulator");

    // 100 KB in one string.
    std::string chars(100 * 1024, 'a');
    for (std::size_t k = 0; k < chars.size(); ++k) chars[k] = static_cast<char>('a' + (k * 7) % 26);
    WriteObject(dir / "big.zq", bridgit::sim::MakeString(chars));
    const auto bigBytes = std::filesystem::file_size(dir / "big.zq");
    TMeasure put;
    ok &= server.PutFile("BIG", dir / "big.zq", 1, all, false);
    const double putTook = put.Took(), bigPutFloor = put.Floor(baud);
    const double putFraction = static_cast<double>(bigBytes) * 10.0 / baud / putTook;

    bridgit::TXPObject home;
    home.Name = "HOME";
    server.ListAll(home);
    TMeasure backup;
    ok &= server.Backup(dir / "calc.zqbackup", home.TotalSize());
    const double backupTook = backup.Took(), backupFloor = backup.Floor(baud);
    std::string image;
    ok &= server.TakeReceivedObject(image) && !image.empty();
    std::ofstream(dir / "calc.zqbackup", std::ios::binary) << image;
    const double backupFraction = static_cast<double>(image.size()) * 10.0 / baud / backupTook;
    TMeasure restore;
    ok &= server.Restore(dir / "calc.zqbackup");
    const double restoreTook = restore.Took(), restoreFloor = restore.Floor(baud);
    const double restoreFraction = static_cast<double>(image.size()) * 10.0 / baud / restoreTook;
    // The calculator restarts after a restore: its server is started again, as a person would.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    sim.Control("server");
    server.Connect(pc.path());
    if (!host.Connected()) throw std::runtime_error("no connection after the restore");

    // Small variables, one exchange each.
    WriteObject(dir / "small.zq", bridgit::sim::MakeReal(42));
    // Memory is sampled after the first tenth of the operations and after all.
    const int early = std::max(1, small / 10);
    long residentEarly = 0;
    TMeasure smallPuts;
    for (int i = 0; i < small; ++i) {
      ok &= server.PutFile("S" + std::to_string(i), dir / "small.zq", 1, all, false);
      if (i == early - 1) residentEarly = ResidentKiB();
    }
    const double putSeconds = smallPuts.Took() / small, putFloor = smallPuts.Floor(baud) / small;
    home.ClearChildren();
    server.ListAll(home);
    std::map<std::string, const bridgit::TXPObject*> listed;
    for (const auto& c : home.Children) listed[c->Name] = c.get();
    TMeasure smallGets;
    for (int i = 0; i < small; ++i) {
      const auto it = listed.find("S" + std::to_string(i));
      if (it == listed.end()) throw std::runtime_error("a small variable is missing from the listing");
      ok &= server.GetToFile(it->first, dir / "got.zq", it->second->TypeIcon, it->second->Size);
    }
    const double getSeconds = smallGets.Took() / small, getFloor = smallGets.Floor(baud) / small;
    const long residentAfter = ResidentKiB();
    const double growth = static_cast<double>(residentAfter) / std::max(residentEarly, 1L);
    server.Quit();

    using bridgit::bench::Row;
    std::printf("\nSession operations against bridgit-calcsim at %d baud\n", baud);
    Row("Put of one 100 KB object, fraction of line rate", putFraction, ">=", kBulkGoal);
    Row("  the same put, time / floor", putTook / bigPutFloor, "<=", kFloorGoal);
    Row("Backup (" + std::to_string(image.size() / 1024) + " KB), fraction of line rate", backupFraction, ">=",
        kBulkGoal);
    Row("  the same backup, time / floor", backupTook / backupFloor, "<=", kFloorGoal);
    Row("Restore of that backup, fraction of line rate", restoreFraction, ">=", kBulkGoal);
    Row("  the same restore, time / floor", restoreTook / restoreFloor, "<=", kFloorGoal);
    Row("Small get: s/object " + bridgit::bench::Fixed(getSeconds, 3) + ", floor " + bridgit::bench::Fixed(getFloor, 3),
        getSeconds / getFloor, "<=", kFloorGoal);
    Row("Small put: s/object " + bridgit::bench::Fixed(putSeconds, 3) + ", floor " + bridgit::bench::Fixed(putFloor, 3),
        putSeconds / putFloor, "<=", kFloorGoal);
    Row("Resident memory after " + std::to_string(small) + " small ops / after " + std::to_string(early), growth, "<=",
        1.05);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench_session: %s\n", e.what());
    return 1;
  }
  relay.Stop();
  ::close(simFd);
  if (!ok) std::fprintf(stderr, "bench_session: an operation failed\n");
  return ok ? 0 : 1;
}
