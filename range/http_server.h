#pragma once
// The range's HTTP side: the web edition's site files, the shot history as JSON
// (GET /shots), a Server-Sent Events stream (GET /shots/stream) of every stored shot,
// club change (`club`: {"id", "club"}) and monitor status, pushed as they happen, and
// a stored shot's club set by its pages (PUT /shots/{id}/club, the name as a
// text/plain UTF-8 body; empty clears it; answered with the `club` event's JSON). Runs on the Qt event loop of
// the thread that makes it, beside the RangeServer.
//
// Nothing outside the site directory is ever read. Every connection's memory is
// bounded: a request head of 8 KiB, a body of 256 bytes, files sent a chunk at a time as the client takes
// them, and a stream client whose unread events pass `streamBacklog` is dropped (the
// others go on). One request a connection; answers close it, the stream stays open.

#include <QHostAddress>

#include <cstdint>
#include <memory>
#include <string>

namespace vendrel::range {

class RangeServer;
class ShotStore;

struct HttpLimits {
  int maxConnections = 32;
  std::int64_t streamBacklog = 256 * 1024;  ///< bytes of events a stream client may leave unread
  int requestTimeoutMs = 10000;             ///< to send a whole request head
  int stallTimeoutMs = 30000;               ///< for a client to take the next part of an answer
};

struct HttpCounts {
  std::int64_t connections = 0;  ///< open now
  std::int64_t streams = 0;      ///< stream clients now
  std::int64_t dropped = 0;      ///< stream clients dropped for not reading
};

class HttpServer {
 public:
  /// `site`: the directory whose files are served.
  HttpServer(ShotStore& store, RangeServer& range, std::string site, HttpLimits limits = {});
  ~HttpServer();
  HttpServer(const HttpServer&) = delete;
  HttpServer& operator=(const HttpServer&) = delete;

  /// Starts listening. False with `error` when it cannot.
  bool Listen(const QHostAddress& address, quint16 port, std::string& error);
  quint16 port() const;
  const HttpCounts& counts() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace vendrel::range
