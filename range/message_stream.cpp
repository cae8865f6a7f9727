#include "range/message_stream.h"

namespace vendrel::range {
namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

}  // namespace

void MessageStream::Feed(std::string_view bytes, std::vector<StreamPiece>& out) {
  for (std::size_t i = 0; i < bytes.size() && !over_; ++i) {
    const char c = bytes[i];
    if (state_ != State::InObject) {
      if (c == '{') {
        state_ = State::InObject;
        object_.assign(1, c);
        closers_.assign(1, '}');
        deepest_ = 1;
        inString_ = escaped_ = false;
      } else if (state_ == State::Between && !IsSpace(c)) {
        // One refusal for a run of anything else, up to the next object.
        state_ = State::Junk;
        out.push_back({StreamPiece::Refused, "not JSON: a message is a JSON object, from '{' to its '}'"});
      }
      continue;
    }
    // Inside an object: copy up to the next byte that matters.
    std::size_t end = i;
    if (inString_) {
      while (end < bytes.size() && (escaped_ || (bytes[end] != '"' && bytes[end] != '\\'))) {
        escaped_ = false;
        ++end;
      }
    } else {
      while (end < bytes.size() && bytes[end] != '"' && bytes[end] != '{' && bytes[end] != '[' &&
             bytes[end] != '}' && bytes[end] != ']') {
        ++end;
      }
    }
    const std::size_t take = end < bytes.size() ? end - i + 1 : end - i;
    if (object_.size() + take > kMaxMessageBytes) {
      over_ = true;
      object_.clear();
      object_.shrink_to_fit();
      out.push_back({StreamPiece::Overflow, std::string("message longer than ") + std::to_string(kMaxMessageBytes / 1024) +
                                                " KiB without closing; the connection is closed"});
      return;
    }
    object_.append(bytes.substr(i, take));
    i += take - 1;
    if (end == bytes.size()) break;
    const char m = bytes[end];
    if (inString_) {
      if (m == '\\') {
        escaped_ = true;
      } else {
        inString_ = false;
      }
      continue;
    }
    if (m == '"') {
      inString_ = true;
    } else if (m == '{' || m == '[') {
      closers_ += m == '{' ? '}' : ']';
      if (closers_.size() > deepest_) deepest_ = closers_.size();
    } else if (m != closers_.back()) {
      // It can never close: what follows up to the next object is part of the refusal,
      // not swallowed into this one.
      out.push_back({StreamPiece::Refused, std::string("not JSON: '") + m + "' where '" + closers_.back() + "' was expected"});
      state_ = State::Junk;
      object_.clear();
      closers_.clear();
    } else {
      closers_.pop_back();
      if (!closers_.empty()) continue;
      state_ = State::Between;
      if (deepest_ > static_cast<std::size_t>(kMaxMessageDepth)) {
        out.push_back({StreamPiece::Refused, std::string("message nested deeper than ") + std::to_string(kMaxMessageDepth) + " levels"});
      } else {
        out.push_back({StreamPiece::Object, std::move(object_)});
      }
      object_.clear();
    }
  }
}

}  // namespace vendrel::range
