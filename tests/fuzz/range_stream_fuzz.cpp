// The range's stream reader: whatever bytes come, and however they are cut into reads,
// it gives the same pieces, keeps at most one message's bytes, and every object it
// gives reads as a shot, a status or a refusal with a reason, and a shot's values are
// finite and within their ranges.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "range/message_stream.h"
#include "range/shot_message.h"

using namespace vendrel::range;

namespace {

void Check(const ShotLaunch& l) {
  for (double v : {l.speed, l.verticalAngle, l.horizontalAngle, l.backSpin, l.sideSpin, l.totalSpin, l.spinAxis}) {
    if (!std::isfinite(v)) std::abort();
  }
  if (!(l.speed > 0.0 && l.speed <= 112.0) || std::fabs(l.verticalAngle) > 90.0 || std::fabs(l.backSpin) > 20000.0 ||
      std::fabs(l.sideSpin) > 20000.0) {
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The first byte says where to cut the rest into reads.
  if (size == 0) return 0;
  const std::size_t step = data[0] == 0 ? 1 : data[0];
  const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);

  MessageStream whole, cut;
  std::vector<StreamPiece> a, b;
  whole.Feed(bytes, a);
  for (std::size_t at = 0; at < bytes.size(); at += step) {
    cut.Feed(bytes.substr(at, step), b);
    if (cut.pending() > kMaxMessageBytes) std::abort();
  }
  if (a.size() != b.size() || whole.over() != cut.over()) std::abort();
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].kind != b[i].kind || a[i].text != b[i].text) std::abort();
    if (a[i].kind != StreamPiece::Object) continue;
    const Message m = ReadMessage(a[i].text);
    if (m.kind == Message::Refused && m.reason.empty()) std::abort();
    if (m.kind == Message::Shot) Check(m.shot.launch);
    if (RefusalReply(m.reason).empty()) std::abort();
  }
  return 0;
}
