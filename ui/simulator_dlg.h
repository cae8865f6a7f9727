#pragma once
// The main dialog: the parameter form, the run buttons and the trajectory view. It
// owns the form, the flight state and the view's flags, and drives the flight's run
// control over them.

#include <cstdint>

#include "flight/flight_records.h"
#include "flight/run_control.h"
#include "platform/afxwin.h"
#include "res/resource_ids.h"

class CSimulatorDlg : public CDialog {
 public:
  explicit CSimulatorDlg(CWnd* pParent = nullptr);

  enum { IDD = IDD_VENDREL_DIALOG };

  /// The id of the timer that drives a run.
  static constexpr UINT_PTR kRunTimer = 1;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnInitDialog() override;

  void OnSysCommand(UINT nID, LPARAM lParam);
  void OnPaint();
  HCURSOR OnQueryDragIcon();
  void OnCalculate();
  void OnTimer(UINT_PTR nIDEvent);
  void OnDefaults();
  void OnStop();
  void OnClearView();
  void OnKillFocusLaunchAngle();
  void OnKillFocusLaunchSpeed();
  void OnKillFocusSideSpin();
  void OnKillFocusBackSpin();
  void OnKillFocusK();
  void OnKillFocusKPrime();
  void OnKillFocusBallMass();
  void OnKillFocusTimeStep();

  DECLARE_MESSAGE_MAP()

 private:
  friend struct vendrel::test::TestAccess;

  // What the run control asks of the window.
  class Host final : public vendrel::FlightHost {
   public:
    explicit Host(CSimulatorDlg& dlg) : dlg_(dlg) {}
    void StartTimer() override;
    void KillTimer() override;
    void RequestRepaint() override;
    void ShowCarry() override;

   private:
    CSimulatorDlg& dlg_;
  };

  vendrel::FlightForm m_form;
  vendrel::FlightState m_state;
  std::int32_t drawMode = 0;      ///< kDrawModeRunStarted once a run has started
  std::int32_t clearPending = 0;  ///< 1: the next paint fills the drawing area
  HICON m_hIcon = nullptr;
  Host m_host{*this};
  vendrel::RunControl m_run{m_form, m_state, m_host};
};
