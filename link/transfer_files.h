// The file a transfer thread is sending and the file it is receiving. The fatal
// path closes whichever is open; a file has one owner for closing, so a close
// by the fatal path and one by the thread's own handler never collide, and a
// write after the close fails cleanly instead of reaching a reused descriptor.
#pragma once

#include <cstddef>
#include <memory>
#include <mutex>
#include <string>

namespace bridgit {

class TTransferFile {
 public:
  explicit TTransferFile(int fd) : fd_(fd) {}
  ~TTransferFile() { Close(); }
  TTransferFile(const TTransferFile&) = delete;
  TTransferFile& operator=(const TTransferFile&) = delete;

  // Opens for reading, or creates (truncating) for writing; nullptr and the
  // cause in `error` when that fails.
  static std::shared_ptr<TTransferFile> OpenForReading(const std::string& path, std::string& error);
  static std::shared_ptr<TTransferFile> CreateForWriting(const std::string& path, std::string& error);

  bool WriteAll(const char* data, std::size_t n);
  // Bytes read (0 at the end), or -1 on failure or after Close.
  long Read(char* buf, std::size_t n);
  long long Size() const;
  void Close();
  bool IsOpen() const;

 private:
  mutable std::mutex mutex_;
  int fd_;
};

enum class TTransferDirection { kSend, kReceive };

void SetTransferFile(TTransferDirection direction, std::shared_ptr<TTransferFile> file);
void ClearTransferFile(TTransferDirection direction);
// Closes the files of both directions that are open (the fatal path).
void CloseTransferFiles();

}  // namespace bridgit
