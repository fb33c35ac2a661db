#include "sim/control_socket.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace bridgit::sim {

TControlSocket::TControlSocket(std::string path, std::function<std::string(const std::string&)> handler)
    : path_(std::move(path)), handler_(std::move(handler)) {
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  if (path_.size() >= sizeof addr.sun_path) {
    error_ = "control socket path too long: " + path_;
    return;
  }
  std::strcpy(addr.sun_path, path_.c_str());
  ::unlink(path_.c_str());
  fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd_ < 0 || ::bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(fd_, 4) != 0) {
    error_ = "cannot create the control socket " + path_ + ": " + std::strerror(errno);
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    return;
  }
  thread_ = std::thread([this] { Serve(); });
}

TControlSocket::~TControlSocket() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  if (fd_ >= 0) {
    ::close(fd_);
    ::unlink(path_.c_str());
  }
}

void TControlSocket::Serve() {
  while (!stop_) {
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, 100) <= 0) continue;
    const int client = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) continue;
    std::string buffer;
    while (!stop_) {
      pollfd c{client, POLLIN, 0};
      if (::poll(&c, 1, 100) <= 0) continue;
      char chunk[512];
      const ssize_t r = ::read(client, chunk, sizeof chunk);
      if (r <= 0) break;
      buffer.append(chunk, static_cast<std::size_t>(r));
      for (std::size_t nl; (nl = buffer.find('\n')) != std::string::npos;) {
        std::string line = buffer.substr(0, nl);
        buffer.erase(0, nl + 1);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::string answer = handler_(line) + "\n";
        [[maybe_unused]] const auto w = ::write(client, answer.data(), answer.size());
      }
    }
    ::close(client);
  }
}

}  // namespace bridgit::sim
