#include "sim/control_socket.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <exception>

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
  // Only a socket left by an earlier run is replaced; a file or folder given
  // by mistake stays.
  struct stat st {};
  if (::lstat(path_.c_str(), &st) == 0) {
    if (!S_ISSOCK(st.st_mode)) {
      error_ = "the control socket path exists and is not a socket: " + path_;
      return;
    }
    ::unlink(path_.c_str());
  }
  fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  // The socket presses keys and dumps the memory: its owner's alone (0600).
  const mode_t oldMask = ::umask(0177);
  const bool bound = fd_ >= 0 && ::bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
  const int bindError = errno;
  ::umask(oldMask);
  errno = bindError;
  if (!bound || ::listen(fd_, 4) != 0) {
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
        std::string answer;
        try {
          answer = handler_(line) + "\n";
        } catch (const std::exception& e) {
          answer = std::string("error ") + e.what() + "\n";  // a bad command never ends the simulator
        }
        [[maybe_unused]] const auto w = ::write(client, answer.data(), answer.size());
      }
    }
    ::close(client);
  }
}

}  // namespace bridgit::sim
