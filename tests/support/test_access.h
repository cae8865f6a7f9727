#pragma once
// What tests, benchmarks and fuzzers see of windows and of the main dialog beyond their
// public face: the friend of CWnd, CDialog and CSimulatorDlg. The production classes
// keep no state for it; it only reads and drives what they hold anyway.

#include <QTimer>

#include <algorithm>
#include <cstdint>

#include "platform/afxwin.h"
#include "ui/simulator_dlg.h"

namespace vendrel::test {

struct TestAccess {
  // Windows.
  static bool IsPaintPending(const CWnd& w) { return w.m_paintPending; }
  static bool IsTimerRunning(const CWnd& w, UINT_PTR id) {
    const auto it = w.m_timers.find(id);
    return it != w.m_timers.end() && it->second->isActive();
  }
  static int RunningTimerCount(const CWnd& w) {
    return static_cast<int>(std::count_if(w.m_timers.begin(), w.m_timers.end(),
                                          [](const auto& t) { return t.second->isActive(); }));
  }
  /// Device contexts handed out by GetDC and not yet released.
  static int OutstandingDCs(const CWnd& w) { return static_cast<int>(w.m_dcs.size()); }
  /// What the message loop does for a pending paint, when one is pending.
  static void DispatchPendingPaint(CWnd& w) { w.DispatchPendingPaint(); }
  /// What a tick of the timer does: the pending paint first, then WM_TIMER.
  static void DispatchTimer(CWnd& w, UINT_PTR id) { w.DispatchTimer(id); }
  /// What the last paint cycle drew through its CPaintDC; null before the first.
  static PixelBuffer& PaintScreen(CWnd& w) { return w.m_paintScreen; }
  /// The dialog is closing (EndDialog ran) and drops the focus moves of its boxes.
  static bool IsEnding(const CDialog& d) { return d.m_ending; }

  // What putting a used window back needs (DialogReset).
  static PixelBuffer& Surface(CWnd& w) { return w.m_surface; }
  /// What released device contexts changed and no paint cycle has shown yet.
  static CRect& ChangedArea(CWnd& w) { return w.m_changedArea; }
  static void StopTimers(CWnd& w) {
    for (auto& [id, timer] : w.m_timers) timer->stop();
  }
  /// Focus moves while guarded are not the user's: no kill-focus exchange.
  static void BeginFocusGuard(CWnd& w) { w.BeginFocusGuard(); }
  static void EndFocusGuard(CWnd& w) { w.EndFocusGuard(); }
  /// A dialog that EndDialog hid may run again.
  static void Unend(CDialog& d) {
    d.m_ending = false;
    d.m_result = -1;
  }

  // The main dialog: its whole state, writable, so a fuzzer can reuse one dialog.
  static FlightForm& Form(CSimulatorDlg& d) { return d.m_form; }
  static FlightState& State(CSimulatorDlg& d) { return d.m_state; }
  static std::int32_t& DrawMode(CSimulatorDlg& d) { return d.drawMode; }
  static std::int32_t& ClearPending(CSimulatorDlg& d) { return d.clearPending; }
  static RunControl& Run(CSimulatorDlg& d) { return d.m_run; }
  static HICON Icon(const CSimulatorDlg& d) { return d.m_hIcon; }
  /// One tick of the run timer, as the timer gives it (a pending paint goes first).
  static void Tick(CSimulatorDlg& d) { DispatchTimer(d, CSimulatorDlg::kRunTimer); }
  /// The paint the message loop would dispatch now, if one is pending.
  static void Paint(CSimulatorDlg& d) { DispatchPendingPaint(d); }
  static bool IsRunning(const CSimulatorDlg& d) {
    return IsTimerRunning(d, CSimulatorDlg::kRunTimer);
  }
};

}  // namespace vendrel::test
