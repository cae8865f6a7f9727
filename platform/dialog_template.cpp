#include "platform/dialog_template.h"

#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <cstdlib>

#include "platform/dialog_font.h"
#include "platform/dialog_widget.h"
#include "platform/gdi.h"

int MulDiv(int a, int b, int c) {
  if (c == 0) return -1;
  const long long product = static_cast<long long>(a) * b;
  const long long half = std::llabs(static_cast<long long>(c)) / 2;
  const bool negative = (product < 0) != (c < 0);
  const long long q = (std::llabs(product) + half) / std::llabs(static_cast<long long>(c));
  return static_cast<int>(negative ? -q : q);
}

// The base units of the dialog font, 6 × 12 px: four horizontal and eight vertical
// dialog units per base unit.
int DialogUnitsToPixelsX(int du) { return MulDiv(du, 6, 4); }
int DialogUnitsToPixelsY(int du) { return MulDiv(du, 12, 8); }

namespace afx {

QString WrapBeforeBracket(const QString& text, const QFontMetrics& metrics, int width) {
  if (metrics.horizontalAdvance(text) <= width) return text;
  qsizetype bracket = text.indexOf(u'（');
  if (const qsizetype ascii = text.indexOf(u'('); ascii >= 0 && (bracket < 0 || ascii < bracket))
    bracket = ascii;
  if (bracket <= 0) return text;
  return text.left(bracket) + u'\n' + text.mid(bracket);
}

DialogWidget* MakeDialogWidget(const DialogTemplate& t, QWidget* owner, CDialog* dialog) {
  Qt::WindowFlags flags = (owner != nullptr ? Qt::Dialog : Qt::Window) |
                          Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint;
  if (t.style & WS_SYSMENU) flags |= Qt::WindowSystemMenuHint;
  if (t.exStyle & WS_EX_APPWINDOW) flags |= Qt::WindowMinimizeButtonHint;
  auto* widget = new DialogWidget(owner, dialog, flags);
  const int width = DialogUnitsToPixelsX(t.cx);
  const int height = DialogUnitsToPixelsY(t.cy);
  widget->setFixedSize(width, height);
  widget->setWindowTitle(QString::fromUtf8(t.caption ? t.caption : ""));
  widget->setFont(AfxDialogFont(t.fontFace, t.fontPoints));
  // The face colour whatever the style or theme: the surface and the controls'
  // background agree with a picture made without a window.
  QPalette palette = widget->palette();
  const QColor face(GetRValue(kFaceColour), GetGValue(kFaceColour), GetBValue(kFaceColour));
  palette.setColor(QPalette::Window, face);
  palette.setColor(QPalette::Button, face);
  widget->setPalette(palette);
  return widget;
}

QWidget* MakeControl(QWidget* dialog, const DialogControl& c) {
  QWidget* w = nullptr;
  const QString text = QString::fromUtf8(c.text ? c.text : "");
  switch (c.kind) {
    case ControlKind::PushButton: {
      auto* button = new QPushButton(text, dialog);
      button->setAutoDefault(false);
      button->setDefault((c.style & 0xF) == BS_DEFPUSHBUTTON);
      button->setProperty(kTemplateDefault, button->isDefault());
      // Pressing a button gives it the focus through the dialog's filter, so that a
      // refused box left by the press can stop the click.
      button->setFocusPolicy((c.style & WS_TABSTOP) ? Qt::TabFocus : Qt::NoFocus);
      w = button;
      break;
    }
    case ControlKind::Edit: {
      auto* edit = new QLineEdit(text, dialog);
      edit->setFrame((c.style & WS_BORDER) != 0);
      edit->setReadOnly((c.style & ES_READONLY) != 0);
      edit->setFocusPolicy((c.style & WS_TABSTOP) ? Qt::StrongFocus : Qt::ClickFocus);
      if (edit->isReadOnly()) {
        QPalette p = edit->palette();
        p.setColor(QPalette::Base, QColor(GetRValue(kFaceColour), GetGValue(kFaceColour),
                                          GetBValue(kFaceColour)));
        edit->setPalette(p);
      }
      w = edit;
      break;
    }
    case ControlKind::Static: {
      auto* label = new QLabel(dialog);
      label->setText(WrapBeforeBracket(text, label->fontMetrics(), DialogUnitsToPixelsX(c.cx)));
      label->setTextFormat(Qt::PlainText);
      label->setWordWrap(true);
      label->setAlignment(((c.style & 0xF) == SS_CENTER ? Qt::AlignHCenter : Qt::AlignLeft) |
                          Qt::AlignTop);
      label->setAttribute(Qt::WA_TransparentForMouseEvents);
      w = label;
      break;
    }
  }
  w->setGeometry(DialogUnitsToPixelsX(c.x), DialogUnitsToPixelsY(c.y),
                 DialogUnitsToPixelsX(c.cx), DialogUnitsToPixelsY(c.cy));
  w->setHidden((c.style & WS_VISIBLE) == 0);
  w->setEnabled((c.style & WS_DISABLED) == 0);
  if (c.id != IDC_STATIC) w->setObjectName(QStringLiteral("control%1").arg(c.id));
  return w;
}

}  // namespace afx
