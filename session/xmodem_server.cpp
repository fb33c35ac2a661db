#include "session/xmodem_server.h"

#include <stdexcept>

#include "link/comm_error.h"
#include "link/comm_port.h"
#include "link/texts.h"
#include "transfer/transfer_thread.h"

namespace bridgit {

TXModemServer::TXModemServer(TSessionHost& host, std::unique_ptr<TLink> link)
    : host_(host), channel_(host, link ? std::move(link) : std::make_unique<TCommPort>(host)) {
  host_.SetTextMode(false);
  progressDialog_ = host_.CreateCommStatusDialog();
}

TXModemServer::~TXModemServer() {
  try {
    Connect("");
  } catch (...) {
  }
}

void TXModemServer::RaiseTransferError() const {
  if (transferError_.empty() || transferError_ == texts::kConnectionError) throw TConnectionError();
  throw std::runtime_error(transferError_);  // already the whole text the person sees
}

TStatusCallback TXModemServer::ForwardProgress() {
  transferError_.clear();
  return [this](const std::string& message, int kind, int a, int b, int) {
    if (kind == StatusError && !message.empty()) transferError_ = message;
    progressDialog_->UpdateCommStatus(message, kind, b, a);
  };
}

TModalResult TXModemServer::Transfer(TTransferThread& thread, const std::string& caption) {
  return channel_.Transfer(thread, *progressDialog_, caption);
}

}  // namespace bridgit
