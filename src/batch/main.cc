// davrel3-batch: the headless runner. It drives the same workbench as the
// window, so experiments can be scripted and every number checked. This file
// is the command line only: options become a session and a plan, the plan
// runs, and the table writer writes what it brings back.
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <sstream>
#include <thread>

#include "experiment/design.h"
#include "experiment/input_file.h"
#include "experiment/manifest.h"
#include "experiment/parameter_file.h"
#include "experiment/progress.h"
#include "experiment/record.h"
#include "experiment/series.h"
#include "experiment/session.h"
#include "experiment/sweep.h"
#include "experiment/table_writer.h"
#include "experiment/version.h"
#include "model/int_text.h"

using namespace davrel3;

namespace {

constexpr const char* kProgram = "davrel3-batch";

constexpr const char* kExitStatuses =
    "Exit status:\n"
    "  0  the table was written whole (--design, --sweep, --points: a run's outcome is data), or the\n"
    "     single run(s) finished\n"
    "  1  single-run mode: a commit was refused, or a run failed, stalled or was cancelled (its record or\n"
    "     summary is printed)\n"
    "  2  bad options: nothing was run and no row printed (the reason is on standard error)\n"
    "  3  an output file could not be written";

// An option error found before any run: exit 2 with the reason.
struct UsageError {
  std::string reason;
};

// An output that could not be written: exit 3 with the reason.
struct WriteError {
  std::string reason;
};

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

void WriteWholeFile(const std::string& path, const std::string& text, const char* what) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) throw WriteError{std::string("cannot write ") + what + " '" + path + "': " + std::strerror(errno)};
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  out.close();
  if (!out) throw WriteError{std::string("cannot write ") + what + " '" + path + "': the write failed"};
}

void PrintSummary(const std::vector<SessionRun>& runs) {
  int number = 1;
  for (const auto& run : runs) {
    std::cout << "Run " << number++ << ": " << RunStatusName(run.outcome.status) << "\n";
    if (!run.outcome.message.empty()) std::cout << "  " << run.outcome.message << "\n";
    std::cout << "  Timesteps per task:";
    if (run.outcome.timesteps.empty()) std::cout << " none";
    for (long long t : run.outcome.timesteps) std::cout << " " << t;
    std::cout << "\n";
    const auto& grid = run.workTimeGrid;
    if (grid.empty()) continue;
    std::vector<std::size_t> widths;
    for (const auto& row : grid) {
      for (std::size_t c = 0; c < row.size(); ++c) {
        if (widths.size() <= c) widths.push_back(0);
        widths[c] = std::max(widths[c], row[c].size());
      }
    }
    std::cout << "  Work times per agent and task:\n";
    for (const auto& row : grid) {
      std::cout << "   ";
      for (std::size_t c = 0; c < row.size(); ++c) {
        const std::string& text = row[c];
        if (c == 0) {
          std::cout << " " << std::left << std::setw(static_cast<int>(widths[c])) << text;
        } else {
          std::cout << "  " << std::right << std::setw(static_cast<int>(widths[c])) << text;
        }
      }
      std::cout << "\n";
    }
  }
}

// Everything the command line says, as parsed.
struct CommandLine {
  std::string parameters, saveParameters, config, fit, newcomer, skills, levels;
  std::vector<std::string> sets, sweeps;
  std::string points, shard, output, series;
  bool define = false, json = false, design = false, dryRun = false, progress = false, version = false;
  int runs = 1;
  int threads = 0;
  bool runsGiven = false, threadsGiven = false;
  std::vector<std::string> arguments;
};

SessionOptions SessionFrom(const CommandLine& line) {
  SessionOptions options;
  if (!line.parameters.empty()) {
    options.parameterFile = ReadOptionFile(line.parameters, "--parameters", static_cast<std::int64_t>(kMaxParameterFileBytes));
    // Checked once here, so a file that cannot be loaded stops the runner
    // before any run rather than refusing every one.
    InMemoryPanel panel;
    try {
      LoadParameters(*options.parameterFile, panel);
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

// Options that would be ignored in the mode the command line asks for.
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
    if (needsTable) refuse(std::string(needsTable) + " applies to a table: it needs --design, --sweep or --points");
  }
}

// A base session that would be refused before any swept value applies.
void CheckBase(const SessionOptions& base) {
  if (auto refusal = CommitRefusal(base)) {
    throw UsageError{"the parameters before any swept value would be refused: " + *refusal};
  }
}

void SaveParametersAfterOptions(const SessionOptions& options, const std::string& path) {
  InMemoryPanel panel;
  Workbench bench(panel);
  PrepareSession(bench, options);
  try {
    CommitSession(bench, options);
  } catch (const std::exception&) {
    // A refused commit leaves the texts as typed: they are what is saved.
  }
  std::string text;
  try {
    text = SaveParameters(panel);
  } catch (const std::exception&) {
    // The file is JSON, which holds UTF-8 text only.
    throw UsageError{"--save-parameters: a parameter text is not valid UTF-8 and cannot be saved"};
  }
  WriteWholeFile(path, text, "the parameter file");
}

// The progress line: on a terminal rewritten in place as runs end; with
// --progress off a terminal, one line every 10 seconds for a log.
class ProgressReport {
 public:
  ProgressReport(bool asked) : terminal_(isatty(STDERR_FILENO) != 0), enabled_(terminal_ || asked) {}

  void Update(long long done, long long total) {
    if (!enabled_) return;
    const auto now = Clock::now();
    const double interval = terminal_ ? 0.2 : 10.0;
    if (done < total && Seconds(last_, now) < interval) return;
    if (!terminal_ && done == total && Seconds(start_, now) < interval) return;  // short runs log nothing
    last_ = now;
    const std::string line = ProgressLine(done, total, Seconds(start_, now));
    if (terminal_) {
      std::cerr << "\r" << line << "\033[K" << std::flush;
      shown_ = true;
    } else {
      std::cerr << line << std::endl;
    }
  }

  void End() {
    if (shown_) std::cerr << "\n";
  }

 private:
  using Clock = std::chrono::steady_clock;
  static double Seconds(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double>(to - from).count();
  }

  bool terminal_;
  bool enabled_;
  bool shown_ = false;
  Clock::time_point start_ = Clock::now();
  Clock::time_point last_ = start_;
};

int RunTable(const CommandLine& line, const SessionOptions& base, const SweepPlan& plan) {
  long long shardK = 1, shardN = 1;
  if (!line.shard.empty()) {
    if (auto error = ParseShard(line.shard, shardK, shardN)) throw UsageError{*error};
  }
  long long first = 0, last = 0;
  ShardRange(plan.Runs(), shardK, shardN, first, last);
  const int threads = line.threadsGiven ? line.threads : static_cast<int>(std::thread::hardware_concurrency());
  const PlanShape shape = MeasurePlan(base, plan, first, last, threads);
  if (line.dryRun) {
    std::cout << "runs: " << (last - first) << "\nrows: " << shape.rows << "\n";
    std::cout.flush();
    if (!std::cout) throw WriteError{"cannot write to standard output"};
    return 0;
  }

  const auto started = std::chrono::system_clock::now();
  std::ofstream file;
  if (!line.output.empty()) {
    file.open(line.output, std::ios::binary | std::ios::trunc);
    if (!file) throw WriteError{"cannot write the table '" + line.output + "': " + std::strerror(errno)};
  }
  std::ofstream series;
  if (!line.series.empty()) {
    series.open(line.series, std::ios::binary | std::ios::trunc);
    if (!series) throw WriteError{"cannot write the series '" + line.series + "': " + std::strerror(errno)};
    series << SeriesHeader() << "\n";
  }
  TableWriter writer(line.output.empty() ? static_cast<std::ostream&>(std::cout) : file, shape.agents);
  // Slices concatenate into one table: only the first carries the header.
  if (shardK == 1) writer.WriteHeader();
  ProgressReport progress(line.progress);
  RunSweep(
      base, plan, first, last, threads, !line.series.empty(),
      [&](long long, const TableRun& result) {
        writer.WriteRun(result.rows);
        if (!writer.Good()) throw WriteError{"cannot write the table: the write failed (is the disk full?)"};
        if (series.is_open()) {
          series << result.series;
          if (!series) throw WriteError{"cannot write the series '" + line.series + "': the write failed"};
        }
      },
      [&](long long done, long long total) { progress.Update(done, total); });
  progress.End();

  writer.Stream().flush();
  if (!writer.Good()) throw WriteError{"cannot write the table: the write failed (is the disk full?)"};
  if (series.is_open()) {
    series.close();
    if (!series) throw WriteError{"cannot write the series '" + line.series + "': the write failed"};
  }
  if (!line.output.empty()) {
    file.close();
    if (!file) throw WriteError{"cannot write the table '" + line.output + "': the write failed"};
    TableManifest manifest;
    manifest.program = kProgram;
    manifest.version = ProgramVersion();
    manifest.commandLine = line.arguments;
    manifest.started = UtcTimestamp(started);
    manifest.ended = UtcTimestamp(std::chrono::system_clock::now());
    manifest.runs = writer.Runs();
    manifest.rows = writer.Rows();
    manifest.table = FileNameOf(line.output);
    manifest.sha256 = writer.Sha256Hex();
    manifest.schemaVersion = kTableSchemaVersion;
    if (auto error = WriteManifest(line.output, manifest)) throw WriteError{*error};
  }
  return 0;
}

int RunSingleMode(const CommandLine& line, const SessionOptions& options) {
  const auto runs = RunSession(options, line.json, !line.series.empty());
  if (!line.series.empty()) {
    std::string text = SeriesHeader() + "\n";
    for (const auto& run : runs) text += run.series;
    WriteWholeFile(line.series, text, "the series");
  }
  if (line.json) {
    std::vector<std::string> records;
    for (const auto& run : runs) records.push_back(run.record);
    std::cout << RunRecordsDocument(records) << "\n";
  } else {
    PrintSummary(runs);
  }
  std::cout.flush();
  if (!std::cout) throw WriteError{"cannot write to standard output"};
  for (const auto& run : runs) {
    if (run.outcome.status != RunStatus::Finished) return 1;
  }
  return 0;
}

std::vector<std::string> Words(Choice choice) {
  std::vector<std::string> words;
  for (int i = 0; i < ChoiceItemCount(choice); ++i) words.emplace_back(ItemWord(choice, i));
  return words;
}

int Main(int argc, char** argv) {
  CLI::App app{"Davrel3 headless runner: runs the simulation without a window and prints its results."};
  app.set_help_flag("-h,--help", "Print this help and exit");
  app.footer(kExitStatuses);
  CommandLine line;
  for (int i = 0; i < argc; ++i) line.arguments.emplace_back(argv[i]);

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
  auto* runsOption = app.add_option("--runs", line.runs, "Press START this many times, with OK before each further run")
                         ->check(CLI::Range(1, 1000000));
  app.add_option("--levels", line.levels, "Give the committed group these levels before START")
      ->check(CLI::IsMember({"rotation"}));
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
  auto* threadsOption =
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
  app.add_flag("--progress", line.progress,
               "Report progress on standard error also when it is not a terminal: one line every 10 seconds");

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int code = app.exit(e);
    return code == 0 ? 0 : 2;
  }
  line.runsGiven = runsOption->count() > 0;
  line.threadsGiven = threadsOption->count() > 0;
  if (line.version) {
    std::cout << kProgram << " " << ProgramVersion() << "\n";
    return 0;
  }

  const SessionOptions options = SessionFrom(line);
  const SweepPlan plan = PlanFrom(line);
  const bool table = line.design || !plan.sweeps.empty() || plan.points;
  CheckMode(line, table);
  if (table) {
    if (auto error = CheckPlan(options, plan)) throw UsageError{*error};
    CheckBase(options);
  }
  if (!line.saveParameters.empty()) SaveParametersAfterOptions(options, line.saveParameters);
  return table ? RunTable(line, options, plan) : RunSingleMode(line, options);
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Main(argc, argv);
  } catch (const UsageError& error) {
    std::cerr << kProgram << ": " << error.reason << "\n";
    return 2;
  } catch (const WriteError& error) {
    std::cerr << kProgram << ": " << error.reason << "\n";
    return 3;
  } catch (const std::bad_alloc&) {
    std::cerr << kProgram << ": out of memory\n";
    return 2;
  } catch (const std::exception& error) {
    std::cerr << kProgram << ": " << error.what() << "\n";
    return 2;
  }
}
