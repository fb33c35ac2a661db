// Runs a program to its end and collects its exit code and output.
#pragma once

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace bridgit::test {

struct TRun {
  int code = -1;
  std::string out;
  std::string err;
};

inline TRun RunProgram(std::vector<std::string> args, const std::string& workDir = "") {
  int out[2], err[2];
  TRun run;
  if (::pipe(out) != 0 || ::pipe(err) != 0) return run;
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(out[1], 1);
    ::dup2(err[1], 2);
    ::close(out[0]), ::close(err[0]);
    if (!workDir.empty() && ::chdir(workDir.c_str()) != 0) ::_exit(126);
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  ::close(out[1]), ::close(err[1]);
  pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
  int open = 2;
  while (open > 0) {
    if (::poll(fds, 2, 120000) <= 0) break;
    for (int i = 0; i < 2; ++i) {
      if (!(fds[i].revents & (POLLIN | POLLHUP))) continue;
      char buf[4096];
      const ssize_t r = ::read(fds[i].fd, buf, sizeof buf);
      if (r <= 0) {
        fds[i].fd = -1;
        --open;
      } else {
        (i == 0 ? run.out : run.err).append(buf, static_cast<std::size_t>(r));
      }
    }
  }
  ::close(out[0]), ::close(err[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  run.code = WIFEXITED(status) ? WEXITSTATUS(status) : 128;
  return run;
}

}  // namespace bridgit::test
