// A program run beside a test: started with its arguments, killed (with its
// process group) if it is still running when the test is done with it.
#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace bridgit::test {

class TChildProcess {
 public:
  // Runs args[0] (looked up on PATH) in `workDir` (the current folder when empty).
  explicit TChildProcess(std::vector<std::string> args, const std::string& workDir = "") {
    pid_ = ::fork();
    if (pid_ == 0) {
      ::setpgid(0, 0);
      if (!workDir.empty() && ::chdir(workDir.c_str()) != 0) ::_exit(126);
      std::vector<char*> argv;
      for (auto& a : args) argv.push_back(a.data());
      argv.push_back(nullptr);
      ::execvp(argv[0], argv.data());
      ::_exit(127);
    }
  }
  ~TChildProcess() {
    if (pid_ > 0 && !exited_) {
      ::kill(-pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  TChildProcess(const TChildProcess&) = delete;
  TChildProcess& operator=(const TChildProcess&) = delete;

  void Signal(int signal) { ::kill(pid_, signal); }

  // The exit status, or -1 if it has not ended within the time.
  int Wait(int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
      int status = 0;
      if (::waitpid(pid_, &status, WNOHANG) == pid_) {
        exited_ = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return -1;
  }

 private:
  pid_t pid_ = -1;
  bool exited_ = false;
};

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
