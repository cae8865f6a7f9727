#include "tests/range/connector.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cstdio>
#include <vector>

#include <nlohmann/json.hpp>

namespace vendrel::test {

Connector::Connector(int port) {
  fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<std::uint16_t>(port));
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    ::close(fd_);
    fd_ = -1;
    return;
  }
  const int one = 1;
  ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  // A server that stops reading makes a send fail after a while rather than hang.
  const timeval bound{2, 0};
  ::setsockopt(fd_, SOL_SOCKET, SO_SNDTIMEO, &bound, sizeof bound);
}

Connector::~Connector() {
  if (fd_ >= 0) ::close(fd_);
}

bool Connector::Send(std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

bool Connector::Receive(std::chrono::milliseconds timeout) {
  if (fd_ < 0 || eof_) return false;
  pollfd p{fd_, POLLIN, 0};
  if (::poll(&p, 1, static_cast<int>(timeout.count())) <= 0) return false;
  char buf[16384];
  const ssize_t n = ::recv(fd_, buf, sizeof buf, 0);
  if (n <= 0) {
    eof_ = true;
    return false;
  }
  std::vector<range::StreamPiece> pieces;
  stream_.Feed(std::string_view(buf, static_cast<std::size_t>(n)), pieces);
  for (auto& piece : pieces) replies_.push_back(std::move(piece.text));
  return true;
}

std::optional<std::string> Connector::Reply(std::chrono::milliseconds timeout) {
  const auto until = std::chrono::steady_clock::now() + timeout;
  while (replies_.empty()) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
    if (left.count() <= 0 || !Receive(left)) {
      if (replies_.empty()) return std::nullopt;
    }
  }
  std::string r = std::move(replies_.front());
  replies_.pop_front();
  return r;
}

bool Connector::ClosedByServer(std::chrono::milliseconds timeout) {
  const auto until = std::chrono::steady_clock::now() + timeout;
  while (!eof_ && std::chrono::steady_clock::now() < until) {
    Receive(std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now()));
  }
  return eof_;
}

std::string ShotText(const std::string& device, std::int64_t number, double speedMph, double totalSpin,
                     double spinAxis) {
  char buf[1024];
  std::snprintf(buf, sizeof buf,
                "{\"DeviceID\":%s,\"Units\":\"Yards\",\"ShotNumber\":%lld,\"APIversion\":\"1\","
                "\"BallData\":{\"Speed\":%.1f,\"SpinAxis\":%.1f,\"TotalSpin\":%.1f,\"HLA\":1.5,\"VLA\":12.5},"
                "\"ClubData\":{\"Speed\":105.2,\"AngleOfAttack\":-2.1,\"FaceToTarget\":0.8,\"Lie\":0.0,"
                "\"Loft\":11.3,\"Path\":1.2},"
                "\"ShotDataOptions\":{\"ContainsBallData\":true,\"ContainsClubData\":true,"
                "\"LaunchMonitorIsReady\":true,\"LaunchMonitorBallDetected\":true,\"IsHeartBeat\":false}}",
                nlohmann::json(device).dump().c_str(), static_cast<long long>(number), speedMph, spinAxis, totalSpin);
  return buf;
}

std::string HeartbeatText(const std::string& device, bool ready) {
  return "{\"DeviceID\":\"" + device +
         "\",\"Units\":\"Yards\",\"ShotNumber\":0,\"APIversion\":\"1\",\"ShotDataOptions\":{\"ContainsBallData\":"
         "false,\"ContainsClubData\":false,\"LaunchMonitorIsReady\":" +
         (ready ? "true" : "false") + ",\"LaunchMonitorBallDetected\":false,\"IsHeartBeat\":true}}";
}

int ReplyCode(const std::string& reply) {
  const auto j = nlohmann::json::parse(reply, nullptr, false);
  if (!j.is_object() || !j.contains("Code") || !j["Code"].is_number_integer()) return -1;
  return j["Code"].get<int>();
}

}  // namespace vendrel::test
