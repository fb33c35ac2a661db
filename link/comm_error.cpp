#include "link/comm_error.h"

#include "link/texts.h"

namespace bridgit {

TConnectionError::TConnectionError() : std::runtime_error(std::string(texts::kConnectionError)) {}

TCommError::TCommError(const std::string& message) : std::runtime_error("Error (" + message + ")") {}

void RaiseCommError(const std::string& message) { throw TCommError(message); }

}  // namespace bridgit
