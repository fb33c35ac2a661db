// The text of the error a step throws: apart from the session fixture, as
// the packet tests also build on Windows.
#pragma once

#include <exception>
#include <functional>
#include <string>

namespace bridgit::test {

// The text of the error that the step throws, or "".
inline std::string ErrorOf(const std::function<void()>& step) {
  try {
    step();
  } catch (const std::exception& e) {
    return e.what();
  }
  return "";
}

}  // namespace bridgit::test
