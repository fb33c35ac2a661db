// The one way tests start a program: Spawn() starts it, TChildProcess keeps it
// until the test is done with it (then kills its process group), RunProgram()
// runs it to its end and collects its exit code and output.
#pragma once

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace bridgit::test {

// Descriptors that become the child's standard input, output and error (-1: the test's own).
struct TStdio {
  int in = -1, out = -1, err = -1;
};

// Starts args[0] (looked up on PATH) in `workDir` (the current folder when
// empty), in a process group of its own; its pid, or -1.
inline pid_t Spawn(std::vector<std::string> args, const std::string& workDir = "", TStdio io = {}) {
  const pid_t pid = ::fork();
  if (pid != 0) return pid;
  ::setpgid(0, 0);
  for (const auto& [from, to] : {std::pair{io.in, 0}, {io.out, 1}, {io.err, 2}})
    if (from >= 0) ::dup2(from, to);
  if (!workDir.empty() && ::chdir(workDir.c_str()) != 0) ::_exit(126);
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  ::execvp(argv[0], argv.data());
  ::_exit(127);
}

inline int ExitCode(int status) { return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status); }

class TChildProcess {
 public:
  explicit TChildProcess(std::vector<std::string> args, const std::string& workDir = "", TStdio io = {})
      : pid_(Spawn(std::move(args), workDir, io)) {}
  ~TChildProcess() {
    if (pid_ > 0 && !exited_) {
      ::kill(-pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  TChildProcess(const TChildProcess&) = delete;
  TChildProcess& operator=(const TChildProcess&) = delete;

  pid_t pid() const { return pid_; }
  void Signal(int signal) { ::kill(pid_, signal); }

  // The exit status, or -1 if it has not ended within the time.
  int Wait(int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
      int status = 0;
      if (::waitpid(pid_, &status, WNOHANG) == pid_) {
        exited_ = true;
        return ExitCode(status);
      }
      if (std::chrono::steady_clock::now() >= deadline) return -1;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }

 private:
  pid_t pid_ = -1;
  bool exited_ = false;
};

struct TRun {
  int code = -1;
  std::string out;
  std::string err;
};

inline TRun RunProgram(std::vector<std::string> args, const std::string& workDir = "") {
  int out[2], err[2];
  TRun run;
  if (::pipe(out) != 0 || ::pipe(err) != 0) return run;
  const pid_t pid = Spawn(std::move(args), workDir, {-1, out[1], err[1]});
  ::close(out[1]), ::close(err[1]);
  pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
  for (int open = 2; open > 0 && ::poll(fds, 2, 120000) > 0;)
    for (int i = 0; i < 2; ++i) {
      if (!(fds[i].revents & (POLLIN | POLLHUP))) continue;
      char buf[4096];
      const ssize_t r = ::read(fds[i].fd, buf, sizeof buf);
      if (r > 0) {
        (i == 0 ? run.out : run.err).append(buf, static_cast<std::size_t>(r));
      } else {
        fds[i].fd = -1;
        --open;
      }
    }
  ::close(out[0]), ::close(err[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  run.code = ExitCode(status);
  return run;
}

#ifdef BRIDGIT_CLI
// bridgit-cli on `port` at `speed` ("" for its own), then `args`.
inline std::vector<std::string> CliLine(const std::string& port, std::vector<std::string> args,
                                        const std::string& speed = "115200") {
  std::vector<std::string> all = {BRIDGIT_CLI, "--port", port};
  if (!speed.empty()) all.insert(all.end(), {"--speed", speed});
  all.insert(all.end(), args.begin(), args.end());
  return all;
}
#endif

// Waits until a path exists (a link that a child creates).
inline bool WaitForPath(const std::string& path, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (std::chrono::steady_clock::now() < deadline) {
    if (::access(path.c_str(), F_OK) == 0) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

}  // namespace bridgit::test
