#include "command_line.h"

#include <optional>

#include "experiment/design.h"
#include "experiment/input_file.h"
#include "experiment/parameter_file.h"

namespace davrel3::batch {
namespace {

constexpr const char* kExitStatuses =
    "Exit status:\n"
    "  0  the table was written whole (--design, --sweep, --points: a run's outcome is data), or the\n"
    "     single run(s) finished\n"
    "  1  single-run mode: a commit was refused, or a run failed, stalled or was cancelled (its record or\n"
    "     summary is printed); a table: a run failed and not even its failed row could be built (out of\n"
    "     memory), so the table ends with the runs before it (with --output, \"complete\": false)\n"
    "  2  bad options, or tables --resume or --merge cannot use: nothing was run and no row printed (the\n"
    "     reason is on standard error)\n"
    "  3  the output could not be written (a full disk, a closed pipe): the reason is on standard error;\n"
    "     with --output the file keeps what it held before\n"
    "  130, 143  interrupted by SIGINT (Ctrl-C) or SIGTERM: the runs done in order were written (with\n"
    "     --output, as FILE with \"complete\": false in its manifest; --resume FILE continues it)";

// A points file may hold millions of points.
constexpr std::int64_t kPointsFileBytes = std::int64_t{1} << 30;

// A file an option names, read whole: regular files only, within a size.
std::string ReadOptionFile(const std::string& path, const char* option, std::int64_t maxBytes) {
  try {
    return ReadWholeFile(path, maxBytes);
  } catch (const InputFileError& error) {
    throw UsageError{std::string(option) + ": " + error.what()};
  }
}

std::vector<std::string> Words(Choice choice) {
  std::vector<std::string> words;
  for (int i = 0; i < ChoiceItemCount(choice); ++i) words.emplace_back(ItemWord(choice, i));
  return words;
}

}  // namespace

GivenOptions DefineOptions(CLI::App& app, CommandLine& line) {
  app.footer(kExitStatuses);
  std::vector<std::string> configNames;
  for (const auto& c : Configurations()) configNames.push_back(c.name);
  app.add_flag("--version", line.version, "Print the program's version and exit");
  app.add_option("--parameters", line.parameters,
                 "Load a parameter file (as File > Open parameters does) before the other options apply")
      ->type_name("FILE");
  app.add_option("--save-parameters", line.saveParameters,
                 "Save the parameters as they stand after the options, as File > Save parameters does")
      ->type_name("FILE");
  app.add_option("--config", line.config, "Apply a named configuration after start-up")
      ->check(CLI::IsMember(configNames));
  app.add_option("--fit", line.fit, "Select the fit item")->check(CLI::IsMember(Words(Choice::FitNoFit)));
  app.add_option("--newcomer", line.newcomer, "Select the newcomer item")
      ->check(CLI::IsMember(Words(Choice::Newcomer)));
  app.add_option("--skills", line.skills, "Select the newcomer's skills item")
      ->check(CLI::IsMember(Words(Choice::HiLo)));
  app.add_option("--set", line.sets, "Write TEXT into the edit of FIELD (repeatable, in order)")
      ->type_name("FIELD=TEXT")
      ->allow_extra_args(false)
      ->take_all();
  app.add_flag("--define", line.define, "Press Define (otherwise OK commits any --set or --parameters)");
  GivenOptions given;
  given.runs = app.add_option("--runs", line.runs, "Press START this many times, with OK before each further run")
                         ->check(CLI::Range(1, 1000000));
  app.add_option("--levels", line.levels,
                 "Give the committed group levels before START: 'rotation' (14 + ((a + s - 2) mod 5)), or a CSV "
                 "file with the header agent,skill,expertise,motivation (agents and skills it does not list keep "
                 "theirs; write ./rotation for a file of that name)")
      ->type_name("rotation|FILE.csv");
  app.add_flag("--json", line.json, "Print the full record of every run as JSON");
  app.add_flag("--design", line.design, "Run the 18 conditions of the experimental design and print a table");
  app.add_option("--sweep", line.sweeps,
                 "Sweep FIELD over FROM..TO by STEP, or over a list; fit=, newcomer=, skills= and config= take "
                 "lists of items or configurations (repeatable: the full factorial); prints a table, one row per "
                 "run and task")
      ->type_name("FIELD=FROM:TO:STEP|NAME=V1,V2,...")
      ->allow_extra_args(false)
      ->take_all();
  app.add_option("--points", line.points,
                 "Run one session per row of a CSV file whose header names fields (and fit, newcomer, skills, "
                 "config); with --design every point runs the 18 conditions")
      ->type_name("FILE.csv");
  app.add_flag("--dry-run", line.dryRun, "Print the number of runs and rows of the table and exit");
  given.threads =
      app.add_option("--threads", line.threads, "Runs in parallel for a table (default: all cores)")
          ->check(CLI::Range(1, 1024));
  app.add_option("--shard", line.shard, "Run only the K-th of N equal slices of a table")->type_name("K/N");
  app.add_option("--output", line.output,
                 "Write the table to FILE and its manifest (version, command line, times, counts, SHA-256) to "
                 "FILE.manifest.json")
      ->type_name("FILE");
  app.add_option("--series", line.series,
                 "Write the time series (expertise, motivation and work time per run, task, timestep, agent and "
                 "skill) to a CSV file")
      ->type_name("FILE");
  app.add_option("--resume", line.resume,
                 "Continue the interrupted table FILE (written with --output) with the same command: only the "
                 "missing runs run, and FILE ends as an uninterrupted run would have written it")
      ->type_name("FILE");
  app.add_option("--merge", line.merge,
                 "Join the tables of the slices of one batch (--shard) into its whole table; a run missing or "
                 "twice is named and nothing is written")
      ->type_name("FILE...")
      ->expected(1, CLI::detail::expected_max_vector_size);
  given.budget = app.add_option("--memory-budget", line.memoryBudget,
                 "Memory the runs may use together, e.g. 8G or 512M (default: half of the physical memory); a run "
                 "that does not fit waits for others to end, and only a run that alone needs more fails")
      ->type_name("SIZE");
  app.add_flag("--progress", line.progress,
               "Report progress on standard error also when it is not a terminal: one line every 10 seconds");
  return given;
}

SessionOptions SessionFrom(const CommandLine& line) {
  SessionOptions options;
  if (!line.parameters.empty()) {
    options.parameterFile = ReadOptionFile(line.parameters, "--parameters", static_cast<std::int64_t>(kMaxParameterFileBytes));
    // Checked once here, so a file that cannot be loaded stops the runner
    // before any run rather than refusing every one.
    InMemoryPanel panel;
    try {
      LoadParameters(*options.parameterFile, panel, &options.parameterLevels);
    } catch (const ParameterFileError& error) {
      throw UsageError{"--parameters " + line.parameters + ": " + error.what()};
    }
  }
  if (!line.config.empty()) options.config = line.config;
  if (!line.fit.empty()) options.fit = ItemFromWord(Choice::FitNoFit, line.fit);
  if (!line.newcomer.empty()) options.newcomer = ItemFromWord(Choice::Newcomer, line.newcomer);
  if (!line.skills.empty()) options.skills = ItemFromWord(Choice::HiLo, line.skills);
  options.define = line.define;
  options.runs = line.runs;
  options.levelsRotation = line.levels == "rotation";
  options.memoryBudget = line.budgetBytes;
  if (!line.levels.empty() && !options.levelsRotation) {
    try {
      options.levelFile = ReadLevelFile(line.levels);
    } catch (const LevelFileError& error) {
      throw UsageError{std::string("--levels: ") + error.what()};
    }
  }
  if (!line.parameters.empty()) options.parameterFileName = line.parameters;
  for (const auto& item : line.sets) {
    const auto eq = item.find('=');
    const auto field = eq == std::string::npos ? std::nullopt : FieldFromName(item.substr(0, eq));
    if (!field || *field == Field::EntTurnAgent) {
      throw UsageError{
          "--set takes FIELD=TEXT with FIELD one of NrofAg, NrofSkills, InhPar, ExcPar, ExpRate, MotRate, LearnInt, "
          "MotMax, MotThresh, Bore, Rest, Fair, ExpMax, ExpThresh, LearnSpeed, ForgetSpeed, Cycle, Action, Var, "
          "NrOfTasks, Dur; got '" +
          item + "'"};
    }
    options.sets.emplace_back(*field, item.substr(eq + 1));
  }
  return options;
}

SweepPlan PlanFrom(const CommandLine& line) {
  SweepPlan plan;
  plan.design = line.design;
  if (!line.points.empty()) {
    PointTable points;
    if (auto error = ParsePoints(ReadOptionFile(line.points, "--points", kPointsFileBytes), line.points, points)) {
      throw UsageError{"--points " + *error};
    }
    plan.points = std::move(points);
  }
  for (const auto& text : line.sweeps) {
    Sweep sweep;
    if (auto error = ParseSweep(text, sweep)) throw UsageError{*error};
    plan.sweeps.push_back(std::move(sweep));
  }
  return plan;
}

void CheckMode(const CommandLine& line, bool table) {
  const auto refuse = [](const std::string& reason) { throw UsageError{reason}; };
  if (table) {
    if (line.json) refuse("--json prints the records of single runs; --design, --sweep and --points print a table");
    if (line.runsGiven) refuse("--runs repeats START in a single session; a table has one START per run");
    if (line.design && (!line.fit.empty() || !line.newcomer.empty() || !line.skills.empty())) {
      refuse("--fit, --newcomer and --skills would be ignored: --design selects every condition itself");
    }
    if (line.design && line.define) refuse("--define would be ignored: --design commits every condition with Define");
  } else {
    const char* needsTable = nullptr;
    if (!line.shard.empty()) needsTable = "--shard";
    if (line.threadsGiven) needsTable = "--threads";
    if (line.progress) needsTable = "--progress";
    if (!line.output.empty()) needsTable = "--output";
    if (line.dryRun) needsTable = "--dry-run";
    if (!line.resume.empty()) needsTable = "--resume";
    if (needsTable) refuse(std::string(needsTable) + " applies to a table: it needs --design, --sweep or --points");
  }
}

}  // namespace davrel3::batch
