#include "range/http_server.h"

#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <chrono>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <system_error>

#include "json_text/json_text.h"
#include "range/http_request.h"
#include "range/range_server.h"
#include "range/shot_json.h"
#include "range/shot_message.h"
#include "range/shot_store.h"

namespace vendrel::range {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// A body goes out this much at a time, as the client takes it.
constexpr qint64 kChunk = 64 * 1024;
// The kernel's buffer for a client: small, so that one that stops reading meets the
// backlog limit soon.
constexpr int kSendBuffer = 64 * 1024;
// A comment line this often keeps idle streams open through proxies, and finds the
// clients that are gone.
constexpr auto kKeepAlive = std::chrono::seconds(15);
// Monitors whose last state a new stream client is sent: a bay has one or two, and a
// peer inventing device names must not grow the memory, nor every client's first bytes.
constexpr std::size_t kMaxMonitors = 16;

struct Client {
  QTcpSocket* socket = nullptr;
  HttpRequestReader reader;
  Clock::time_point opened = Clock::now();
  Clock::time_point progress = Clock::now();  ///< when the client last took bytes of an answer
  bool answered = false;  ///< a request was read; what else comes is ignored
  bool stream = false;
  std::unique_ptr<QFile> file;  ///< a body still being sent
  std::string body;             ///< or this one
  std::size_t bodySent = 0;
};

const char* StatusText(int status) {
  switch (status) {
    case 200: return "OK";
    case 400: return "Bad Request";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 413: return "Content Too Large";
    case 431: return "Request Header Fields Too Large";
    case 500: return "Internal Server Error";
    case 503: return "Service Unavailable";
    case 505: return "HTTP Version Not Supported";
    default: return "Error";
  }
}

std::string Head(int status, const char* type, std::optional<std::int64_t> length, const char* extra = "") {
  std::string h = "HTTP/1.1 " + std::to_string(status) + " " + StatusText(status) + "\r\n";
  h += std::string("Content-Type: ") + type + "\r\n";
  if (length) h += "Content-Length: " + std::to_string(*length) + "\r\n";
  h += "Cache-Control: no-cache\r\nX-Content-Type-Options: nosniff\r\nConnection: close\r\n";
  h += extra;
  return h + "\r\n";
}

std::string Event(const char* name, const std::string& data, std::int64_t id = 0) {
  std::string e = std::string("event: ") + name + "\n";
  if (id > 0) e += "id: " + std::to_string(id) + "\n";
  return e + "data: " + data + "\n\n";
}

std::string MonitorEvent(const MonitorStatus& s) {
  nlohmann::ordered_json j;
  j["device"] = s.deviceId;
  j["ready"] = s.ready ? nlohmann::ordered_json(*s.ready) : nlohmann::ordered_json(nullptr);
  j["ball_detected"] = s.ballDetected ? nlohmann::ordered_json(*s.ballDetected) : nlohmann::ordered_json(nullptr);
  j["heartbeat"] = s.heartbeat;
  j["time"] = ShotStore::Now();  // when it was last heard
  return Event("monitor", JsonText(j));
}

}  // namespace

struct HttpServer::Impl {
  ShotStore& store;
  HttpLimits limits;
  fs::path site;  ///< canonical; empty when the directory is missing
  QTcpServer server;
  QTimer sweep;
  std::map<std::uint64_t, std::unique_ptr<Client>> clients;
  std::uint64_t nextId = 1;
  struct Heard {
    std::string event;       ///< the device's last status event
    std::uint64_t when = 0;  ///< order of hearing
  };
  std::map<std::string, Heard> monitors;  ///< the devices heard last, at most kMaxMonitors
  std::uint64_t heardCount = 0;
  std::size_t shotToken = 0;
  std::shared_ptr<Impl*> self;  ///< the monitor listener outlives us; it checks this
  HttpCounts counts;
  bool loopback = true;  ///< listening on loopback: only this machine's names are answered
  Clock::time_point lastKeepAlive = Clock::now();

  Impl(ShotStore& s, RangeServer& range, const std::string& dir, HttpLimits l)
      : store(s), limits(l), self(std::make_shared<Impl*>(this)) {
    std::error_code ec;
    site = fs::canonical(dir, ec);
    if (ec || !fs::is_directory(site, ec)) site.clear();
    QObject::connect(&server, &QTcpServer::newConnection, [this] { Accept(); });
    shotToken = store.Subscribe([this](const StoredShot& shot) {
      Broadcast(Event("shot", JsonText(ShotJson(shot)), shot.id));
    });
    std::weak_ptr<Impl*> weak = self;
    range.SubscribeMonitor([weak](const MonitorStatus& status) {
      if (const auto alive = weak.lock()) (*alive)->Monitor(status);
    });
    QObject::connect(&sweep, &QTimer::timeout, [this] { Sweep(); });
    sweep.start(1000);
  }

  ~Impl() {
    store.Unsubscribe(shotToken);
    for (auto& [id, c] : clients) {
      c->socket->disconnect();
      c->socket->abort();
      delete c->socket;
    }
  }

  void Accept() {
    while (QTcpSocket* socket = server.nextPendingConnection()) {
      if (static_cast<int>(clients.size()) >= limits.maxConnections) {
        const std::string text = "too many connections; try again later\n";
        const std::string reply = Head(503, "text/plain; charset=utf-8", static_cast<std::int64_t>(text.size()),
                                       "Retry-After: 2\r\n") + text;
        socket->write(reply.data(), static_cast<qint64>(reply.size()));
        QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        socket->disconnectFromHost();
        continue;
      }
      auto c = std::make_unique<Client>();
      c->socket = socket;
      socket->setReadBufferSize(static_cast<qint64>(HttpRequestReader::kMaxHead) * 2);
      socket->setSocketOption(QAbstractSocket::SendBufferSizeSocketOption, kSendBuffer);
      // Events are small writes: without this, one waits for the ack of the one before
      // (delayed by the peer up to 40 ms).
      socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
      const std::uint64_t id = nextId++;
      QObject::connect(socket, &QTcpSocket::readyRead, [this, id] { Read(id); });
      QObject::connect(socket, &QTcpSocket::bytesWritten, [this, id] { Pump(id); });
      QObject::connect(socket, &QTcpSocket::disconnected, [this, id] { Drop(id); });
      clients.emplace(id, std::move(c));
      ++counts.connections;
    }
  }

  void Drop(std::uint64_t id) {
    const auto it = clients.find(id);
    if (it == clients.end()) return;
    it->second->socket->disconnect();
    it->second->socket->abort();
    it->second->socket->deleteLater();
    if (it->second->stream) --counts.streams;
    clients.erase(it);
    --counts.connections;
  }

  void Read(std::uint64_t id) {
    const auto it = clients.find(id);
    if (it == clients.end()) return;
    Client& c = *it->second;
    const QByteArray bytes = c.socket->readAll();
    if (c.answered) return;
    switch (c.reader.Feed(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())))) {
      case HttpRequestReader::State::Incomplete: return;
      case HttpRequestReader::State::Bad: Answer(id, c, c.reader.status(), c.reader.reason(), false); return;
      case HttpRequestReader::State::Done: Route(id, c); return;
    }
  }

  void Answer(std::uint64_t id, Client& c, int status, const std::string& text, bool headOnly,
              const char* extra = "") {
    c.answered = true;
    const std::string body = text + "\n";
    std::string reply = Head(status, "text/plain; charset=utf-8", static_cast<std::int64_t>(body.size()), extra);
    if (!headOnly) reply += body;
    c.socket->write(reply.data(), static_cast<qint64>(reply.size()));
    Finish(id, c);
  }

  void Finish(std::uint64_t id, Client& c) {
    c.file.reset();
    c.body.clear();
    // This may drop the client at once (the socket itself lives until the loop's turn).
    QTcpSocket* socket = c.socket;
    socket->disconnectFromHost();  // after what is written has gone
    if (socket->state() == QAbstractSocket::UnconnectedState) Drop(id);
  }

  void Route(std::uint64_t id, Client& c) {
    c.answered = true;
    const HttpRequest& r = c.reader.request();
    const bool head = r.method == "HEAD";
    const std::int64_t clubOf = ClubTarget(r.target);
    if (clubOf != 0 && r.method != "PUT") {
      Answer(id, c, 405, "a shot's club is set with PUT", head, "Allow: PUT\r\n");
      return;
    }
    if (clubOf == 0 && r.method != "GET" && !head) {
      Answer(id, c, 405, "only GET and HEAD are served here", false, "Allow: GET, HEAD\r\n");
      return;
    }
    if (loopback && !IsAddressOrLocalhost(r.host)) {
      Answer(id, c, 403, "this server answers to localhost and to addresses only", head);
      return;
    }
    if (clubOf != 0) {
      SetClub(id, c, clubOf);
      return;
    }
    const std::string path = r.target.substr(0, r.target.find_first_of("?#"));
    if (path == "/shots/stream") {
      OpenStream(id, c, head);
      return;
    }
    if (path == "/shots") {
      std::vector<StoredShot> shots;
      std::string error;
      if (!store.Read({}, shots, error)) {
        Answer(id, c, 500, "the shot history could not be read: " + error, head);
        return;
      }
      std::string body = ShotsJsonText(shots);
      const std::string h = Head(200, "application/json", static_cast<std::int64_t>(body.size()));
      c.socket->write(h.data(), static_cast<qint64>(h.size()));
      if (!head) c.body = std::move(body);
      Pump(id);
      return;
    }
    int status = 0;
    const std::string rel = SitePath(r.target, status);
    if (rel.empty()) {
      Answer(id, c, status, status == 404 ? "not found" : "bad request target", head);
      return;
    }
    const fs::path file = Resolve(rel);
    if (file.empty()) {
      Answer(id, c, 404, "not found", head);
      return;
    }
    auto f = std::make_unique<QFile>(QString::fromStdString(file.string()));
    if (!f->open(QIODevice::ReadOnly)) {
      Answer(id, c, 404, "not found", head);
      return;
    }
    const std::string h = Head(200, ContentType(rel), f->size());
    c.socket->write(h.data(), static_cast<qint64>(h.size()));
    if (!head) c.file = std::move(f);
    Pump(id);
  }

  // PUT /shots/{id}/club, the name as the body (text/plain, UTF-8). Only this server's
  // own pages may: another site open in the browser must not rewrite the history.
  void SetClub(std::uint64_t id, Client& c, std::int64_t shotId) {
    const HttpRequest& r = c.reader.request();
    if (!IsOwnOrigin(r)) {
      Answer(id, c, 403, "only this server's own pages may set a club", false);
      return;
    }
    std::string club, error;
    if (!ReadClubName(r.body, club, error)) {
      Answer(id, c, 400, error, false);
      return;
    }
    bool missing = false;
    if (!store.SetClub(shotId, club, error, &missing)) {
      Answer(id, c, missing ? 404 : 500, missing ? error : "the club could not be stored: " + error, false);
      return;
    }
    // Committed: every open page hears of it, then the one that asked.
    nlohmann::ordered_json j;
    j["id"] = shotId;
    j["club"] = club.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(club);
    const std::string body = JsonText(j);
    Broadcast(Event("club", body));
    const std::string reply = Head(200, "application/json", static_cast<std::int64_t>(body.size() + 1)) + body + "\n";
    c.socket->write(reply.data(), static_cast<qint64>(reply.size()));
    Finish(id, c);
  }

  // The file a site path names, or empty: a regular file whose real path, symbolic
  // links followed, is inside the site.
  fs::path Resolve(const std::string& rel) const {
    if (site.empty()) return {};
    std::error_code ec;
    const fs::path real = fs::canonical(site / rel, ec);
    if (ec || !fs::is_regular_file(real, ec)) return {};
    const std::string root = site.string() + "/";
    if (real.string().compare(0, root.size(), root) != 0) return {};
    return real;
  }

  // Sends the next chunk of a body when the client has taken the last one.
  void Pump(std::uint64_t id) {
    const auto it = clients.find(id);
    if (it == clients.end()) return;
    Client& c = *it->second;
    c.progress = Clock::now();
    if (c.stream || !c.answered) return;
    if (c.socket->bytesToWrite() >= kChunk) return;
    if (c.file && !c.file->atEnd()) {
      const QByteArray chunk = c.file->read(kChunk);
      if (!chunk.isEmpty()) {
        c.socket->write(chunk);
        return;
      }
    } else if (c.bodySent < c.body.size()) {
      const std::size_t n = std::min(c.body.size() - c.bodySent, static_cast<std::size_t>(kChunk));
      c.socket->write(c.body.data() + c.bodySent, static_cast<qint64>(n));
      c.bodySent += n;
      return;
    }
    Finish(id, c);
  }

  void OpenStream(std::uint64_t id, Client& c, bool head) {
    const std::string h = Head(200, "text/event-stream; charset=utf-8", std::nullopt);
    c.socket->write(h.data(), static_cast<qint64>(h.size()));
    if (head) {
      Finish(id, c);
      return;
    }
    c.stream = true;
    ++counts.streams;
    std::string hello = "retry: 2000\n\n";
    for (const auto& [device, heard] : monitors) hello += heard.event;
    hello += Missed(c.reader.request().lastEventId);
    c.socket->write(hello.data(), static_cast<qint64>(hello.size()));
  }

  // A client coming back (its Last-Event-ID the last shot it had) gets the shots stored
  // since; when they would not fit its backlog, a "reset" tells it to read /shots again.
  std::string Missed(const std::string& lastEventId) {
    if (lastEventId.empty() || lastEventId.size() > 18 ||
        lastEventId.find_first_not_of("0123456789") != std::string::npos) {
      return {};
    }
    const std::int64_t last = std::stoll(lastEventId);
    std::vector<StoredShot> shots;
    std::string error;
    std::string missed;
    if (store.Read({}, shots, error)) {
      for (const StoredShot& shot : shots) {
        if (shot.id > last) missed += Event("shot", JsonText(ShotJson(shot)), shot.id);
        if (static_cast<std::int64_t>(missed.size()) > limits.streamBacklog / 2) break;
      }
    }
    if (!error.empty() || static_cast<std::int64_t>(missed.size()) > limits.streamBacklog / 2) {
      return Event("reset", "{}");
    }
    return missed;
  }

  void Monitor(const MonitorStatus& status) {
    std::string event = MonitorEvent(status);
    Broadcast(event);
    monitors[status.deviceId] = {std::move(event), ++heardCount};
    if (monitors.size() > kMaxMonitors) {
      auto oldest = monitors.begin();
      for (auto it = monitors.begin(); it != monitors.end(); ++it) {
        if (it->second.when < oldest->second.when) oldest = it;
      }
      monitors.erase(oldest);
    }
  }

  // Every stream client gets the event, but one that has left too much unread is
  // dropped instead: its memory stays bounded and nobody waits for it.
  void Broadcast(const std::string& event) {
    std::vector<std::uint64_t> slow;
    for (auto& [id, c] : clients) {
      if (!c->stream) continue;
      if (c->socket->bytesToWrite() + static_cast<qint64>(event.size()) > limits.streamBacklog) {
        slow.push_back(id);
        continue;
      }
      c->socket->write(event.data(), static_cast<qint64>(event.size()));
    }
    for (std::uint64_t id : slow) {
      ++counts.dropped;
      Drop(id);
    }
  }

  // Closes connections that have not sent a whole request in time, or stopped taking
  // their answer (a file read by nobody must not hold its place for ever), and keeps
  // the streams alive.
  void Sweep() {
    const Clock::time_point now = Clock::now();
    std::vector<std::uint64_t> late;
    for (auto& [id, c] : clients) {
      if (!c->answered && now - c->opened > std::chrono::milliseconds(limits.requestTimeoutMs)) late.push_back(id);
      if (c->answered && !c->stream && now - c->progress > std::chrono::milliseconds(limits.stallTimeoutMs)) {
        late.push_back(id);
      }
    }
    for (std::uint64_t id : late) Drop(id);
    if (now - lastKeepAlive >= kKeepAlive) {
      lastKeepAlive = now;
      Broadcast(": keep-alive\n\n");
    }
  }
};

HttpServer::HttpServer(ShotStore& store, RangeServer& range, std::string site, HttpLimits limits)
    : impl_(std::make_unique<Impl>(store, range, site, limits)) {}

HttpServer::~HttpServer() = default;

bool HttpServer::Listen(const QHostAddress& address, quint16 port, std::string& error) {
  impl_->loopback = address.isLoopback();
  if (impl_->server.listen(address, port)) return true;
  error = address.toString().toStdString() + ":" + std::to_string(port) + " (HTTP): ";
  switch (impl_->server.serverError()) {
    case QAbstractSocket::SocketAccessError:
      error += "permission denied" + std::string(port < 1024 ? "; choose --http-port 1024 or above" : "");
      break;
    case QAbstractSocket::AddressInUseError: error += "already in use; choose another with --http-port"; break;
    default: error += impl_->server.errorString().toStdString();
  }
  return false;
}

quint16 HttpServer::port() const { return impl_->server.serverPort(); }

const HttpCounts& HttpServer::counts() const { return impl_->counts; }

}  // namespace vendrel::range
