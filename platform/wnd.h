#pragma once
// Windows: a CWnd is a Qt widget with a message procedure in front of it. Qt's events
// become window messages that go through the class's message map; what no handler
// takes gets the default processing. Each window draws on a persistent surface the
// size of its client area, which its widget only shows: nothing drawn on it is lost
// when the window is covered, minimised or restored.

#include <map>
#include <memory>
#include <vector>

#include "platform/cstring.h"
#include "platform/gdi.h"
#include "platform/menu.h"
#include "platform/message_map.h"
#include "platform/resource_module.h"

class QPoint;
class QTimer;
class QWidget;
class CDataExchange;
namespace afx {
class DialogWidget;
}
namespace vendrel::test {
struct TestAccess;  // the tests' and benchmarks' view of the private state
}

struct CSize {
  int cx = 0;
  int cy = 0;
  friend bool operator==(const CSize&, const CSize&) = default;
};

using TIMERPROC = void (*)(QWidget*, UINT, UINT_PTR, DWORD);

class CWnd : public CCmdTarget {
 public:
  CWnd();
  ~CWnd() override;

  /// The window's widget; nullptr while the window does not exist.
  QWidget* GetSafeHwnd() const { return m_hWnd; }
  /// The child control with this id, or nullptr.
  QWidget* GetDlgItem(int nID) const;

  /// Runs the message through the window's message procedure at once.
  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
  /// The default processing of the message being handled.
  LRESULT Default();

  /// TRUE: reads and validates every bound control into its member (the exchange stops
  /// at the first refused control and returns FALSE); FALSE: shows every member.
  BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

  /// Starts timer `nIDEvent`, or restarts it when it runs (one timer, period anew).
  /// Its ticks arrive as WM_TIMER; a tick waits while a paint is pending.
  UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC lpfnTimer = nullptr);
  /// FALSE when no such timer runs.
  BOOL KillTimer(UINT_PTR nIDEvent);

  /// Marks the client area for painting; the paint comes later from the message loop,
  /// once however many requests came before it.
  void InvalidateRect(const CRect* lpRect, BOOL bErase = TRUE);
  void Invalidate(BOOL bErase = TRUE) { InvalidateRect(nullptr, bErase); }
  /// Clears the pending paint.
  void ValidateRect(const CRect* lpRect);

  /// A device context on the window's surface, not limited to any update region.
  CDC* GetDC();
  int ReleaseDC(CDC* pDC);
  void GetClientRect(CRect* lpRect) const;
  BOOL IsIconic() const;
  /// The window's own system menu (restore, minimise, close and what the program adds).
  CMenu* GetSystemMenu(BOOL bRevert);
  BOOL ShowWindow(int nCmdShow);
  BOOL DestroyWindow();
  CString GetDlgItemText(int nID) const;
  void SetDlgItemText(int nID, const char* text);
  HICON GetIcon(BOOL bBigIcon) const { return bBigIcon ? m_bigIcon : m_smallIcon; }

  /// Opens the system menu as a popup at a global position; the chosen item arrives
  /// as WM_SYSCOMMAND.
  void TrackSystemMenu(const QPoint& globalPos);

  /// The persistent surface the window draws on and its widget shows.
  const PixelBuffer& Surface() const { return m_surface; }

 protected:
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  /// WM_COMMAND: the command goes to OnCmdMsg; FALSE when nobody took it.
  virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
  virtual void DoDataExchange(CDataExchange* pDX);

  // The framework's own handlers, which hand the message to the default processing.
  void OnPaint();
  void OnTimer(UINT_PTR nIDEvent);
  void OnSysCommand(UINT nID, LPARAM lParam);
  HCURSOR OnQueryDragIcon();

  /// Makes the widget this window's; the surface takes the client size.
  void Attach(QWidget* widget, int clientWidth, int clientHeight);
  void RegisterControl(int nID, QWidget* control);

  /// While positive, kill-focus notifications of the controls are dropped: a
  /// validation message and the return of the focus to the refused control move the
  /// focus without being a user's action.
  void BeginFocusGuard() { ++m_focusGuard; }
  void EndFocusGuard() { --m_focusGuard; }
  bool FocusGuarded() const { return m_focusGuard > 0; }

  QWidget* m_hWnd = nullptr;
  PixelBuffer m_surface;
  CRect m_changedArea;  ///< what the released device contexts changed on the surface

  DECLARE_MESSAGE_MAP()

 private:
  friend class CDataExchange;
  friend class CPaintDC;
  friend class afx::DialogWidget;
  friend struct vendrel::test::TestAccess;

  struct CurrentMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
  };
  void ResetSystemMenu();
  /// What the message loop does for a pending paint: WM_PAINT, when one is pending.
  void DispatchPendingPaint();
  /// What a tick of timer `nIDEvent` does: the pending paint first, then WM_TIMER.
  void DispatchTimer(UINT_PTR nIDEvent);

  std::vector<CurrentMessage> m_messages;
  std::map<int, QWidget*> m_controls;
  std::map<UINT_PTR, std::unique_ptr<QTimer>> m_timers;
  bool m_paintPending = false;
  int m_focusGuard = 0;
  CMenu m_sysMenu;
  HICON m_bigIcon = nullptr;
  HICON m_smallIcon = nullptr;
  /// The contexts GetDC handed out and ReleaseDC has not taken back; the window owns
  /// them, so a context released twice or by another window is refused, not freed.
  std::vector<std::unique_ptr<CDC>> m_dcs;
  /// What the paint cycles drew through their CPaintDC: the window's look while it is
  /// minimised (the icon on its background), kept from one cycle to the next.
  PixelBuffer m_paintScreen;
};

/// A device context for a paint cycle: begins it (validating the pending paint) and
/// draws on the window's paint screen, at the client size, so nothing drawn through it
/// reaches the window's surface.
class CPaintDC : public CDC {
 public:
  explicit CPaintDC(CWnd* pWnd);
  /// Draws the icon at its large size (32 × 32) with its corner at (x, y).
  BOOL DrawIcon(int x, int y, HICON hIcon);
  WPARAM GetSafeHdc() { return reinterpret_cast<WPARAM>(static_cast<CDC*>(this)); }
};

/// 32 × 32 for SM_CXICON / SM_CYICON, 16 × 16 for the small icon.
int GetSystemMetrics(int nIndex);
