#pragma once
// Cuts a connection's bytes into JSON objects. The protocol has no delimiter and no
// length prefix: objects come back to back, with or without whitespace between them,
// split anywhere across reads, several in one read. Only the object being read is
// kept, so a connection's memory is bounded by kMaxMessageBytes.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vendrel::range {

/// Longest object taken; a longer one is refused and ends the connection.
inline constexpr std::size_t kMaxMessageBytes = 64 * 1024;
/// Deepest nesting of objects and arrays taken.
inline constexpr int kMaxMessageDepth = 64;

struct StreamPiece {
  enum Kind {
    Object,    ///< `text` is one whole object, '{' to its '}'
    Refused,   ///< `text` is why what came is no object; the stream goes on
    Overflow,  ///< `text` is why; the stream is over
  } kind = Object;
  std::string text;
};

class MessageStream {
 public:
  /// Reads the next bytes and appends what they complete, in order.
  void Feed(std::string_view bytes, std::vector<StreamPiece>& out);

  /// True after an overflow: nothing more is read.
  bool over() const { return over_; }
  /// Bytes of an object not yet closed.
  std::size_t pending() const { return object_.size(); }

 private:
  enum class State { Between, Junk, InObject };
  State state_ = State::Between;
  std::string object_;
  std::string closers_;  ///< what closes each open object or array, innermost last
  std::size_t deepest_ = 0;
  bool inString_ = false;
  bool escaped_ = false;
  bool over_ = false;
};

}  // namespace vendrel::range
