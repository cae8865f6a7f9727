// Sequences of user events against the real dialog on the offscreen platform: typing
// into any box a user can reach, focus moves, the buttons, timer ticks, system
// commands and paints, in any order. After every event: at most one timer, every
// flight parameter the last value accepted for it, the form inside its ranges, at most
// one validation message open.
#include <QApplication>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QLineEdit>
#include <QWidget>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "flight/form_fields.h"
#include "flight/sync_run.h"
#include "platform/afxwin.h"
#include "res/vendrel_res.h"
#include "tests/support/test_access.h"
#include "ui/simulator_dlg.h"

namespace {

using vendrel::FlightForm;
using vendrel::FlightState;
using vendrel::test::TestAccess;

int g_maxDepth = 0;

int AnswerAtOnce(const char*, UINT) {
  if (AfxMessageBoxDepth() > g_maxDepth) g_maxDepth = AfxMessageBoxDepth();
  return IDOK;
}

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "dialog_events: %s\n", what);
  std::abort();
}

constexpr int kEdits[] = {IDC_LAUNCH_ANGLE, IDC_LAUNCH_SPEED, IDC_SIDE_SPIN, IDC_BACK_SPIN,
                          IDC_K,            IDC_K_PRIME,      IDC_BALL_MASS, IDC_TIME_STEP};
constexpr int kButtons[] = {IDC_CALCULATE, IDC_DEFAULT, IDC_STOP};
constexpr const char* kWords[] = {"15", "0", "90", "100", "-100000", "100000", "0.00001", "0.1",
                                  "0.2", "abc", "nan", "inf", "1e999", "", " 45 ", "６０",
                                  "－３", "1e-400", "0x10", "10001", "46", "2000", "1e5"};

// The flight parameters, compared bit for bit.
struct Params {
  double mass, gravity, lift, side, back, drag, dt, vel1, vel2, vel3;
};
Params ParamsOf(const FlightState& s) {
  return {s.mass, s.gravity, s.liftCoef, s.sideSpin, s.backSpin, s.dragCoef, s.dt,
          s.launchVel[1], s.launchVel[2], s.launchVel[3]};
}
bool Same(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// One dialog serves input after input (creating one per input would leave a few runs a
// second); each input starts it from STOP, DEFAULT and a restored window, and a closed
// one is made anew.
// Never destroyed at exit, for the same reason as the application.
CSimulatorDlg* g_dialog = nullptr;

class Session {
 public:
  Session() : dlg_(g_dialog) {
    if (!dlg_) {
      dlg_ = new CSimulatorDlg;
      if (!dlg_->Create()) Fail("the dialog was not created");
      dlg_->GetSafeHwnd()->activateWindow();
    }
    Click(IDC_STOP);
    Click(IDC_DEFAULT);
    dlg_->SendMessage(WM_SYSCOMMAND, SC_RESTORE, 0);  // a minimised window paints its icon
    QCoreApplication::processEvents();
    last_ = ParamsOf(TestAccess::State(*dlg_));
  }
  ~Session() {
    if (!open_) {
      delete dlg_;
      dlg_ = nullptr;
    }
  }

  bool open() const { return open_; }

  void Play(const std::uint8_t*& p, const std::uint8_t* end) {
    const std::uint8_t op = *p++ % 11;
    auto next = [&]() -> std::uint8_t { return p < end ? *p++ : 0; };
    switch (op) {
      case 0:
      case 1: {  // type a text into a reachable box, replacing or appending
        QLineEdit* box = Edit(kEdits[next() % std::size(kEdits)]);
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
        const int id = next() % 2 ? kEdits[next() % std::size(kEdits)] : kButtons[next() % std::size(kButtons)];
        QWidget* to = dlg_->GetDlgItem(id);
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
        Click(kButtons[next() % std::size(kButtons)]);
        break;
      case 4:
      case 5:
        TestAccess::Tick(*dlg_);
        break;
      case 6:
        TestAccess::Paint(*dlg_);
        break;
      case 7: {
        const UINT commands[] = {SC_MINIMIZE, SC_RESTORE, 0x0020, 0xF000, SC_CLOSE};
        const UINT cmd = commands[next() % std::size(commands)];
        dlg_->SendMessage(WM_SYSCOMMAND, cmd, 0);
        if (cmd == SC_CLOSE) open_ = false;  // the rest of the input reaches no dialog
        break;
      }
      case 8:
        QCoreApplication::processEvents();
        break;
      case 9:  // several ticks with their paints, as a run goes on
        for (int i = next() % 16; i > 0; --i) {
          TestAccess::Tick(*dlg_);
          TestAccess::Paint(*dlg_);
        }
        break;
      default:
        dlg_->InvalidateRect(nullptr, FALSE);
        break;
    }
  }

  void Check() {
    if (!open_) return;
    if (TestAccess::RunningTimerCount(*dlg_) > 1) Fail("more than one timer runs");
    if (g_maxDepth > 1) Fail("a second validation message opened over the first");
    const FlightForm& form = TestAccess::Form(*dlg_);
    for (const auto& f : vendrel::FormFields()) {
      if (!f.InRange(form.*(f.member))) Fail("a form field lies outside its range");
    }
    // A parameter that changed holds the form's value: a commit or a calculate took it,
    // and the form holds only accepted values.
    const FlightState& st = TestAccess::State(*dlg_);
    const Params now = ParamsOf(st);
    auto check = [&](double before, double after, double fromForm, const char* what) {
      if (!Same(before, after) && !Same(after, fromForm)) Fail(what);
    };
    check(last_.mass, now.mass, form.ballMass, "mass");
    check(last_.gravity, now.gravity, form.gravity, "gravity");
    check(last_.lift, now.lift, form.k, "liftCoef");
    check(last_.side, now.side, form.sideSpin, "sideSpin");
    check(last_.back, now.back, form.backSpin, "backSpin");
    check(last_.drag, now.drag, form.kPrime, "dragCoef");
    check(last_.dt, now.dt, form.timeStep, "dt");
    if (!Same(last_.vel1, now.vel1) || !Same(last_.vel3, now.vel3)) {
      FlightForm probe = form;
      FlightState expect;
      vendrel::SyncHost host;
      vendrel::RunControl(probe, expect, host).ComputeLaunchVelocity();
      if (!Same(expect.launchVel[1], now.vel1) || !Same(expect.launchVel[3], now.vel3)) {
        Fail("launchVel is not the form's launch");
      }
    }
    if (now.vel2 != 0.0) Fail("a lateral launch velocity");
    last_ = now;
  }

 private:
  QLineEdit* Edit(int id) const {
    auto* e = qobject_cast<QLineEdit*>(dlg_->GetDlgItem(id));
    return e && e->isVisible() && e->isEnabled() ? e : nullptr;
  }
  void Click(int id) { dlg_->SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

  CSimulatorDlg*& dlg_;
  Params last_{};
  bool open_ = true;
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  // Never destroyed: Qt's own statics are gone by the time exit handlers would run.
  new QApplication(*argc, *argv);
  vendrel::res::Install();
  AfxSetMessageBoxHook(&AnswerAtOnce);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  g_maxDepth = 0;
  Session s;
  const std::uint8_t* p = data;
  const std::uint8_t* end = data + std::min<std::size_t>(size, 256);
  while (p < end && s.open()) {
    s.Play(p, end);
    s.Check();
  }
  return 0;
}
