// The USB device's read path, the same on every platform: a 64-byte read-ahead
// buffer filled by the reader thread, reads that wait for it in slices, and the
// silence limit that ends a session whose calculator stays silent.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "link/link.h"
#include "link/safe_reader.h"

namespace bridgit {

class TReadAhead {
 public:
  // `makeReader` starts the reader thread at the first read after an open.
  using TMakeReader = std::function<std::unique_ptr<TSafeRdThread>()>;
  TReadAhead(TLink& link, TMakeReader makeReader) : link_(link), makeReader_(std::move(makeReader)) {}

  // Fills `buffer` from the position 0 on; returns the count received (the
  // caller zeroes the rest).
  int Read(std::string& buffer, int timeoutMs);
  // Drops what the calculator is still sending until the line is quiet.
  void Clear();
  // One request to the reader thread: the bytes now waiting in the buffer.
  std::size_t SafeRead();
  // Stops the reader thread and forgets what waits (the link closes).
  void Stop();

  std::size_t Waiting() const { return bufCount_; }
  void Drop() { bufCount_ = 0; }
  // Silence is counted from the PC's latest request.
  void ResetSilence() { emptySince_ = 0; }
  bool HasReader() const { return reader_ != nullptr; }

 private:
  bool Exhausted() const { return bufCount_ < bufPos_; }
  // Waits until bytes wait in the buffer or the time is up; false on time-out.
  bool Fill(int timeoutMs);

  TLink& link_;
  TMakeReader makeReader_;
  std::array<unsigned char, kReadAheadSize> buffer_{};
  std::uint32_t bufCount_ = 0;
  std::uint32_t bufPos_ = 1;     // 1-based; exhausted when bufPos_ > bufCount_
  std::int64_t emptySince_ = 0;  // tick of the first empty attempt, 0 while data flows
  std::unique_ptr<TSafeRdThread> reader_;
};

}  // namespace bridgit
