#include "tests/range/http_client.h"


#include <algorithm>
#include <cctype>
#include <cstdint>
#include <utility>

namespace vendrel::test {

using Clock = std::chrono::steady_clock;

bool HttpClient::Receive(std::chrono::milliseconds timeout) {
  const std::optional<std::string> bytes = socket_.Receive(timeout);
  if (bytes) buffer_ += *bytes;
  return bytes.has_value();
}

std::string HttpClient::ReadToClose(std::chrono::milliseconds timeout) {
  const auto end = Clock::now() + timeout;
  while (!socket_.closed() && Clock::now() < end) {
    Receive(std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()) + std::chrono::milliseconds(1));
  }
  return std::exchange(buffer_, {});
}

std::optional<std::string> HttpClient::NextEvent(std::chrono::milliseconds timeout) {
  const auto end = Clock::now() + timeout;
  for (;;) {
    const std::size_t crlf = buffer_.find("\r\n\r\n");
    const std::size_t lf = buffer_.find("\n\n");
    const std::size_t at = std::min(crlf, lf);
    if (at != std::string::npos) {
      std::string event = buffer_.substr(0, at);
      buffer_.erase(0, at + (at == crlf ? 4 : 2));
      return event;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now());
    if (left.count() <= 0 || !Receive(left)) return std::nullopt;
  }
}

std::string HttpGet(int port, const std::string& target) {
  HttpClient c(port);
  c.Send("GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
  return c.ReadToClose();
}

int StatusOf(const std::string& answer) {
  if (answer.compare(0, 9, "HTTP/1.1 ") != 0 || answer.size() < 12) return -1;
  return std::stoi(answer.substr(9, 3));
}

std::string HeaderOf(const std::string& answer, const std::string& name) {
  const std::string head = answer.substr(0, answer.find("\r\n\r\n"));
  std::size_t at = 0;
  while ((at = head.find("\r\n", at)) != std::string::npos) {
    at += 2;
    const std::size_t colon = head.find(':', at);
    const std::size_t end = head.find("\r\n", at);
    if (colon == std::string::npos || colon > end) continue;
    std::string field = head.substr(at, colon - at);
    std::transform(field.begin(), field.end(), field.begin(), [](unsigned char ch) { return std::tolower(ch); });
    if (field == name) return head.substr(colon + 2, end == std::string::npos ? std::string::npos : end - colon - 2);
  }
  return {};
}

std::string BodyOf(const std::string& answer) {
  const std::size_t at = answer.find("\r\n\r\n");
  return at == std::string::npos ? std::string() : answer.substr(at + 4);
}

std::string DataOf(const std::string& event) {
  const std::size_t at = event.find("data: ");
  if (at == std::string::npos) return {};
  return event.substr(at + 6, event.find('\n', at) - at - 6);
}

}  // namespace vendrel::test
