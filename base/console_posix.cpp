// The console on POSIX systems: signals, and a wake-up pipe polled beside the
// terminal.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

#include "base/console.h"

namespace bridgit {

namespace {

void (*g_onInterrupt)(int) = nullptr;

// Written to by the signal handler, whichever thread runs it: a wait for an
// answer polls it beside the terminal, so a Ctrl+C that came just before the
// wait began still ends it.
int g_wakeRead = -1;
std::atomic<int> g_wakeWrite{-1};

void OnSignal(int signal) {
  if (g_onInterrupt) g_onInterrupt(signal);
}

}  // namespace

bool IsTerminal(TStream stream) {
  return ::isatty(stream == TStream::kInput ? STDIN_FILENO : stream == TStream::kOutput ? STDOUT_FILENO : STDERR_FILENO);
}

std::vector<std::string> ProgramArguments(int argc, char** argv) { return {argv, argv + argc}; }

void PrepareConsole() {}

// Without SA_RESTART a blocking read (a question on the terminal) ends with
// EINTR; SA_RESETHAND lets a second Ctrl+C take the default action, for a
// program that does not stop in time.
void CatchInterrupts(void (*onInterrupt)(int signal)) {
  g_onInterrupt = onInterrupt;
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESETHAND;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

void PrepareLineReader() {
  int fds[2];
  if (g_wakeWrite >= 0 || ::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) return;
  g_wakeRead = fds[0];
  g_wakeWrite = fds[1];
}

std::optional<std::string> ReadTerminalLine() {
  std::string line;
  for (;;) {
    pollfd fds[2] = {{STDIN_FILENO, POLLIN, 0}, {g_wakeRead, POLLIN, 0}};
    if (::poll(fds, g_wakeRead >= 0 ? 2 : 1, -1) < 0) {
      if (errno == EINTR) continue;
      return std::nullopt;
    }
    if (g_wakeRead >= 0 && (fds[1].revents & POLLIN)) return std::nullopt;
    if (!(fds[0].revents & (POLLIN | POLLHUP | POLLERR))) continue;
    char chunk[256];
    const ssize_t got = ::read(STDIN_FILENO, chunk, sizeof chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return std::nullopt;
    line.append(chunk, static_cast<std::size_t>(got));
    if (line.find('\n') != std::string::npos) return line;
  }
}

void WakeLineReader() {
  if (const int fd = g_wakeWrite; fd >= 0) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t ignored = ::write(fd, &byte, 1);  // a full pipe is awake already
  }
}

}  // namespace bridgit
