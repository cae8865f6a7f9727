#include "tests/range/connector.h"


#include <cstdio>
#include <vector>

#include <nlohmann/json.hpp>

namespace vendrel::test {

bool Connector::Send(std::string_view bytes) { return socket_.Send(bytes); }

bool Connector::Receive(std::chrono::milliseconds timeout) {
  const std::optional<std::string> bytes = socket_.Receive(timeout);
  if (!bytes) return false;
  std::vector<range::StreamPiece> pieces;
  stream_.Feed(*bytes, pieces);
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
  while (!socket_.closed() && std::chrono::steady_clock::now() < until) {
    Receive(std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now()));
  }
  return socket_.closed();
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
