// XModem throughput through a paced serial line, as a fraction of the line rate
// (payload bytes x 10 bits / baud, over the time taken), for Bridgit's sender
// and receiver against lrzsz and for lrzsz against itself on the same line.
//
//   bench_transfer [--size BYTES] [--baud N]
#include <fcntl.h>
#include <pty.h>
#include <termios.h>

#include <CLI/CLI.hpp>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>

#include "host/headless_host.h"
#include "link/comm_port.h"
#include "sim/paced_relay.h"
#include "support/child_process.h"
#include "support/temp_dir.h"
#include "transfer/transfer_starter.h"
#include "transfer/ymodem_rx.h"
#include "transfer/ymodem_tx.h"

namespace {

using bridgit::test::TChildProcess;
using Clock = std::chrono::steady_clock;

struct TLine {
  int master = -1, slave = -1;
  std::string path;
  TLine() {
    char name[256] = {};
    ::openpty(&master, &slave, name, nullptr, nullptr);
    termios t{};
    ::tcgetattr(slave, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(slave, TCSANOW, &t);
    path = name;
  }
  ~TLine() {
    ::close(master);
    ::close(slave);
  }
};

int OpenRaw(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY);
  termios t{};
  if (fd >= 0 && ::tcgetattr(fd, &t) == 0) {
    ::cfmakeraw(&t);
    ::tcsetattr(fd, TCSANOW, &t);
  }
  return fd;
}

std::unique_ptr<TChildProcess> Lrzsz(const std::string& link, const std::string& command, const std::string& dir) {
  auto child = std::make_unique<TChildProcess>(
      std::vector<std::string>{"timeout", "600", "socat", "pty,raw,echo=0,link=" + link, "EXEC:" + command}, dir);
  bridgit::test::WaitForPath(link, 10000);
  return child;
}

double Fraction(std::size_t bytes, int baud, Clock::duration took) {
  const double ideal = static_cast<double>(bytes) * 10.0 / baud;
  return ideal / std::chrono::duration<double>(took).count();
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"XModem throughput through a paced line"};
  std::size_t size = 1 << 20;
  int baud = 115200;
  app.add_option("--size", size, "bytes to transfer each way");
  app.add_option("--baud", baud, "line speed");
  CLI11_PARSE(app, argc, argv);

  bridgit::test::TTempDir dir;
  {
    std::string data(size, '\0');
    for (std::size_t i = 0; i < size; ++i) data[i] = static_cast<char>((i * 7919) >> 3);
    std::ofstream(dir / "payload.bin", std::ios::binary) << data;
  }
  bridgit::THeadlessHost host;
  bridgit::SetLinkHost(&host);
  auto dialog = host.CreateCommStatusDialog();

  // Bridgit's thread on one end of a paced line, lrzsz on the other.
  auto bridgitRun = [&](const std::string& command, const std::function<bool()>& transfer) {
    auto peer = Lrzsz(dir / "peer", command, dir.path().string());
    TLine pc;
    const int peerFd = OpenRaw(dir / "peer");
    bridgit::sim::TPacedRelay relay(pc.master, peerFd, baud);
    bridgit::OpenComm(pc.path, baud);
    const auto start = Clock::now();
    const bool ok = transfer();
    const auto took = Clock::now() - start;
    bridgit::CloseComm();
    peer->Wait(30000);
    relay.Stop();
    ::close(peerFd);
    return ok ? Fraction(size, baud, took) : 0.0;
  };

  const double tx = bridgitRun("rx -q -b received.bin", [&] {
    bridgit::TYModemTX t(dir / "payload.bin", false, "", bridgit::ForwardTo(*dialog));
    bridgit::RunTransfer(t, *dialog, "bench");
    return t.Done();
  });
  const double rx = bridgitRun("sx -q -k payload.bin", [&] {
    bridgit::TYModemRX r(dir / "got.bin", true, static_cast<std::uint32_t>(size), bridgit::ForwardTo(*dialog));
    bridgit::RunTransfer(r, *dialog, "bench");
    return r.Done();
  });

  // lrzsz against itself on the same kind of line.
  double lrzsz = 0;
  {
    auto receiver = Lrzsz(dir / "rx", "rx -q -b peer-received.bin", dir.path().string());
    const int rxFd = OpenRaw(dir / "rx");
    const auto start = Clock::now();
    auto sender = Lrzsz(dir / "sx", "sx -q -k payload.bin", dir.path().string());
    const int sxFd = OpenRaw(dir / "sx");
    bridgit::sim::TPacedRelay relay(sxFd, rxFd, baud);
    const int status = receiver->Wait(600000);
    const auto took = Clock::now() - start;
    sender->Wait(10000);
    relay.Stop();
    ::close(rxFd);
    ::close(sxFd);
    lrzsz = status == 0 ? Fraction(size, baud, took) : 0.0;
  }

  std::printf("\nXModem, %zu bytes at %d baud, fraction of the line rate (goal 0.95, and no slower than lrzsz)\n", size,
              baud);
  std::printf("%-40s %8s\n", "transfer", "fraction");
  std::printf("%-40s %8.3f\n", "Bridgit TYModemTX (1K blocks) -> rx", tx);
  std::printf("%-40s %8.3f\n", "sx -k -> Bridgit TYModemRX", rx);
  std::printf("%-40s %8.3f\n", "sx -k -> rx (lrzsz alone)", lrzsz);
  const bool met = tx >= 0.95 && rx >= 0.95 && tx >= lrzsz * 0.99 && rx >= lrzsz * 0.99;
  std::printf("goals %s\n", met ? "met" : "MISSED");
  return met ? 0 : 1;
}
