// The directory listing parser on any answer: never past the end, never a crash.
#include <cstddef>
#include <cstdint>
#include <string>

#include "base/log.h"
#include "host/headless_host.h"
#include "link/link.h"
#include "session/xmodem_server.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static bridgit::THeadlessHost host;
  static bridgit::TXModemServer server(host);
  const std::string answer(reinterpret_cast<const char*>(data), size);
  bridgit::TXPObject home;
  home.Name = "HOME";
  std::size_t pos = 0;
  bridgit::TLogBook::Instance().Clear();  // the parser logs cut-off listings
  server.ParseListing(home, answer, pos);
  if (pos > answer.size()) __builtin_trap();
  home.TotalSize();
  return 0;
}
