#include "web/core/page_dialog.h"

#include "flight/parameters.h"
#include "res/resource_ids.h"
#include "web/core/page_fields.h"

namespace vendrel::web {

PageDialog::PageDialog() {
  LoadDefaults(form_);
  boxes_.Load(form_);
}

std::optional<Refusal> PageDialog::Calculate() {
  if (auto refusal = boxes_.Save(form_)) return refusal;
  drawMode_ = kDrawModeRunStarted;
  run_.CalculateFromForm();
  return std::nullopt;
}

std::optional<Refusal> PageDialog::Commit(int id) {
  if (auto refusal = boxes_.Save(form_)) return refusal;
  switch (id) {
    case IDC_BALL_MASS: run_.CommitMass(); break;
    case IDC_K: run_.CommitLiftCoef(); break;
    case IDC_SIDE_SPIN: run_.CommitSideSpin(); break;
    case IDC_BACK_SPIN: run_.CommitBackSpin(); break;
    case IDC_K_PRIME: run_.CommitDragCoef(); break;
    case IDC_LAUNCH_ANGLE:
    case IDC_LAUNCH_SPEED: run_.CommitLaunch(); break;
    case IDC_TIME_STEP: run_.CommitTimeStep(); break;
    default: break;  // gravity and the carry have no commit
  }
  return std::nullopt;
}

std::optional<Refusal> PageDialog::Apply(int id, std::string_view text) {
  const PageField* field = FieldById(id);
  double value = 0.0;
  if (auto refusal = boxes_.Check(id, text, value)) return refusal;
  form_.*(field->member) = value;
  boxes_.SetText(id, PageForm::Text(value));
  return std::nullopt;
}

void PageDialog::Defaults() {
  LoadDefaults(form_);
  boxes_.Load(form_);
}

int PageDialog::RunTicks(int count) {
  int ran = 0;
  while (ran < count && host_.timerRunning) {
    run_.Tick();
    ++ran;
    if (host_.repaintPending) Paint();
  }
  return ran;
}

bool PageDialog::TakeCarryShown() {
  const bool shown = host_.carryShown;
  host_.carryShown = false;
  return shown;
}

void PageDialog::Paint() {
  host_.repaintPending = false;
  if (drawMode_ == kDrawModeRunStarted) surface_.DrawRun(state_.pos, state_.posNext);
}

}  // namespace vendrel::web
