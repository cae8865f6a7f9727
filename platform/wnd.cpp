#include "platform/wnd.h"

#include <QCoreApplication>
#include <QIcon>
#include <QLineEdit>
#include <QMenu>
#include <QPoint>
#include <QTimer>
#include <QWidget>
#include <algorithm>

#include "platform/data_exchange.h"
#include "platform/dialog_widget.h"
#include "platform/qt_surface.h"

namespace {

// The system menu's own items, in the platform's words.
constexpr char kRestoreText[] = "元のサイズに戻す";
constexpr char kMinimizeText[] = "最小化";
constexpr char kCloseText[] = "閉じる";

}  // namespace

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
END_MESSAGE_MAP()

CWnd::CWnd() = default;

CWnd::~CWnd() { DestroyWindow(); }

QWidget* CWnd::GetDlgItem(int nID) const {
  const auto it = m_controls.find(nID);
  return it == m_controls.end() ? nullptr : it->second;
}

void CWnd::Attach(QWidget* widget, int clientWidth, int clientHeight) {
  m_hWnd = widget;
  m_surface = MakeSurface(clientWidth, clientHeight);
  m_paintPending = false;
  m_controls.clear();
  ResetSystemMenu();
}

void CWnd::RegisterControl(int nID, QWidget* control) {
  if (nID != IDC_STATIC) m_controls[nID] = control;
}

void CWnd::ResetSystemMenu() {
  m_sysMenu.RemoveAll();
  m_sysMenu.AppendMenu(MF_STRING, SC_RESTORE, kRestoreText);
  m_sysMenu.AppendMenu(MF_STRING, SC_MINIMIZE, kMinimizeText);
  m_sysMenu.AppendMenu(MF_SEPARATOR);
  m_sysMenu.AppendMenu(MF_STRING, SC_CLOSE, kCloseText);
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (m_hWnd == nullptr) return 0;  // no window, nobody to take the message
  return WindowProc(message, wParam, lParam);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  // The message being handled, for Default(); popped however the handler leaves.
  m_messages.push_back({message, wParam, lParam});
  struct Pop {
    std::vector<CurrentMessage>& stack;
    ~Pop() { stack.pop_back(); }
  } pop{m_messages};
  if (message == WM_COMMAND) {
    if (OnCommand(wParam, lParam)) return 0;
    return DefWindowProc(message, wParam, lParam);
  }
  if (const AFX_MSGMAP_ENTRY* e = FindMessageEntry(message, 0, 0)) {
    return e->pfn(this, wParam, lParam);
  }
  return DefWindowProc(message, wParam, lParam);
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
  return OnCmdMsg(LOWORD(wParam), HIWORD(wParam), lParam);
}

LRESULT CWnd::Default() {
  if (m_messages.empty()) return 0;
  const CurrentMessage m = m_messages.back();
  return DefWindowProc(m.message, m.wParam, m.lParam);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      // Begins and ends a paint cycle: the window is valid again, and the widget
      // shows what the surface now holds.
      // Only what the drawing changed is shown again: a paint that redraws lines
      // over themselves costs the screen nothing.
      ValidateRect(nullptr);
      if (m_hWnd != nullptr && !m_changedArea.IsRectEmpty()) {
        m_hWnd->update(ToQRect(m_changedArea));
      }
      m_changedArea = CRect();
      return 0;
    case WM_SYSCOMMAND:
      switch (wParam & 0xFFF0) {
        case SC_MINIMIZE: ShowWindow(SW_SHOWMINIMIZED); break;
        case SC_RESTORE: ShowWindow(SW_RESTORE); break;
        case SC_CLOSE: SendMessage(WM_CLOSE); break;
        case SC_KEYMENU:
          if (m_hWnd != nullptr) TrackSystemMenu(m_hWnd->mapToGlobal(QPoint(0, 0)));
          break;
        default: break;
      }
      return 0;
    case WM_CONTEXTMENU:
      TrackSystemMenu(QPoint(static_cast<short>(LOWORD(static_cast<WPARAM>(lParam))),
                             static_cast<short>(HIWORD(static_cast<WPARAM>(lParam)))));
      return 0;
    case WM_CLOSE:
      DestroyWindow();
      return 0;
    case WM_SETICON: {
      const auto icon = reinterpret_cast<HICON>(lParam);
      HICON& slot = wParam == ICON_BIG ? m_bigIcon : m_smallIcon;
      const HICON previous = slot;
      slot = icon;
      if (m_hWnd != nullptr) {
        QIcon shown;
        if (m_bigIcon != nullptr) shown.addPixmap(m_bigIcon->pixmap(32, 32));
        if (m_smallIcon != nullptr) shown.addPixmap(m_smallIcon->pixmap(16, 16));
        m_hWnd->setWindowIcon(shown);
      }
      return reinterpret_cast<LRESULT>(previous);
    }
    case WM_ICONERASEBKGND: {
      auto* dc = reinterpret_cast<CDC*>(wParam);
      if (dc != nullptr && dc->surface() != nullptr && !dc->surface()->IsNull()) {
        dc->FillSolidRect(0, 0, dc->surface()->Width(), dc->surface()->Height(), kFaceColour);
      }
      return 1;
    }
    default:
      return 0;
  }
}

void CWnd::DoDataExchange(CDataExchange*) {}

void CWnd::OnPaint() { Default(); }
void CWnd::OnTimer(UINT_PTR) { Default(); }
void CWnd::OnSysCommand(UINT, LPARAM) { Default(); }
HCURSOR CWnd::OnQueryDragIcon() { return reinterpret_cast<HCURSOR>(Default()); }

BOOL CWnd::UpdateData(BOOL bSaveAndValidate) {
  if (m_hWnd == nullptr) return FALSE;
  CDataExchange dx(this, bSaveAndValidate);
  DoDataExchange(&dx);
  if (dx.Failed()) return FALSE;
  dx.CommitPending();
  return TRUE;
}

UINT_PTR CWnd::SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC) {
  if (m_hWnd == nullptr) return 0;
  std::unique_ptr<QTimer>& timer = m_timers[nIDEvent];
  if (!timer) {
    timer = std::make_unique<QTimer>();
    timer->setTimerType(Qt::PreciseTimer);
    QObject::connect(timer.get(), &QTimer::timeout, timer.get(),
                     [this, nIDEvent] { DispatchTimer(nIDEvent); });
  }
  // Starting a running timer restarts it: still one timer, its period begins anew.
  timer->start(static_cast<int>(std::max<UINT>(nElapse, 1)));
  return nIDEvent;
}

BOOL CWnd::KillTimer(UINT_PTR nIDEvent) {
  const auto it = m_timers.find(nIDEvent);
  if (it == m_timers.end() || !it->second->isActive()) return FALSE;
  it->second->stop();
  return TRUE;
}

void CWnd::DispatchTimer(UINT_PTR nIDEvent) {
  if (m_hWnd == nullptr) return;
  // A pending paint goes ahead of the tick, as the platform delivers WM_PAINT before
  // WM_TIMER: a drawing that shows only the newest step relies on it.
  if (m_paintPending) DispatchPendingPaint();
  if (m_hWnd == nullptr) return;
  SendMessage(WM_TIMER, nIDEvent, 0);
}

void CWnd::InvalidateRect(const CRect*, BOOL) {
  if (m_hWnd == nullptr || m_paintPending) return;
  m_paintPending = true;
  QCoreApplication::postEvent(m_hWnd, new QEvent(afx::DialogWidget::PaintRequestEvent()));
}

void CWnd::ValidateRect(const CRect*) { m_paintPending = false; }

void CWnd::DispatchPendingPaint() {
  if (m_hWnd == nullptr || !m_paintPending) return;
  SendMessage(WM_PAINT);
}

CDC* CWnd::GetDC() {
  m_dcs.push_back(std::make_unique<CDC>(&m_surface));
  return m_dcs.back().get();
}

int CWnd::ReleaseDC(CDC* pDC) {
  const auto it = std::find_if(m_dcs.begin(), m_dcs.end(),
                               [pDC](const std::unique_ptr<CDC>& dc) { return dc.get() == pDC; });
  if (it == m_dcs.end()) return 0;
  m_changedArea |= pDC->ChangedRect();
  m_dcs.erase(it);
  return 1;
}

void CWnd::GetClientRect(CRect* lpRect) const {
  if (lpRect == nullptr) return;
  if (m_hWnd != nullptr) {
    *lpRect = {0, 0, m_hWnd->width(), m_hWnd->height()};
  } else {
    *lpRect = {};
  }
}

BOOL CWnd::IsIconic() const {
  return m_hWnd != nullptr && m_hWnd->isMinimized();
}

CMenu* CWnd::GetSystemMenu(BOOL bRevert) {
  if (m_hWnd == nullptr) return nullptr;
  if (bRevert) {
    ResetSystemMenu();
    return nullptr;
  }
  return &m_sysMenu;
}

void CWnd::TrackSystemMenu(const QPoint& globalPos) {
  if (m_hWnd == nullptr) return;
  const bool iconic = IsIconic();
  m_sysMenu.EnableMenuItem(SC_RESTORE, iconic ? 0 : MF_GRAYED);
  m_sysMenu.EnableMenuItem(SC_MINIMIZE, iconic ? MF_GRAYED : 0);

  QMenu menu(m_hWnd);
  menu.setFont(m_hWnd->font());
  for (const CMenu::Item& item : m_sysMenu.Items()) {
    if (item.flags & MF_SEPARATOR) {
      menu.addSeparator();
      continue;
    }
    QAction* action = menu.addAction(QString::fromStdString(item.text));
    action->setData(item.id);
    action->setEnabled(!(item.flags & MF_GRAYED));
  }
  QAction* chosen = nullptr;
  QObject::connect(&menu, &QMenu::triggered, &menu, [&chosen](QAction* a) { chosen = a; });
  menu.exec(globalPos);
  if (chosen != nullptr && m_hWnd != nullptr) {
    SendMessage(WM_SYSCOMMAND, chosen->data().toUInt(), MAKELPARAM(globalPos.x(), globalPos.y()));
  }
}

BOOL CWnd::ShowWindow(int nCmdShow) {
  if (m_hWnd == nullptr) return FALSE;
  const BOOL wasVisible = m_hWnd->isVisible();
  switch (nCmdShow) {
    case SW_HIDE: m_hWnd->hide(); break;
    case SW_SHOWMINIMIZED: m_hWnd->showMinimized(); break;
    case SW_RESTORE: m_hWnd->showNormal(); break;
    default: m_hWnd->show(); break;
  }
  return wasVisible;
}

BOOL CWnd::DestroyWindow() {
  // Timers end with the window: no tick reaches a window that is gone.
  for (auto& [id, timer] : m_timers) {
    timer->stop();
    timer.release()->deleteLater();  // it may be the one whose tick is running
  }
  m_timers.clear();
  if (m_hWnd == nullptr) return FALSE;
  QWidget* widget = m_hWnd;
  m_hWnd = nullptr;
  m_controls.clear();
  m_paintPending = false;
  if (auto* dialog = dynamic_cast<afx::DialogWidget*>(widget)) dialog->Detach();
  delete widget;
  return TRUE;
}

CString CWnd::GetDlgItemText(int nID) const {
  if (auto* edit = qobject_cast<QLineEdit*>(GetDlgItem(nID))) return edit->text().toStdString();
  if (QWidget* w = GetDlgItem(nID)) {
    const QVariant text = w->property("text");
    if (text.isValid()) return text.toString().toStdString();
  }
  return {};
}

void CWnd::SetDlgItemText(int nID, const char* text) {
  if (QWidget* w = GetDlgItem(nID)) w->setProperty("text", QString::fromUtf8(text));
}

CPaintDC::CPaintDC(CWnd* pWnd) : CDC(&pWnd->m_paintScreen) {
  CRect rect;
  pWnd->GetClientRect(&rect);
  const int width = std::max(rect.Width(), 1);
  const int height = std::max(rect.Height(), 1);
  // The screen keeps its pixels from one cycle to the next, as a window does, and the
  // handler erases what it means to: a minimised window painting at every tick of a run
  // makes no new buffer each time, and one that comes back to its size reuses its memory.
  PixelBuffer& screen = pWnd->m_paintScreen;
  if (screen.Width() != width || screen.Height() != height) {
    screen.Reset(width, height, kFaceColour);
  }
  pWnd->ValidateRect(nullptr);
}

BOOL CPaintDC::DrawIcon(int x, int y, HICON hIcon) { return ::DrawIcon(*this, x, y, hIcon); }

int GetSystemMetrics(int nIndex) {
  switch (nIndex) {
    case SM_CXICON:
    case SM_CYICON: return 32;
    case SM_CXSMICON:
    case SM_CYSMICON: return 16;
    default: return 0;
  }
}
