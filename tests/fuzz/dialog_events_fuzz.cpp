// The dialog fuzzer: each input is a sequence of user events (tests/fuzz/dialog_events.h)
// with every invariant checked after every event. One dialog serves every input and is
// put back into its starting state after each (a new dialog per input would leave a few
// dozen inputs a second).
//
// Qt does not paint the widgets here: that is Qt's own drawing, not the dialog's, and it
// took more than half of an input. The dialog's paint cycles, which draw the flight on
// its surface, run as in the window.
#include <QApplication>
#include <QWidget>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "res/program_resources.h"
#include "tests/fuzz/dialog_events.h"
#include "tests/support/dialog_reset.h"
#include "ui/simulator_dlg.h"

namespace {

// Never destroyed: Qt's own statics are gone by the time exit handlers would run.
CSimulatorDlg* g_dialog = nullptr;
vendrel::test::DialogReset* g_reset = nullptr;

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "dialog_events: %s\n", what);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  new QApplication(*argc, *argv);
  vendrel::res::Install();
  vendrel::fuzz::AnswerMessagesAtOnce();
  g_dialog = vendrel::fuzz::OpenDialog().release();
  if (g_dialog == nullptr) Fail("the dialog was not created");
  g_dialog->GetSafeHwnd()->setUpdatesEnabled(false);
  g_reset = new vendrel::test::DialogReset(*g_dialog);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using vendrel::fuzz::DialogEvents;
  DialogEvents events(*g_dialog);
  const std::uint8_t* p = data;
  const std::uint8_t* end = data + std::min(size, DialogEvents::kMaxBytes);
  while (p < end && events.open()) {
    events.Play(p, end);
    if (const char* broken = events.Check()) Fail(broken);
  }
  // Within the input, so that what it allocated is freed before libFuzzer counts.
  g_reset->Restore();
  return 0;
}
