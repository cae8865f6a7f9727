// The manual page and --help list the same options, with the same ranges and defaults.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "cli/command_line.h"
#include "flight/form_value.h"
#include "platform/number_text.h"

namespace vendrel::cli {
namespace {

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
  const std::regex option(R"(^\.B[IR]? (--[a-z-]+))");
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
  const std::regex option(R"(^  (?:-h,)?(--[a-z-]+))");
  while (std::getline(in, line)) {
    std::smatch m;
    if (std::regex_search(line, m, option)) options[m[1]] = line;
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
  sweep.insert(parameters.begin(), parameters.end());
  sweep["--help"];  // the page describes --help once, for both

  const std::string all = UsageText();
  const std::string flightHelp = all.substr(0, all.find("\nvendrel-flight sweep:"));
  EXPECT_EQ(Names(flight), Names(HelpOptions(flightHelp)));
  EXPECT_EQ(Names(sweep), Names(HelpOptions(UsageText("sweep"))));
}

TEST(Manual, GivesTheRangesAndDefaultsOfHelp) {
  const auto parameters = ManualOptions(ReadManual(), "FLIGHT PARAMETERS");
  const auto help = HelpOptions(UsageText());
  for (const Parameter& f : ParametersOf(Model::Form)) {
    const std::string name = "--" + std::string(f.option);
    const std::string range = AllowedRange(f) + ", default " + afx::FormatNumber(f.defaultValue);
    ASSERT_TRUE(parameters.count(name)) << name;
    EXPECT_NE(parameters.at(name).find(range), std::string::npos) << name << ": " << parameters.at(name);
    EXPECT_NE(help.at(name).find(AllowedRange(f)), std::string::npos) << help.at(name);
  }
}

}  // namespace
}  // namespace vendrel::cli
