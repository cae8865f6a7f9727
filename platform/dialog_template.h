#pragma once
// Dialog templates made into widgets: the scale of dialog units, the dialog's window
// and each control at its template position.

#include "platform/resource_module.h"

class CDialog;
class QFontMetrics;
class QString;
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

/// A label's text as it is laid out: one that does not fit `width` pixels on one line
/// breaks before its opening bracket, so that a bracketed unit such as "（ｒｐｍ）"
/// stays whole instead of breaking inside a word.
QString WrapBeforeBracket(const QString& text, const QFontMetrics& metrics, int width);

/// The property that marks the push button a template makes the default one.
inline constexpr char kTemplateDefault[] = "afxTemplateDefault";

}  // namespace afx
