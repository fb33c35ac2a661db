// The errors of the link. Both carry the text the user is shown.
#pragma once

#include <stdexcept>
#include <string>

namespace bridgit {

// A link failure: raised by the fatal path with the connection error text.
class TConnectionError : public std::runtime_error {
 public:
  TConnectionError();
};

// A file or device error that is not a link failure: "Error (" + message + ")".
class TCommError : public std::runtime_error {
 public:
  explicit TCommError(const std::string& message);
};

[[noreturn]] void RaiseCommError(const std::string& message);

}  // namespace bridgit
