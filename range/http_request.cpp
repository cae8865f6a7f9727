#include "range/http_request.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace vendrel::range {
namespace {

bool IsTokenChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) != 0 || std::string_view("!#$%&'*+-.^_`|~").find(c) != std::string_view::npos;
}

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool EndsWith(std::string_view s, std::string_view end) {
  return s.size() >= end.size() && s.substr(s.size() - end.size()) == end;
}

}  // namespace

HttpRequestReader::State HttpRequestReader::Fail(int status, std::string reason) {
  status_ = status;
  reason_ = std::move(reason);
  return state_ = State::Bad;
}

HttpRequestReader::State HttpRequestReader::Feed(std::string_view bytes) {
  if (state_ != State::Incomplete) return state_;
  if (headRead_) {
    request_.body.append(bytes.substr(0, bodyLength_ - request_.body.size()));
    return state_ = request_.body.size() == bodyLength_ ? State::Done : State::Incomplete;
  }
  // Only the part that can still belong to the head and the body is kept.
  const std::size_t room = kMaxHead + 4 + kMaxBody - head_.size();
  head_.append(bytes.substr(0, std::min(bytes.size(), room)));
  // Bare LF line ends are taken too, as the standard allows a reader to.
  const bool crlf = head_.find("\r\n\r\n") != std::string::npos;
  const bool lf = head_.find("\n\n") != std::string::npos;
  if (!crlf && !lf) {
    if (head_.size() > kMaxHead) return Fail(431, "request head too large");
    return state_;
  }
  return state_ = Parse();
}

HttpRequestReader::State HttpRequestReader::Parse() {
  std::size_t end = 0;
  std::vector<std::string_view> lines;
  std::string_view rest(head_);
  for (;;) {
    end = rest.find('\n');
    // Blank lines before the request line ended what looked like the head: wait for more.
    if (end == std::string_view::npos) return head_.size() > kMaxHead ? Fail(431, "request head too large") : state_;
    std::string_view line = rest.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    rest.remove_prefix(end + 1);
    if (line.empty()) {
      if (lines.empty()) continue;  // empty lines before the request line are allowed
      break;
    }
    lines.push_back(line);
  }
  const std::size_t headLength = head_.size() - rest.size();
  if (headLength > kMaxHead) return Fail(431, "request head too large");
  // The request line: method SP target SP HTTP/1.x, nothing else.
  const std::string_view first = lines.front();
  const std::size_t a = first.find(' ');
  const std::size_t b = a == std::string_view::npos ? a : first.find(' ', a + 1);
  if (b == std::string_view::npos || first.find(' ', b + 1) != std::string_view::npos) {
    return Fail(400, "bad request line");
  }
  const std::string_view method = first.substr(0, a);
  const std::string_view target = first.substr(a + 1, b - a - 1);
  const std::string_view version = first.substr(b + 1);
  if (method.empty() || !std::all_of(method.begin(), method.end(), IsTokenChar) || target.empty()) {
    return Fail(400, "bad request line");
  }
  if (version != "HTTP/1.1" && version != "HTTP/1.0") return Fail(505, "HTTP/1.0 and 1.1 only");
  for (char c : target) {
    if (static_cast<unsigned char>(c) <= 0x20 || c == 0x7f) return Fail(400, "bad request target");
  }
  request_.method = std::string(method);
  request_.target = std::string(target);
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const std::string_view line = lines[i];
    const std::size_t colon = line.find(':');
    // Folded lines and names with spaces are refused, as the standard asks.
    if (colon == std::string_view::npos || colon == 0 ||
        !std::all_of(line.begin(), line.begin() + static_cast<std::ptrdiff_t>(colon), IsTokenChar)) {
      return Fail(400, "bad header field");
    }
    const std::string name = Lower(line.substr(0, colon));
    const std::string_view value = Trim(line.substr(colon + 1));
    if (name == "host") {
      request_.host = std::string(value);
    } else if (name == "last-event-id") {
      request_.lastEventId = std::string(value);
    } else if (name == "origin") {
      request_.origin = std::string(value);
    } else if (name == "content-length") {
      if (value.empty() || value.size() > 9 || value.find_first_not_of("0123456789") != std::string_view::npos) {
        return Fail(400, "bad Content-Length");
      }
      bodyLength_ = static_cast<std::size_t>(std::stoul(std::string(value)));
      if (bodyLength_ > kMaxBody) return Fail(413, "request body too large: " + std::to_string(kMaxBody) + " bytes at most");
    } else if (name == "transfer-encoding") {
      return Fail(400, "a body is taken with Content-Length only");
    }
  }
  headRead_ = true;
  request_.body = head_.substr(headLength, bodyLength_);
  head_.clear();
  return request_.body.size() == bodyLength_ ? State::Done : State::Incomplete;
}

std::string SitePath(std::string_view target, int& status) {
  status = 400;
  if (target.empty() || target.front() != '/') return {};
  target = target.substr(0, target.find_first_of("?#"));
  std::string path;
  for (std::size_t i = 0; i < target.size(); ++i) {
    char c = target[i];
    if (c == '%') {
      const int hi = i + 2 < target.size() ? HexDigit(target[i + 1]) : -1;
      const int lo = hi < 0 ? -1 : HexDigit(target[i + 2]);
      if (lo < 0) return {};
      c = static_cast<char>(hi * 16 + lo);
      i += 2;
    }
    if (c == '\0' || c == '\\') return {};
    path += c;
  }
  // Segment by segment: empty and "." segments are dropped, ".." is never followed.
  std::string out;
  std::size_t at = 1;
  while (at <= path.size()) {
    std::size_t next = path.find('/', at);
    if (next == std::string::npos) next = path.size();
    const std::string_view seg = std::string_view(path).substr(at, next - at);
    if (seg == "..") {
      status = 404;
      return {};
    }
    if (!seg.empty() && seg != ".") {
      if (!out.empty()) out += '/';
      out += seg;
    }
    at = next + 1;
  }
  if (out.empty() || path.back() == '/') out += out.empty() ? "index.html" : "/index.html";
  status = 200;
  return out;
}

bool IsAddressOrLocalhost(std::string_view host) {
  if (host.empty()) return true;
  std::string_view name = host;
  if (host.front() == '[') {
    const std::size_t close = host.find(']');
    if (close == std::string_view::npos) return false;
    name = host.substr(1, close - 1);
    const std::string_view after = host.substr(close + 1);
    if (!after.empty() && after.front() != ':') return false;
    return !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
      return std::isxdigit(static_cast<unsigned char>(c)) != 0 || c == ':' || c == '.';
    });
  }
  name = host.substr(0, host.find(':'));
  if (Lower(name) == "localhost") return true;
  // Dotted decimal: four groups of digits.
  int dots = 0;
  bool digit = false;
  for (char c : name) {
    if (c == '.') {
      if (!digit) return false;
      ++dots;
      digit = false;
    } else if (c >= '0' && c <= '9') {
      digit = true;
    } else {
      return false;
    }
  }
  return dots == 3 && digit;
}

std::int64_t ClubTarget(std::string_view target) {
  target = target.substr(0, target.find_first_of("?#"));
  constexpr std::string_view kStart = "/shots/", kEnd = "/club";
  if (target.size() <= kStart.size() + kEnd.size() || target.substr(0, kStart.size()) != kStart ||
      !EndsWith(target, kEnd)) {
    return 0;
  }
  const std::string_view id = target.substr(kStart.size(), target.size() - kStart.size() - kEnd.size());
  if (id.size() > 18 || id.front() == '0' || id.find_first_not_of("0123456789") != std::string_view::npos) return 0;
  return std::stoll(std::string(id));
}

bool IsOwnOrigin(const HttpRequest& request) {
  if (request.origin.empty()) return true;
  return !request.host.empty() && Lower(request.origin) == "http://" + Lower(request.host);
}

const char* ContentType(std::string_view name) {
  struct Type {
    const char* ending;
    const char* type;
  };
  static constexpr Type kTypes[] = {
      {".html", "text/html; charset=utf-8"},
      {".js", "text/javascript; charset=utf-8"},
      {".mjs", "text/javascript; charset=utf-8"},
      {".css", "text/css; charset=utf-8"},
      {".json", "application/json"},
      {".webmanifest", "application/manifest+json"},
      {".wasm", "application/wasm"},
      {".svg", "image/svg+xml"},
      {".png", "image/png"},
      {".ico", "image/x-icon"},
      {".woff2", "font/woff2"},
      {".woff", "font/woff"},
      {".ttf", "font/ttf"},
      {".txt", "text/plain; charset=utf-8"},
      {".csv", "text/csv; charset=utf-8"},
      {".map", "application/json"},
  };
  const std::string lower = Lower(name);
  for (const Type& t : kTypes) {
    if (EndsWith(lower, t.ending)) return t.type;
  }
  return "application/octet-stream";
}

}  // namespace vendrel::range
