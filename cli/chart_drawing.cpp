#include "cli/chart_drawing.h"

#include <QFile>
#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QSvgGenerator>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace vendrel::cli {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

QString Q(const std::string& s) { return QString::fromStdString(s); }

QFont Font(int pixels, bool bold = false) {
  QFont f(QStringLiteral("DejaVu Sans"));
  f.setPixelSize(pixels);
  f.setBold(bold);
  return f;
}

// The extent of one axis's data.
struct Extent {
  double lo = std::numeric_limits<double>::infinity();
  double hi = -std::numeric_limits<double>::infinity();
  void Add(double v, bool log) {
    if (!std::isfinite(v) || (log && v <= 0.0)) return;
    lo = std::min(lo, v);
    hi = std::max(hi, v);
  }
  bool Empty() const { return lo > hi; }
};

void Extents(const ChartPanel& p, Extent& ex, Extent& ey) {
  auto add = [&](QPointF q) {
    ex.Add(q.x(), p.x.log);
    ey.Add(q.y(), p.y.log);
  };
  for (const ChartLine& l : p.lines) for (QPointF q : l.points) add(q);
  for (const ChartDots& d : p.dots) for (QPointF q : d.points) add(q);
  for (const ChartMark& m : p.marks) add(m.at);
  for (const ChartEllipse& e : p.ellipses) {
    const double r = std::max(e.semiMajor, e.semiMinor);
    add(e.centre + QPointF(r, r));
    add(e.centre - QPointF(r, r));
  }
  if (p.heat) {
    const ChartHeatMap& h = *p.heat;
    const double dx = h.xs.size() > 1 ? h.xs[1] - h.xs[0] : 1.0;
    const double dy = h.ys.size() > 1 ? h.ys[1] - h.ys[0] : 1.0;
    for (double x : h.xs) ex.Add(x, false), ex.Add(x - dx / 2.0, false), ex.Add(x + dx / 2.0, false);
    for (double y : h.ys) ey.Add(y, false), ey.Add(y - dy / 2.0, false), ey.Add(y + dy / 2.0, false);
  }
}

// The ends of an axis: fixed ones as given, the others around the data with a margin
// (none for a heat map, whose cells fill the plot).
void Ends(const Axis& a, Extent e, bool pad, double& lo, double& hi) {
  if (e.Empty()) e = a.log ? Extent{1.0, 10.0} : Extent{0.0, 1.0};
  if (a.log) {
    lo = std::log10(e.lo);
    hi = std::log10(e.hi);
  } else {
    lo = e.lo;
    hi = e.hi;
  }
  if (hi - lo <= 0.0) {
    const double w = a.log ? 0.5 : std::max(std::fabs(lo) * 0.1, 1.0);
    lo -= w;
    hi += w;
  } else if (pad) {
    const double m = (hi - lo) * 0.05;
    lo -= m;
    hi += m;
  }
  if (a.min) lo = a.log ? std::log10(*a.min) : *a.min;
  if (a.max) hi = a.log ? std::log10(*a.max) : *a.max;
}

// Ticks at 1, 2 or 5 times a power of ten, about one per `spacing` pixels; on a log
// axis at the powers of ten, with 2 and 5 between them over a short range.
std::vector<double> Ticks(double lo, double hi, bool log, double pixels) {
  std::vector<double> ticks;
  if (log) {
    const bool fine = hi - lo < 3.0;
    for (int e = static_cast<int>(std::floor(lo)); e <= static_cast<int>(std::ceil(hi)); ++e) {
      for (double m : {1.0, 2.0, 5.0}) {
        if (m != 1.0 && !fine) continue;
        const double t = std::log10(m) + e;
        if (t >= lo - 1e-9 && t <= hi + 1e-9) ticks.push_back(t);
      }
    }
    return ticks;
  }
  const double count = std::max(3.0, pixels / 90.0);
  const double raw = (hi - lo) / count;
  const double mag = std::pow(10.0, std::floor(std::log10(raw)));
  const double r = raw / mag;
  const double step = (r < 1.5 ? 1.0 : r < 3.0 ? 2.0 : r < 7.0 ? 5.0 : 10.0) * mag;
  for (double k = std::ceil(lo / step); k * step <= hi + step * 1e-9; k += 1.0) {
    ticks.push_back(std::fabs(k) < 1e-9 ? 0.0 : k * step);
  }
  return ticks;
}

QString TickText(double t, bool log) {
  const double v = log ? std::pow(10.0, t) : t;
  return QString::number(v, 'g', log ? 3 : 10);
}

// Plot coordinates to pixels.
struct Mapping {
  QRectF plot;
  double x0, x1, y0, y1;
  bool xlog, ylog;
  double X(double x) const {
    const double t = xlog ? std::log10(x) : x;
    return plot.left() + (t - x0) / (x1 - x0) * plot.width();
  }
  double Y(double y) const {
    const double t = ylog ? std::log10(y) : y;
    return plot.bottom() - (t - y0) / (y1 - y0) * plot.height();
  }
  QPointF P(QPointF q) const { return {X(q.x()), Y(q.y())}; }
  double ScaleX() const { return plot.width() / (x1 - x0); }
  double ScaleY() const { return plot.height() / (y1 - y0); }
};

QColor Viridis(double t) {
  static const QColor stops[] = {QColor(0x44, 0x01, 0x54), QColor(0x3b, 0x52, 0x8b), QColor(0x21, 0x91, 0x8c),
                                 QColor(0x5e, 0xc9, 0x62), QColor(0xfd, 0xe7, 0x25)};
  t = std::clamp(std::isfinite(t) ? t : 0.0, 0.0, 1.0) * 4.0;
  const int i = std::min(3, static_cast<int>(t));
  const double f = t - i;
  const QColor& a = stops[i];
  const QColor& b = stops[i + 1];
  return QColor::fromRgbF(static_cast<float>(a.redF() + (b.redF() - a.redF()) * f),
                          static_cast<float>(a.greenF() + (b.greenF() - a.greenF()) * f),
                          static_cast<float>(a.blueF() + (b.blueF() - a.blueF()) * f));
}

void DrawCross(QPainter& g, QPointF c, double r) {
  g.drawLine(c + QPointF(-r, -r), c + QPointF(r, r));
  g.drawLine(c + QPointF(-r, r), c + QPointF(r, -r));
}

void DrawHeat(QPainter& g, const Mapping& m, const ChartHeatMap& h, double vlo, double vhi) {
  const double dx = h.xs.size() > 1 ? h.xs[1] - h.xs[0] : 1.0;
  const double dy = h.ys.size() > 1 ? h.ys[1] - h.ys[0] : 1.0;
  g.setPen(Qt::NoPen);
  for (std::size_t j = 0; j < h.ys.size(); ++j) {
    for (std::size_t i = 0; i < h.xs.size(); ++i) {
      const double v = h.values[j * h.xs.size() + i];
      if (!std::isfinite(v)) continue;
      const QRectF cell(QPointF(m.X(h.xs[i] - dx / 2.0), m.Y(h.ys[j] + dy / 2.0)),
                        QPointF(m.X(h.xs[i] + dx / 2.0), m.Y(h.ys[j] - dy / 2.0)));
      // A hair wider, so that no seam shows between cells.
      g.fillRect(cell.adjusted(-0.5, -0.5, 0.5, 0.5), Viridis(vhi > vlo ? (v - vlo) / (vhi - vlo) : 0.5));
    }
  }
}

void DrawColourBar(QPainter& g, const QRectF& plot, const ChartHeatMap& h, double vlo, double vhi) {
  const QRectF bar(plot.right() + 16.0, plot.top(), 18.0, plot.height());
  const int slices = 100;
  for (int s = 0; s < slices; ++s) {
    const double y0 = bar.bottom() - bar.height() * (s + 1) / slices;
    g.fillRect(QRectF(bar.left(), y0, bar.width(), bar.height() / slices + 0.5), Viridis((s + 0.5) / slices));
  }
  g.setPen(QPen(QColor(80, 80, 80), 1.0));
  g.setBrush(Qt::NoBrush);
  g.drawRect(bar);
  double lo = vlo, hi = vhi;
  if (!(hi > lo)) hi = lo + 1.0;
  g.setFont(Font(12));
  for (double t : Ticks(lo, hi, false, bar.height())) {
    const double y = bar.bottom() - (t - lo) / (hi - lo) * bar.height();
    g.drawLine(QPointF(bar.right(), y), QPointF(bar.right() + 4.0, y));
    g.drawText(QRectF(bar.right() + 6.0, y - 8.0, 60.0, 16.0), Qt::AlignLeft | Qt::AlignVCenter, TickText(t, false));
  }
  g.save();
  g.translate(bar.right() + 84.0, bar.center().y());
  g.rotate(90.0);
  g.setFont(Font(13));
  g.drawText(QRectF(-bar.height() / 2.0, -10.0, bar.height(), 20.0), Qt::AlignCenter, Q(h.title));
  g.restore();
}

struct LegendEntry {
  QColor color;
  std::string text;
  enum { Line, Dot, Ring } kind;
  bool dashed = false;
};

void DrawLegend(QPainter& g, const QRectF& plot, const std::vector<LegendEntry>& entries) {
  if (entries.empty()) return;
  g.setFont(Font(13));
  const QFontMetricsF fm(g.font());
  double w = 0.0;
  for (const LegendEntry& e : entries) w = std::max(w, fm.horizontalAdvance(Q(e.text)));
  const double row = 19.0;
  const QRectF box(plot.right() - w - 52.0, plot.top() + 8.0, w + 44.0, row * entries.size() + 8.0);
  g.setPen(QPen(QColor(190, 190, 190), 1.0));
  g.setBrush(QColor(255, 255, 255, 225));
  g.drawRect(box);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const LegendEntry& e = entries[i];
    const double y = box.top() + 4.0 + row * (i + 0.5);
    const QPointF a(box.left() + 8.0, y), b(box.left() + 32.0, y);
    QPen pen(e.color, 2.0);
    if (e.dashed) pen.setStyle(Qt::DashLine);
    g.setPen(pen);
    g.setBrush(e.kind == LegendEntry::Dot ? QBrush(e.color) : QBrush(Qt::NoBrush));
    if (e.kind == LegendEntry::Line) g.drawLine(a, b);
    else g.drawEllipse((a + b) / 2.0, e.kind == LegendEntry::Dot ? 3.5 : 6.0, e.kind == LegendEntry::Dot ? 3.5 : 4.0);
    g.setPen(QColor(30, 30, 30));
    g.drawText(QRectF(b.x() + 6.0, y - row / 2.0, w + 4.0, row), Qt::AlignLeft | Qt::AlignVCenter, Q(e.text));
  }
}

void DrawPanel(QPainter& g, const ChartPanel& p, const QRectF& cell) {
  const double right = p.heat ? 130.0 : 24.0;
  QRectF plot = cell.adjusted(84.0, 34.0, -right, -58.0);

  Extent ex, ey;
  Extents(p, ex, ey);
  double x0, x1, y0, y1;
  Ends(p.x, ex, !p.heat, x0, x1);
  Ends(p.y, ey, !p.heat, y0, y1);
  if (p.equalScale && !p.x.log && !p.y.log) {
    // Widen whichever axis has more pixels per unit until both have the same.
    const double s = std::min(plot.width() / (x1 - x0), plot.height() / (y1 - y0));
    // Data that start at zero (downrange, height) keep their lower end; the rest is
    // centred.
    auto widen = [s](double& lo, double& hi, double pixels, const Extent& e) {
      const double span = pixels / s;
      if (!e.Empty() && e.lo >= 0.0) {
        hi = lo + span;
      } else {
        const double mid = (lo + hi) / 2.0;
        lo = mid - span / 2.0;
        hi = mid + span / 2.0;
      }
    };
    widen(x0, x1, plot.width(), ex);
    widen(y0, y1, plot.height(), ey);
  }
  const Mapping m{plot, x0, x1, y0, y1, p.x.log, p.y.log};

  // Title, grid, ticks, axis titles.
  g.setPen(QColor(20, 20, 20));
  g.setFont(Font(15, true));
  g.drawText(QRectF(plot.left(), cell.top() + 4.0, plot.width(), 26.0), Qt::AlignLeft | Qt::AlignVCenter, Q(p.title));
  const std::vector<double> xt = Ticks(x0, x1, p.x.log, plot.width());
  const std::vector<double> yt = Ticks(y0, y1, p.y.log, plot.height());
  g.setPen(QPen(QColor(225, 225, 225), 1.0));
  for (double t : xt) {
    const double x = plot.left() + (t - x0) / (x1 - x0) * plot.width();
    g.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
  }
  for (double t : yt) {
    const double y = plot.bottom() - (t - y0) / (y1 - y0) * plot.height();
    g.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
  }
  g.setFont(Font(12));
  g.setPen(QColor(60, 60, 60));
  for (double t : xt) {
    const double x = plot.left() + (t - x0) / (x1 - x0) * plot.width();
    g.drawLine(QPointF(x, plot.bottom()), QPointF(x, plot.bottom() + 5.0));
    g.drawText(QRectF(x - 50.0, plot.bottom() + 6.0, 100.0, 16.0), Qt::AlignHCenter | Qt::AlignTop, TickText(t, p.x.log));
  }
  for (double t : yt) {
    const double y = plot.bottom() - (t - y0) / (y1 - y0) * plot.height();
    g.drawLine(QPointF(plot.left() - 5.0, y), QPointF(plot.left(), y));
    g.drawText(QRectF(plot.left() - 78.0, y - 8.0, 70.0, 16.0), Qt::AlignRight | Qt::AlignVCenter, TickText(t, p.y.log));
  }
  g.setFont(Font(13));
  g.setPen(QColor(20, 20, 20));
  g.drawText(QRectF(plot.left(), plot.bottom() + 26.0, plot.width(), 22.0), Qt::AlignCenter, Q(p.x.title));
  g.save();
  g.translate(cell.left() + 16.0, plot.center().y());
  g.rotate(-90.0);
  g.drawText(QRectF(-plot.height() / 2.0, -10.0, plot.height(), 20.0), Qt::AlignCenter, Q(p.y.title));
  g.restore();

  // The data, clipped to the plot.
  g.save();
  g.setClipRect(plot);
  g.setRenderHint(QPainter::Antialiasing, true);
  double vlo = kNaN, vhi = kNaN;
  if (p.heat) {
    for (double v : p.heat->values) {
      if (!std::isfinite(v)) continue;
      vlo = std::isnan(vlo) ? v : std::min(vlo, v);
      vhi = std::isnan(vhi) ? v : std::max(vhi, v);
    }
    g.setRenderHint(QPainter::Antialiasing, false);  // no seams between the cells
    DrawHeat(g, m, *p.heat, vlo, vhi);
    g.setRenderHint(QPainter::Antialiasing, true);
  }
  std::vector<LegendEntry> legend;
  for (const ChartLine& l : p.lines) {
    QPen pen(l.color, l.width);
    if (l.dashed) pen.setStyle(Qt::DashLine);
    pen.setJoinStyle(Qt::RoundJoin);
    g.setPen(pen);
    g.setBrush(Qt::NoBrush);
    QPainterPath path;
    bool open = false;
    for (QPointF q : l.points) {
      if (!std::isfinite(q.x()) || !std::isfinite(q.y())) {
        open = false;
        continue;
      }
      const QPointF d = m.P(q);
      if (open) path.lineTo(d);
      else path.moveTo(d);
      open = true;
    }
    g.drawPath(path);
    if (l.markers) {
      g.setBrush(l.color);
      for (QPointF q : l.points) {
        if (std::isfinite(q.x()) && std::isfinite(q.y())) g.drawEllipse(m.P(q), 3.5, 3.5);
      }
    }
    if (!l.legend.empty()) legend.push_back({l.color, l.legend, l.markers ? LegendEntry::Line : LegendEntry::Line, l.dashed});
  }
  for (const ChartDots& d : p.dots) {
    g.setPen(Qt::NoPen);
    QColor fill = d.color;
    fill.setAlphaF(0.7f);
    g.setBrush(fill);
    for (QPointF q : d.points) g.drawEllipse(m.P(q), d.radius, d.radius);
    g.setPen(QColor(40, 40, 40));
    g.setFont(Font(11));
    for (std::size_t i = 0; i < d.labels.size() && i < d.points.size(); ++i) {
      g.drawText(m.P(d.points[i]) + QPointF(d.radius + 3.0, -d.radius - 2.0), Q(d.labels[i]));
    }
    if (!d.legend.empty()) legend.push_back({d.color, d.legend, LegendEntry::Dot});
  }
  for (const ChartEllipse& e : p.ellipses) {
    g.save();
    g.setPen(QPen(e.color, 2.0));
    g.setBrush(Qt::NoBrush);
    g.translate(m.P(e.centre));
    // Up on the screen is +y: the angle turns the other way in pixels.
    g.rotate(-e.angleDegrees);
    g.drawEllipse(QPointF(0.0, 0.0), e.semiMajor * m.ScaleX(), e.semiMinor * m.ScaleY());
    g.restore();
    if (!e.legend.empty()) legend.push_back({e.color, e.legend, LegendEntry::Ring});
  }
  // Marks' texts go beside them where they overlap no other text and stay inside the
  // plot: right or left, above or below, moving a line further out at a time.
  std::vector<QRectF> placed;
  g.setFont(Font(13, true));
  const QFontMetricsF fm(g.font());
  for (const ChartMark& k : p.marks) {
    const QPointF c = m.P(k.at);
    g.setPen(QPen(k.color, 2.0));
    DrawCross(g, c, 6.0);
    const double w = fm.horizontalAdvance(Q(k.text)), h = fm.height();
    QRectF chosen;
    bool found = false;
    for (int out = 0; out < 12 && !found; ++out) {
      for (int side = 0; side < 4 && !found; ++side) {
        const double x = side % 2 == 0 ? c.x() + 9.0 : c.x() - 9.0 - w;
        const double y = side < 2 ? c.y() - 8.0 - h - out * h : c.y() + 8.0 + out * h;
        const QRectF r(x, y, w, h);
        bool clear = plot.contains(r);
        for (const QRectF& q : placed) clear = clear && !q.intersects(r);
        if (clear) {
          chosen = r;
          found = true;
        }
      }
    }
    if (!found) chosen = QRectF(c.x() + 9.0, c.y() - 8.0 - h, w, h);
    placed.push_back(chosen);
    g.setPen(k.color.darker(130));
    g.drawText(chosen, Qt::AlignLeft | Qt::AlignVCenter, Q(k.text));
  }
  g.restore();

  g.setPen(QPen(QColor(90, 90, 90), 1.0));
  g.setBrush(Qt::NoBrush);
  g.drawRect(plot);
  DrawLegend(g, plot, legend);
  if (p.heat && std::isfinite(vlo)) DrawColourBar(g, plot, *p.heat, vlo, vhi);
}

std::string Extension(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  const std::size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  std::string ext = path.substr(dot);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}

}  // namespace

QColor SeriesColor(std::size_t n) {
  static const QColor colors[] = {QColor(0x1f, 0x77, 0xb4), QColor(0xd6, 0x27, 0x28), QColor(0x2c, 0xa0, 0x2c),
                                  QColor(0xff, 0x7f, 0x0e), QColor(0x94, 0x67, 0xbd), QColor(0x8c, 0x56, 0x4b),
                                  QColor(0xe3, 0x77, 0xc2), QColor(0x7f, 0x7f, 0x7f), QColor(0xbc, 0xbd, 0x22),
                                  QColor(0x17, 0xbe, 0xcf)};
  return colors[n % std::size(colors)];
}

void DrawFigure(const Figure& f, QPainter& g) {
  g.fillRect(QRectF(0, 0, f.width, f.height), Qt::white);
  double top = 0.0;
  if (!f.title.empty()) {
    g.setPen(QColor(10, 10, 10));
    g.setFont(Font(19, true));
    g.drawText(QRectF(0, 8, f.width, 30), Qt::AlignCenter, Q(f.title));
    top = 42.0;
  }
  const int columns = std::max(1, f.columns);
  const int rows = std::max<int>(1, static_cast<int>((f.panels.size() + columns - 1) / columns));
  const double w = static_cast<double>(f.width) / columns;
  const double h = (f.height - top) / rows;
  for (std::size_t i = 0; i < f.panels.size(); ++i) {
    const QRectF cell(w * static_cast<double>(i % columns), top + h * static_cast<double>(i / columns), w, h);
    DrawPanel(g, f.panels[i], cell.adjusted(4.0, 0.0, -4.0, -4.0));
  }
}

bool ChartPathAccepted(const std::string& path, std::string& error) {
  const std::string ext = Extension(path);
  if (ext == ".png" || ext == ".svg") return true;
  error = "'" + path + "' does not end in .png or .svg";
  return false;
}

struct ChartFile::Impl {
  QFile file;
  bool svg = false;
  std::string path;
};

ChartFile::ChartFile() : impl_(std::make_unique<Impl>()) {}
ChartFile::~ChartFile() = default;

bool ChartFile::Open(const std::string& path, std::string& error) {
  if (!ChartPathAccepted(path, error)) return false;
  impl_->path = path;
  impl_->svg = Extension(path) == ".svg";
  impl_->file.setFileName(Q(path));
  if (!impl_->file.open(QIODevice::WriteOnly)) {
    error = "cannot write " + path + ": " + impl_->file.errorString().toStdString();
    return false;
  }
  return true;
}

bool ChartFile::Write(const Figure& figure, std::string& error) {
  bool ok = true;
  if (impl_->svg) {
    QSvgGenerator svg;
    svg.setOutputDevice(&impl_->file);
    svg.setSize(QSize(figure.width, figure.height));
    svg.setViewBox(QRect(0, 0, figure.width, figure.height));
    svg.setTitle(Q(figure.title));
    QPainter g(&svg);
    DrawFigure(figure, g);
    ok = g.end();
  } else {
    QImage image(figure.width, figure.height, QImage::Format_ARGB32_Premultiplied);
    {
      QPainter g(&image);
      g.setRenderHint(QPainter::TextAntialiasing, true);
      DrawFigure(figure, g);
    }
    ok = image.save(&impl_->file, "PNG");
  }
  impl_->file.close();
  if (!ok || impl_->file.error() != QFileDevice::NoError) {
    error = "writing " + impl_->path + " failed";
    return false;
  }
  return true;
}

std::unique_ptr<QGuiApplication> ChartApplication() {
  if (QGuiApplication::instance()) return nullptr;
  // A command-line tool has no session: Qt's note that it lacks a runtime directory
  // would only add a line to every run's standard error.
  static const QtMessageHandler previous = qInstallMessageHandler(
      [](QtMsgType type, const QMessageLogContext& context, const QString& message) {
        if (message.startsWith(QLatin1String("QStandardPaths: "))) return;
        if (previous) previous(type, context, message);
        else std::fprintf(stderr, "%s\n", qPrintable(message));
      });
  static int argc = 3;
  static char name[] = "vendrel-flight", platform[] = "-platform", offscreen[] = "offscreen";
  static char* argv[] = {name, platform, offscreen, nullptr};
  return std::make_unique<QGuiApplication>(argc, argv);
}

}  // namespace vendrel::cli
