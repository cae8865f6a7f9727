#pragma once
// Dialog templates made into widgets: the scale of dialog units, the dialog's window
// and each control at its template position.

#include "platform/resources.h"

class CDialog;
class QWidget;

/// Dialog units to pixels, with the base units of the dialog font (6 × 12): x·6/4
/// and y·12/8, rounded half away from zero.
int DialogUnitsToPixelsX(int du);
int DialogUnitsToPixelsY(int du);
/// (a × b) / c rounded half away from zero, as the platform's MulDiv.
int MulDiv(int a, int b, int c);

namespace afx {

class DialogWidget;

/// The window of template `t` for `dialog`, owned by `owner` (none: a top-level
/// window): its size, caption, font, face colour and frame; no controls yet.
DialogWidget* MakeDialogWidget(const DialogTemplate& t, QWidget* owner, CDialog* dialog);
/// One control of a template as a child of `dialog`, at its place in pixels.
QWidget* MakeControl(QWidget* dialog, const DialogControl& c);

}  // namespace afx
