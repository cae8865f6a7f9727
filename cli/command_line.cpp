#include "cli/command_line.h"

#include <CLI/CLI.hpp>

#include <memory>

#include "cli/flight_command.h"
#include "cli/sweep_command.h"

namespace vendrel::cli {
namespace {

// A subcommand in one declaration: its name, one line for the usage, the mode it sets,
// how it declares its options into the Command and how it runs.
struct Subcommand {
  const char* name;
  const char* summary;
  Mode mode;
  void (*declare)(CLI::App&, Command&);
  int (*run)(const Command&);
};

const Subcommand kSubcommands[] = {
    {"sweep", "every combination of parameter ranges, one CSV row per flight", Mode::Sweep,
     [](CLI::App& app, Command& c) { DeclareSweep(app, c.sweep); },
     [](const Command& c) { return RunSweepCommand(c.sweep); }},
    {"dispersion", "flights with launch values drawn around the given ones, and where they land",
     Mode::Dispersion, [](CLI::App& app, Command& c) { DeclareDispersion(app, c.dispersion); },
     [](const Command& c) { return RunDispersion(c.dispersion); }},
    {"fit", "the values of K and K' (or the ball's drag and lift, or any parameters) that meet shots", Mode::Fit,
     [](CLI::App& app, Command& c) { DeclareFit(app, c.fit); }, [](const Command& c) { return RunFit(c.fit); }},
    {"range", "takes shots from launch monitors' connectors, flies them and keeps them", Mode::Range,
     [](CLI::App& app, Command& c) { DeclareRange(app, c.range); }, [](const Command& c) { return RunRange(c.range); }},
    {"history", "the shots the range kept, as CSV for fit --shots or as JSON", Mode::History,
     [](CLI::App& app, Command& c) { DeclareHistory(app, c.history); },
     [](const Command& c) { return RunHistory(c.history); }},
};

constexpr const char* kProgram = "vendrel-flight";

constexpr const char* kExitStatus =
    "Exit status: 0 the ball came down (or its height became not a number), 3 the tick\n"
    "bound was reached, 2 the command line was refused (nothing was run).";

// The usage as the man page writes it: each option with the name of its value, the
// relations between options left to the descriptions and the refusals.
class Usage : public CLI::Formatter {
 public:
  Usage() { column_width(22); }

  std::string make_option_opts(const CLI::Option* opt) const override {
    return opt->get_type_size() == 0 ? std::string() : " " + opt->get_type_name();
  }

  std::string make_help(const CLI::App* app, std::string, CLI::AppFormatMode mode) const override {
    std::string s = "Usage: " + std::string(kProgram);
    if (app->get_parent() != nullptr) {
      s += " " + app->get_name() + " [OPTION]...\n";
    } else {
      s += " [OPTION]...\n";
      for (const Subcommand& sub : kSubcommands) s += "       " + std::string(kProgram) + " " + sub.name + " [OPTION]...\n";
    }
    s += app->get_description() + "\n" + Groups(app, {});
    if (mode == CLI::AppFormatMode::All) {
      for (const CLI::App* sub : app->get_subcommands({})) {
        s += "\n" + std::string(kProgram) + " " + sub->get_name() + ": " + sub->get_description() + ".\n";
        s += Groups(sub, "Other");
      }
    }
    return s + "\n" + app->get_footer() + "\n";
  }

 private:
  // Each group of options under its heading, in the order they were declared.
  std::string Groups(const CLI::App* app, const std::string& skip) const {
    std::string s;
    for (const std::string& group : app->get_groups()) {
      if (group == skip) continue;
      s += "\n" + group + ":\n";
      for (const CLI::Option* opt : app->get_options([&](const CLI::Option* o) { return o->get_group() == group; })) {
        s += make_option(opt, false);
      }
    }
    return s;
  }
};

// The parser with every declaration; the Command it reads into outlives it.
std::unique_ptr<CLI::App> MakeApp(Command& cmd) {
  auto app = std::make_unique<CLI::App>("Runs the golf-ball flight model of Vendrel from launch to landing.",
                                        kProgram);
  app->formatter(std::make_shared<Usage>());
  app->footer(kExitStatus);
  // Unknown arguments are collected and refused in our words after the parse.
  app->allow_extras();
  DeclareFlight(*app, cmd.flight);
  app->option_defaults()->group("Other");
  app->set_help_flag("-h,--help", "this text");
  app->add_flag("--version")->description("the version");
  for (const Subcommand& sub : kSubcommands) {
    CLI::App* sc = app->add_subcommand(sub.name, sub.summary);
    sc->allow_extras();
    sub.declare(*sc, cmd);
    sc->option_defaults()->group("Other");
    sc->set_help_flag("-h,--help", "this text");
  }
  return app;
}

// The options of the parser and of the subcommand given, in the order they were
// declared: another subcommand's required option is not missing.
std::vector<const CLI::Option*> AllOptions(const CLI::App& app) {
  std::vector<const CLI::Option*> all = app.get_options();
  for (const CLI::App* sub : app.get_subcommands({})) {
    if (!sub->parsed()) continue;
    const std::vector<const CLI::Option*> more = sub->get_options();
    all.insert(all.end(), more.begin(), more.end());
  }
  return all;
}

// What the parser refused, as one line in our words, from the kind of refusal and the
// options' state (CLI11's own messages are never read).
std::string Explain(const CLI::ParseError& e, const CLI::App& app, const std::vector<std::string>& args) {
  // Our readers' refusals, and the flags' "takes no value", are whole lines already.
  if (dynamic_cast<const CLI::ValidationError*>(&e) != nullptr) return e.what();
  // Every value option collects all its occurrences, so the one count the parser
  // refuses is too few: the arguments ran out, so it is the last one, --name or --name=.
  if (dynamic_cast<const CLI::ArgumentMismatch*>(&e) != nullptr && !args.empty()) {
    return args.back().substr(0, args.back().find('=')) + ": missing value";
  }
  const std::vector<const CLI::Option*> options = AllOptions(app);
  for (const CLI::Option* opt : options) {
    if (dynamic_cast<const CLI::RequiredError*>(&e) != nullptr && opt->get_required() && opt->count() == 0) {
      return opt->get_name() + " is required";
    }
    if (opt->count() == 0) continue;
    if (dynamic_cast<const CLI::ExcludesError*>(&e) != nullptr) {
      for (const CLI::Option* other : opt->get_excludes()) {
        if (other->count() > 0) return opt->get_name() + ": not with " + other->get_name();
      }
    }
    if (dynamic_cast<const CLI::RequiresError*>(&e) != nullptr) {
      for (const CLI::Option* other : opt->get_needs()) {
        if (other->count() == 0) return opt->get_name() + ": only with " + other->get_name();
      }
    }
  }
  return e.what();
}

// Refuses what the parser collected but no declaration took.
bool RefuseExtras(const CLI::App& app, std::string& error) {
  const std::vector<std::string> extras = app.remaining();
  if (extras.empty()) return true;
  const std::string& first = extras.front();
  const std::string where = app.get_parent() ? " of " + app.get_name() : "";
  const std::string name = first.substr(0, first.find('='));
  error = name.rfind("-", 0) == 0 ? "'" + name + "': unknown option" + where + " (see --help)"
                                  : "'" + first + "': unexpected argument" + where + " (see --help)";
  return false;
}

}  // namespace

bool ParseCommandLine(const std::vector<std::string>& args, Command& cmd, std::string& error) {
  cmd = Command{};
  const std::unique_ptr<CLI::App> app = MakeApp(cmd);
  // CLI11 takes the arguments last to first.
  std::vector<std::string> reversed(args.rbegin(), args.rend());
  try {
    app->parse(reversed);
  } catch (const CLI::CallForHelp&) {
    // The flight's --help shows the subcommands' options too; a subcommand's, its own.
    cmd.mode = Mode::Help;
    cmd.help = app->get_subcommands().empty() ? app->help("", CLI::AppFormatMode::All) : app->help();
    return true;
  } catch (const CLI::ParseError& e) {
    error = Explain(e, *app, args);
    return false;
  }
  if (!RefuseExtras(*app, error)) return false;
  if (app->get_option("--version")->count() > 0) {
    cmd.mode = Mode::Version;
    return true;
  }
  const CLI::App* chosen = nullptr;
  for (const Subcommand& sub : kSubcommands) {
    const CLI::App* sc = app->get_subcommand(sub.name);
    if (sc->parsed()) {
      chosen = sc;
      cmd.mode = sub.mode;
    }
  }
  if (chosen != nullptr) {
    if (!RefuseExtras(*chosen, error)) return false;
    // The single flight's options before a subcommand would be read and then ignored.
    for (const CLI::Option* opt : app->get_options()) {
      if (opt->count() > 0) {
        error = "'" + opt->get_name() + "' comes before '" + chosen->get_name() + "': give it after it";
        return false;
      }
    }
  }
  return true;
}

int RunCommand(const Command& cmd) {
  for (const Subcommand& sub : kSubcommands) {
    if (sub.mode == cmd.mode) return sub.run(cmd);
  }
  return RunFlightCommand(cmd.flight);
}

std::string UsageText(const std::string& subcommand) {
  Command cmd;
  const std::unique_ptr<CLI::App> app = MakeApp(cmd);
  return subcommand.empty() ? app->help("", CLI::AppFormatMode::All) : app->get_subcommand(subcommand)->help();
}

}  // namespace vendrel::cli
