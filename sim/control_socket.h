// The control channel: a Unix socket taking one command a line, each answered by
// one line, so that tests and the demo can press the calculator's keys (the
// commands are in control_commands.h).
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <thread>

namespace bridgit::sim {

class TControlSocket {
 public:
  // handler: a command line -> its one-line answer (may hold line breaks for dump).
  TControlSocket(std::string path, std::function<std::string(const std::string&)> handler);
  ~TControlSocket();
  bool Ok() const { return fd_ >= 0; }
  const std::string& Error() const { return error_; }

 private:
  void Serve();
  std::string path_;
  std::function<std::string(const std::string&)> handler_;
  int fd_ = -1;
  std::atomic<bool> stop_{false};
  std::string error_;
  std::thread thread_;
};

}  // namespace bridgit::sim
