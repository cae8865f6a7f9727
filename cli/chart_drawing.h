#pragma once
// Charts for reports: panels with axes fitted to their data, ticks, units, a light
// grid and legends, drawn by one piece of QPainter code into a PNG (QImage) or an SVG
// (QSvgGenerator). Needs a QGuiApplication for its fonts; ChartApplication makes an
// offscreen one.

#include <QColor>
#include <QGuiApplication>
#include <QPointF>
#include <QString>

#include <memory>
#include <optional>
#include <string>
#include <vector>

class QPainter;

namespace vendrel::cli {

struct Axis {
  std::string title;  ///< with its unit: "downrange (m)"
  bool log = false;
  std::optional<double> min, max;  ///< fixed ends; otherwise fitted to the data
};

struct ChartLine {
  std::vector<QPointF> points;
  QColor color;
  double width = 2.0;
  bool dashed = false;
  bool markers = false;  ///< a dot at every point as well
  std::string legend;    ///< empty: not in the legend
};

struct ChartDots {
  std::vector<QPointF> points;
  QColor color;
  double radius = 3.0;
  std::string legend;
  std::vector<std::string> labels;  ///< optional text beside each point
};

/// A point marked with a cross and its text.
struct ChartMark {
  QPointF at;
  std::string text;
  QColor color;
};

struct ChartEllipse {
  QPointF centre;
  double semiMajor = 0.0, semiMinor = 0.0;
  double angleDegrees = 0.0;  ///< of the major axis, from the x axis toward +y
  QColor color;
  std::string legend;
};

/// Cells of a regular grid coloured by value, with a colour bar; NaN cells stay blank.
struct ChartHeatMap {
  std::vector<double> xs, ys;    ///< cell centres
  std::vector<double> values;    ///< ys.size() rows of xs.size() values
  std::string title;             ///< of the colour bar, with its unit
};

struct ChartPanel {
  std::string title;
  Axis x, y;
  bool equalScale = false;  ///< one metre is as long across as up
  std::vector<ChartLine> lines;
  std::vector<ChartDots> dots;
  std::vector<ChartEllipse> ellipses;
  std::vector<ChartMark> marks;
  std::optional<ChartHeatMap> heat;
};

struct Figure {
  std::string title;
  int width = 1200, height = 800;
  int columns = 1;  ///< panels fill rows of this many
  std::vector<ChartPanel> panels;
};

/// The colour of the n-th series of a chart.
QColor SeriesColor(std::size_t n);

/// Draws the figure on a painter whose device is figure.width × figure.height.
void DrawFigure(const Figure& figure, QPainter& painter);

/// Whether a chart can be written to `path`: its extension must be .png or .svg.
bool ChartPathAccepted(const std::string& path, std::string& error);

/// A chart's file, opened before any work starts so that a bad path costs nothing.
class ChartFile {
 public:
  ChartFile();
  ~ChartFile();
  bool Open(const std::string& path, std::string& error);
  /// Draws the figure and writes it, PNG or SVG by the extension.
  bool Write(const Figure& figure, std::string& error);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

/// A QGuiApplication on the offscreen platform, for the fonts, unless one exists.
std::unique_ptr<QGuiApplication> ChartApplication();

}  // namespace vendrel::cli
