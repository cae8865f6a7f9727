#pragma once
// A raw HTTP client for the range's HTTP side, for the tests and the benchmark: it
// sends bytes exactly as given (so hostile requests stay hostile), and reads whole
// answers or Server-Sent Events, every wait bounded.

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "tests/range/loopback_socket.h"

namespace vendrel::test {

class HttpClient {
 public:
  /// `receiveBuffer` > 0 shrinks the kernel's buffer (for a client that never reads).
  explicit HttpClient(int port, int receiveBuffer = 0) : socket_(port, {.receiveBuffer = receiveBuffer}) {}

  bool connected() const { return socket_.connected(); }
  bool Send(std::string_view bytes) { return socket_.Send(bytes); }
  /// Everything until the server closes; what came when `timeout` passes first.
  std::string ReadToClose(std::chrono::milliseconds timeout = std::chrono::seconds(5));
  /// The next event of a stream (its lines, without the blank line that ends it);
  /// the response head counts as the first. Nothing on a timeout or a close.
  std::optional<std::string> NextEvent(std::chrono::milliseconds timeout = std::chrono::seconds(5));

 private:
  bool Receive(std::chrono::milliseconds timeout);
  LoopbackSocket socket_;
  std::string buffer_;
};

/// A whole answer to "GET target".
std::string HttpGet(int port, const std::string& target);
/// The status code of an answer, or -1.
int StatusOf(const std::string& answer);
/// The value of a header field of an answer (name in lower case), or empty.
std::string HeaderOf(const std::string& answer, const std::string& name);
/// What follows the head.
std::string BodyOf(const std::string& answer);
/// The "data:" of an event, or empty.
std::string DataOf(const std::string& event);

}  // namespace vendrel::test
