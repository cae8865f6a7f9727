#pragma once
// A string as the dialog code uses it: UTF-8 text that can be loaded from the string
// table of the installed resource module.

#include <string>

#include "platform/messages.h"

class CString {
 public:
  CString() = default;
  CString(const char* text) : text_(text ? text : "") {}  // NOLINT: implicit, as the framework's
  CString(std::string text) : text_(std::move(text)) {}   // NOLINT

  /// Loads string `id` of the resource module; FALSE (and empty) when there is none.
  BOOL LoadString(UINT id);
  BOOL IsEmpty() const { return text_.empty(); }
  int GetLength() const { return static_cast<int>(text_.size()); }
  const char* GetString() const { return text_.c_str(); }
  operator const char*() const { return text_.c_str(); }  // NOLINT
  const std::string& str() const { return text_; }

  friend bool operator==(const CString&, const CString&) = default;

 private:
  std::string text_;
};
