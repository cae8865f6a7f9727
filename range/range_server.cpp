#include "range/range_server.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <chrono>
#include <map>
#include <vector>

#include "number_text/number_text.h"
#include "range/message_stream.h"
#include "range/shot_launch.h"
#include "range/shot_store.h"

namespace vendrel::range {
namespace {

// Bytes read from one connector before the others get their turn: a few dozen shots.
constexpr qint64 kReadChunk = 16 * 1024;
// The kernel's buffer for replies: small, so that a connector that does not read its
// replies meets the backlog limit soon and stops being served until it does.
constexpr int kSendBuffer = 64 * 1024;

struct Connection {
  std::uint64_t id = 0;
  QTcpSocket* socket = nullptr;
  MessageStream stream;
  QTimer* idle = nullptr;  ///< the socket's child; restarted by every byte that comes and every reply read
  bool closing = false;  ///< closes once its replies are written
};

// A reply waiting for the batch's commit: a shot's, or a refusal that must not pass
// the shots before it.
struct Waiting {
  std::uint64_t connection = 0;
  std::ptrdiff_t shot = -1;  ///< index into the batch's shots, or -1
  std::string refusal;
};

}  // namespace

struct RangeServer::Impl {
  ShotStore& store;
  const ShotFlyer& flyer;
  RangeLimits limits;
  QTcpServer server;
  QTimer flushTimer;
  std::map<std::uint64_t, std::unique_ptr<Connection>> connections;
  std::uint64_t nextId = 1;
  std::vector<StoredShot> shots;
  std::vector<Waiting> waiting;
  std::vector<MonitorListener> monitorListeners;
  RangeCounts counts;
  std::string conditions;

  Impl(ShotStore& s, const ShotFlyer& f, RangeLimits l)
      : store(s), flyer(f), limits(l), conditions(f.Conditions()) {
    flushTimer.setSingleShot(true);
    flushTimer.setInterval(0);
    QObject::connect(&flushTimer, &QTimer::timeout, [this] { Flush(); });
    QObject::connect(&server, &QTcpServer::newConnection, [this] { Accept(); });
  }

  ~Impl() {
    for (auto& [id, c] : connections) {
      c->socket->disconnect();
      c->socket->abort();
      delete c->socket;
    }
  }

  void Accept() {
    while (QTcpSocket* socket = server.nextPendingConnection()) {
      if (static_cast<int>(connections.size()) >= limits.maxConnections) {
        const std::string reply = RefusalReply("too many connections (at most " +
                                               std::to_string(limits.maxConnections) + "); try again later");
        socket->write(reply.data(), static_cast<qint64>(reply.size()));
        QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        socket->disconnectFromHost();
        continue;
      }
      auto c = std::make_unique<Connection>();
      c->id = nextId++;
      c->socket = socket;
      // Qt stops taking bytes from the kernel past this, so a connector that sends
      // faster than it is served is slowed by TCP, not by our memory.
      socket->setReadBufferSize(kReadChunk);
      socket->setSocketOption(QAbstractSocket::SendBufferSizeSocketOption, kSendBuffer);
      const std::uint64_t id = c->id;
      c->idle = new QTimer(socket);
      c->idle->setSingleShot(true);
      c->idle->setInterval(std::chrono::milliseconds(limits.idleTimeoutMs));
      QObject::connect(c->idle, &QTimer::timeout, [this, id] { Idle(id); });
      c->idle->start();
      QObject::connect(socket, &QTcpSocket::readyRead, [this, id] { Heard(id); });
      QObject::connect(socket, &QTcpSocket::bytesWritten, [this, id] { Heard(id); });
      QObject::connect(socket, &QTcpSocket::disconnected, [this, id] { Drop(id); });
      connections.emplace(id, std::move(c));
      ++counts.connections;
    }
  }

  void Drop(std::uint64_t id) {
    const auto it = connections.find(id);
    if (it == connections.end()) return;
    it->second->socket->disconnect();
    it->second->socket->deleteLater();
    connections.erase(it);
    --counts.connections;
  }

  // The connector sent something or read a reply: it is still there.
  void Heard(std::uint64_t id) {
    const auto it = connections.find(id);
    if (it == connections.end()) return;
    it->second->idle->start();
    Read(id);
  }

  // Silent for the whole timeout: said why and closed. One that does not read its
  // replies either would hold the close up for ever, so it is cut off.
  void Idle(std::uint64_t id) {
    const auto it = connections.find(id);
    if (it == connections.end()) return;
    Connection& c = *it->second;
    ++counts.idle;
    if (c.closing || c.socket->bytesToWrite() > 0) {
      QTcpSocket* socket = c.socket;
      Drop(id);
      socket->abort();
      return;
    }
    c.closing = true;
    const std::string reply = RefusalReply("nothing heard for " +
                                           FormatNumber(static_cast<double>(limits.idleTimeoutMs) / 1000.0) +
                                           " s (not even a heartbeat); the connection is closed");
    c.socket->write(reply.data(), static_cast<qint64>(reply.size()));
    c.socket->disconnectFromHost();
  }

  void Read(std::uint64_t id) {
    const auto it = connections.find(id);
    if (it == connections.end()) return;
    Connection& c = *it->second;
    if (c.closing || c.socket->bytesToWrite() > limits.replyBacklog) return;
    if (c.socket->bytesAvailable() <= 0) return;
    const QByteArray bytes = c.socket->read(kReadChunk);
    std::vector<StreamPiece> pieces;
    c.stream.Feed(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), pieces);
    for (StreamPiece& piece : pieces) {
      switch (piece.kind) {
        case StreamPiece::Object: Take(c, piece.text); break;
        case StreamPiece::Refused: waiting.push_back({c.id, -1, piece.text}); break;
        case StreamPiece::Overflow:
          waiting.push_back({c.id, -1, piece.text});
          c.closing = true;
          break;
      }
    }
    // More may wait in the socket's buffer; it is read after the others' turn.
    if (!waiting.empty() || c.socket->bytesAvailable() > 0) flushTimer.start();
  }

  void Take(Connection& c, const std::string& text) {
    Message m = ReadMessage(text);
    switch (m.kind) {
      case Message::Refused: waiting.push_back({c.id, -1, std::move(m.reason)}); return;
      case Message::Status:
        ++counts.statuses;
        for (const MonitorListener& l : monitorListeners) l(m.status);
        return;
      case Message::Shot: break;
    }
    // Within the message's ranges but not the model's (back and side spin of 20,000 rpm
    // each make a total beyond it): refused, as a flight the page could not fly again.
    if (const std::string why = flyer.Refusal(m.shot.launch); !why.empty()) {
      waiting.push_back({c.id, -1, "BallData: the model does not fly this shot: " + why});
      return;
    }
    StoredShot shot;
    shot.device = std::move(m.shot.deviceId);
    shot.shotNumber = m.shot.shotNumber;
    shot.raw = std::move(m.shot.raw);
    shot.launch = m.shot.launch;
    shot.measuredCarry = m.shot.measuredCarry;
    shot.clubData = std::move(m.shot.clubData);
    shot.conditions = conditions;
    shot.result = flyer.Fly(shot.launch);
    waiting.push_back({c.id, static_cast<std::ptrdiff_t>(shots.size()), {}});
    shots.push_back(std::move(shot));
  }

  // Commits the batch, then answers every message of it in order.
  void Flush() {
    std::string error;
    const bool stored = store.Add(shots, error);
    const std::string shotReply = ShotReply();
    for (const Waiting& w : waiting) {
      const auto it = connections.find(w.connection);
      std::string reply;
      if (w.shot < 0) {
        reply = RefusalReply(w.refusal);
        ++counts.refused;
      } else if (stored) {
        reply = shotReply;
        ++counts.shots;
      } else {
        reply = RefusalReply("the shot could not be stored: " + error);
        ++counts.refused;
      }
      // A connector that left before its reply still had its shot stored.
      if (it != connections.end()) it->second->socket->write(reply.data(), static_cast<qint64>(reply.size()));
    }
    shots.clear();
    waiting.clear();
    std::vector<std::uint64_t> more;
    for (auto& [id, c] : connections) {
      if (c->closing) {
        if (c->socket->state() == QAbstractSocket::ConnectedState) c->socket->disconnectFromHost();
      } else if (c->socket->bytesAvailable() > 0) {
        more.push_back(id);
      }
    }
    for (std::uint64_t id : more) Read(id);
  }
};

RangeServer::RangeServer(ShotStore& store, const ShotFlyer& flyer, RangeLimits limits)
    : impl_(std::make_unique<Impl>(store, flyer, limits)) {}

RangeServer::~RangeServer() = default;

bool RangeServer::Listen(const QHostAddress& address, quint16 port, std::string& error) {
  impl_->server.setMaxPendingConnections(impl_->limits.maxConnections);
  if (impl_->server.listen(address, port)) return true;
  const std::string where = address.toString().toStdString() + ":" + std::to_string(port) + ": ";
  switch (impl_->server.serverError()) {
    case QAbstractSocket::SocketAccessError:
      error = where + "permission denied" +
              (port < 1024 ? std::string("; ports below 1024 need privileges here: give --port with a port from 1024 up "
                                         "(e.g. --port 9210) and point the connector at it")
                           : std::string());
      break;
    case QAbstractSocket::AddressInUseError:
      error = where + "already in use (is another range running?); choose another with --port";
      break;
    default: error = where + impl_->server.errorString().toStdString();
  }
  return false;
}

quint16 RangeServer::port() const { return impl_->server.serverPort(); }

void RangeServer::SubscribeMonitor(MonitorListener listener) {
  impl_->monitorListeners.push_back(std::move(listener));
}

const RangeCounts& RangeServer::counts() const { return impl_->counts; }

}  // namespace vendrel::range
