#pragma once
// The range's HTTP side reads requests with this: a small, exact HTTP/1.1 request
// reader (request line, header fields and a small body of a known length), and the mapping of a request's
// path to a file of the site that can never leave the site. Plain C++.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vendrel::range {

struct HttpRequest {
  std::string method;
  std::string target;       ///< as sent: path and query
  std::string lastEventId;  ///< Last-Event-ID, or empty
  std::string host;         ///< Host, or empty
  std::string origin;       ///< Origin, or empty
  std::string body;         ///< Content-Length bytes of body, at most kMaxBody
};

class HttpRequestReader {
 public:
  /// A request head longer than this is refused (431).
  static constexpr std::size_t kMaxHead = 8 * 1024;
  /// A longer body is refused (413): the range takes nothing bigger than a club's name.
  static constexpr std::size_t kMaxBody = 256;

  enum class State { Incomplete, Done, Bad };

  /// Takes the next bytes. Done: `request()` is filled (bytes after the body are
  /// ignored: the range reads one request a connection). Bad: `status()` and `reason()`.
  State Feed(std::string_view bytes);

  const HttpRequest& request() const { return request_; }
  int status() const { return status_; }
  const std::string& reason() const { return reason_; }

 private:
  State Fail(int status, std::string reason);
  State Parse();

  std::string head_;
  bool headRead_ = false;
  std::size_t bodyLength_ = 0;  ///< Content-Length
  HttpRequest request_;
  State state_ = State::Incomplete;
  int status_ = 0;
  std::string reason_;
};

/// The path of a request target (query dropped), percent-decoded and checked: the
/// result is relative to the site, "index.html" for "/". Empty with `status` (400 or
/// 404) for a target that is not an origin-form path, is badly encoded, holds a NUL
/// byte or a backslash, or has a ".." segment once decoded.
std::string SitePath(std::string_view target, int& status);

/// True when a Host field names this machine by address or as "localhost" (a port may
/// follow), or is empty. A server on loopback answers no other name: a page elsewhere
/// that has its name pointed at 127.0.0.1 would otherwise read the history.
bool IsAddressOrLocalhost(std::string_view host);

/// The id of a shot whose club a target ("/shots/{id}/club", query dropped) names, or 0.
std::int64_t ClubTarget(std::string_view target);

/// Whether a request from a browser comes from a page of this server: an Origin field
/// that is absent (not a browser's cross-site request), or "http://" and the Host.
bool IsOwnOrigin(const HttpRequest& request);

/// The content type served for a file name.
const char* ContentType(std::string_view name);

}  // namespace vendrel::range
