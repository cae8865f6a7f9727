#pragma once
// A client socket to 127.0.0.1 for the range's test clients: whole writes, and reads
// that wait at most as long as they are told.

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace vendrel::test {

class LoopbackSocket {
 public:
  struct Options {
    int receiveBuffer = 0;  ///< > 0 shrinks the kernel's buffer, from the start
    bool interactive = false;  ///< no Nagle delay, and a send that cannot go on for 2 s fails
  };
  LoopbackSocket(int port, Options options);
  ~LoopbackSocket();
  LoopbackSocket(const LoopbackSocket&) = delete;
  LoopbackSocket& operator=(const LoopbackSocket&) = delete;

  bool connected() const { return fd_ >= 0; }
  /// Whether the server has closed the connection (seen by a read).
  bool closed() const { return eof_; }
  /// Sends every byte (false when the connection is gone).
  bool Send(std::string_view bytes);
  /// The bytes that came within `timeout`; nothing on a timeout or once closed.
  std::optional<std::string> Receive(std::chrono::milliseconds timeout);

 private:
  int fd_ = -1;
  bool eof_ = false;
};

}  // namespace vendrel::test
