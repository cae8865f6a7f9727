// The range's stream reader and message reading: how connectors frame their messages,
// what a message says, and what is refused and why.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "range/message_stream.h"
#include "range/shot_message.h"
#include "tests/range/connector.h"

namespace vendrel::range {
namespace {

using test::HeartbeatText;
using test::ShotText;

std::vector<StreamPiece> FeedAll(MessageStream& s, const std::vector<std::string>& reads) {
  std::vector<StreamPiece> out;
  for (const std::string& r : reads) s.Feed(r, out);
  return out;
}

std::vector<std::string> Objects(const std::vector<StreamPiece>& pieces) {
  std::vector<std::string> out;
  for (const StreamPiece& p : pieces) {
    EXPECT_EQ(p.kind, StreamPiece::Object) << p.text;
    out.push_back(p.text);
  }
  return out;
}

TEST(RangeStream, ReadsObjectsHoweverTheyAreCut) {
  const std::string a = ShotText("A", 1), b = HeartbeatText("A"), c = ShotText("A", 2);
  // Back to back, and with whitespace of every kind between.
  for (const std::string& between : {std::string(), std::string("\r\n"), std::string(" \t\n\n ")}) {
    MessageStream s;
    EXPECT_EQ(Objects(FeedAll(s, {between + a + between + b + c + between})), (std::vector<std::string>{a, b, c}));
  }
  // Two in one read, the third split; and every byte its own read.
  const std::string all = a + b + "\n" + c;
  MessageStream two;
  EXPECT_EQ(Objects(FeedAll(two, {a + b, std::string("\n") + c.substr(0, 7), c.substr(7)})), (std::vector<std::string>{a, b, c}));
  MessageStream bytes;
  std::vector<std::string> reads;
  for (char ch : all) reads.emplace_back(1, ch);
  EXPECT_EQ(Objects(FeedAll(bytes, reads)), (std::vector<std::string>{a, b, c}));
  EXPECT_EQ(bytes.pending(), 0u);
}

TEST(RangeStream, BracesInStringsAndEscapedQuotesDoNotEndAnObject) {
  const std::string tricky = R"({"DeviceID":"a}b{\"}\\","x":[{"y":"]"}]})";
  MessageStream s;
  std::vector<std::string> reads;
  for (char ch : tricky + tricky) reads.emplace_back(1, ch);
  EXPECT_EQ(Objects(FeedAll(s, reads)), (std::vector<std::string>{tricky, tricky}));
}

TEST(RangeStream, RefusesWhatIsNoObjectOnceAndReadsOn) {
  MessageStream s;
  const auto pieces = FeedAll(s, {"hello wor", "ld [1,2] ", ShotText("A", 1)});
  ASSERT_EQ(pieces.size(), 2u);
  EXPECT_EQ(pieces[0].kind, StreamPiece::Refused);
  EXPECT_NE(pieces[0].text.find("not JSON"), std::string::npos);
  EXPECT_EQ(pieces[1].kind, StreamPiece::Object);
  EXPECT_FALSE(s.over());
  // A closer that does not match can never close its object: refused there, once, and
  // the shots after it are read rather than swallowed.
  MessageStream crossed;
  const auto after = FeedAll(crossed, {R"({"a":[1})", R"(]} )", ShotText("A", 2), R"({"b":{]})", ShotText("A", 3)});
  ASSERT_EQ(after.size(), 4u);
  EXPECT_EQ(after[0].text, "not JSON: '}' where ']' was expected");
  EXPECT_EQ(after[1].text, ShotText("A", 2));
  EXPECT_EQ(after[2].kind, StreamPiece::Refused);
  EXPECT_EQ(after[3].text, ShotText("A", 3));
  EXPECT_EQ(crossed.pending(), 0u);
}

TEST(RangeStream, AnObjectThatNeverClosesIsCutOffWithMemoryBounded) {
  MessageStream s;
  std::vector<StreamPiece> out;
  s.Feed("{\"DeviceID\":\"", out);
  const std::string chunk(1000, 'x');
  for (int i = 0; i < 200 && !s.over(); ++i) {
    s.Feed(chunk, out);
    EXPECT_LE(s.pending(), kMaxMessageBytes);
  }
  ASSERT_TRUE(s.over());
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0].kind, StreamPiece::Overflow);
  EXPECT_NE(out[0].text.find("64 KiB"), std::string::npos);
  EXPECT_EQ(s.pending(), 0u);
  s.Feed(ShotText("A", 1), out);  // nothing more is read
  EXPECT_EQ(out.size(), 1u);
  // Just within the limit is taken; deeper than the nesting limit is refused.
  MessageStream fits;
  const std::string big = std::string("{\"a\":\"") + std::string(kMaxMessageBytes - 8, 'y') + "\"}";
  ASSERT_EQ(big.size(), kMaxMessageBytes);
  EXPECT_EQ(Objects(FeedAll(fits, {big})).size(), 1u);
  MessageStream deep;
  const auto nested = FeedAll(deep, {std::string("{\"a\":") + std::string(100, '[') + std::string(100, ']') + "}"});
  ASSERT_EQ(nested.size(), 1u);
  EXPECT_EQ(nested[0].kind, StreamPiece::Refused);
}

TEST(RangeMessage, ReadsAShotInYardsAndMph) {
  const std::string text =
      R"({"DeviceID":"LM 1","Units":"Yards","ShotNumber":13,"APIversion":"1",)"
      R"("BallData":{"Speed":147.5,"SpinAxis":-13.2,"TotalSpin":3250.0,"HLA":2.3,"VLA":14.3,"CarryDistance":256.5},)"
      R"("ClubData":{"Speed":102.4,"Path":-1.5},)"
      R"("ShotDataOptions":{"ContainsBallData":true,"ContainsClubData":true,"LaunchMonitorIsReady":true}})";
  const Message m = ReadMessage(text);
  ASSERT_EQ(m.kind, Message::Shot) << m.reason;
  const ShotMessage& s = m.shot;
  EXPECT_EQ(s.deviceId, "LM 1");
  EXPECT_EQ(s.shotNumber, 13);
  EXPECT_EQ(s.launch.speed, 147.5 * 0.44704);
  EXPECT_EQ(s.launch.verticalAngle, 14.3);
  EXPECT_EQ(s.launch.horizontalAngle, 2.3);
  EXPECT_EQ(s.launch.totalSpin, 3250.0);
  EXPECT_EQ(s.launch.spinAxis, -13.2);
  EXPECT_NEAR(s.launch.backSpin, 3250.0 * std::cos(-13.2 * M_PI / 180), 1e-9);
  EXPECT_NEAR(s.launch.sideSpin, 3250.0 * std::sin(-13.2 * M_PI / 180), 1e-9);
  EXPECT_EQ(*s.measuredCarry, 256.5 * 0.9144);
  EXPECT_EQ(s.clubData, R"({"Path":-1.5,"Speed":102.4})");
  EXPECT_EQ(s.raw, text);
}

TEST(RangeMessage, ReadsMetresBackAndSideSpinAndLongShotNumbers) {
  for (const char* units : {"Meters", "Metres", "meters"}) {
    const Message m = ReadMessage(std::string(R"({"Units":")") + units +
                                  R"(","ShotNumber":4294967297,"BallData":{"Speed":60,"VLA":10,"BackSpin":3000,"SideSpin":-400}})");
    ASSERT_EQ(m.kind, Message::Shot) << m.reason;
    EXPECT_EQ(m.shot.launch.speed, 60.0);
    EXPECT_EQ(m.shot.launch.backSpin, 3000.0);
    EXPECT_EQ(m.shot.launch.sideSpin, -400.0);
    EXPECT_EQ(m.shot.launch.totalSpin, std::sqrt(3000.0 * 3000.0 + 400.0 * 400.0));
    EXPECT_EQ(m.shot.shotNumber, 4294967297);
  }
  const Message huge = ReadMessage(R"({"ShotNumber":9223372036854775807,"BallData":{"Speed":60,"VLA":10,"TotalSpin":1}})");
  ASSERT_EQ(huge.kind, Message::Shot) << huge.reason;
  EXPECT_EQ(huge.shot.shotNumber, 9223372036854775807);
}

TEST(RangeMessage, HeartbeatsAndMessagesWithoutBallDataAreTheMonitorsState) {
  const Message hb = ReadMessage(HeartbeatText("LM 1", false));
  ASSERT_EQ(hb.kind, Message::Status);
  EXPECT_EQ(hb.status.deviceId, "LM 1");
  EXPECT_TRUE(hb.status.heartbeat);
  EXPECT_EQ(hb.status.ready, false);
  EXPECT_EQ(hb.status.ballDetected, false);
  // A heartbeat with a ball data of zeros, and a status with no options at all.
  EXPECT_EQ(ReadMessage(R"({"BallData":{"Speed":0,"VLA":0},"ShotDataOptions":{"IsHeartBeat":true}})").kind,
            Message::Status);
  EXPECT_EQ(ReadMessage(R"({"BallData":{"Speed":0},"ShotDataOptions":{"ContainsBallData":false}})").kind,
            Message::Status);
  EXPECT_EQ(ReadMessage(R"({"DeviceID":"x"})").kind, Message::Status);
}

std::string Refusal(const std::string& text) {
  const Message m = ReadMessage(text);
  EXPECT_EQ(m.kind, Message::Refused) << text;
  return m.reason;
}

TEST(RangeMessage, RefusesWithTheReason) {
  EXPECT_NE(Refusal(R"({"BallData":{"Speed":150,)").find("not JSON"), std::string::npos);
  EXPECT_EQ(Refusal(R"({"BallData":{"Speed":NaN,"VLA":10,"TotalSpin":3000}})"),
            "not JSON: NaN and Infinity are not numbers in JSON");
  EXPECT_EQ(Refusal(R"({"BallData":{"Speed":150,"VLA":Infinity,"TotalSpin":3000}})"),
            "not JSON: NaN and Infinity are not numbers in JSON");
  EXPECT_EQ(Refusal(R"({"BallData":{"Speed":-Infinity,"VLA":1,"TotalSpin":3000}})"),
            "not JSON: NaN and Infinity are not numbers in JSON");
  EXPECT_NE(Refusal(R"({"BallData":{"Speed":1e400,"VLA":10,"TotalSpin":3000}})").find("not"), std::string::npos);
  EXPECT_NE(Refusal(R"({"BallData":{"Speed":2e4967297,"VLA":10,"TotalSpin":3000}})").find("not JSON"),
            std::string::npos);
  // Wrong types, each named.
  EXPECT_EQ(Refusal(R"({"BallData":{"Speed":"fast","VLA":10,"TotalSpin":3000}})"),
            "BallData.Speed: expected a number, got a string");
  EXPECT_EQ(Refusal(R"({"BallData":[150,10]})"), "BallData: expected an object, got an array");
  EXPECT_EQ(Refusal(R"({"ShotNumber":"12","BallData":{"Speed":150,"VLA":10,"TotalSpin":3000}})"),
            "ShotNumber: expected a whole number, got a string");
  EXPECT_EQ(Refusal(R"({"DeviceID":7})"), "DeviceID: expected a string, got a number");
  EXPECT_EQ(Refusal(R"({"ShotDataOptions":{"IsHeartBeat":"yes"}})"),
            "ShotDataOptions.IsHeartBeat: expected true or false, got a string");
  EXPECT_EQ(Refusal(R"({"Units":"Furlongs","BallData":{"Speed":150,"VLA":10,"TotalSpin":3000}})"),
            "Units: 'Furlongs' is not Yards or Meters");
  EXPECT_EQ(Refusal(R"({"APIversion":"2"})"), "APIversion: \"2\" is not supported (1 is)");
  EXPECT_EQ(Refusal("[1,2]"), "not JSON: a message is a JSON object");
  // Out of range, with the range.
  EXPECT_EQ(Refusal(R"({"BallData":{"Speed":0,"VLA":10,"TotalSpin":3000}})"),
            "BallData.Speed: 0 mph is out of range (allowed: 1 to 250 mph)");
  EXPECT_EQ(Refusal(R"({"BallData":{"Speed":500,"VLA":10,"TotalSpin":3000}})"),
            "BallData.Speed: 500 mph is out of range (allowed: 1 to 250 mph)");
  EXPECT_EQ(Refusal(R"({"Units":"Meters","BallData":{"Speed":500,"VLA":10,"TotalSpin":3000}})"),
            "BallData.Speed: 500 m/s is out of range (allowed: 0.5 to 112 m/s)");
  EXPECT_EQ(Refusal(R"({"BallData":{"Speed":150,"VLA":10,"TotalSpin":1e9}})"),
            "BallData.TotalSpin: 1000000000 rpm is out of range (allowed: 0 to 20000 rpm)");
  EXPECT_EQ(Refusal(R"({"BallData":{"Speed":150,"VLA":10,"BackSpin":-1e9}})"),
            "BallData.BackSpin: -1000000000 rpm is out of range (allowed: -20000 to 20000 rpm)");
  EXPECT_EQ(Refusal(R"({"BallData":{"Speed":150,"VLA":10}})"),
            "BallData: no spin (TotalSpin, or BackSpin and SideSpin)");
  EXPECT_EQ(Refusal(R"({"BallData":{"VLA":10,"TotalSpin":3000}})"), "BallData.Speed: missing");
  EXPECT_EQ(Refusal(R"({"ShotNumber":18446744073709551615,"BallData":{"Speed":150,"VLA":10,"TotalSpin":3000}})"),
            "ShotNumber: beyond 9223372036854775807");
  EXPECT_EQ(Refusal(R"({"ShotDataOptions":{"ContainsBallData":true}})"),
            "BallData: missing, though ContainsBallData is true");
  // A refusal's reply is JSON whatever the reason holds.
  EXPECT_EQ(RefusalReply("a \"b\"\n\xff"), "{\"Code\":501,\"Message\":\"a \\\"b\\\"\\n\xEF\xBF\xBD\"}");
}

}  // namespace
}  // namespace vendrel::range
