// The studies as processes: charts read back, the fit's recovery of a sweep's
// parameters, the dispersion's reproducibility, units at the edges, refusals.
#include <QFile>
#include <QImage>
#include <QXmlStreamReader>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <sstream>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "tests/support/process.h"

namespace vendrel {
namespace {

using test::ExpectRefused;
using test::ReadFile;
using test::RunFlightTool;
using test::ScratchPath;

nlohmann::json Json(const test::ProcessResult& r) { return nlohmann::json::parse(r.out); }

// Every text element of an SVG file, which must be well-formed XML.
std::vector<std::string> SvgTexts(const std::string& path) {
  QFile file(QString::fromStdString(path));
  EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path;
  QXmlStreamReader xml(&file);
  std::vector<std::string> texts;
  while (!xml.atEnd()) {
    if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("text")) {
      texts.push_back(xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed().toStdString());
    }
  }
  EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
  return texts;
}

bool HasText(const std::vector<std::string>& texts, const std::string& want) {
  for (const std::string& t : texts) {
    if (t.find(want) != std::string::npos) return true;
  }
  return false;
}

TEST(Charts, EachKindDrawsItsLabels) {
  struct Case {
    const char* name;
    std::vector<std::string> args;
    std::vector<std::string> labels;
  };
  const std::string shots = ScratchPath("chart-shots.csv");
  {
    std::FILE* f = std::fopen(shots.c_str(), "w");
    std::fputs("name,angle,speed,distance,apex\nlow,12,60,170,9\nhigh,20,60,225,20\n", f);
    std::fclose(f);
  }
  const Case cases[] = {
      {"flight", {"--overlay", "angle=30,side-spin=1500"},
       {"Side view", "Top view", "downrange (m)", "height (m)", "lateral (m)", "apex 12.7 m", "landing 183.9 m",
        "first flight", "angle 30°, side spin 1500 rpm"}},
      {"flight in yards", {"--units", "imperial"}, {"downrange (yd)", "landing 201.1 yd", "apex 13.9 yd"}},
      {"one swept", {"sweep", "--angle", "10:40:5"},
       {"Sweep over launch angle", "launch angle (°)", "carry (m)", "apex (m)", "lateral (m)"}},
      {"two swept", {"sweep", "--angle", "10:40:10", "--back-spin", "1000:3000:1000", "--best", "apex"},
       {"back spin (rpm)", "apex (m)", "best: angle 40°, back spin 3000 rpm"}},
      {"dispersion", {"dispersion", "--samples", "50", "--angle-sd", "2", "--side-spin-sd", "300"},
       {"Dispersion of 50 flights (seed 1)", "landing points (50)", "95% ellipse", "mean "}},
      {"ball flight", {"--model", "ball", "--units", "imperial"},
       {"landing 270.3 yd", "rest, total 292.7 yd", "rest 0.0 yd"}},
      {"ball dispersion", {"dispersion", "--model", "ball", "--samples", "30", "--spin-axis-sd", "3"},
       {"Landing and rest points from above", "rest points (30)", "95% rest ellipse", "mean total "}},
      {"convergence", {"--converge"}, {"time step dt (s)", "distance (m)", "0.01"}},
      {"fit", {"fit", "--shots", shots}, {"modelled distance (m)", "measured apex (m)", "low", "high", "K ="}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string svg = ScratchPath(std::string(c.name) + ".svg");
    std::vector<std::string> args = c.args;
    args.insert(args.end(), {"--chart", svg});
    const auto r = RunFlightTool(args);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const auto texts = SvgTexts(svg);
    for (const std::string& label : c.labels) EXPECT_TRUE(HasText(texts, label)) << label;
  }

  const std::string png = ScratchPath("flight.png");
  ASSERT_EQ(RunFlightTool({"--chart", png}).status, 0);
  const QImage image(QString::fromStdString(png));
  EXPECT_EQ(image.size(), QSize(1200, 800));
}

TEST(Charts, Refusals) {
  ExpectRefused({"--chart", ScratchPath("flight.jpg")});
  ExpectRefused({"--chart", ScratchPath("flight")});
  const auto r = ExpectRefused({"sweep", "--angle", "10:20:5", "--speed", "50:60:5", "--k", "0.01:0.02:0.01",
                                "--chart", ScratchPath("three.svg")});
  EXPECT_NE(r.err.find("three"), std::string::npos) << r.err;
}

std::string WriteSweep(const std::vector<std::string>& extra) {
  const std::string path = ScratchPath("sweep-" + std::to_string(extra.size()) + ".csv");
  std::vector<std::string> args{"sweep", "--angle", "10:30:10", "--speed", "45:65:10", "--output", path};
  args.insert(args.end(), extra.begin(), extra.end());
  EXPECT_EQ(RunFlightTool(args).status, 0);
  return path;
}

TEST(Fit, GivesBackTheParametersASweepWasFlownWith) {
  const std::string metric = WriteSweep({"--k", "0.013", "--k-prime", "0.027"});
  auto j = Json(RunFlightTool({"fit", "--shots", metric, "--format", "json"}));
  EXPECT_NEAR(j["fitted"]["k"].get<double>(), 0.013, 1e-8);
  EXPECT_NEAR(j["fitted"]["k_prime"].get<double>(), 0.027, 1e-8);
  EXPECT_LT(j["rms"].get<double>(), 1e-9);
  EXPECT_EQ(j["shots"].size(), 9u);
  EXPECT_EQ(j["shots"][0]["line"], 2);

  // In yards and mph, and another choice of fitted parameters.
  const std::string imperial =
      WriteSweep({"--units", "imperial", "--back-spin", "3000", "--mass", "45.5", "--k", "0.012"});
  j = Json(RunFlightTool({"fit", "--shots", imperial, "--units", "imperial", "--fit", "back-spin,mass",
                          "--k", "0.012", "--format", "json"}));
  EXPECT_NEAR(j["fitted"]["back_spin"].get<double>(), 3000.0, 1e-4);
  EXPECT_NEAR(j["fitted"]["mass"].get<double>(), 45.5, 1e-6);

  const auto text = RunFlightTool({"fit", "--shots", metric});
  EXPECT_EQ(text.status, 0);
  EXPECT_NE(text.out.find("fitted:  k = 0.01"), std::string::npos) << text.out;
}

// Past a few dozen shots the text report gives each target's figures and the shots
// furthest off, not a line per shot.
TEST(Fit, ManyShotsAreSummarised) {
  const std::string path = ScratchPath("many.csv");
  std::string csv = "name,angle,distance\n";
  for (int i = 0; i < 41; ++i) {  // appended piece by piece: gcc 12 -O3 warns falsely about "s" + string
    csv += 's';
    csv += std::to_string(i);
    csv += ',';
    csv += std::to_string(10 + i % 5);
    csv += ",180\n";
  }
  csv += "far,12,90\n";  // the one furthest off
  std::FILE* f = std::fopen(path.c_str(), "w");
  std::fputs(csv.c_str(), f);
  std::fclose(f);
  const auto r = RunFlightTool({"fit", "--shots", path, "--fit", "k"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("shots:   42 "), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("distance: measured mean 177.857"), std::string::npos) << r.out;  // (41 × 180 + 90) / 42
  EXPECT_NE(r.out.find("(42 shots)"), std::string::npos) << r.out;
  const std::size_t table = r.out.find("\nshot ");
  ASSERT_NE(table, std::string::npos) << r.out;
  EXPECT_EQ(r.out.compare(table + 1, 14, "shot  distance"), 0) << "the header";
  EXPECT_EQ(r.out.compare(r.out.find('\n', table + 1) + 1, 4, "far "), 0) << "furthest off first: " << r.out;
  const auto lines = std::count(r.out.begin() + static_cast<std::ptrdiff_t>(table), r.out.end(), '\n');
  EXPECT_EQ(lines, 13) << "header, 10 shots, footer: " << r.out;
  EXPECT_NE(r.out.find("the 10 shots furthest off"), std::string::npos) << r.out;
  EXPECT_EQ(r.err, "") << "no progress where standard error is not a terminal";
}

TEST(Fit, RefusesBadShotsAndFitsThatCannotMove) {
  struct Case {
    const char* name;
    const char* csv;
    std::vector<std::string> extra;
    const char* message;
  };
  const Case cases[] = {
      {"non-numeric", "angle,distance\n10,x\n", {}, ":2: column 'distance': 'x' is not a number"},
      {"unknown column", "angle,distance,wind\n10,100,3\n", {}, ":1: column 'wind': unknown column"},
      {"out of range", "angle,distance\n95,100\n", {}, ":2: column 'angle': '95' is out of range"},
      {"missing value", "angle,distance,apex\n10,100,5\n12,,5\n", {}, ":3: column 'distance': missing value"},
      {"no targets", "angle,speed\n10,50\n", {}, "no target columns"},
      {"too few targets", "angle,distance\n10,100\n", {}, "1 target for 2 fitted parameters"},
      {"identical", "angle,distance\n10,100\n10,100\n10,100\n", {}, "all 3 shots are identical"},
      {"unknown fitted", "angle,distance\n10,100\n", {"--fit", "k,spin"}, "--fit: unknown parameter 'spin'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = ScratchPath("bad.csv");
    std::FILE* f = std::fopen(path.c_str(), "w");
    std::fputs(c.csv, f);
    std::fclose(f);
    std::vector<std::string> args{"fit", "--shots", path};
    args.insert(args.end(), c.extra.begin(), c.extra.end());
    const auto r = ExpectRefused(args);
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
  }
  ExpectRefused({"fit", "--shots", ScratchPath("no-such-file.csv")});
  // A directory opens; its read fails, and says why.
  const auto dir = ExpectRefused({"fit", "--shots", "/"});
  EXPECT_NE(dir.err.find("cannot read /: Is a directory"), std::string::npos) << dir.err;
}

// The example shipped with the program: twelve clubs' averages in mph and yards, its
// first line a comment naming the source.
TEST(Fit, TheTourAveragesExample) {
  const std::string example = VENDREL_EXAMPLES_DIR "/tour-averages.csv";
  const auto r = RunFlightTool({"fit", "--shots", example, "--units", "imperial"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "fitted:  k = 0.1636161053779566, k-prime = 0.35452648672604414\n"
            "rms:     19.48305772456691 % of the measured values (454 evaluations)\n"
            "shot    distance (yd)         apex (yd)\n"
            "Driver  275.00 / 201.58       32.00 / 22.80\n"
            "3-wood  243.00 / 199.69       30.00 / 21.79\n"
            "5-wood  230.00 / 200.74       31.00 / 23.97\n"
            "Hybrid  225.00 / 195.66       29.00 / 24.35\n"
            "3-iron  212.00 / 192.59       27.00 / 24.38\n"
            "4-iron  203.00 / 188.76       28.00 / 24.87\n"
            "5-iron  194.00 / 187.11       31.00 / 27.44\n"
            "6-iron  183.00 / 185.59       30.00 / 32.63\n"
            "7-iron  172.00 / 178.42       32.00 / 36.32\n"
            "8-iron  160.00 / 171.69       31.00 / 39.40\n"
            "9-iron  148.00 / 161.52       30.00 / 41.06\n"
            "PW      136.00 / 146.44       29.00 / 43.03\n"
            "(measured / modelled)\n");
  EXPECT_EQ(r.err, "");

  // The same file on standard input gives the same fit; one club alone is met.
  const std::string file = ReadFile(example);
  ASSERT_FALSE(file.empty());
  EXPECT_EQ(RunFlightTool({"fit", "--shots", "-", "--units", "imperial"}, file).out, r.out);
  std::string driver;
  for (std::size_t at = 0; at < file.size();) {
    const std::size_t nl = std::min(file.find('\n', at), file.size());
    const std::string line = file.substr(at, nl + 1 - at);
    if (line.rfind("name,", 0) == 0 || line.rfind("Driver,", 0) == 0) driver += line;
    at = nl + 1;
  }
  const auto one = RunFlightTool({"fit", "--shots", "-", "--units", "imperial", "--format", "json"}, driver);
  ASSERT_EQ(one.status, 0) << one.err;
  const auto j = Json(one);
  EXPECT_NEAR(j["fitted"]["k"].get<double>(), 0.1624, 0.00005);
  EXPECT_NEAR(j["fitted"]["k_prime"].get<double>(), 0.2303, 0.00005);
  EXPECT_LT(j["rms"].get<double>(), 1e-9);
  EXPECT_EQ(j["shots"][0]["name"], "Driver");
  EXPECT_EQ(j["shots"][0]["line"], 2);
}

TEST(Dispersion, SameBitsWhateverTheThreadsAndSeedMatters) {
  const std::vector<std::string> base{"dispersion", "--samples", "300", "--seed", "77", "--angle-sd", "1.5",
                                      "--speed-sd", "2", "--side-spin-sd", "400", "--back-spin-sd", "300"};
  std::vector<std::string> one = base, two = base;
  const std::string rows1 = ScratchPath("rows1.csv"), rows2 = ScratchPath("rows2.csv");
  one.insert(one.end(), {"--threads", "1", "--output", rows1, "--format", "json"});
  two.insert(two.end(), {"--threads", "2", "--output", rows2, "--format", "json"});
  const auto a = RunFlightTool(one), b = RunFlightTool(two);
  ASSERT_EQ(a.status, 0) << a.err;
  EXPECT_EQ(a.out, b.out);
  EXPECT_EQ(ReadFile(rows1), ReadFile(rows2));
  const auto j = Json(a);
  EXPECT_EQ(j["distance"]["count"], 300);
  EXPECT_GT(j["lateral"]["sd"].get<double>(), 1.0);
  EXPECT_GT(j["ellipse"]["major"].get<double>(), j["ellipse"]["minor"].get<double>());

  std::vector<std::string> other = base;
  other[4] = "78";
  other.insert(other.end(), {"--format", "json"});
  EXPECT_NE(RunFlightTool(other).out, a.out);
}

TEST(Dispersion, NoSpreadGivesCopiesOfTheSingleFlight) {
  const std::string rows = ScratchPath("copies.csv");
  const auto r = RunFlightTool({"dispersion", "--samples", "20", "--angle", "20", "--output", rows, "--format", "json"});
  ASSERT_EQ(r.status, 0) << r.err;
  const auto single = Json(RunFlightTool({"--angle", "20", "--format", "json"}));
  const auto j = Json(r);
  // The sum of twenty equal values may round: the rows below are the exact check.
  EXPECT_NEAR(j["distance"]["mean"].get<double>(), single["distance"].get<double>(), 1e-12);
  EXPECT_NEAR(j["distance"]["sd"].get<double>(), 0.0, 1e-12);
  const std::string text = ReadFile(rows);
  std::set<std::string> lines;
  std::size_t pos = text.find('\n') + 1;
  for (std::size_t nl; (nl = text.find('\n', pos)) != std::string::npos; pos = nl + 1) lines.insert(text.substr(pos, nl - pos));
  EXPECT_EQ(lines.size(), 1u);
}

TEST(Dispersion, Refusals) {
  const auto r = ExpectRefused({"dispersion", "--samples", "2000", "--max-flights", "1000"});
  EXPECT_NE(r.err.find("--max-flights"), std::string::npos) << r.err;
  ExpectRefused({"dispersion", "--angle-sd", "-1"});
  ExpectRefused({"dispersion", "--samples", "0"});
}

TEST(Units, ConvertOnlyAtTheEdges) {
  const auto metric = Json(RunFlightTool({"--format", "json"}));
  const auto yards = Json(RunFlightTool({"--units", "imperial", "--format", "json"}));
  EXPECT_EQ(yards["distance"].get<double>(), metric["distance"].get<double>() / 0.9144);
  EXPECT_EQ(yards["apex"].get<double>(), metric["apex"].get<double>() / 0.9144);

  // 150 mph is the model's 150 × 0.44704 m/s, bit for bit.
  char speed[32];
  std::snprintf(speed, sizeof speed, "%.17g", 150 * 0.44704);
  const auto mph = Json(RunFlightTool({"--units", "imperial", "--speed", "150", "--format", "json"}));
  const auto ms = Json(RunFlightTool({"--speed", speed, "--format", "json"}));
  EXPECT_EQ(mph["distance"].get<double>(), ms["distance"].get<double>() / 0.9144);

  ExpectRefused({"--units", "imperial", "--speed", "224"});  // above 100 m/s
  ExpectRefused({"--units", "furlongs"});
  ExpectRefused({"sweep", "--units", "imperial", "--speed", "200:230:10"});
}

// Speeds and their spread read in mph fly as the same m/s would; every length comes
// back in yards.
TEST(Units, DispersionInYardsAndMph) {
  char speed[32], spread[32];
  std::snprintf(speed, sizeof speed, "%.17g", 134 * 0.44704);
  std::snprintf(spread, sizeof spread, "%.17g", 2 * 0.44704);
  const std::vector<std::string> common{"dispersion", "--samples", "40", "--seed", "5", "--angle-sd", "1",
                                        "--side-spin-sd", "300", "--format", "json", "--output"};
  const std::string metricRows = ScratchPath("dispersion-m.csv"), yardRows = ScratchPath("dispersion-yd.csv");
  std::vector<std::string> metricArgs = common, imperialArgs = common;
  metricArgs.insert(metricArgs.end(), {metricRows, "--speed", speed, "--speed-sd", spread});
  imperialArgs.insert(imperialArgs.end(),
                      {yardRows, "--units", "imperial", "--speed", "134", "--speed-sd", "2"});
  const auto metric = RunFlightTool(metricArgs), imperial = RunFlightTool(imperialArgs);
  ASSERT_EQ(metric.status, 0) << metric.err;
  ASSERT_EQ(imperial.status, 0) << imperial.err;
  const auto m = Json(metric), y = Json(imperial);
  for (const char* what : {"carry", "distance", "lateral"}) {
    for (const char* stat : {"mean", "sd"}) {
      const double metres = m[what][stat].get<double>();
      EXPECT_NEAR(y[what][stat].get<double>(), metres / 0.9144, 1e-12 * (1 + std::fabs(metres)))
          << what << " " << stat;
    }
  }
  for (const char* axis : {"x", "y", "major", "minor"}) {
    const double metres = m["ellipse"][axis].get<double>();
    EXPECT_NEAR(y["ellipse"][axis].get<double>(), metres / 0.9144, 1e-12 * (1 + std::fabs(metres))) << axis;
  }
  EXPECT_EQ(y["ellipse"]["angle"], m["ellipse"]["angle"]);
  EXPECT_GT(m["lateral"]["sd"].get<double>(), 0.5);

  // Row by row: the same flights, the distance in yards.
  auto column = [](const std::string& csv, const std::string& name) {
    std::istringstream in(csv);
    std::string line, cell;
    std::getline(in, line);
    std::istringstream header(line);
    int index = 0;
    while (std::getline(header, cell, ',') && cell != name) ++index;
    std::vector<double> values;
    while (std::getline(in, line)) {
      std::istringstream cells(line);
      for (int i = 0; i <= index; ++i) std::getline(cells, cell, ',');
      values.push_back(std::strtod(cell.c_str(), nullptr));
    }
    return values;
  };
  const auto metresEach = column(ReadFile(metricRows), "distance");
  const auto yardsEach = column(ReadFile(yardRows), "distance");
  ASSERT_EQ(metresEach.size(), 40u);
  ASSERT_EQ(yardsEach.size(), 40u);
  for (std::size_t i = 0; i < metresEach.size(); ++i) EXPECT_EQ(yardsEach[i], metresEach[i] / 0.9144) << i;

  const auto shown = RunFlightTool({"dispersion", "--samples", "40", "--seed", "5", "--angle-sd", "1",
                                    "--side-spin-sd", "300", "--units", "imperial", "--speed", "134",
                                    "--speed-sd", "2"});
  ASSERT_EQ(shown.status, 0) << shown.err;
  EXPECT_NE(shown.out.find("distance: mean "), std::string::npos) << shown.out;
  EXPECT_NE(shown.out.find(" yd, sd "), std::string::npos) << shown.out;
  for (const char* metres : {" m,", " m;", " m ", " m\n"}) {
    EXPECT_EQ(shown.out.find(metres), std::string::npos) << shown.out;
  }
}

TEST(Units, TrajectoriesAndSweepRowsInYardsAndMph) {
  // Row 0 of the trajectory: the launch velocity in mph, positions in yards.
  const auto metric = RunFlightTool({"--trajectory", "-"});
  const auto imperial = RunFlightTool({"--trajectory", "-", "--units", "imperial"});
  auto row = [](const std::string& csv, int n) {
    std::size_t at = 0;
    for (int i = 0; i <= n; ++i) at = csv.find('\n', at) + 1;
    std::vector<double> v;
    std::stringstream line(csv.substr(at, csv.find('\n', at) - at));
    for (std::string cell; std::getline(line, cell, ',');) v.push_back(std::strtod(cell.c_str(), nullptr));  // 0 for a word
    return v;
  };
  const auto m1 = row(metric.out, 1), i1 = row(imperial.out, 1);
  EXPECT_DOUBLE_EQ(i1[2], m1[2] / 0.9144);  // x after the first tick
  EXPECT_DOUBLE_EQ(i1[5], m1[5] / 0.44704);  // vx
  EXPECT_EQ(i1[1], m1[1]);                   // time stays in seconds

  // A sweep's speeds are read and written in mph, and fly as m/s.
  const auto sweep = RunFlightTool({"sweep", "--units", "imperial", "--speed", "100:150:50", "--angle", "20"});
  ASSERT_EQ(sweep.status, 0) << sweep.err;
  const auto r150 = row(sweep.out, 1);
  EXPECT_EQ(r150[1], 150.0);
  char speed[32];
  std::snprintf(speed, sizeof speed, "%.17g", 150 * 0.44704);
  const auto single = Json(RunFlightTool({"--speed", speed, "--angle", "20", "--format", "json"}));
  EXPECT_EQ(r150[12], single["distance"].get<double>() / 0.9144);
}

// The cells of CSV lines (no quoting in a sweep's rows).
std::vector<std::vector<std::string>> CsvRows(const std::string& text) {
  std::vector<std::vector<std::string>> rows;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    std::vector<std::string> cells;
    std::size_t at = 0;
    for (std::size_t comma; (comma = line.find(',', at)) != std::string::npos; at = comma + 1) {
      cells.push_back(line.substr(at, comma - at));
    }
    cells.push_back(line.substr(at));
    rows.push_back(cells);
  }
  return rows;
}

std::size_t Column(const std::vector<std::string>& header, const std::string& name) {
  return static_cast<std::size_t>(std::find(header.begin(), header.end(), name) - header.begin());
}

// Each row of a ball sweep is the single flight of its values, to the bit, whatever
// the threads; the spin form not in use is empty; imperial rows are the metric ones.
TEST(BallSweep, RowsAreTheSingleFlightsInEitherUnits) {
  const std::vector<std::string> args{"sweep", "--model", "ball", "--speed", "60:70:10", "--spin-axis", "-4:4:8"};
  auto two = args, one = args;
  two.insert(two.end(), {"--threads", "2"});
  one.insert(one.end(), {"--threads", "1"});
  const auto r = RunFlightTool(two);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(RunFlightTool(one).out, r.out);
  const auto rows = CsvRows(r.out);
  ASSERT_EQ(rows.size(), 5u);
  const auto& h = rows[0];
  const std::vector<std::string> results(h.end() - 14, h.end());
  EXPECT_EQ(results, (std::vector<std::string>{"ticks", "end", "carry", "distance", "lateral", "apex", "landing_angle",
                                               "flight_time", "total", "roll", "rest_x", "rest_y", "bounces",
                                               "time_to_rest"}));
  EXPECT_EQ(h[0], "angle");
  EXPECT_EQ(Column(h, "k"), h.size()) << "the form's parameters are not the ball's";
  for (std::size_t i = 1; i < rows.size(); ++i) {
    const auto& row = rows[i];
    ASSERT_EQ(row.size(), h.size());
    EXPECT_EQ(row[Column(h, "back_spin")], "");
    EXPECT_EQ(row[Column(h, "pressure")], "");
    const auto single = Json(RunFlightTool({"--model", "ball", "--format", "json", "--speed", row[Column(h, "speed")],
                                            "--spin-axis", row[Column(h, "spin_axis")]}));
    EXPECT_EQ(std::strtod(row[Column(h, "carry")].c_str(), nullptr), single["distance"].get<double>());
    EXPECT_EQ(std::strtod(row[Column(h, "landing_angle")].c_str(), nullptr), single["landing_angle"].get<double>());
    EXPECT_EQ(std::strtod(row[Column(h, "lateral")].c_str(), nullptr), single["lateral"].get<double>());
    EXPECT_GT(std::strtod(row[Column(h, "total")].c_str(), nullptr), single["distance"].get<double>());
  }
  EXPECT_LT(std::strtod(rows[1][Column(h, "lateral")].c_str(), nullptr), 0.0);  // the axis tilted left

  // Back and side spin as launch monitors give them; in yards and mph; the best total.
  const auto imperial = RunFlightTool({"sweep", "--model", "ball", "--units", "imperial", "--speed", "167",
                                       "--back-spin", "2500:2700:200", "--best", "total"});
  ASSERT_EQ(imperial.status, 0) << imperial.err;
  const auto best = CsvRows(imperial.out);
  ASSERT_EQ(best.size(), 2u);
  EXPECT_EQ(best[1][Column(h, "total_spin")], "");
  const auto metric = Json(RunFlightTool({"--model", "ball", "--format", "json", "--speed", "74.65568",
                                          "--back-spin", best[1][Column(h, "back_spin")]}));
  EXPECT_NEAR(std::strtod(best[1][Column(h, "carry")].c_str(), nullptr) * 0.9144, metric["distance"].get<double>(), 1e-6);
  EXPECT_EQ(best[1][Column(h, "temperature")], "59");  // 15 °C

  // A surface sets the ground's rows left out; a ground row given still sweeps.
  const auto green = CsvRows(RunFlightTool({"sweep", "--model", "ball", "--surface", "green", "--crater", "10:20:10"}).out);
  ASSERT_EQ(green.size(), 3u);
  for (std::size_t i = 1; i < green.size(); ++i) {
    const auto single = Json(RunFlightTool({"--model", "ball", "--format", "json", "--surface", "green", "--crater",
                                            green[i][Column(h, "crater")]}));
    EXPECT_EQ(std::strtod(green[i][Column(h, "total")].c_str(), nullptr), single["total"].get<double>());
  }
  EXPECT_EQ(green[1][Column(h, "roll_resistance")], "0.056");

  // A chart of every result, in the user's units.
  const std::string svg = ScratchPath("ball-sweep.svg");
  ASSERT_EQ(RunFlightTool({"sweep", "--model", "ball", "--speed", "40:80:10", "--chart", svg, "--output",
                           ScratchPath("ball-sweep.csv")}).status, 0);
  const auto texts = SvgTexts(svg);
  for (const char* label : {"Carry", "Landing angle", "Flight time", "Total (to the rest point)", "landing angle (°)"}) {
    EXPECT_TRUE(HasText(texts, label)) << label;
  }
}

TEST(BallSweep, Refusals) {
  const struct {
    std::vector<std::string> args;
    const char* message;
  } rows[] = {
      {{"sweep", "--model", "ball", "--k", "0.1:0.2:0.1"}, "--k: only with --model form"},
      {{"sweep", "--cd0", "0.1"}, "--cd0: only with --model ball"},
      {{"sweep", "--best", "total"}, "--best total: only with --model ball"},
      {{"sweep", "--model", "ball", "--total-spin", "3000", "--back-spin", "1:2:1"},
       "give the spin either as total spin and spin axis or as back and side spin"},
      // Each value in range, but the first flight's drag falls below zero.
      {{"sweep", "--model", "ball", "--cd0", "0.02", "--cd1", "-0.2:0:0.1"},
       "the drag coefficient must not fall below 0 up to the spin ratio cap (it is -0.48887500000000006 at spin "
       "ratio 0.75) (in flight 1 of the sweep)"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.message);
    const std::string out = ScratchPath("refused.csv");
    std::vector<std::string> args = row.args;
    args.insert(args.end(), {"--output", out});
    const auto r = ExpectRefused(args);
    EXPECT_NE(r.err.find(row.message), std::string::npos) << r.err;
    EXPECT_FALSE(QFile::exists(QString::fromStdString(out))) << "nothing written";
  }
}

void WriteText(const std::string& path, const std::string& text) {
  std::FILE* f = std::fopen(path.c_str(), "w");
  std::fputs(text.c_str(), f);
  std::fclose(f);
}

// The example: twelve clubs' launch-monitor averages and what they came to.
TEST(BallFit, TheTourAveragesExample) {
  const std::string example = VENDREL_EXAMPLES_DIR "/tour-averages.csv";
  const auto r = RunFlightTool({"fit", "--model", "ball", "--shots", example, "--units", "imperial"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "fitted:  cd0 = 0.17785508009652878, cl1 = 1.2452820116579542\n"
            "rms:     5.846210128369895 % of the measured values (326 evaluations)\n"
            "shot    carry (yd)            apex (yd)             landing_angle (deg)\n"
            "Driver  275.00 / 259.62       32.00 / 31.61         38.00 / 39.03\n"
            "3-wood  243.00 / 238.53       30.00 / 29.28         43.00 / 40.05\n"
            "5-wood  230.00 / 225.76       31.00 / 30.56         47.00 / 42.44\n"
            "Hybrid  225.00 / 215.97       29.00 / 29.80         47.00 / 42.37\n"
            "3-iron  212.00 / 208.44       27.00 / 28.97         48.00 / 42.29\n"
            "4-iron  203.00 / 199.47       28.00 / 28.39         49.00 / 42.46\n"
            "5-iron  194.00 / 189.40       31.00 / 29.51         49.00 / 44.05\n"
            "6-iron  183.00 / 177.98       30.00 / 32.22         50.00 / 46.57\n"
            "7-iron  172.00 / 163.96       32.00 / 32.64         50.00 / 47.53\n"
            "8-iron  160.00 / 154.17       31.00 / 32.59         50.00 / 48.16\n"
            "9-iron  148.00 / 144.21       30.00 / 31.89         51.00 / 48.68\n"
            "PW      136.00 / 132.68       29.00 / 31.91         52.00 / 49.93\n"
            "(measured / modelled)\n");
  EXPECT_EQ(r.err, "");

  // The totals' example fits the total as a target; JSON names the carry so.
  const auto totals = RunFlightTool({"fit", "--model", "ball", "--shots", VENDREL_EXAMPLES_DIR "/tour-totals.csv",
                                     "--units", "imperial", "--format", "json"});
  ASSERT_EQ(totals.status, 0) << totals.err;
  const auto j = Json(totals);
  EXPECT_EQ(j["converged"], true);
  EXPECT_EQ(j["shots"][0]["total"]["measured"], 289);
  EXPECT_EQ(j["shots"][0]["carry"]["measured"], 275);
  EXPECT_GT(j["shots"][0]["total"]["modelled"].get<double>(), j["shots"][0]["carry"]["modelled"].get<double>());
}

TEST(BallFit, RefusesBadShotsAndMixedModels) {
  const struct {
    const char* name;
    const char* csv;
    std::vector<std::string> extra;
    const char* message;
  } cases[] = {
      {"form column", "speed,carry,k\n70,200,0.1\n", {}, ":1: column 'k': unknown column (known: angle, speed"},
      {"carry twice", "carry,distance\n200,200\n", {}, ":1: column 'distance': the same measurement as column 'carry'"},
      {"both spins", "total_spin,back_spin,carry\n3000,3000,200\n", {}, ":1: back_spin/side_spin: give the spin"},
      {"landing angle", "speed,carry,landing_angle\n70,200,0\n", {},
       ":2: column 'landing_angle': '0' is out of range (a measured landing angle is greater than 0"},
      {"negative drag", "speed,carry,cd0,cd1\n70,200,0.161,0.717\n70,180,0.05,-1\n", {},
       ":3: cd0/cd1/cd2: the drag coefficient must not fall below 0"},
      {"lateral alone", "apex,lateral\n20,3\n", {}, "column 'lateral' needs a carry column"},
      {"spin from both", "speed,total_spin,carry\n70,3000,200\n", {"--back-spin", "2000"},
       "give the spin either as total spin and spin axis or as back and side spin, not both (the file gives one"},
      {"form parameter", "speed,carry\n70,200\n60,150\n", {"--fit", "k"}, "--fit: unknown parameter 'k' (any of angle"},
      {"ball parameter", "speed,distance\n70,200\n60,150\n", {"--model", "form", "--fit", "cd0"},
       "--fit: unknown parameter 'cd0'"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = ScratchPath("ball.csv");
    WriteText(path, c.csv);
    std::vector<std::string> args{"fit", "--shots", path};
    if (c.extra.empty() || c.extra[0] != "--model") args.insert(args.end(), {"--model", "ball"});
    args.insert(args.end(), c.extra.begin(), c.extra.end());
    const auto r = ExpectRefused(args);
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
  }
}

}  // namespace
}  // namespace vendrel
