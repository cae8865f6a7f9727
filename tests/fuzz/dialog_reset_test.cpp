// A dialog put back by DialogReset plays any sequence of user events as a new dialog
// does: after every event it is the same to every invariant the dialog fuzzer checks,
// and to everything else it holds or shows. The reused dialog has been through every
// sequence before (closed, minimised, mid-run, refused texts), so whatever one of them
// leaves behind and the reset misses shows up in a later one.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include <QWidget>
#include <QWindow>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "res/program_resources.h"
#include "tests/fuzz/dialog_events.h"
#include "tests/support/dialog_reset.h"
#include "tests/support/same_bits.h"
#include "tests/support/test_access.h"
#include "ui/simulator_dlg.h"

namespace vendrel::fuzz {
namespace {

using test::DialogReset;
using test::TestAccess;
using Bytes = std::vector<std::uint8_t>;

std::size_t Hash(const void* data, std::size_t size) {
  return std::hash<std::string_view>{}(std::string_view(static_cast<const char*>(data), size));
}

std::string Hex(double d) {
  char text[32];
  std::snprintf(text, sizeof text, "%a", d);
  return text;
}

// All a dialog holds and shows after an event, as one line.
std::string Describe(CSimulatorDlg& dlg, int messagesBefore) {
  std::string s = "timers=" + std::to_string(TestAccess::RunningTimerCount(dlg));
  s += " run=" + std::to_string(TestAccess::IsRunning(dlg));
  s += " paintPending=" + std::to_string(TestAccess::IsPaintPending(dlg));
  s += " messages=" + std::to_string(AfxMessageBoxCount() - messagesBefore);
  s += " drawMode=" + std::to_string(TestAccess::DrawMode(dlg));
  s += " clearPending=" + std::to_string(TestAccess::ClearPending(dlg));
  const FlightForm& form = TestAccess::Form(dlg);
  s += " form=";
  for (double FlightForm::*m : {&FlightForm::ballMass, &FlightForm::gravity, &FlightForm::k,
                                &FlightForm::sideSpin, &FlightForm::backSpin, &FlightForm::kPrime,
                                &FlightForm::launchAngle, &FlightForm::launchSpeed,
                                &FlightForm::timeStep, &FlightForm::carry}) {
    s += Hex(form.*m) + ",";
  }
  s += " state=" + test::Describe(TestAccess::State(dlg));
  QWidget* window = dlg.GetSafeHwnd();
  s += " visible=" + std::to_string(window->isVisible());
  s += " minimised=" + std::to_string(window->isMinimized());
  s += " active=" + std::to_string(QApplication::activeWindow() == window);
  s += " platformFocus=" +
       std::to_string(QGuiApplication::focusWindow() == window->windowHandle());
  QWidget* focus = QApplication::focusWidget();
  s += " focus=" + (focus ? focus->objectName() : QStringLiteral("none")).toStdString();
  for (QLineEdit* box : window->findChildren<QLineEdit*>()) {
    s += " [" + box->text().toStdString() + "|" + std::to_string(box->cursorPosition()) + "|" +
         std::to_string(box->selectionStart()) + "+" + std::to_string(box->selectedText().size()) +
         "|" + std::to_string(box->isModified()) + std::to_string(box->isUndoAvailable()) + "]";
  }
  const PixelBuffer& surface = dlg.Surface();
  s += " surface#" + std::to_string(Hash(surface.Bits(), surface.SizeInBytes()));
  // The paint screen is the window's look only while it is minimised.
  if (window->isMinimized()) {
    const PixelBuffer& screen = TestAccess::PaintScreen(dlg);
    s += " screen#" + std::to_string(Hash(screen.Bits(), screen.SizeInBytes()));
  }
  return s;
}

// Plays `input` on `dlg`: every event must keep the fuzzer's invariants, on a new
// dialog and on a put-back one alike.
std::vector<std::string> Play(CSimulatorDlg& dlg, const Bytes& input) {
  DialogEvents events(dlg);
  const int messagesBefore = AfxMessageBoxCount();
  std::vector<std::string> seen{Describe(dlg, messagesBefore)};  // where it starts
  const std::uint8_t* p = input.data();
  const std::uint8_t* end = p + std::min(input.size(), DialogEvents::kMaxBytes);
  while (p < end && events.open()) {
    events.Play(p, end);
    const char* broken = events.Check();
    EXPECT_EQ(broken, nullptr) << "event " << seen.size() << " broke: " << broken;
    seen.push_back(Describe(dlg, messagesBefore));
  }
  return seen;
}

// The seed corpus of the fuzzer, then sequences of random events of every length.
std::vector<std::pair<std::string, Bytes>> Sequences() {
  std::vector<std::pair<std::string, Bytes>> all;
  const QDir corpus(QStringLiteral(VENDREL_DIALOG_CORPUS));
  for (const QString& name : corpus.entryList(QDir::Files, QDir::Name)) {
    QFile file(corpus.filePath(name));
    if (!file.open(QIODevice::ReadOnly)) continue;
    const QByteArray data = file.readAll();
    all.emplace_back(name.toStdString(), Bytes(data.begin(), data.end()));
  }
  std::mt19937 random(13);
  for (int i = 0; i < 40; ++i) {
    Bytes input(std::uniform_int_distribution<std::size_t>(1, DialogEvents::kMaxBytes)(random));
    for (std::uint8_t& b : input) b = static_cast<std::uint8_t>(random());
    all.emplace_back("random " + std::to_string(i), std::move(input));
  }
  return all;
}

TEST(DialogReset, APutBackDialogPlaysEverySequenceAsANewOne) {
  res::Install();
  AnswerMessagesAtOnce();
  std::unique_ptr<CSimulatorDlg> reused = OpenDialog();
  ASSERT_NE(reused, nullptr);
  DialogReset reset(*reused);
  const auto sequences = Sequences();
  ASSERT_GE(sequences.size(), 41u) << "the seed corpus is missing";
  // The reused dialog plays them all first, as the fuzzer does: no other window comes
  // and goes in between to hand it back the activation that a sequence took away.
  std::vector<std::vector<std::string>> reusedSeen;
  for (const auto& sequence : sequences) {
    SCOPED_TRACE("put back, " + sequence.first);
    // Put back straight after the sequence before, with no event loop in between that
    // could end what it left running.
    reset.Restore();
    reusedSeen.push_back(Play(*reused, sequence.second));
  }
  for (std::size_t n = 0; n < sequences.size(); ++n) {
    SCOPED_TRACE("new, " + sequences[n].first);
    std::unique_ptr<CSimulatorDlg> dlg = OpenDialog();
    ASSERT_NE(dlg, nullptr);
    const std::vector<std::string> fresh = Play(*dlg, sequences[n].second);
    dlg.reset();
    const std::vector<std::string>& again = reusedSeen[n];
    ASSERT_EQ(again.size(), fresh.size());
    for (std::size_t i = 0; i < fresh.size(); ++i) {
      ASSERT_EQ(again[i], fresh[i]) << "after event " << i << " (0: before the first)";
    }
  }
}

}  // namespace
}  // namespace vendrel::fuzz
