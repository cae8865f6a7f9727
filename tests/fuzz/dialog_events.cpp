#include "tests/fuzz/dialog_events.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QLineEdit>
#include <QWidget>

#include <cstring>
#include <memory>
#include <iterator>
#include <string>

#include "flight/parameters.h"
#include "flight/windowless_run.h"
#include "platform/afxwin.h"
#include "res/resource_ids.h"
#include "tests/support/test_access.h"
#include "ui/simulator_dlg.h"

namespace vendrel::fuzz {

using test::TestAccess;

namespace {

int g_maxDepth = 0;

int AnswerAtOnce(const char*, UINT) {
  if (AfxMessageBoxDepth() > g_maxDepth) g_maxDepth = AfxMessageBoxDepth();
  return IDOK;
}

constexpr int kEdits[] = {IDC_LAUNCH_ANGLE, IDC_LAUNCH_SPEED, IDC_SIDE_SPIN, IDC_BACK_SPIN,
                          IDC_K,            IDC_K_PRIME,      IDC_BALL_MASS, IDC_TIME_STEP};
constexpr int kButtons[] = {IDC_CALCULATE, IDC_DEFAULT, IDC_STOP};
constexpr const char* kWords[] = {"15", "0", "90", "100", "-100000", "100000", "0.00001", "0.1",
                                  "0.2", "abc", "nan", "inf", "1e999", "", " 45 ", "６０",
                                  "－３", "1e-400", "0x10", "10001", "46", "2000", "1e5"};

bool Same(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

QLineEdit* ReachableEdit(CSimulatorDlg& dlg, int id) {
  auto* e = qobject_cast<QLineEdit*>(dlg.GetDlgItem(id));
  return e && e->isVisible() && e->isEnabled() ? e : nullptr;
}

void Click(CSimulatorDlg& dlg, int id) {
  dlg.SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
}

}  // namespace

void AnswerMessagesAtOnce() { AfxSetMessageBoxHook(&AnswerAtOnce); }

std::unique_ptr<CSimulatorDlg> OpenDialog() {
  auto dlg = std::make_unique<CSimulatorDlg>();
  if (!dlg->Create()) return nullptr;
  QWidget* window = dlg->GetSafeHwnd();
  window->activateWindow();
  // The platform activates the window from its event queue.
  for (int i = 0; i < 100 && QApplication::activeWindow() != window; ++i) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  QCoreApplication::processEvents();
  return dlg;
}

DialogEvents::Params DialogEvents::ParamsOf(const FlightState& s) {
  return {s.mass, s.gravity, s.liftCoef, s.sideSpin, s.backSpin, s.dragCoef, s.dt,
          s.launchVel[1], s.launchVel[2], s.launchVel[3]};
}

DialogEvents::DialogEvents(CSimulatorDlg& dlg) : dlg_(dlg), last_(ParamsOf(TestAccess::State(dlg))) {
  g_maxDepth = 0;
}

void DialogEvents::Play(const std::uint8_t*& p, const std::uint8_t* end) {
  const std::uint8_t op = *p++ % 11;
  auto next = [&]() -> std::uint8_t { return p < end ? *p++ : 0; };
  switch (op) {
    case 0:
    case 1: {  // type a text into a reachable box, replacing or appending
      QLineEdit* box = ReachableEdit(dlg_, kEdits[next() % std::size(kEdits)]);
      if (!box) break;
      std::string text = kWords[next() % std::size(kWords)];
      if (op == 1) {  // or raw bytes
        const int n = next() % 12;
        text.clear();
        for (int i = 0; i < n && p < end; ++i) text += static_cast<char>(next());
      }
      box->setFocus(Qt::OtherFocusReason);
      box->setText(QString::fromUtf8(text.data(), static_cast<int>(text.size())));
      break;
    }
    case 2: {  // move the focus on, as Tab would
      QWidget* from = QApplication::focusWidget();
      const int id =
          next() % 2 ? kEdits[next() % std::size(kEdits)] : kButtons[next() % std::size(kButtons)];
      QWidget* to = dlg_.GetDlgItem(id);
      if (!to || !to->isVisible() || !to->isEnabled()) break;
      to->setFocus(Qt::TabFocusReason);
      if (from && from != to && from != QApplication::focusWidget()) break;  // Qt moved it itself
      if (from && from != to) {
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(from, &out);
      }
      break;
    }
    case 3:
      Click(dlg_, kButtons[next() % std::size(kButtons)]);
      break;
    case 4:
    case 5:
      TestAccess::Tick(dlg_);
      break;
    case 6:
      TestAccess::Paint(dlg_);
      break;
    case 7: {
      const UINT commands[] = {SC_MINIMIZE, SC_RESTORE, 0x0020, 0xF000, SC_CLOSE};
      const UINT cmd = commands[next() % std::size(commands)];
      dlg_.SendMessage(WM_SYSCOMMAND, cmd, 0);
      if (cmd == SC_CLOSE) open_ = false;
      break;
    }
    case 8:
      // What the message loop has queued: the paint request and the widget's repaints.
      // The run timer ticks only through the events above, never by the clock, so an
      // input plays the same each time.
      QCoreApplication::sendPostedEvents();
      break;
    case 9:  // several ticks with their paints, as a run goes on
      for (int i = next() % 16; i > 0; --i) {
        TestAccess::Tick(dlg_);
        TestAccess::Paint(dlg_);
      }
      break;
    default:
      dlg_.InvalidateRect(nullptr, FALSE);
      break;
  }
}

const char* DialogEvents::Check() {
  if (!open_) return nullptr;
  if (TestAccess::RunningTimerCount(dlg_) > 1) return "more than one timer runs";
  if (g_maxDepth > 1) return "a second validation message opened over the first";
  const FlightForm& form = TestAccess::Form(dlg_);
  for (const auto& f : ParametersOf(Model::Form)) {
    if (!f.InRange(form.*(f.form))) return "a form field lies outside its range";
  }
  // A parameter that changed holds the form's value: a commit or a calculate took it,
  // and the form holds only accepted values.
  const Params now = ParamsOf(TestAccess::State(dlg_));
  const struct {
    double before, after, fromForm;
    const char* what;
  } fields[] = {
      {last_.mass, now.mass, form.ballMass, "mass"},
      {last_.gravity, now.gravity, form.gravity, "gravity"},
      {last_.lift, now.lift, form.k, "liftCoef"},
      {last_.side, now.side, form.sideSpin, "sideSpin"},
      {last_.back, now.back, form.backSpin, "backSpin"},
      {last_.drag, now.drag, form.kPrime, "dragCoef"},
      {last_.dt, now.dt, form.timeStep, "dt"},
  };
  for (const auto& f : fields) {
    if (!Same(f.before, f.after) && !Same(f.after, f.fromForm)) return f.what;
  }
  if (!Same(last_.vel1, now.vel1) || !Same(last_.vel3, now.vel3)) {
    FlightForm probe = form;
    FlightState expect;
    WindowlessHost host;
    RunControl(probe, expect, host).ComputeLaunchVelocity();
    if (!Same(expect.launchVel[1], now.vel1) || !Same(expect.launchVel[3], now.vel3)) {
      return "launchVel is not the form's launch";
    }
  }
  if (now.vel2 != 0.0) return "a lateral launch velocity";
  last_ = now;
  return nullptr;
}

}  // namespace vendrel::fuzz
