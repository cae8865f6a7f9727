// The manual page and --help list the same options, with the same ranges and defaults.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <utility>

#include "cli/command_line.h"
#include "flight/parameters.h"
#include "tests/support/process.h"

namespace vendrel::cli {
namespace {

// The page as the build makes it and installs it.
std::string ReadManual() {
  std::ifstream in(VENDREL_FLIGHT_MANUAL);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// roff's "\-" is a dash.
std::string Unescape(std::string s) {
  for (std::size_t at; (at = s.find("\\-")) != std::string::npos;) s.erase(at, 1);
  return s;
}

// The options a section of the page describes (its tagged paragraphs), with the
// paragraph's text.
std::map<std::string, std::string> ManualOptions(const std::string& page, const std::string& section) {
  std::map<std::string, std::string> options;
  std::istringstream in(page);
  std::string line, current;
  bool inSection = false, tag = false;
  const std::regex option(R"(^\.B[IR]? (--[a-z0-9-]+))");
  while (std::getline(in, line)) {
    if (line.rfind(".SH ", 0) == 0) {
      inSection = line == ".SH \"" + section + "\"";
      current.clear();
      continue;
    }
    if (!inSection) continue;
    std::smatch m;
    const std::string plain = Unescape(line);
    if (tag && std::regex_search(plain, m, option)) {
      current = m[1];
      options[current];
    } else if (line == ".TP" || line == ".PP" || line == ".RS") {
      if (line != ".TP") current.clear();
    } else if (!current.empty()) {
      options[current] += plain + " ";
    }
    tag = line == ".TP";
  }
  return options;
}

// The options a usage text lists, each with its line.
std::map<std::string, std::string> HelpOptions(const std::string& help) {
  std::map<std::string, std::string> options;
  std::istringstream in(help);
  std::string line;
  const std::regex option(R"(^  (?:-h,)?(--[a-z0-9-]+))");
  std::string current;
  while (std::getline(in, line)) {
    std::smatch m;
    if (std::regex_search(line, m, option)) {
      current = m[1];
      options[current] = line;
    } else if (!current.empty() && line.rfind("      ", 0) == 0) {
      // A wrapped line, appended piece by piece (gcc 12 -O3 misreads " " + string).
      options[current] += ' ';
      options[current] += line.substr(line.find_first_not_of(' '));
    } else {
      current.clear();
    }
  }
  return options;
}

std::set<std::string> Names(const std::map<std::string, std::string>& options) {
  std::set<std::string> names;
  for (const auto& [name, text] : options) names.insert(name);
  return names;
}

TEST(Manual, ListsTheOptionsOfHelp) {
  const std::string page = ReadManual();
  ASSERT_FALSE(page.empty());
  const auto parameters = ManualOptions(page, "FLIGHT PARAMETERS");
  auto flight = ManualOptions(page, "OPTIONS");
  auto sweep = ManualOptions(page, "SWEEPS");
  flight.insert(parameters.begin(), parameters.end());
  for (const auto& [name, text] : parameters) sweep[name] = text;  // sweeps fly either model
  sweep["--help"];  // the page describes --help once, for both

  const std::string all = UsageText();
  const std::string flightHelp = all.substr(0, all.find("\nvendrel-flight sweep:"));
  EXPECT_EQ(Names(flight), Names(HelpOptions(flightHelp)));
  EXPECT_EQ(Names(sweep), Names(HelpOptions(UsageText("sweep"))));
}

// Each parameter's range and default, written out: the page and --help are both made
// from the program's table, so comparing one with the other alone would pass whatever
// the table said.
TEST(Manual, GivesTheRangesAndDefaultsOfHelp) {
  const auto parameters = ManualOptions(ReadManual(), "FLIGHT PARAMETERS");
  const test::ProcessResult r = test::RunFlightTool({"--help"});
  ASSERT_EQ(r.status, 0) << r.err;
  const auto help = HelpOptions(r.out.substr(0, r.out.find("\nvendrel-flight sweep:")));  // the flight's own
  const struct {
    const char* option;
    const char* range;
    const char* byDefault;
  } rows[] = {
      {"--angle", "0 to 90", "15"},
      {"--speed", "0 to 100", "60"},
      {"--side-spin", "-100000 to 100000", "0"},
      {"--back-spin", "-100000 to 100000", "2000"},
      {"--k", "0 to 10", "0.01"},
      {"--k-prime", "0 to 10", "0.02"},
      {"--mass", "0 to 10000", "46"},
      {"--gravity", "0 to 10000", "9.8"},
      {"--dt", "0.00001 to 0.1", "0.01"},
  };
  EXPECT_EQ(parameters.size(), AllParameters().size() + 1);  // and --surface
  // Every named surface, in the page with its constants and in --help.
  ASSERT_TRUE(parameters.count("--surface"));
  ASSERT_TRUE(help.count("--surface"));
  for (const char* name : {"fairway", "rough", "green", "fairway-firm", "fairway-soft", "green-firm", "green-soft"}) {
    EXPECT_NE(parameters.at("--surface").find(std::string(name) + " "), std::string::npos) << name;
    EXPECT_NE(help.at("--surface").find(name), std::string::npos) << name;
  }
  EXPECT_NE(parameters.at("--surface").find("green 0.51, 0.0375, 0.000903, 0.4, 15.4, 0.056;"), std::string::npos)
      << parameters.at("--surface");
  const auto check = [&](const char* option, std::string range, const char* byDefault, bool ball) {
    SCOPED_TRACE(option);
    ASSERT_TRUE(parameters.count(option));
    ASSERT_TRUE(help.count(option));
    const std::string& page = parameters.at(option);
    const std::string said = range + ", default " + byDefault;
    const std::size_t inPage = page.find(said + (ball ? "." : ""));
    ASSERT_NE(inPage, std::string::npos) << page;
    EXPECT_TRUE(page[inPage + said.size()] == '.' || page[inPage + said.size()] == ';') << page;
    const std::string& line = help.at(option);
    // The range, then its unit or the default ("0 to 90 deg," and "0 to 10,").
    const std::size_t at = line.find(range);
    ASSERT_NE(at, std::string::npos) << line;
    EXPECT_TRUE(line[at + range.size()] == ' ' || line[at + range.size()] == ',') << line;
    const std::string end = std::string(", default ") + byDefault;
    EXPECT_TRUE(ball ? line.ends_with(end) : line.find(end + ";") != std::string::npos || line.ends_with(end))
        << line;
  };
  for (const auto& row : rows) check(row.option, row.range, row.byDefault, false);
  // The ball model's own ranges and defaults, of shared rows and of its own.
  const struct {
    const char* option;
    const char* range;
    const char* byDefault;
  } ballRows[] = {
      {"--speed", "0 to 120", "74.66"},      {"--mass", "1 to 1000", "45.93"},
      {"--dt", "0.0001 to 0.1", "0.05"},     {"--temperature", "-40 to 60", "15"},
      {"--total-spin", "0 to 20000", "2686"}, {"--pressure", "300 to 1100", "none"},
  };
  for (const auto& row : ballRows) check(row.option, row.range, row.byDefault, true);
}

// Every option a section of the page names, in its tags or its text.
std::set<std::string> NamedIn(const std::string& page, const std::string& section) {
  std::set<std::string> names;
  std::istringstream in(page);
  std::string line;
  bool inSection = false;
  const std::regex option(R"(--[a-z][a-z-]*[a-z])");
  while (std::getline(in, line)) {
    if (line.rfind(".SH ", 0) == 0) {
      inSection = line == ".SH \"" + section + "\"";
      continue;
    }
    if (!inSection) continue;
    const std::string plain = Unescape(line);
    for (std::sregex_iterator m(plain.begin(), plain.end(), option), end; m != end; ++m) names.insert(m->str());
  }
  return names;
}

// The default a text gives ("(default 1000)", "default 0: no spread"), or "" when it
// names none.
std::string DefaultIn(const std::string& text) {
  static const std::regex value(R"(default ([^);:,\s]+))");
  std::smatch m;
  return std::regex_search(text, m, value) ? m[1].str() : "";
}

// The sections of the page on the studies, against what each command's --help lists:
// every option of the command is described, with the same default, and the section
// names no option the command does not take. The flight parameters and --help have
// sections of their own.
TEST(Manual, DescribesTheStudiesOptionsAsTheirHelpDoes) {
  const std::string page = ReadManual();
  const auto parameters = Names(ManualOptions(page, "FLIGHT PARAMETERS"));
  ASSERT_GE(parameters.size(), 9u);
  for (const auto& [command, section] : {std::pair<std::string, std::string>{"dispersion", "DISPERSION"},
                                         std::pair<std::string, std::string>{"fit", "FITTING"}}) {
    SCOPED_TRACE(command);
    const test::ProcessResult r = test::RunFlightTool({command, "--help"});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto help = HelpOptions(r.out);
    const std::set<std::string> named = NamedIn(page, section);
    ASSERT_FALSE(named.empty()) << "no section " << section;
    for (const std::string& name : named) EXPECT_TRUE(help.count(name)) << name << " is not an option of " << command;
    std::set<std::string> own;
    for (const auto& [name, line] : help) {
      if (!parameters.count(name) && name != "--help") own.insert(name);
    }
    ASSERT_GE(own.size(), 5u) << r.out;
    for (const std::string& name : own) EXPECT_TRUE(named.count(name)) << name << " is missing from " << section;
    for (const auto& [name, text] : ManualOptions(page, section)) {
      const std::string described = DefaultIn(text);
      if (described.empty() || !help.count(name)) continue;
      EXPECT_EQ(described, DefaultIn(help.at(name)))
          << name << ": " << text << "\n  --help: " << help.at(name);
    }
  }
}

}  // namespace
}  // namespace vendrel::cli
