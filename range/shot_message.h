#pragma once
// Reads one message of the connectors' protocol: a shot, a monitor's status (a
// heartbeat, or any message without ball data), or a refusal with its reason. Values
// are checked against the ranges below and converted to SI units.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "range/shot_launch.h"

namespace vendrel::range {

/// The fastest ball speed a message may give, m/s (250 mph is just below).
inline constexpr double kFastestShot = 112.0;

/// What a monitor said of itself; the fields it left out are empty.
struct MonitorStatus {
  std::string deviceId;
  std::optional<bool> ready;         ///< LaunchMonitorIsReady
  std::optional<bool> ballDetected;  ///< LaunchMonitorBallDetected
  bool heartbeat = false;            ///< IsHeartBeat
};

struct ShotMessage {
  std::string deviceId;
  std::optional<std::int64_t> shotNumber;
  bool metric = false;                  ///< Units: metres and m/s rather than yards and mph
  ShotLaunch launch;                    ///< SI
  std::optional<double> measuredCarry;  ///< CarryDistance, m
  std::string clubData;                 ///< ClubData as it came (JSON), or empty
  std::string raw;                      ///< the whole message as it came
};

struct Message {
  enum Kind { Shot, Status, Refused } kind = Refused;
  ShotMessage shot;      ///< Shot
  MonitorStatus status;  ///< Status (and the device of a shot)
  std::string reason;    ///< Refused
};

/// Reads the text of one object.
Message ReadMessage(std::string_view text);

/// The reply to a refused message: {"Code":501,"Message":reason}.
std::string RefusalReply(std::string_view reason);
/// The reply to a shot that was flown and stored.
std::string ShotReply();

}  // namespace vendrel::range
