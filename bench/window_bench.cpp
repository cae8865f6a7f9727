// The window, by default under the offscreen platform: how many of the 1,000 ticks a
// second the 1 ms timer asks for it serves, and what a tick costs early and late in a
// long flight.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>

#include <unistd.h>

#include <chrono>
#include <cstdio>

#include "platform/afxwin.h"
#include "res/program_resources.h"
#include "tests/support/test_access.h"
#include "ui/simulator_dlg.h"

namespace {

using vendrel::test::TestAccess;

int AnswerAtOnce(const char*, UINT) { return IDOK; }

long ResidentKiB() {
  long pages = 0, resident = 0;
  std::FILE* f = std::fopen("/proc/self/statm", "r");
  if (f) {
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
  }
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

void Click(CSimulatorDlg& dlg, int id) { dlg.SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

bool RunEnded(const CSimulatorDlg& dlg) {
  return !TestAccess::IsRunning(dlg) && !TestAccess::IsPaintPending(dlg);
}

// A default flight on the real 1 ms timer, from 計算 to the landing.
void BM_WindowRealTimer(benchmark::State& state) {
  CSimulatorDlg dlg;
  dlg.Create();
  QCoreApplication::processEvents();
  double ticksPerSecond = 0;
  for (auto _ : state) {
    QElapsedTimer clock;
    clock.start();
    Click(dlg, IDC_CALCULATE);
    while (!RunEnded(dlg)) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    const double seconds = static_cast<double>(clock.nsecsElapsed()) * 1e-9;
    state.SetIterationTime(seconds);
    ticksPerSecond = 332.0 / seconds;
  }
  state.counters["ticks_per_s"] = ticksPerSecond;
  state.counters["carry"] = TestAccess::Form(dlg).carry;
  dlg.DestroyWindow();
}
BENCHMARK(BM_WindowRealTimer)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

// 100,000 ticks of the default flight at the smallest time step, each tick and its
// paint dispatched straight through the dialog's handlers, then the rest of the
// pending events, so the figure is what a tick costs the window without the timer.
void BM_WindowDrivenTicks(benchmark::State& state) {
  constexpr int kTicks = 100000;
  constexpr int kTenth = kTicks / 10;
  for (auto _ : state) {
    CSimulatorDlg dlg;
    dlg.Create();
    QCoreApplication::processEvents();
    qobject_cast<QLineEdit*>(dlg.GetDlgItem(IDC_TIME_STEP))->setText("0.00001");
    Click(dlg, IDC_CALCULATE);
    dlg.KillTimer(CSimulatorDlg::kRunTimer);  // the benchmark gives the ticks
    const long before = ResidentKiB();
    double first = 0, last = 0;
    long afterFirstTenth = 0;
    for (int i = 0; i < kTicks; ++i) {
      const auto t0 = std::chrono::steady_clock::now();
      TestAccess::Tick(dlg);
      TestAccess::Paint(dlg);
      // What else the loop would do between ticks (showing the surface), without waiting.
      QCoreApplication::processEvents();
      const double ns = std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - t0).count();
      if (i < kTenth) first += ns;
      if (i >= kTicks - kTenth) last += ns;
      if (i == kTenth) afterFirstTenth = ResidentKiB();
    }
    const long after = ResidentKiB();
    state.counters["first_tenth_us_per_tick"] = first / kTenth / 1000.0;
    state.counters["last_tenth_us_per_tick"] = last / kTenth / 1000.0;
    state.counters["rss_before_KiB"] = static_cast<double>(before);
    state.counters["rss_after_KiB"] = static_cast<double>(after);
    state.counters["rss_tenth_KiB"] = static_cast<double>(afterFirstTenth);
    state.counters["height_m"] = TestAccess::State(dlg).pos[3];
    dlg.DestroyWindow();
  }
}
BENCHMARK(BM_WindowDrivenTicks)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  // Offscreen unless told otherwise (QT_QPA_PLATFORM=xcb under Xvfb gives a real window).
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  vendrel::res::Install();
  AfxSetMessageBoxHook(&AnswerAtOnce);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
