#include "cli/progress_line.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace vendrel::cli {
namespace {

// 0:07, 12:34, 3:05:09.
std::string Duration(double seconds) {
  const auto s = static_cast<long long>(std::ceil(seconds));
  char text[32];
  if (s >= 3600) {
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", s / 3600, s / 60 % 60, s % 60);
  } else {
    std::snprintf(text, sizeof text, "%lld:%02lld", s / 60, s % 60);
  }
  return text;
}

}  // namespace

// Built by appending: gcc 12's optimiser warns falsely (-Wrestrict) about "[" + string.
std::string ProgressText(const ProgressMeter::Status& s, std::string_view unit) {
  std::string text;
  if (s.total > 0) {
    constexpr int kWidth = 30;
    const double share = std::min(1.0, static_cast<double>(s.done) / static_cast<double>(s.total));
    const auto filled = static_cast<std::size_t>(share * kWidth);
    text += '[';
    text.append(filled, '#');
    text.append(kWidth - filled, ' ');
    char percent[8];
    std::snprintf(percent, sizeof percent, "] %3d%% ", static_cast<int>(share * 100.0));
    text += percent;
    text += std::to_string(s.done);
    text += '/';
    text += std::to_string(s.total);
  } else {
    text += std::to_string(s.done);
  }
  text += ' ';
  text += unit;
  text += ", ";
  text += std::to_string(std::llround(s.rate));
  text += ' ';
  text += unit;
  text += "/s";
  if (s.secondsLeft >= 0.0) {
    text += ", ";
    text += Duration(s.secondsLeft);
    text += " left";
  }
  return text;
}

ProgressLine::ProgressLine(std::int64_t total, std::string unit, bool enabled, Describe describe)
    : unit_(std::move(unit)), describe_(std::move(describe)) {
  if (enabled && isatty(STDERR_FILENO)) {
    meter_.emplace(total, [this](const ProgressMeter::Status& s) { Show(s); });
  }
}

ProgressLine::~ProgressLine() {
  if (!meter_ || !meter_->Reported()) return;
  Show(meter_->Now());
  std::fputs("\n", stderr);
}

void ProgressLine::Show(const ProgressMeter::Status& s) const {
  const std::string text = describe_ ? describe_(s) : ProgressText(s, unit_);
  // Back to the start of the line, the text, and the rest of the old line cleared.
  std::fprintf(stderr, "\r%s\x1b[K", text.c_str());
  std::fflush(stderr);
}

}  // namespace vendrel::cli
