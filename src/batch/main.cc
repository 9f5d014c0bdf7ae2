// davrel3-batch: the headless runner. It drives the same workbench as the
// window, so experiments can be scripted and every number checked. This file
// is the command line only: options become a session and a plan, the plan
// runs, and the table writer writes what it brings back.
#include <signal.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <thread>

#include "experiment/batch_command.h"
#include "experiment/checked_output.h"
#include "experiment/design.h"
#include "experiment/interrupt.h"
#include "experiment/memory_budget.h"
#include "experiment/run_table.h"
#include "experiment/table_merge.h"
#include "experiment/table_output.h"
#include "experiment/table_resume.h"
#include "experiment/run_summary.h"
#include "experiment/input_file.h"
#include "experiment/manifest.h"
#include "experiment/parameter_file.h"
#include "experiment/progress.h"
#include "experiment/record.h"
#include "experiment/series.h"
#include "experiment/session.h"
#include "experiment/sweep.h"
#include "experiment/table_writer.h"
#include "experiment/utf8_text.h"
#include "experiment/version.h"
#include "model/int_text.h"

using namespace davrel3;

namespace {

constexpr const char* kProgram = "davrel3-batch";

// A message on standard error, in one line after the program's name. Paths
// and texts it quotes come from the user: bytes that are not UTF-8 are
// replaced, so a terminal or a log shows the message whole.
void Say(const std::string& message) { std::cerr << kProgram << ": " << ValidUtf8(message) << "\n"; }

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
  try {
    WriteFileAtomically(path, text);
  } catch (const OutputError& error) {
    throw WriteError{std::string("cannot write ") + what + ": " + error.what()};
  }
}

// Everything the command line says, as parsed.
struct CommandLine {
  std::string parameters, saveParameters, config, fit, newcomer, skills, levels;
  std::vector<std::string> sets, sweeps;
  std::string points, shard, output, series, resume, memoryBudget;
  std::vector<std::string> merge;
  bool define = false, json = false, design = false, dryRun = false, progress = false, version = false;
  int runs = 1;
  int threads = 0;
  std::int64_t budgetBytes = 0;
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

// Whether the runs of a plan may start from different skill profiles: the
// design's conditions, or swept or listed radio items and configurations.
bool ProfilesVaryByRun(const SweepPlan& plan) {
  if (plan.design) return true;
  auto varies = [](const SweepTarget& target) { return target.kind != SweepTarget::Kind::Field; };
  for (const auto& sweep : plan.sweeps) {
    if (varies(sweep.target)) return true;
  }
  if (plan.points) {
    for (const auto& column : plan.points->columns) {
      if (varies(column)) return true;
    }
  }
  return false;
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
    if (!line.resume.empty()) needsTable = "--resume";
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
  bool committed = true;
  try {
    CommitSession(bench, options);
  } catch (const std::exception&) {
    // A refused commit leaves the texts as typed: they are what is saved,
    // without levels.
    committed = false;
  }
  // The levels the committed group's agents then hold, when the commit went.
  std::optional<SkillState> levels;
  if (committed) {
    try {
      ApplySessionLevels(bench, options);
    } catch (const LevelsRefused& refusal) {
      throw UsageError{std::string("--save-parameters: ") + refusal.what()};
    }
    levels = CommittedSkillState(bench.State().System);
  }
  std::string text;
  try {
    text = SaveParameters(panel, levels ? &*levels : nullptr);
  } catch (const std::exception&) {
    // The file is JSON, which holds UTF-8 text only.
    throw UsageError{"--save-parameters: a parameter text is not valid UTF-8 and cannot be saved"};
  }
  WriteWholeFile(path, text, "the parameter file");
}

int RunTable(const CommandLine& line, const SessionOptions& base, const SweepPlan& plan) {
  long long shardK = 1, shardN = 1;
  if (!line.shard.empty()) {
    if (auto error = ParseShard(line.shard, shardK, shardN)) throw UsageError{*error};
  }
  if (!line.resume.empty() && !line.series.empty()) {
    throw UsageError{"--series cannot be continued: --resume takes no --series"};
  }
  long long first = 0, last = 0;
  ShardRange(plan.Runs(), shardK, shardN, first, last);
  const int threads = line.threadsGiven ? line.threads : static_cast<int>(std::thread::hardware_concurrency());
  const PlanShape shape = MeasurePlan(base, plan, first, last, threads);
  // An interrupt before the first run (the measure of a large plan stops at
  // it) ends the table as one after no run: with the header of what was
  // measured, which a resume of a table without runs writes again.
  const bool measured = !Interrupted();
  if (line.dryRun) {
    if (const int signal = InterruptSignal()) {
      std::cerr << kProgram << ": interrupted before the first run\n";
      return InterruptExitStatus(signal);
    }
    DescriptorSink out(STDOUT_FILENO, "standard output");
    out.Write("runs: " + std::to_string(last - first) + "\nrows: " + std::to_string(shape.rows) + "\n");
    out.Finish();
    return 0;
  }

  const auto started = std::chrono::system_clock::now();
  RunTableScan kept;
  long long keptRuns = 0;
  const std::string header = TableHeader(shape.agents) + "\n";
  const LevelsSource levels = SessionLevelsSource(base, ProfilesVaryByRun(plan));
  if (!line.resume.empty()) {
    const ResumingBatch batch{kProgram, line.arguments, measured ? &header : nullptr, first, last, levels};
    keptRuns = CheckResume(line.resume, batch, kept);
  }

  // Where the table goes: standard output, or a file replaced only when the
  // table is whole or was interrupted (with --resume, the file resumed unless
  // --output names another).
  const std::string target = !line.output.empty() ? line.output : line.resume;
  TableOutput output(target);
  std::unique_ptr<AtomicFileSink> series;
  if (!line.series.empty()) series = OpenSeries(line.series);
  OutputSink& sink = output.Sink();
  TableWriter writer(sink, shape.agents);
  // A resumed table keeps what it holds; one without runs gets this batch's
  // header, unless the measure was cut short and the header is not known.
  if (keptRuns > 0 || (!line.resume.empty() && !measured)) {
    KeptSink keep(writer);
    CopyTable(kept, keep);
    writer.CountKept(keptRuns, kept.rows);
  } else {
    // Every slice carries the header: --merge joins them.
    writer.WriteHeader();
  }
  MemoryBudget budget(line.budgetBytes);
  ProgressReport progress(line.progress);
  const long long total = last - first;
  const OrderedRunsOutcome outcome = RunSweep(
      base, plan, first + keptRuns, last, threads, !line.series.empty(), &budget,
      [&](long long, const TableRun& result) {
        writer.WriteRun(result.rows);
        if (series) series->Write(result.series);
      },
      [&](long long done, long long) { progress.Update(keptRuns + done, total); });
  progress.End();
  const long long wanted = std::min<long long>(threads, last - first - keptRuns);
  if (outcome.threads > 0 && outcome.threads < wanted) {
    std::cerr << kProgram << ": only " << outcome.threads << " of " << wanted
              << " threads could be started; the runs go on with " << outcome.threads << "\n";
  }
  const long long written = keptRuns + outcome.emitted;
  const bool complete = written == total;
  sink.Finish();
  // The series holds exactly the runs the table holds, interrupted or not.
  if (series) series->Commit();
  const bool file = output.ToFile();
  if (file) {
    TableManifest manifest = BatchManifest(writer, kProgram, line.arguments, started, target);
    manifest.complete = complete;
    manifest.planRuns = plan.Runs();
    manifest.firstRun = first + 1;
    manifest.lastRun = last;
    manifest.memoryBudget = line.budgetBytes;
    manifest.levels = levels;
    output.Commit(manifest);
  }
  // A run without a row ends the table before it, as an interrupt does,
  // unless an interrupt had ended it earlier still.
  if (!complete && outcome.unrecorded && outcome.unrecorded->run == first + written) {
    std::string message = "the table is incomplete: " + UnrecordedRunText(*outcome.unrecorded) + "; it holds the " +
                          std::to_string(written) + " runs before it, of " + std::to_string(total);
    if (file) message += "; " + target + " holds them (--resume " + target + " continues it)";
    Say(message);
    return 1;
  }
  if (!complete) {
    const int signal = outcome.signal != 0 ? outcome.signal : SIGINT;
    std::string message = "interrupted after run " + std::to_string(written) + " of " + std::to_string(total);
    if (file) message += "; " + target + " holds them (--resume " + target + " continues it)";
    Say(message);
    return InterruptExitStatus(signal);
  }
  return 0;
}

int RunSingleMode(const CommandLine& line, const SessionOptions& options) {
  DescriptorSink out(STDOUT_FILENO, "standard output");
  std::string seriesText = SeriesHeader() + "\n";
  int number = 0;
  bool allFinished = true;
  // Each run goes out as it ends; the records stay one JSON document.
  if (line.json) out.Write("{\"runs\":[");
  RunSession(options, line.json, !line.series.empty(), [&](SessionRun& run) {
    ++number;
    allFinished = allFinished && run.outcome.status == RunStatus::Finished;
    if (!line.series.empty()) seriesText += run.series;
    if (line.json) {
      out.Write(number > 1 ? "," + run.record : run.record);
    } else {
      out.Write(RunSummary(run, number));
    }
  });
  if (line.json) out.Write("]}\n");
  out.Finish();
  if (!line.series.empty()) WriteWholeFile(line.series, seriesText, "the series");
  if (const int signal = InterruptSignal()) {
    std::cerr << kProgram << ": interrupted after run " << number << " of " << options.runs << "\n";
    return InterruptExitStatus(signal);
  }
  return allFinished ? 0 : 1;
}

// --merge: the slices of one batch joined into its whole table, or nothing
// and the reason. An interrupt stops it after the slices were checked
// (nothing written yet) or, with --output, after they were copied (the file
// is then not put in place, so FILE stays as it was); a table already copied
// whole to standard output ends as usual.
int RunMerge(const CommandLine& line) {
  const SlicesToJoin slices = CheckSlices(line.merge);
  const std::string unchanged = line.output.empty() ? "" : "; " + line.output + " was left as it was";
  if (const int signal = InterruptSignal()) {
    std::cerr << kProgram << ": interrupted before the slices were joined; nothing was written" << unchanged << "\n";
    return InterruptExitStatus(signal);
  }
  const auto started = std::chrono::system_clock::now();
  TableOutput output(line.output);
  TableWriter writer(output.Sink(), 0);
  KeptSink keep(writer);
  WriteMerge(slices.tables, slices.plan, keep);
  writer.CountKept(slices.runs, slices.rows);
  output.Sink().Finish();
  if (output.ToFile()) {
    if (const int signal = InterruptSignal()) {
      std::cerr << kProgram << ": interrupted while the slices were joined" << unchanged << "\n";
      return InterruptExitStatus(signal);
    }
    TableManifest manifest = BatchManifest(writer, kProgram, line.arguments, started, line.output);
    manifest.levels = slices.levels;
    if (slices.planRuns) {
      manifest.planRuns = *slices.planRuns;
      manifest.firstRun = 1;
      manifest.lastRun = *slices.planRuns;
    }
    output.Commit(manifest);
  }
  return 0;
}

std::vector<std::string> Words(Choice choice) {
  std::vector<std::string> words;
  for (int i = 0; i < ChoiceItemCount(choice); ++i) words.emplace_back(ItemWord(choice, i));
  return words;
}

int Main(int argc, char** argv) {
  // A reader that goes away (a pipe into `head`) is a failed write like any
  // other: exit 3 with the reason, rather than death by SIGPIPE.
  ::signal(SIGPIPE, SIG_IGN);
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
  app.add_option("--resume", line.resume,
                 "Continue the interrupted table FILE (written with --output) with the same command: only the "
                 "missing runs run, and FILE ends as an uninterrupted run would have written it")
      ->type_name("FILE");
  app.add_option("--merge", line.merge,
                 "Join the tables of the slices of one batch (--shard) into its whole table; a run missing or "
                 "twice is named and nothing is written")
      ->type_name("FILE...")
      ->expected(1, CLI::detail::expected_max_vector_size);
  auto* budgetOption = app.add_option("--memory-budget", line.memoryBudget,
                 "Memory the runs may use together, e.g. 8G or 512M (default: half of the physical memory); a run "
                 "that does not fit waits for others to end, and only a run that alone needs more fails")
      ->type_name("SIZE");
  app.add_flag("--progress", line.progress,
               "Report progress on standard error also when it is not a terminal: one line every 10 seconds");

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    // The parser's messages may quote an argument: mended like every other.
    std::ostringstream errors;
    const int code = app.exit(e, std::cout, errors);
    std::cerr << ValidUtf8(errors.str());
    std::cout.flush();
    if (code == 0 && !std::cout) {
      std::cerr << kProgram << ": cannot write to standard output: " << std::strerror(errno) << "\n";
      return 3;
    }
    return code == 0 ? 0 : 2;
  }
  line.runsGiven = runsOption->count() > 0;
  line.threadsGiven = threadsOption->count() > 0;
  if (line.version) {
    DescriptorSink out(STDOUT_FILENO, "standard output");
    out.Write(std::string(kProgram) + " " + ProgramVersion() + "\n");
    out.Finish();
    return 0;
  }
  InstallInterruptHandlers();
  if (!line.merge.empty()) {
    for (const auto* option : app.get_options()) {
      const std::string name = option->get_name();
      if (option->count() > 0 && name != "--merge" && name != "--output") {
        throw UsageError{"--merge joins tables: it takes only --output, not " + name};
      }
    }
    return RunMerge(line);
  }
  line.budgetBytes = DefaultMemoryBudget();
  if (budgetOption->count() > 0) {
    if (auto error = ParseByteSize(line.memoryBudget, line.budgetBytes)) throw UsageError{"--memory-budget: " + *error};
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
    Say(error.reason);
    return 2;
  } catch (const WriteError& error) {
    Say(error.reason);
    return 3;
  } catch (const TableRefused& error) {
    Say(error.what());
    return 2;
  } catch (const OutputError& error) {
    Say(error.what());
    return 3;
  } catch (const InputFileError& error) {
    Say(error.what());
    return 2;
  } catch (const std::bad_alloc&) {
    Say("out of memory");
    return 2;
  } catch (const std::exception& error) {
    Say(error.what());
    return 2;
  }
}
