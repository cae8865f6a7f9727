#include "ui/simulator_dlg.h"

#include "ui/about_dlg.h"
#include "flight/parameters.h"
#include "ui/trajectory_view.h"

using vendrel::FlightForm;
using vendrel::ParameterFor;

BEGIN_MESSAGE_MAP(CSimulatorDlg, CDialog)
  ON_WM_SYSCOMMAND()
  ON_WM_PAINT()
  ON_WM_QUERYDRAGICON()
  ON_BN_CLICKED(IDC_CALCULATE, OnCalculate)
  ON_WM_TIMER()
  ON_BN_CLICKED(IDC_DEFAULT, OnDefaults)
  ON_BN_CLICKED(IDC_STOP, OnStop)
  ON_BN_CLICKED(IDC_CLEAR_VIEW, OnClearView)
  ON_EN_KILLFOCUS(IDC_LAUNCH_ANGLE, OnKillFocusLaunchAngle)
  ON_EN_KILLFOCUS(IDC_LAUNCH_SPEED, OnKillFocusLaunchSpeed)
  ON_EN_KILLFOCUS(IDC_SIDE_SPIN, OnKillFocusSideSpin)
  ON_EN_KILLFOCUS(IDC_BACK_SPIN, OnKillFocusBackSpin)
  ON_EN_KILLFOCUS(IDC_K, OnKillFocusK)
  ON_EN_KILLFOCUS(IDC_K_PRIME, OnKillFocusKPrime)
  ON_EN_KILLFOCUS(IDC_BALL_MASS, OnKillFocusBallMass)
  ON_EN_KILLFOCUS(IDC_TIME_STEP, OnKillFocusTimeStep)
END_MESSAGE_MAP()

CSimulatorDlg::CSimulatorDlg(CWnd* pParent) : CDialog(IDD, pParent) {
  m_hIcon = AfxLoadIcon(IDR_MAINFRAME);
}

void CSimulatorDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  // The nine parameters with their ranges, in this fixed order; the carry unchecked.
  const auto exchange = [pDX](int id, double& value, double FlightForm::*member) {
    const vendrel::Parameter& field = ParameterFor(member);
    DDX_Text(pDX, id, value);
    DDV_MinMaxDouble(pDX, value, field.min, field.max);
  };
  exchange(IDC_BALL_MASS, m_form.ballMass, &FlightForm::ballMass);
  exchange(IDC_GRAVITY, m_form.gravity, &FlightForm::gravity);
  exchange(IDC_K, m_form.k, &FlightForm::k);
  exchange(IDC_SIDE_SPIN, m_form.sideSpin, &FlightForm::sideSpin);
  exchange(IDC_BACK_SPIN, m_form.backSpin, &FlightForm::backSpin);
  exchange(IDC_K_PRIME, m_form.kPrime, &FlightForm::kPrime);
  exchange(IDC_LAUNCH_ANGLE, m_form.launchAngle, &FlightForm::launchAngle);
  exchange(IDC_LAUNCH_SPEED, m_form.launchSpeed, &FlightForm::launchSpeed);
  exchange(IDC_TIME_STEP, m_form.timeStep, &FlightForm::timeStep);
  DDX_Text(pDX, IDC_CARRY, m_form.carry);
}

BOOL CSimulatorDlg::OnInitDialog() {
  CDialog::OnInitDialog();

  // The about item, after a separator, at the end of the system menu.
  if (CMenu* pSysMenu = GetSystemMenu(FALSE); pSysMenu != nullptr) {
    CString strAboutMenu;
    strAboutMenu.LoadString(IDS_ABOUTBOX);
    if (!strAboutMenu.IsEmpty()) {
      pSysMenu->AppendMenu(MF_SEPARATOR);
      pSysMenu->AppendMenu(MF_STRING, IDM_ABOUTBOX, strAboutMenu);
    }
  }
  SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
  SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));

  vendrel::LoadDefaults(m_form);
  UpdateData(FALSE);
  return TRUE;  // the focus goes to the first tab stop, 計算
}

void CSimulatorDlg::OnSysCommand(UINT nID, LPARAM lParam) {
  if ((nID & 0xFFF0) == IDM_ABOUTBOX) {
    CAboutDlg dlgAbout;
    dlgAbout.DoModal();
  } else {
    CDialog::OnSysCommand(nID, lParam);
  }
}

void CSimulatorDlg::OnPaint() {
  // The view draws through a device context of the window, before the paint cycle,
  // so its lines are not limited to the update region and nothing erases them.
  CDC* pDC = GetDC();
  if (drawMode == vendrel::kDrawModeRunStarted) {
    vendrel::view::DrawRunStep(*pDC, m_state.pos, m_state.posNext);
  }
  if (clearPending == 1) {
    CDC* pClearDC = GetDC();
    vendrel::view::FillClear(*pClearDC);
    ReleaseDC(pClearDC);
    clearPending = 0;
  }
  ReleaseDC(pDC);

  if (IsIconic()) {
    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, dc.GetSafeHdc(), 0);
    const int cxIcon = GetSystemMetrics(SM_CXICON);
    const int cyIcon = GetSystemMetrics(SM_CYICON);
    CRect rect;
    GetClientRect(&rect);
    const int x = (rect.Width() - cxIcon + 1) / 2;
    const int y = (rect.Height() - cyIcon + 1) / 2;
    dc.DrawIcon(x, y, m_hIcon);
  } else {
    CDialog::OnPaint();
  }
}

HCURSOR CSimulatorDlg::OnQueryDragIcon() { return m_hIcon; }

void CSimulatorDlg::OnCalculate() {
  // A refused value starts nothing: no run, no restart, the view flag as it was.
  if (!UpdateData(TRUE)) return;
  drawMode = vendrel::kDrawModeRunStarted;
  m_run.CalculateFromForm();
}

void CSimulatorDlg::OnTimer(UINT_PTR nIDEvent) {
  m_run.Tick();
  CDialog::OnTimer(nIDEvent);
}

void CSimulatorDlg::OnDefaults() {
  vendrel::LoadDefaults(m_form);
  UpdateData(FALSE);
}

void CSimulatorDlg::OnStop() { m_run.Stop(); }

void CSimulatorDlg::OnClearView() {
  clearPending = 1;
  InvalidateRect(nullptr, FALSE);
}

// Each commit copies its one field once the whole form has passed; a refused value
// copies nothing.
void CSimulatorDlg::OnKillFocusLaunchAngle() {
  if (UpdateData(TRUE)) m_run.CommitLaunch();
}
void CSimulatorDlg::OnKillFocusLaunchSpeed() {
  if (UpdateData(TRUE)) m_run.CommitLaunch();
}
void CSimulatorDlg::OnKillFocusSideSpin() {
  if (UpdateData(TRUE)) m_run.CommitSideSpin();
}
void CSimulatorDlg::OnKillFocusBackSpin() {
  if (UpdateData(TRUE)) m_run.CommitBackSpin();
}
void CSimulatorDlg::OnKillFocusK() {
  if (UpdateData(TRUE)) m_run.CommitLiftCoef();
}
void CSimulatorDlg::OnKillFocusKPrime() {
  if (UpdateData(TRUE)) m_run.CommitDragCoef();
}
void CSimulatorDlg::OnKillFocusBallMass() {
  if (UpdateData(TRUE)) m_run.CommitMass();
}
void CSimulatorDlg::OnKillFocusTimeStep() {
  if (UpdateData(TRUE)) m_run.CommitTimeStep();
}

void CSimulatorDlg::Host::StartTimer() { dlg_.SetTimer(kRunTimer, 1, nullptr); }
void CSimulatorDlg::Host::KillTimer() { dlg_.CWnd::KillTimer(kRunTimer); }
void CSimulatorDlg::Host::RequestRepaint() { dlg_.InvalidateRect(nullptr, FALSE); }
void CSimulatorDlg::Host::ShowCarry() {
  // Only the carry box: whatever the user is typing in the others stays.
  CDataExchange dx(&dlg_, FALSE);
  DDX_Text(&dx, IDC_CARRY, dlg_.m_form.carry);
}
