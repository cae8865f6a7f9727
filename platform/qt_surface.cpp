#include "platform/qt_surface.h"

#include <QGuiApplication>
#include <QIcon>
#include <QPainter>
#include <QPixmap>

namespace {
// R, G, B bytes and an opaque fourth: the pixel buffer's layout on every host.
constexpr QImage::Format kFormat = QImage::Format_RGBX8888;
}  // namespace

QImage SurfaceImage(PixelBuffer& surface) {
  if (surface.IsNull()) return {};
  return QImage(surface.Bits(), surface.Width(), surface.Height(),
                static_cast<qsizetype>(surface.BytesPerLine()), kFormat);
}

QImage SurfaceImage(const PixelBuffer& surface) {
  if (surface.IsNull()) return {};
  return QImage(surface.Bits(), surface.Width(), surface.Height(),
                static_cast<qsizetype>(surface.BytesPerLine()), kFormat);
}

BOOL DrawIcon(CDC& dc, int x, int y, const QIcon* icon) {
  PixelBuffer* surface = dc.surface();
  if (surface == nullptr || surface->IsNull() || icon == nullptr || icon->isNull()) return FALSE;
  // An icon's pixmap needs the GUI application; without one there is nothing to draw.
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) return FALSE;
  const QPixmap pixmap = icon->pixmap(QSize(32, 32), 1.0);
  if (pixmap.isNull()) return FALSE;
  QImage image = SurfaceImage(*surface);
  QPainter painter(&image);
  painter.drawPixmap(QRect(x, y, 32, 32), pixmap);
  painter.end();
  dc.NoteChanged(CRect{x, y, x + 32, y + 32});
  return TRUE;
}
