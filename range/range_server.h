#pragma once
// The range: connectors send shots over TCP; each is read, flown, stored and then
// acknowledged. Runs on the Qt event loop of the thread that makes it.
//
// Shots that arrive together (from one connector or many) are committed together, and
// each 200 goes out only after its commit. Replies on a connection keep the order of
// its messages. A connection's memory is bounded: the socket's read buffer, one
// unfinished message, and replies waiting to be read (past kReplyBacklog the server
// reads nothing more from that connector until it catches up).

#include <QHostAddress>
#include <QObject>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "range/shot_message.h"

namespace vendrel::range {

class ShotFlyer;
class ShotStore;

struct RangeLimits {
  int maxConnections = 64;
  std::int64_t replyBacklog = 256 * 1024;  ///< bytes of replies a connector may leave unread
  /// A connector that sends nothing (not even a heartbeat, which come every few
  /// seconds) and reads nothing for this long is gone: its connection is closed.
  std::int64_t idleTimeoutMs = 5 * 60 * 1000;
};

struct RangeCounts {
  std::int64_t connections = 0;  ///< open now
  std::int64_t shots = 0;        ///< stored and acknowledged
  std::int64_t refused = 0;      ///< 501 replies
  std::int64_t idle = 0;         ///< connections closed for silence
  std::int64_t statuses = 0;     ///< heartbeats and other status messages
};

class RangeServer {
 public:
  RangeServer(ShotStore& store, const ShotFlyer& flyer, RangeLimits limits = {});
  ~RangeServer();
  RangeServer(const RangeServer&) = delete;
  RangeServer& operator=(const RangeServer&) = delete;

  /// Starts listening. False with `error`, a line that says what to do, when it cannot.
  bool Listen(const QHostAddress& address, quint16 port, std::string& error);
  quint16 port() const;

  /// Called with every status message a monitor sends (heartbeats included).
  using MonitorListener = std::function<void(const MonitorStatus&)>;
  void SubscribeMonitor(MonitorListener listener);

  const RangeCounts& counts() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace vendrel::range
