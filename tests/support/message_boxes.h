#pragma once
// Message boxes answered at once: no test, benchmark or fuzzer may wait for a person.

#include <functional>
#include <string>
#include <vector>

#include "platform/msgbox.h"

namespace vendrel::test {

/// While it lives, every message box is answered with OK at once and its text kept.
/// One at a time: the platform's hook is a single function.
class MessageBoxes {
 public:
  MessageBoxes() {
    Texts().clear();
    WhileShown() = nullptr;
    AfxSetMessageBoxHook(&Answer);
  }
  ~MessageBoxes() {
    AfxSetMessageBoxHook(nullptr);
    WhileShown() = nullptr;
  }
  MessageBoxes(const MessageBoxes&) = delete;
  MessageBoxes& operator=(const MessageBoxes&) = delete;

  /// The texts shown so far, oldest first.
  static std::vector<std::string>& Texts() {
    static std::vector<std::string> texts;
    return texts;
  }
  /// Runs while a message shows, before it is answered: what happens under a modal box.
  static std::function<void()>& WhileShown() {
    static std::function<void()> action;
    return action;
  }

 private:
  static int Answer(const char* text, UINT) {
    Texts().emplace_back(text);
    if (WhileShown()) WhileShown()();
    return IDOK;
  }
};

}  // namespace vendrel::test
