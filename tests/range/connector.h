#pragma once
// A connector as the public ones behave, for the range's tests and benchmark: it
// connects to 127.0.0.1, sends the protocol's messages (whole, split, several in one
// write) and reads the replies, every wait bounded.

#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>

#include "range/message_stream.h"
#include "tests/range/loopback_socket.h"

namespace vendrel::test {

class Connector {
 public:
  explicit Connector(int port) : socket_(port, {.interactive = true}) {}

  bool connected() const { return socket_.connected(); }
  /// Sends the bytes in one write (false when the server is gone).
  bool Send(std::string_view bytes);
  /// The next reply; nothing when none came within `timeout` or the server closed.
  std::optional<std::string> Reply(std::chrono::milliseconds timeout = std::chrono::seconds(10));
  /// True when the server closes the connection within `timeout`.
  bool ClosedByServer(std::chrono::milliseconds timeout = std::chrono::seconds(5));

 private:
  bool Receive(std::chrono::milliseconds timeout);
  LoopbackSocket socket_;
  range::MessageStream stream_;
  std::deque<std::string> replies_;
};

/// A shot as connectors send it: imperial units, total spin and axis, club data.
std::string ShotText(const std::string& device, std::int64_t number, double speedMph = 150.0,
                     double totalSpin = 3000.0, double spinAxis = -5.0);
/// A heartbeat: no ball data, the monitor's state.
std::string HeartbeatText(const std::string& device, bool ready = true);

/// The reply's "Code", or -1 when it has none.
int ReplyCode(const std::string& reply);

}  // namespace vendrel::test
